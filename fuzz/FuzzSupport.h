// Helpers shared by the fuzz targets: an in-memory file that the core opens
// by path, a scratch folder, and an ErrorBox handler that swallows texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessel::fuzz {

// A file in memory (memfd) reached through /proc/self/fd, rewritten for
// every input, so that the readers see a real file without disk traffic.
class MemoryFile {
public:
    MemoryFile();
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Replaces the whole content with size bytes of data.
    void Replace(const uint8_t* data, std::size_t size);
    const std::string& Path() const { return path_; }

private:
    int descriptor_ = -1;
    std::string path_;
};

// A fresh folder under the temporary folder, removed at exit.
const std::string& ScratchFolder();

// Routes ErrorBox texts nowhere for the life of the process.
void SwallowErrorBoxes();

// Stops the fuzzer with a crash report when an invariant does not hold.
[[noreturn]] void Violation(const char* what);

}  // namespace tessel::fuzz

#define FUZZ_CHECK(condition)                                \
    do {                                                     \
        if (!(condition))                                    \
            ::tessel::fuzz::Violation(#condition);           \
    } while (false)
