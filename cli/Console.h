// Where a command writes: results to Out, failures and progress to Err.
#pragma once

#include <ostream>

namespace tessel::cli {

struct Console {
    std::ostream& Out;
    std::ostream& Err;
    // A terminal gets a one-line progress display on Err.
    bool ErrIsTerminal = false;
};

inline constexpr int ExitSuccess = 0;
inline constexpr int ExitSomeFailed = 1;
inline constexpr int ExitUsage = 2;
// A run that a signal ends exits with this plus the signal's number.
inline constexpr int ExitOnSignal = 128;

}  // namespace tessel::cli
