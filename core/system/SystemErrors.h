// The operating system's error numbers as the input/output errors of the
// file layer: the one mapping that every failed system call goes through.
#pragma once

#include "base/Exceptions.h"

#include <string>
#include <system_error>

namespace tessel {

// The input/output error for a system error number (errno on POSIX; also
// the value of a std::error_code that std::filesystem reports): one of the
// file layer's numbers where one stands for it, else a system error that
// shows the number itself. path is the file the failed call named: a
// missing file whose folder exists is 2, a missing folder is 3.
EInOutError InOutErrorFromSystem(int systemErrorNumber, const std::string& path);

// The same for what std::filesystem reports: where the system's calls and
// the C library number their errors apart (Windows), the error's category
// tells which of the two it is.
EInOutError InOutErrorFromSystem(const std::error_code& error, const std::string& path);

}  // namespace tessel
