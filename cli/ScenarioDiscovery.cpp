#include "ScenarioDiscovery.h"

#include "system/SystemErrors.h"
#include "text/PathText.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace tessel::cli {

bool HasScenarioExtension(std::string_view name)
{
    if (name.size() < 4)
        return false;
    std::string extension(name.substr(name.size() - 4));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".pud";
}

namespace {

std::string SubFolderOf(const fs::path& folder, const fs::path& root)
{
    const fs::path subFolder = folder.lexically_relative(root);
    return subFolder == "." ? std::string() : GenericTextOfPath(subFolder);
}

// Adds the scenarios below folder, each with its sub-folder below root, the
// command line's path number operand. Links to folders are not followed, so
// no search goes round in a circle; a folder that cannot be read is a
// problem line, and the search goes on.
void SearchFolder(const fs::path& root, const fs::path& folder, std::size_t operand,
                  std::vector<ScenarioInput>& found, std::vector<FolderProblem>& problems)
{
    std::vector<fs::path> subFolders;
    std::error_code error;
    for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->symlink_status(typeError).type() == fs::file_type::directory) {
            subFolders.push_back(it->path());
        } else if (it->is_regular_file(typeError) && HasScenarioExtension(TextOfPath(it->path().filename()))) {
            found.push_back({TextOfPath(it->path()), SubFolderOf(folder, root), operand, true});
        }
    }
    if (error)
        problems.push_back({TextOfPath(folder), "Error: " + InOutErrorFromSystem(error, TextOfPath(folder)).Message(),
                            operand, SubFolderOf(folder, root)});
    for (const fs::path& subFolder : subFolders)
        SearchFolder(root, subFolder, operand, found, problems);
}

}  // namespace

std::vector<ScenarioInput> DiscoverScenarios(const std::vector<std::string>& paths,
                                             std::vector<FolderProblem>& problems)
{
    std::vector<ScenarioInput> found;
    for (std::size_t operand = 0; operand < paths.size(); ++operand) {
        const std::string& path = paths[operand];
        std::error_code error;
        if (!fs::is_directory(PathOfText(path), error)) {
            found.push_back({path, "", operand, false});
            continue;
        }
        std::vector<ScenarioInput> inFolder;
        const std::size_t problemsBefore = problems.size();
        SearchFolder(PathOfText(path), PathOfText(path), operand, inFolder, problems);
        if (inFolder.empty() && problems.size() == problemsBefore)
            problems.push_back({path, "no scenario files found", operand, ""});
        std::sort(inFolder.begin(), inFolder.end(),
                  [](const ScenarioInput& a, const ScenarioInput& b) { return a.Path < b.Path; });
        found.insert(found.end(), inFolder.begin(), inFolder.end());
    }
    return found;
}

}  // namespace tessel::cli
