#include "ScenarioDiscovery.h"

#include "PathPieces.h"

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

void SearchFolder(const std::string& folder, std::vector<ScenarioInput>& found, std::vector<std::string>& problems)
{
    std::vector<ScenarioInput> inFolder;
    std::error_code error;
    const fs::path root(folder);
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || !HasScenarioExtension(it->path().filename().string()))
            continue;
        const fs::path subFolder = it->path().parent_path().lexically_relative(root);
        ScenarioInput input;
        input.Path = it->path().string();
        input.SubFolder = subFolder == "." ? std::string() : subFolder.generic_string();
        inFolder.push_back(std::move(input));
    }
    if (error)
        problems.push_back(folder + ": " + error.message());
    std::sort(inFolder.begin(), inFolder.end(),
              [](const ScenarioInput& a, const ScenarioInput& b) { return a.Path < b.Path; });
    found.insert(found.end(), inFolder.begin(), inFolder.end());
}

}  // namespace

std::vector<ScenarioInput> DiscoverScenarios(const std::vector<std::string>& paths,
                                             std::vector<std::string>& problems)
{
    std::vector<ScenarioInput> found;
    for (const std::string& path : paths) {
        std::error_code error;
        if (fs::is_directory(path, error))
            SearchFolder(path, found, problems);
        else
            found.push_back({path, ""});
    }
    return found;
}

std::string OutputPathFor(const ScenarioInput& input, const std::string& outputDirectory,
                          std::string_view extension)
{
    std::string folder = outputDirectory;
    if (!input.SubFolder.empty())
        folder = JoinPath(folder, fs::path(input.SubFolder).make_preferred().string());
    return JoinPath(folder, ChangeFileExt(FileNamePart(input.Path), extension));
}

}  // namespace tessel::cli
