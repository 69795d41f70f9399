// The name tessel-cli shows each scenario of a run by, and where it writes
// the scenario's image: one plan for render and gallery alike.
//
// A name is the scenario's path below the folder or file that the command
// line gave, with "/" separators: never a path as given, which may name the
// user's home. Below a folder a scenario keeps its sub-folder ("sub/x.pud");
// a file given by name is its file name ("x.pud"). When the command line
// gives two folders or more, each folder's own name goes in front of its
// scenarios' names ("coll_a/sub/x.pud"); the second folder of one name is
// called "NAME-2", the third "NAME-3", and so on, in the order given.
//
// A scenario's image is its name with the image's extension, below the
// output folder ("coll_a/sub/x.png"). Where two scenarios would share a name,
// or an image, the later one takes "-2" ("-3", ...) before its extension
// ("x-2.pud", "x-2.png"); no image takes the path of a folder that other
// images need. So no scenario of a run overwrites another's image.
#pragma once

#include "ScenarioDiscovery.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessel::cli {

struct PlannedMap {
    ScenarioInput Input;
    std::string Name;
    // Relative to the output folder, with "/" separators.
    std::string Image;
};

struct OutputPlan {
    // One for each input, in the inputs' order.
    std::vector<PlannedMap> Maps;
    // The name of each folder problem, in the problems' order: its folder's
    // path below the folder given, the given folder's own name for itself.
    std::vector<std::string> ProblemNames;
};

// paths: the command line's paths, which the inputs' and problems' Operand
// index. extension: ".bmp" or ".png".
OutputPlan PlanOutputs(const std::vector<std::string>& paths, const std::vector<ScenarioInput>& inputs,
                       const std::vector<FolderProblem>& problems, std::string_view extension);

// The image's path below outputDirectory.
std::string OutputPathOf(const PlannedMap& map, const std::string& outputDirectory);

}  // namespace tessel::cli
