// tessel-cli demo: a generated archive and scenarios to try Tessel with.
#pragma once

#include "CliOptions.h"
#include "Console.h"

namespace tessel::cli {

int RunDemo(const DemoOptions& options, Console& console);

}  // namespace tessel::cli
