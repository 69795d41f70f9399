// tessel-cli render: many scenarios into minimaps, in parallel.
#pragma once

#include "CliOptions.h"
#include "Console.h"
#include "MinimapSettings.h"

#include <string>

namespace tessel::cli {

// Shown once when neither the command line nor the settings name an archive.
inline constexpr const char* NoArchiveNotice = "no game archive set: using the built-in tileset (see --archive)";

// The settings a render uses: the settings file's values (or the built-in
// defaults), then the options over them. Raises UsageError for a --settings
// file that does not exist.
TMinimapSettings RenderSettings(const RenderOptions& options);

int RunRender(const RenderOptions& options, Console& console);

}  // namespace tessel::cli
