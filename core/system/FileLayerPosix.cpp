// The file layer's system calls on POSIX.
#include "system/FileLayer.h"

#include "system/FaultInjection.h"
#include "system/SystemErrors.h"
#include "system/TemporaryFiles.h"
#include "text/PathPieces.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tessel {

namespace {

std::atomic<uint64_t> temporaryCounter{0};

[[noreturn]] void RaiseErrno(int errnoValue, const std::string& path)
{
    throw InOutErrorFromSystem(errnoValue, path);
}

int Descriptor(NativeFile file) { return static_cast<int>(file); }

// Where a chain of symbolic links at path ends, also when its last target
// is missing; a chain that does not end is left to the system to refuse.
std::string ResolveSymbolicLink(const std::string& path)
{
    namespace fs = std::filesystem;
    fs::path current = path;
    std::error_code error;
    for (int hop = 0; hop < 40 && fs::is_symlink(current, error); ++hop) {
        const fs::path target = fs::read_symlink(current, error);
        if (error)
            break;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current.string();
}

}  // namespace

void RemoveFileQuietly(const std::string& path) noexcept { ::unlink(path.c_str()); }

void EmptyFileQuietly(NativeFile file) noexcept
{
    [[maybe_unused]] const int emptied = ::ftruncate(Descriptor(file), 0);
}

InputFile::InputFile(const std::string& path) : path_(path)
{
    if (path.empty())
        throw EInOutError(io_error::FileNotFound);
    // O_NONBLOCK: a pipe is refused below instead of waiting for a writer;
    // on a regular file it changes nothing.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        RaiseErrno(errno, path);
    struct stat info {};
    if (::fstat(descriptor, &info) != 0) {
        int error = errno;
        ::close(descriptor);
        RaiseErrno(error, path);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(descriptor);
        throw EInOutError(io_error::AccessDenied);
    }
    file_ = descriptor;
}

InputFile::~InputFile()
{
    if (file_ != NoFile)
        ::close(Descriptor(file_));
}

int64_t InputFile::SizeFromSystem() const
{
    struct stat info {};
    if (::fstat(Descriptor(file_), &info) != 0)
        RaiseErrno(errno, path_);
    return static_cast<int64_t>(info.st_size);
}

std::size_t InputFile::ReadFromSystem(unsigned char* buffer, std::size_t count, int64_t position)
{
    std::size_t done = 0;
    while (done < count) {
        ssize_t got = ::pread(Descriptor(file_), buffer + done, count - done,
                              static_cast<off_t>(position) + static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            RaiseErrno(errno, path_);
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void InputFile::CloseOnSystem()
{
    const int descriptor = Descriptor(file_);
    file_ = NoFile;
    if (::close(descriptor) != 0)
        RaiseErrno(errno, path_);
}

ReplacingOutputFile::ReplacingOutputFile(const std::string& path, bool durable) : path_(path), durable_(durable)
{
    if (path.empty() || FileNamePart(path).empty())
        throw EInOutError(io_error::InvalidFilename);
    // The path itself is looked up, so that the system applies its rules on
    // following links (a link another user planted in a shared folder is
    // refused) before anything is resolved or created here.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode))
            throw EInOutError(io_error::AccessDenied);
        // A rename needs only the folder's permission: opening the file for
        // writing, which changes nothing, decides as for any other writer.
        const int probe = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (probe < 0)
            RaiseErrno(errno, path);
        const bool regular = ::fstat(probe, &existing) == 0 && S_ISREG(existing.st_mode);
        ::close(probe);
        if (!regular)
            throw EInOutError(io_error::AccessDenied);
        kept_ = Kept{existing.st_mode & 0777u, existing.st_uid, existing.st_gid};
    } else if (errno != ENOENT) {
        RaiseErrno(errno, path);  // a refused link, a chain of links that never ends, a file used as a folder
    }
    target_ = ResolveSymbolicLink(path);

    // A short hidden name beside the destination, whatever the length of
    // its name, unique within this process and among processes; O_EXCL never
    // takes over a file that is already there. Until Commit gives it the old
    // file's permissions, it is readable by no one else.
    const std::string prefix = DirectoryPart(target_) + ".tessel-" + std::to_string(::getpid()) + "-";
    for (;;) {
        const std::string name = prefix + std::to_string(temporaryCounter.fetch_add(1)) + ".tmp";
        TemporaryFilesLock lock;
        lock.RaiseIfClosed();
        const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kept_ ? 0600 : 0666);
        if (descriptor >= 0) {
            lock.AddTemporary(name);
            file_ = descriptor;
            temporaryPath_ = name;
            break;
        }
        if (errno != EEXIST)
            RaiseErrno(errno, path);
    }
}

ReplacingOutputFile::~ReplacingOutputFile() { Discard(); }

void ReplacingOutputFile::Discard() noexcept
{
    if (file_ != NoFile) {
        ::close(Descriptor(file_));
        file_ = NoFile;
    }
    if (!temporaryPath_.empty()) {
        TemporaryFilesLock lock;
        if (lock.ForgetTemporary(temporaryPath_))  // else already removed for the exit
            ::unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
}

void ReplacingOutputFile::WriteToSystem(const unsigned char* bytes, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        ssize_t put = ::write(Descriptor(file_), bytes + done, count - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            RaiseErrno(errno, path_);
        }
        done += static_cast<std::size_t>(put);
        fault_injection::AfterWrite();
    }
}

void ReplacingOutputFile::Commit()
{
    if (file_ == NoFile)
        throw EInOutError(io_error::FileNotOpen);
    try {
        Flush();
    } catch (...) {
        Discard();
        throw;
    }
    const int descriptor = Descriptor(file_);
    // The mode goes first: once the owner is someone else, only root may change it.
    if (kept_) {
        if (::fchmod(descriptor, static_cast<mode_t>(kept_->Mode)) != 0) {
            int error = errno;
            Discard();
            RaiseErrno(error, path_);
        }
        // Keeping the owner takes privileges, keeping the group membership
        // of it; where neither is allowed, the file is the writer's, as a
        // new one would be.
        if (::fchown(descriptor, kept_->Owner, kept_->Group) != 0) {
            [[maybe_unused]] const int groupOnly = ::fchown(descriptor, static_cast<uid_t>(-1), kept_->Group);
        }
    }
    if (durable_ && ::fsync(descriptor) != 0) {
        int error = errno;
        Discard();
        RaiseErrno(error, path_);
    }
    file_ = NoFile;
    if (::close(descriptor) != 0) {
        int error = errno;
        Discard();
        RaiseErrno(error, path_);
    }
    // Under the registry's lock: once the temporary files are removed for
    // the exit, no rename completes any more.
    TemporaryFilesLock lock;
    if (lock.Closed()) {
        lock.Release();
        Discard();
        RaiseInterrupted();
    }
    if (::rename(temporaryPath_.c_str(), target_.c_str()) != 0) {
        int error = errno;
        lock.Release();
        Discard();
        RaiseErrno(error, path_);
    }
    lock.ForgetTemporary(temporaryPath_);
    lock.CountCommitted();
    temporaryPath_.clear();
}

InPlaceOutputFile::InPlaceOutputFile(const std::string& path) : path_(path)
{
    if (path.empty() || FileNamePart(path).empty())
        throw EInOutError(io_error::InvalidFilename);
    // Looked up first, so that a device or pipe is never opened at all.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        RaiseErrno(errno, path);
    if (!S_ISREG(info.st_mode))
        throw EInOutError(io_error::AccessDenied);
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        RaiseErrno(errno, path);
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        throw EInOutError(io_error::AccessDenied);
    }
    file_ = descriptor;
}

std::size_t InPlaceOutputFile::WriteOnSystem(const unsigned char* bytes, std::size_t count)
{
    for (;;) {
        const ssize_t put = ::pwrite(Descriptor(file_), bytes, count, static_cast<off_t>(position_));
        if (put >= 0)
            return static_cast<std::size_t>(put);
        if (errno != EINTR)
            RaiseErrno(errno, path_);
    }
}

void InPlaceOutputFile::CutOnSystem()
{
    if (::ftruncate(Descriptor(file_), static_cast<off_t>(position_)) != 0)
        RaiseErrno(errno, path_);
}

void InPlaceOutputFile::CloseQuietlyOnSystem() noexcept { ::close(Descriptor(file_)); }

void InPlaceOutputFile::CloseCommittedOnSystem()
{
    const int descriptor = Descriptor(file_);
    file_ = NoFile;
    if (::close(descriptor) != 0) {
        const int error = errno;
        [[maybe_unused]] const int emptied = ::truncate(path_.c_str(), 0);
        RaiseErrno(error, path_);
    }
}

}  // namespace tessel
