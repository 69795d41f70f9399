#include "base/Exceptions.h"

namespace tessel {

std::string InOutErrorText(int errorNumber)
{
    switch (errorNumber) {
    case io_error::FileNotFound: return "File not found";
    case io_error::InvalidFilename: return "Invalid filename";
    case io_error::TooManyOpenFiles: return "Too many open files";
    case io_error::AccessDenied: return "File access denied";
    case io_error::ReadBeyondEnd: return "Read beyond end of file";
    case io_error::DiskFull: return "Disk full";
    case io_error::InvalidNumericInput: return "Invalid numeric input";
    default: return SystemErrorText(errorNumber);
    }
}

std::string SystemErrorText(int systemErrorNumber) { return "I/O error " + std::to_string(systemErrorNumber); }

EInOutError::EInOutError(int errorNumber) : EInOutError(errorNumber, false) {}

EInOutError::EInOutError(int errorNumber, bool systemError)
    : Exception(systemError ? SystemErrorText(errorNumber) : InOutErrorText(errorNumber)),
      errorNumber_(errorNumber),
      systemError_(systemError)
{
}

EInOutError EInOutError::SystemError(int systemErrorNumber) { return EInOutError(systemErrorNumber, true); }

EOutOfMemory::EOutOfMemory() : Exception("Out of memory") {}

}  // namespace tessel
