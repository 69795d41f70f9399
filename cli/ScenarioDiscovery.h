// Finds the scenarios a command line names: files as given, and every file
// ending in ".pud" (any letter case) below each folder. A zip archive,
// given or found in a folder (a file ending in ".zip", any letter case),
// stands for a folder of the same name without ".zip" (ZipInputs.h).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::cli {

struct ScenarioInput {
    std::string Path;
    // The sub-folder below the searched folder that holds it ("" for a file
    // named directly or one at the top of its folder), with "/" separators.
    std::string SubFolder;
    // The command line's path that it was found by, and whether that path
    // is a folder.
    std::size_t Operand = 0;
    bool InFolder = false;
    // For a scenario inside a zip archive: the archive's path, and the
    // entry's index and name in it. Path is then the archive's path and the
    // entry's name joined by "/", and SubFolder ends with the archive's
    // folder name and the entry's own folders. (Initialized here, so that a
    // plain file's input may name the fields above only.)
    std::string Archive{};
    uint64_t Entry = 0;
    std::string EntryName{};
};

// A folder that could not be searched, or that holds no scenario file.
struct FolderProblem {
    std::string Path;     // as found
    std::string Message;  // "Error: File access denied", "no scenario files found"
    // The command line's folder that it lies in, and its path below that
    // folder ("" for the folder itself), with "/" separators.
    std::size_t Operand = 0;
    std::string SubFolder;
    // Cleared for a zip archive given by name, which, as a file given, puts
    // no folder name in front of others.
    bool InFolder = true;
};

bool HasScenarioExtension(std::string_view name);

// The pieces joined by "/", empty ones left out ("a", "", "b" gives "a/b"):
// the names of a run are built so.
std::string JoinedNames(std::initializer_list<std::string_view> pieces);

// Folders are searched recursively, their scenarios in path order. A path
// that is not a folder is taken as a scenario file, also when it does not
// exist (reading it then reports why). Each folder or sub-folder that cannot
// be read adds a problem, and so does a folder that holds no scenario file:
// every folder given yields a scenario or a problem. So does every zip
// archive given; one that cannot be read, and each scenario entry refused
// for its name, is a problem named by the archive's path (and the entry's
// name after it) below the folder given.
std::vector<ScenarioInput> DiscoverScenarios(const std::vector<std::string>& paths,
                                             std::vector<FolderProblem>& problems);

}  // namespace tessel::cli
