#include "system/SystemErrors.h"

#include "text/PathPieces.h"

#include <cerrno>
#include <sys/stat.h>

namespace tessel {

namespace {

bool DirectoryExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.empty() ? "." : path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

EInOutError InOutErrorFromSystem(int systemErrorNumber, const std::string& path)
{
    switch (systemErrorNumber) {
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
        return EInOutError::SystemError(systemErrorNumber);
    }
}

EInOutError InOutErrorFromSystem(const std::error_code& error, const std::string& path)
{
    return InOutErrorFromSystem(error.value(), path);
}

}  // namespace tessel
