#include "system/FileLayer.h"

#include "base/Exceptions.h"
#include "text/PathPieces.h"

#include <atomic>
#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessel {

namespace {

std::atomic<int64_t> writeLimitForTesting{-1};

std::function<void()>& WriteHook()
{
    static std::function<void()> hook;
    return hook;
}

void RunWriteHook()
{
    if (WriteHook())
        WriteHook()();
}
std::atomic<uint64_t> temporaryCounter{0};

// Every temporary file that exists and every file written in place and not
// yet committed, so that a process ending on a signal can remove or empty
// them all; once it has, no output file is made, written or committed.
struct TemporaryFileRegistry {
    std::mutex mutex;
    std::set<std::string> paths;
    std::set<int> inPlace;  // descriptors
    bool closed = false;
    uint64_t committed = 0;
};

// Never destroyed: workers may still use it while the process ends.
TemporaryFileRegistry& TemporaryFiles()
{
    static auto* registry = new TemporaryFileRegistry;
    return *registry;
}

[[noreturn]] void RaiseClosed() { throw Exception("Interrupted"); }

bool DirectoryExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.empty() ? "." : path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

[[noreturn]] void RaiseErrno(int errnoValue, const std::string& path)
{
    throw InOutErrorFromErrno(errnoValue, path);
}

// Allows the fault hook to take a write; returns how many bytes may go out.
std::size_t AllowedByWriteLimit(std::size_t count)
{
    int64_t limit = writeLimitForTesting.load();
    if (limit < 0)
        return count;
    std::size_t allowed = static_cast<std::size_t>(limit) < count ? static_cast<std::size_t>(limit) : count;
    writeLimitForTesting.store(limit - static_cast<int64_t>(allowed));
    return allowed;
}

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

EInOutError InOutErrorFromErrno(int errnoValue, const std::string& path)
{
    switch (errnoValue) {
    case ENOENT:
        if (path.empty() || DirectoryExists(DirectoryPart(path)))
            return EInOutError(io_error::FileNotFound);
        return EInOutError(io_error::InvalidFilename);
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return EInOutError(io_error::InvalidFilename);
    case EMFILE:
    case ENFILE:
        return EInOutError(io_error::TooManyOpenFiles);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return EInOutError(io_error::AccessDenied);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return EInOutError(io_error::DiskFull);
    default:
        return EInOutError::SystemError(errnoValue);
    }
}

InputFile::InputFile(const std::string& path) : path_(path)
{
    if (path.empty())
        throw EInOutError(io_error::FileNotFound);
    // O_NONBLOCK: a pipe is refused below instead of waiting for a writer;
    // on a regular file it changes nothing.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        RaiseErrno(errno, path);
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        int error = errno;
        ::close(fd_);
        fd_ = -1;
        RaiseErrno(error, path);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw EInOutError(io_error::AccessDenied);
    }
}

InputFile::~InputFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int64_t InputFile::Size() const
{
    if (fd_ < 0)
        throw EInOutError(io_error::FileNotOpen);
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        RaiseErrno(errno, path_);
    return static_cast<int64_t>(info.st_size);
}

void InputFile::Seek(int64_t position)
{
    if (fd_ < 0)
        throw EInOutError(io_error::FileNotOpen);
    if (position < 0)
        throw EInOutError(io_error::NegativeSeek);
    position_ = position;
}

std::size_t InputFile::ReadFromSystem(unsigned char* buffer, std::size_t count, int64_t position)
{
    std::size_t done = 0;
    while (done < count) {
        ssize_t got = ::pread(fd_, buffer + done, count - done, static_cast<off_t>(position) + static_cast<off_t>(done));
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

std::size_t InputFile::ReadUpTo(void* buffer, std::size_t count)
{
    if (fd_ < 0)
        throw EInOutError(io_error::FileNotOpen);
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const int64_t readAheadEnd = readAheadStart_ + static_cast<int64_t>(readAheadLength_);
        if (position_ >= readAheadStart_ && position_ < readAheadEnd) {
            const std::size_t piece = std::min(count - done, static_cast<std::size_t>(readAheadEnd - position_));
            std::memcpy(out + done, readAhead_.get() + (position_ - readAheadStart_), piece);
            done += piece;
            position_ += static_cast<int64_t>(piece);
            continue;
        }
        if (count - done >= ReadAheadSize) {
            const std::size_t got = ReadFromSystem(out + done, count - done, position_);
            done += got;
            position_ += static_cast<int64_t>(got);
            break;
        }
        if (!readAhead_)
            readAhead_ = std::make_unique_for_overwrite<unsigned char[]>(ReadAheadSize);  // filled by the read below
        readAheadLength_ = 0;  // forget the old block before a read that may fail
        readAheadStart_ = position_;
        readAheadLength_ = ReadFromSystem(readAhead_.get(), ReadAheadSize, position_);
        if (readAheadLength_ == 0)
            break;
    }
    return done;
}

void InputFile::ReadExact(void* buffer, std::size_t count)
{
    if (ReadUpTo(buffer, count) != count)
        throw EInOutError(io_error::ReadBeyondEnd);
}

void InputFile::Close()
{
    if (fd_ < 0)
        throw EInOutError(io_error::FileNotOpen);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
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
    TemporaryFileRegistry& registry = TemporaryFiles();
    for (;;) {
        const std::string name = prefix + std::to_string(temporaryCounter.fetch_add(1)) + ".tmp";
        std::lock_guard lock(registry.mutex);
        if (registry.closed)
            RaiseClosed();
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kept_ ? 0600 : 0666);
        if (fd_ >= 0) {
            registry.paths.insert(name);
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
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporaryPath_.empty()) {
        TemporaryFileRegistry& registry = TemporaryFiles();
        std::lock_guard lock(registry.mutex);
        if (registry.paths.erase(temporaryPath_) != 0)  // else already removed for the exit
            ::unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
}

void ReplacingOutputFile::WriteToSystem(const unsigned char* bytes, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        ssize_t put = ::write(fd_, bytes + done, count - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            RaiseErrno(errno, path_);
        }
        done += static_cast<std::size_t>(put);
        RunWriteHook();
    }
}

void ReplacingOutputFile::Write(const void* buffer, std::size_t count)
{
    if (fd_ < 0)
        throw EInOutError(io_error::FileNotOpen);
    const std::size_t allowed = AllowedByWriteLimit(count);
    const auto* in = static_cast<const unsigned char*>(buffer);
    if (buffer_.size() + allowed > BufferSize)
        Flush();
    if (allowed >= BufferSize) {
        WriteToSystem(in, allowed);
    } else {
        // The whole buffer at once: growing it step by step would copy the
        // bytes already taken again at every step.
        if (buffer_.capacity() < BufferSize)
            buffer_.reserve(BufferSize);
        buffer_.insert(buffer_.end(), in, in + allowed);
    }
    position_ += static_cast<int64_t>(allowed);
    if (allowed != count)
        throw EInOutError(io_error::DiskFull);
}

void ReplacingOutputFile::Flush()
{
    if (fd_ < 0)
        throw EInOutError(io_error::FileNotOpen);
    if (buffer_.empty())
        return;
    // The bytes leave the buffer either way: a file whose flush failed is
    // never committed.
    struct ClearOnExit {
        std::vector<unsigned char>& bytes;
        ~ClearOnExit() { bytes.clear(); }
    } clear{buffer_};
    WriteToSystem(buffer_.data(), buffer_.size());
}

void ReplacingOutputFile::Commit()
{
    if (fd_ < 0)
        throw EInOutError(io_error::FileNotOpen);
    try {
        Flush();
    } catch (...) {
        Discard();
        throw;
    }
    // The mode goes first: once the owner is someone else, only root may change it.
    if (kept_) {
        if (::fchmod(fd_, static_cast<mode_t>(kept_->Mode)) != 0) {
            int error = errno;
            Discard();
            RaiseErrno(error, path_);
        }
        // Keeping the owner takes privileges, keeping the group membership
        // of it; where neither is allowed, the file is the writer's, as a
        // new one would be.
        if (::fchown(fd_, kept_->Owner, kept_->Group) != 0) {
            [[maybe_unused]] const int groupOnly = ::fchown(fd_, static_cast<uid_t>(-1), kept_->Group);
        }
    }
    if (durable_ && ::fsync(fd_) != 0) {
        int error = errno;
        Discard();
        RaiseErrno(error, path_);
    }
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        int error = errno;
        Discard();
        RaiseErrno(error, path_);
    }
    // Under the registry's lock: once the temporary files are removed for
    // the exit, no rename completes any more.
    TemporaryFileRegistry& registry = TemporaryFiles();
    std::unique_lock lock(registry.mutex);
    if (registry.closed) {
        lock.unlock();
        Discard();
        RaiseClosed();
    }
    if (::rename(temporaryPath_.c_str(), target_.c_str()) != 0) {
        int error = errno;
        lock.unlock();
        Discard();
        RaiseErrno(error, path_);
    }
    registry.paths.erase(temporaryPath_);
    ++registry.committed;
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
    fd_ = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        RaiseErrno(errno, path);
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw EInOutError(io_error::AccessDenied);
    }
}

InPlaceOutputFile::~InPlaceOutputFile() { Discard(); }

void InPlaceOutputFile::Discard() noexcept
{
    if (fd_ < 0)
        return;
    {
        TemporaryFileRegistry& registry = TemporaryFiles();
        std::lock_guard lock(registry.mutex);
        if (registry.inPlace.erase(fd_) != 0) {  // else never written, or already emptied for the exit
            [[maybe_unused]] const int emptied = ::ftruncate(fd_, 0);
        }
    }
    ::close(fd_);
    fd_ = -1;
}

void InPlaceOutputFile::Write(const void* buffer, std::size_t count)
{
    if (fd_ < 0)
        throw EInOutError(io_error::FileNotOpen);
    const std::size_t allowed = AllowedByWriteLimit(count);
    const auto* in = static_cast<const unsigned char*>(buffer);
    TemporaryFileRegistry& registry = TemporaryFiles();
    for (std::size_t done = 0; done < allowed;) {
        {
            // Under the lock, so that no byte lands after an exit has emptied the file.
            std::lock_guard lock(registry.mutex);
            if (registry.closed)
                RaiseClosed();
            registry.inPlace.insert(fd_);
            const ssize_t put = ::pwrite(fd_, in + done, std::min(allowed - done, WritePiece), position_);
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                RaiseErrno(errno, path_);
            if (put == 0)
                throw EInOutError(io_error::DiskFull);
            done += static_cast<std::size_t>(put);
            position_ += put;
        }
        RunWriteHook();
    }
    if (allowed != count)
        throw EInOutError(io_error::DiskFull);
}

void InPlaceOutputFile::Commit()
{
    if (fd_ < 0)
        throw EInOutError(io_error::FileNotOpen);
    {
        TemporaryFileRegistry& registry = TemporaryFiles();
        std::unique_lock lock(registry.mutex);
        if (registry.closed) {
            lock.unlock();
            Discard();
            RaiseClosed();
        }
        if (::ftruncate(fd_, static_cast<off_t>(position_)) != 0) {
            const int error = errno;
            lock.unlock();
            Discard();
            RaiseErrno(error, path_);
        }
        registry.inPlace.erase(fd_);
        ++registry.committed;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        [[maybe_unused]] const int emptied = ::truncate(path_.c_str(), 0);
        RaiseErrno(error, path_);
    }
}

uint64_t CommittedFileCount() noexcept
{
    TemporaryFileRegistry& registry = TemporaryFiles();
    std::lock_guard lock(registry.mutex);
    return registry.committed;
}

void RemoveTemporaryFilesForExit() noexcept
{
    TemporaryFileRegistry& registry = TemporaryFiles();
    std::lock_guard lock(registry.mutex);
    registry.closed = true;
    for (const std::string& path : registry.paths)
        ::unlink(path.c_str());
    registry.paths.clear();
    for (const int fd : registry.inPlace) {
        [[maybe_unused]] const int emptied = ::ftruncate(fd, 0);
    }
    registry.inPlace.clear();
}

void SetWriteLimitForTesting(int64_t limit) { writeLimitForTesting.store(limit); }

void SetWriteHookForTesting(std::function<void()> hook) { WriteHook() = std::move(hook); }

}  // namespace tessel
