// Names as they may go to a terminal or into one line of a line-oriented
// stream. A file name is only bytes: raw, an escape sequence in it would
// retitle or clear the terminal, and a line break would forge further lines.
#pragma once

#include <string>
#include <string_view>

namespace tessel {

// name itself when it holds no control character (C0, DEL, or C1 written in
// UTF-8) and is valid UTF-8. Otherwise the name in double quotes, escaped as
// in C: \a \b \t \n \v \f \r, \\ and \" for themselves, and every other
// control character, and every byte that is not part of valid UTF-8, as a
// three-digit octal escape ("\033", "\302\233").
std::string TerminalName(std::string_view name);

// The same escapes, always in double quotes: for a message that quotes a
// name ("unknown command \"x\"").
std::string QuotedTerminalName(std::string_view name);

}  // namespace tessel
