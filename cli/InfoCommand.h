// tessel-cli info: what a scenario holds, as text or JSON Lines.
#pragma once

#include "CliOptions.h"
#include "Console.h"
#include "scenario/ScenarioInfo.h"

#include <iosfwd>

namespace tessel::cli {

// The lines that follow a scenario's first line in the text form: version,
// players, mines and patches; the description; one line per player slot.
// What is unknown reads "unknown".
void PrintScenarioText(std::ostream& out, const TScenarioInfo& info);

int RunInfo(const InfoOptions& options, Console& console);

}  // namespace tessel::cli
