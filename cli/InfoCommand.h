// tessel-cli info: what a scenario holds, as text or JSON Lines.
#pragma once

#include "CliOptions.h"
#include "Console.h"
#include "scenario/ScenarioInfo.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace tessel::cli {

// The lines that follow a scenario's first line in the text form: version,
// players, mines and patches; the description; one line per player slot.
// What is unknown reads "unknown".
void PrintScenarioText(std::ostream& out, const TScenarioInfo& info);

// The compact form, one line per scenario:
// "NAME: ERA, S x S tiles, N units; seats H human, C computer, R rescue;
// gold G in M mines; "DESCRIPTION"" (the description only when there is
// one; "seats unknown" without the controllers; the tiles without a
// picture after the units when counted).
void PrintScenarioLine(std::ostream& out, const std::string& path, const TScenarioInfo& info,
                       std::optional<std::size_t> tilesWithoutPicture);

int RunInfo(const InfoOptions& options, Console& console);

}  // namespace tessel::cli
