// tessel-cli info: what a scenario holds, as text or JSON Lines.
#pragma once

#include "CliOptions.h"
#include "Console.h"

#include <string>

namespace tessel::cli {

// "forest", "winter", "wasteland", "swamp", or "unknown" for other eras.
const char* EraName(int era);

int RunInfo(const InfoOptions& options, Console& console);

}  // namespace tessel::cli
