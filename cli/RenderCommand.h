// tessel-cli render: many scenarios into minimaps, in parallel.
#pragma once

#include "CliOptions.h"
#include "Console.h"

namespace tessel::cli {

// Renders every scenario the options name and prints the summary. On
// SIGINT, SIGTERM, SIGHUP or SIGPIPE (a message written to a closed pipe)
// it removes every temporary file, keeps the
// minimaps already written, prints the outcomes and summary so far and ends
// the process with status 128 + the signal's number. Raises when no worker
// thread can be started.
int RunRender(const RenderOptions& options, Console& console);

}  // namespace tessel::cli
