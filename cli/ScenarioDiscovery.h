// Finds the scenarios a command line names: files as given, and every file
// ending in ".pud" (any letter case) below each folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessel::cli {

struct ScenarioInput {
    std::string Path;
    // The sub-folder below the searched folder that holds it ("" for a file
    // named directly or one at the top of its folder), with "/" separators.
    std::string SubFolder;
};

bool HasScenarioExtension(std::string_view name);

// Folders are searched recursively, their scenarios in path order. A path
// that is not a folder is taken as a scenario file, also when it does not
// exist (reading it then reports why). Each folder or sub-folder that cannot
// be read adds a line to problems ("maps/x: Error: File access denied"), and
// so does a folder that holds no scenario file ("maps: no scenario files
// found").
std::vector<ScenarioInput> DiscoverScenarios(const std::vector<std::string>& paths,
                                             std::vector<std::string>& problems);

}  // namespace tessel::cli
