// Where tessel-cli writes a scenario's image: below the output folder, in
// the scenario's sub-folder below the folder it was found in.
#pragma once

#include "ScenarioDiscovery.h"

#include <string>
#include <string_view>

namespace tessel::cli {

// outputDirectory, then the input's SubFolder, then its file name with the
// extension replaced by extension (".bmp" or ".png"), as the desktop
// program's batch names its minimaps.
std::string OutputPathKeepingSubFolder(const ScenarioInput& input, const std::string& outputDirectory,
                                       std::string_view extension);

}  // namespace tessel::cli
