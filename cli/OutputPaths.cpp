#include "OutputPaths.h"

#include "text/PathPieces.h"
#include "text/PathText.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace tessel::cli {

namespace {

// The last piece of a path ("maps/" gives "maps"), or of its full path for
// ".", ".." and the like: never more than one piece.
std::string OwnName(const std::string& given)
{
    fs::path path = PathOfText(given).lexically_normal();
    if (!path.has_filename())
        path = path.parent_path();  // "maps/"
    std::string name = TextOfPath(path.filename());
    if (name.empty() || name == "." || name == "..") {
        std::error_code error;
        name = TextOfPath(fs::weakly_canonical(fs::absolute(PathOfText(given), error), error).filename());
    }
    return name.empty() ? "root" : name;
}

// Hands out paths that no earlier one took: a taken path gets "-2", "-3"
// ... before its extension, each number tried once.
class UniquePaths {
public:
    // Paths that are never handed out (folders that other paths need).
    explicit UniquePaths(std::set<std::string> reserved = {}) : taken_(std::move(reserved)) {}

    std::string Take(const std::string& wanted)
    {
        std::string path = wanted;
        int& number = nextNumber_.try_emplace(wanted, 2).first->second;
        while (taken_.count(path) != 0) {
            const std::string stem = ReplaceExtension(wanted, "");
            path = stem + "-" + std::to_string(number++) + wanted.substr(stem.size());
        }
        taken_.insert(path);
        return path;
    }

private:
    std::set<std::string> taken_;
    std::map<std::string, int> nextNumber_;
};

// The name in front of each folder's scenarios: none unless two folders or
// more are given, then each folder's own name, numbered where taken.
std::vector<std::string> FolderPrefixes(const std::vector<std::string>& paths, const std::vector<bool>& isFolder)
{
    std::vector<std::string> prefixes(paths.size());
    if (std::count(isFolder.begin(), isFolder.end(), true) < 2)
        return prefixes;
    UniquePaths names;
    for (std::size_t operand = 0; operand < paths.size(); ++operand)
        if (isFolder[operand])
            prefixes[operand] = names.Take(OwnName(paths[operand]));
    return prefixes;
}

}  // namespace

OutputPlan PlanOutputs(const std::vector<std::string>& paths, const std::vector<ScenarioInput>& inputs,
                       const std::vector<FolderProblem>& problems, std::string_view extension)
{
    // Every folder given yields a scenario or a problem.
    std::vector<bool> isFolder(paths.size(), false);
    for (const ScenarioInput& input : inputs)
        isFolder.at(input.Operand) = input.InFolder;
    for (const FolderProblem& problem : problems)
        if (problem.InFolder)
            isFolder.at(problem.Operand) = true;
    const std::vector<std::string> prefixes = FolderPrefixes(paths, isFolder);

    OutputPlan plan;
    UniquePaths names;
    for (const ScenarioInput& input : inputs) {
        const std::string name =
            names.Take(JoinedNames({prefixes[input.Operand], input.SubFolder, OwnName(input.Path)}));
        plan.Maps.push_back({input, name, {}});
    }

    // Folders first: a file of one name would keep its folder from being made.
    std::set<std::string> folders;
    for (const PlannedMap& map : plan.Maps)
        for (std::size_t slash = map.Name.find('/'); slash != std::string::npos; slash = map.Name.find('/', slash + 1))
            folders.insert(map.Name.substr(0, slash));
    UniquePaths images(std::move(folders));
    for (PlannedMap& map : plan.Maps)
        map.Image = images.Take(ReplaceExtension(map.Name, extension));

    for (const FolderProblem& problem : problems) {
        const std::string& prefix = prefixes[problem.Operand];
        plan.ProblemNames.push_back(problem.SubFolder.empty() && prefix.empty()
                                        ? OwnName(paths[problem.Operand])
                                        : JoinedNames({prefix, problem.SubFolder}));
    }
    return plan;
}

std::string OutputPathOf(const PlannedMap& map, const std::string& outputDirectory)
{
    return JoinPath(outputDirectory, TextOfPath(PathOfText(map.Image).make_preferred()));
}

}  // namespace tessel::cli
