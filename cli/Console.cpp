#include "Console.h"

#include "text/TerminalName.h"

namespace tessel::cli {

void PrintFailureLine(std::ostream& out, std::string_view name, std::string_view message)
{
    out << TerminalName(name) << ": " << TerminalName(message) << '\n';
}

}  // namespace tessel::cli
