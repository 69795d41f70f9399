// Where a command writes: results to Out, failures and progress to Error.
#pragma once

#include <ostream>
#include <string_view>

namespace tessel::cli {

struct Console {
    std::ostream& Out;
    std::ostream& Error;
    // A terminal gets a one-line progress display on Error.
    bool ErrorIsTerminal = false;
};

// One line of a failure: "name: message", each shown as TerminalName shows
// a name, so that neither can act on the terminal or forge a line.
void PrintFailureLine(std::ostream& out, std::string_view name, std::string_view message);

inline constexpr int ExitSuccess = 0;
inline constexpr int ExitSomeFailed = 1;
inline constexpr int ExitUsage = 2;
// A run that a signal ends exits with ExitOnSignal (system/Interruption.h)
// plus the signal's number.

}  // namespace tessel::cli
