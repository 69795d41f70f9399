#include "ScopedReadOnly.h"

#include "TestSupport.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tessel::test {

namespace {

// Sets or clears the immutable attribute; returns 0 or the errno value.
int SetImmutable(const std::string& path, bool immutable)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    int flags = 0;
    int result = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
        result = errno;
    } else {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0)
            result = errno;
    }
    ::close(fd);
    return result;
}

}  // namespace

ScopedReadOnly::ScopedReadOnly(std::string path) : path_(std::move(path))
{
    const int error = SetImmutable(path_, true);
    if (error == 0) {
        how_ = How::Immutable;
        return;
    }
    if (PermissionsAreEnforced()) {
        std::error_code failed;
        fs::permissions(path_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove, failed);
        if (!failed) {
            how_ = How::Mode;
            return;
        }
    }
    why_ = "cannot make " + path_ + " read-only: the immutable attribute was refused (" + std::strerror(error) +
           ") and file modes do not stop this process";
}

ScopedReadOnly::~ScopedReadOnly()
{
    std::error_code ignored;
    if (how_ == How::Immutable)
        SetImmutable(path_, false);
    else if (how_ == How::Mode)
        fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add, ignored);
}

}  // namespace tessel::test
