// tessel-cli render: many scenarios into minimaps, in parallel.
#pragma once

#include "CliOptions.h"
#include "Console.h"
#include "MinimapSettings.h"

#include <functional>
#include <string>

namespace tessel::cli {

// Shown once when neither the command line nor the settings name an archive.
inline constexpr const char* NoArchiveNotice = "no game archive set: using the built-in tileset (see --archive)";

// The settings a render uses: the settings file's values (or the built-in
// defaults), then the options over them. Raises UsageError for a --settings
// file that does not exist.
TMinimapSettings RenderSettings(const RenderOptions& options);

// Renders every scenario the options name and prints the summary. On
// SIGINT, SIGTERM or SIGHUP it removes every temporary file, keeps the
// minimaps already written, prints the outcomes and summary so far and ends
// the process with status 128 + the signal's number. Raises when no worker
// thread can be started.
int RunRender(const RenderOptions& options, Console& console);

// For tests only: runs on the worker at the start of every job with the
// scenario's path; what it raises stands for a failure that escapes a job.
void SetJobHookForTesting(std::function<void(const std::string& scenarioPath)> hook);

}  // namespace tessel::cli
