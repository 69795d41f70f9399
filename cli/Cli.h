// tessel-cli's entry: picks the subcommand and turns usage errors into
// exit status 2.
#pragma once

#include "Console.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::cli {

// The command that a mistyped one was likely meant to be: one within two
// typing slips (fewer for short commands), or none.
std::optional<std::string> NearestCommand(std::string_view typed);

// arguments without the program name.
int RunCli(const std::vector<std::string>& arguments, Console& console);

}  // namespace tessel::cli
