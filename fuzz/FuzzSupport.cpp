#include "FuzzSupport.h"

#include "base/ErrorBox.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

namespace tessel::fuzz {

MemoryFile::MemoryFile()
{
    descriptor_ = ::memfd_create("tessel-fuzz-input", MFD_CLOEXEC);
    if (descriptor_ < 0)
        throw std::runtime_error("memfd_create failed");
    path_ = "/proc/self/fd/" + std::to_string(descriptor_);
}

MemoryFile::~MemoryFile() { ::close(descriptor_); }

void MemoryFile::Replace(const uint8_t* data, std::size_t size)
{
    if (::ftruncate(descriptor_, 0) != 0)
        Violation("cannot empty the memory file");
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = ::pwrite(descriptor_, data + done, size - done, static_cast<off_t>(done));
        if (put <= 0)
            Violation("cannot fill the memory file");
        done += static_cast<std::size_t>(put);
    }
}

namespace {

struct Scratch {
    Scratch()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessel-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a scratch folder");
        path = pattern;
    }
    ~Scratch()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

}  // namespace

const std::string& ScratchFolder()
{
    static const Scratch scratch;
    return scratch.path;
}

void SwallowErrorBoxes()
{
    SetErrorBoxHandler([](const std::string&) {});
}

void Violation(const char* what)
{
    std::fprintf(stderr, "fuzz invariant violated: %s\n", what);
    std::abort();
}

}  // namespace tessel::fuzz
