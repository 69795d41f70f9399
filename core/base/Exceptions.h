// The exception classes of the minimap core. Failures carry a message text;
// there are no error codes apart from the input/output error number.
#pragma once

#include <exception>
#include <string>

namespace tessel {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};

// Raised only by the scenario reader.
class EPUDEx : public Exception {
public:
    using Exception::Exception;
};

// The input/output error: its message is chosen by its error number.
class EInOutError : public Exception {
public:
    // One of the numbers below, with its text ("File not found", ...).
    explicit EInOutError(int errorNumber);
    // An operating system error that none of the numbers below stands for:
    // "I/O error <number>" with the system's own number, also where that
    // number equals one of ours (EIO is 5 on Linux, yet no "access denied").
    static EInOutError SystemError(int systemErrorNumber);

    // The number of the message: one of the numbers below, or the system's
    // own number when IsSystemError().
    int ErrorCode() const noexcept { return errorNumber_; }
    bool IsSystemError() const noexcept { return systemError_; }

private:
    EInOutError(int errorNumber, bool systemError);

    int errorNumber_;
    bool systemError_;
};

// Memory exhausted; the message is "Out of memory" (no full stop).
class EOutOfMemory : public Exception {
public:
    EOutOfMemory();
};

// The input/output error numbers of the file layer.
namespace io_error {
inline constexpr int FileNotFound = 2;
inline constexpr int InvalidFilename = 3;
inline constexpr int TooManyOpenFiles = 4;
inline constexpr int AccessDenied = 5;
inline constexpr int ReadBeyondEnd = 100;
inline constexpr int DiskFull = 101;
inline constexpr int FileNotOpen = 103;
inline constexpr int InvalidNumericInput = 106;
// The system's number for a seek before the start of a file.
inline constexpr int NegativeSeek = 131;
}  // namespace io_error

// The text of an input/output error number: "File not found", ..., or "I/O error %d".
std::string InOutErrorText(int errorNumber);
// The text of a system error number that has none of the texts above.
std::string SystemErrorText(int systemErrorNumber);

}  // namespace tessel
