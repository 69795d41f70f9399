// tessel-cli's entry: picks the subcommand and turns usage errors into
// exit status 2.
#pragma once

#include "Console.h"

#include <string>
#include <vector>

namespace tessel::cli {

// arguments without the program name.
int RunCli(const std::vector<std::string>& arguments, Console& console);

}  // namespace tessel::cli
