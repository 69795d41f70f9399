// The file layer's system calls on Windows: UTF-16 paths of any length
// (WidePaths.h), the device names refused, and outputs moved into place by
// ReplaceFileW, which keeps the replaced file's attributes and access rules,
// or MoveFileExW where nothing stood.
#include "system/FileLayer.h"

#include "system/FaultInjection.h"
#include "system/SystemErrors.h"
#include "system/TemporaryFiles.h"
#include "system/WidePaths.h"
#include "text/DeviceNames.h"
#include "text/PathPieces.h"

#include <algorithm>
#include <atomic>
#include <windows.h>

namespace tessel {

namespace {

std::atomic<uint64_t> temporaryCounter{0};

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// One call moves at most this much: ReadFile and WriteFile count in 32 bits.
constexpr std::size_t LargestCall = std::size_t{1} << 30;

[[noreturn]] void RaiseLastError(const std::string& path) { throw InOutErrorFromSystem(::GetLastError(), path); }

HANDLE Handle(NativeFile file) { return reinterpret_cast<HANDLE>(file); }
NativeFile Native(HANDLE handle) { return reinterpret_cast<NativeFile>(handle); }

// A name that Windows keeps for a device, or a path that names no file.
void RefuseDeviceName(const std::string& path)
{
    if (path.empty() || FileNamePart(path).empty() || IsWindowsDeviceName(path))
        throw EInOutError(io_error::InvalidFilename);
}

// Whether handle is a file on a disk (not a console, pipe or device).
bool IsDiskFile(HANDLE handle) { return ::GetFileType(handle) == FILE_TYPE_DISK; }

OVERLAPPED At(int64_t position)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<uint64_t>(position) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(position) >> 32);
    return at;
}

// Where a symbolic link at path leads, as the system resolves it, so that
// the new file replaces the target and the link stays; path itself when
// it is no link.
std::string FinalPath(const std::string& path, HANDLE opened)
{
    const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return path;
    std::wstring final(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFinalPathNameByHandleW(opened, final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
        if (length == 0)
            return path;
        if (length < final.size()) {
            final.resize(length);
            return TextOfWide(final);
        }
        final.resize(length);
    }
}

}  // namespace

void RemoveFileQuietly(const std::string& path) noexcept { ::DeleteFileW(WidePath(path).c_str()); }

void EmptyFileQuietly(NativeFile file) noexcept
{
    FILE_END_OF_FILE_INFO end{};
    ::SetFileInformationByHandle(Handle(file), FileEndOfFileInfo, &end, sizeof end);
}

InputFile::InputFile(const std::string& path) : path_(path)
{
    if (path.empty())
        throw EInOutError(io_error::FileNotFound);
    RefuseDeviceName(path);
    // Shared for everything, so that another program may go on writing,
    // renaming or removing the file while it is read.
    HANDLE handle = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        RaiseLastError(path);
    if (!IsDiskFile(handle)) {
        ::CloseHandle(handle);
        throw EInOutError(io_error::AccessDenied);
    }
    file_ = Native(handle);
}

InputFile::~InputFile()
{
    if (file_ != NoFile)
        ::CloseHandle(Handle(file_));
}

int64_t InputFile::SizeFromSystem() const
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(Handle(file_), &size))
        RaiseLastError(path_);
    return size.QuadPart;
}

std::size_t InputFile::ReadFromSystem(unsigned char* buffer, std::size_t count, int64_t position)
{
    std::size_t done = 0;
    while (done < count) {
        OVERLAPPED at = At(position + static_cast<int64_t>(done));
        DWORD got = 0;
        const DWORD asked = static_cast<DWORD>(std::min(count - done, LargestCall));
        if (!::ReadFile(Handle(file_), buffer + done, asked, &got, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF)
                break;
            RaiseLastError(path_);
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

void InputFile::CloseOnSystem()
{
    HANDLE handle = Handle(file_);
    file_ = NoFile;
    if (!::CloseHandle(handle))
        RaiseLastError(path_);
}

ReplacingOutputFile::ReplacingOutputFile(const std::string& path, bool durable) : path_(path), durable_(durable)
{
    RefuseDeviceName(path);
    target_ = path;
    const std::wstring widePath = WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(widePath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || (attributes & FILE_ATTRIBUTE_READONLY) != 0)
            throw EInOutError(io_error::AccessDenied);
        // Opening the file for writing, which changes nothing, decides as
        // for any other writer (its access rules, a program that holds it
        // without sharing).
        HANDLE probe =
            ::CreateFileW(widePath.c_str(), GENERIC_WRITE, ShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE)
            RaiseLastError(path);
        const bool disk = IsDiskFile(probe);
        if (disk)
            target_ = FinalPath(path, probe);
        ::CloseHandle(probe);
        if (!disk)
            throw EInOutError(io_error::AccessDenied);
        kept_ = Kept{attributes, 0, 0};
    } else if (const DWORD error = ::GetLastError(); error != ERROR_FILE_NOT_FOUND) {
        throw InOutErrorFromSystem(error, path);
    }

    // A short name beside the destination, unique within this process and
    // among processes; CREATE_NEW never takes over a file already there.
    const std::string prefix =
        DirectoryPart(target_) + ".tessel-" + std::to_string(::GetCurrentProcessId()) + "-";
    for (;;) {
        const std::string name = prefix + std::to_string(temporaryCounter.fetch_add(1)) + ".tmp";
        TemporaryFilesLock lock;
        lock.RaiseIfClosed();
        HANDLE handle = ::CreateFileW(WidePath(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            lock.AddTemporary(name);
            file_ = Native(handle);
            temporaryPath_ = name;
            break;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS)
            RaiseLastError(path);
    }
}

ReplacingOutputFile::~ReplacingOutputFile() { Discard(); }

void ReplacingOutputFile::Discard() noexcept
{
    if (file_ != NoFile) {
        ::CloseHandle(Handle(file_));
        file_ = NoFile;
    }
    if (!temporaryPath_.empty()) {
        TemporaryFilesLock lock;
        if (lock.ForgetTemporary(temporaryPath_))  // else already removed for the exit
            RemoveFileQuietly(temporaryPath_);
        temporaryPath_.clear();
    }
}

void ReplacingOutputFile::WriteToSystem(const unsigned char* bytes, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        DWORD put = 0;
        const DWORD asked = static_cast<DWORD>(std::min(count - done, LargestCall));
        if (!::WriteFile(Handle(file_), bytes + done, asked, &put, nullptr))
            RaiseLastError(path_);
        if (put == 0)
            throw EInOutError(io_error::DiskFull);
        done += put;
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
    HANDLE handle = Handle(file_);
    if (durable_ && !::FlushFileBuffers(handle)) {
        const DWORD error = ::GetLastError();
        Discard();
        throw InOutErrorFromSystem(error, path_);
    }
    file_ = NoFile;
    if (!::CloseHandle(handle)) {
        const DWORD error = ::GetLastError();
        Discard();
        throw InOutErrorFromSystem(error, path_);
    }
    // Under the registry's lock: once the temporary files are removed for
    // the exit, no move completes any more.
    TemporaryFilesLock lock;
    if (lock.Closed()) {
        lock.Release();
        Discard();
        RaiseInterrupted();
    }
    const std::wstring from = WidePath(temporaryPath_);
    const std::wstring to = WidePath(target_);
    bool moved = false;
    if (kept_) {
        moved = ::ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
        // Gone meanwhile: nothing left to keep.
        if (!moved && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
            const DWORD error = ::GetLastError();
            lock.Release();
            Discard();
            throw InOutErrorFromSystem(error, path_);
        }
    }
    if (!moved && !::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        lock.Release();
        Discard();
        throw InOutErrorFromSystem(error, path_);
    }
    lock.ForgetTemporary(temporaryPath_);
    lock.CountCommitted();
    temporaryPath_.clear();
}

InPlaceOutputFile::InPlaceOutputFile(const std::string& path) : path_(path)
{
    RefuseDeviceName(path);
    // Read-only stays so, also for a writer whose rights would let it write.
    if (const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        throw EInOutError(io_error::AccessDenied);
    HANDLE handle = ::CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, ShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        RaiseLastError(path);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!IsDiskFile(handle) || !::GetFileInformationByHandle(handle, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ::CloseHandle(handle);
        throw EInOutError(io_error::AccessDenied);
    }
    file_ = Native(handle);
}

std::size_t InPlaceOutputFile::WriteOnSystem(const unsigned char* bytes, std::size_t count)
{
    OVERLAPPED at = At(position_);
    DWORD put = 0;
    if (!::WriteFile(Handle(file_), bytes, static_cast<DWORD>(count), &put, &at))
        RaiseLastError(path_);
    return put;
}

void InPlaceOutputFile::CutOnSystem()
{
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = position_;
    if (!::SetFileInformationByHandle(Handle(file_), FileEndOfFileInfo, &end, sizeof end))
        RaiseLastError(path_);
}

void InPlaceOutputFile::CloseQuietlyOnSystem() noexcept { ::CloseHandle(Handle(file_)); }

void InPlaceOutputFile::CloseCommittedOnSystem()
{
    HANDLE handle = Handle(file_);
    file_ = NoFile;
    if (!::CloseHandle(handle))
        RaiseLastError(path_);
}

}  // namespace tessel
