#include "system/SystemErrors.h"

#include "system/WidePaths.h"
#include "text/PathPieces.h"

#include <cerrno>
#include <windows.h>

namespace tessel {

namespace {

bool DirectoryExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(WidePath(path.empty() ? "." : path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

EInOutError FileOrFolderMissing(const std::string& path)
{
    if (path.empty() || DirectoryExists(DirectoryPart(path)))
        return EInOutError(io_error::FileNotFound);
    return EInOutError(io_error::InvalidFilename);
}

// The numbers of the C library, which parts of std::filesystem report.
EInOutError FromCLibrary(int number, const std::string& path)
{
    switch (number) {
    case ENOENT:
        return FileOrFolderMissing(path);
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
        return EInOutError(io_error::InvalidFilename);
    case EMFILE:
    case ENFILE:
        return EInOutError(io_error::TooManyOpenFiles);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return EInOutError(io_error::AccessDenied);
    case ENOSPC:
    case EFBIG:
        return EInOutError(io_error::DiskFull);
    default:
        return EInOutError::SystemError(number);
    }
}

}  // namespace

EInOutError InOutErrorFromSystem(int systemErrorNumber, const std::string& path)
{
    switch (systemErrorNumber) {
    case ERROR_FILE_NOT_FOUND:
        return FileOrFolderMissing(path);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_CANT_RESOLVE_FILENAME:
        return EInOutError(io_error::InvalidFilename);
    case ERROR_TOO_MANY_OPEN_FILES:
        return EInOutError(io_error::TooManyOpenFiles);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CANT_ACCESS_FILE:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EInOutError(io_error::AccessDenied);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_FILE_TOO_LARGE:
        return EInOutError(io_error::DiskFull);
    default:
        return EInOutError::SystemError(systemErrorNumber);
    }
}

EInOutError InOutErrorFromSystem(const std::error_code& error, const std::string& path)
{
    if (error.category() == std::generic_category())
        return FromCLibrary(error.value(), path);
    return InOutErrorFromSystem(error.value(), path);
}

}  // namespace tessel
