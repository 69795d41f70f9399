#include "ScenarioDiscovery.h"

#include "system/SystemErrors.h"
#include "text/PathText.h"
#include "ZipInputs.h"

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

std::string JoinedNames(std::initializer_list<std::string_view> pieces)
{
    std::string path;
    for (const std::string_view piece : pieces)
        if (!piece.empty())
            path += (path.empty() ? "" : "/") + std::string(piece);
    return path;
}

namespace {

std::string SubFolderOf(const fs::path& folder, const fs::path& root)
{
    const fs::path subFolder = folder.lexically_relative(root);
    return subFolder == "." ? std::string() : GenericTextOfPath(subFolder);
}

// Adds the scenario entries of a zip archive as if it were a folder named
// after it within subFolder; a failure or a refused name is a problem.
void SearchZip(const fs::path& zipPath, const std::string& subFolder, std::size_t operand, bool inFolder,
               std::vector<ScenarioInput>& found, std::vector<FolderProblem>& problems)
{
    const std::string path = TextOfPath(zipPath);
    const std::string fileName = TextOfPath(zipPath.filename());
    const ZipListing listing = ListZipScenarios(path);
    if (!listing.Failure.empty()) {
        problems.push_back({path, listing.Failure, operand, inFolder ? JoinedNames({subFolder, fileName}) : "",
                            inFolder});
        return;
    }
    for (const std::string& name : listing.UnsafeNames)
        problems.push_back({path + "/" + name, std::string("Error: ") + UnsafeEntryNameText, operand,
                            JoinedNames({subFolder, fileName, name}), inFolder});
    const std::string folderName = ZipFolderName(fileName);
    for (const ZipEntry& entry : listing.Scenarios) {
        const std::size_t slash = entry.Name.rfind('/');
        const std::string entryFolder = slash == std::string::npos ? "" : entry.Name.substr(0, slash);
        ScenarioInput input{path + "/" + entry.Name, JoinedNames({subFolder, folderName, entryFolder}), operand,
                            inFolder};
        input.Archive = path;
        input.Entry = entry.Index;
        input.EntryName = entry.Name;
        found.push_back(std::move(input));
    }
}

// Adds the scenarios below folder, each with its sub-folder below root, the
// command line's path number operand. Links to folders are not followed, so
// no search goes round in a circle; a folder that cannot be read is a
// problem line, and the search goes on.
void SearchFolder(const fs::path& root, const fs::path& folder, std::size_t operand,
                  std::vector<ScenarioInput>& found, std::vector<FolderProblem>& problems)
{
    std::vector<fs::path> subFolders;
    std::vector<fs::path> zips;
    std::error_code error;
    for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->symlink_status(typeError).type() == fs::file_type::directory) {
            subFolders.push_back(it->path());
        } else if (it->is_regular_file(typeError) && HasScenarioExtension(TextOfPath(it->path().filename()))) {
            found.push_back({TextOfPath(it->path()), SubFolderOf(folder, root), operand, true});
        } else if (it->is_regular_file(typeError) && HasZipExtension(TextOfPath(it->path().filename()))) {
            zips.push_back(it->path());
        }
    }
    if (error)
        problems.push_back({TextOfPath(folder), "Error: " + InOutErrorFromSystem(error, TextOfPath(folder)).Message(),
                            operand, SubFolderOf(folder, root)});
    // In path order, so that their problems are too.
    std::sort(zips.begin(), zips.end());
    for (const fs::path& zip : zips)
        SearchZip(zip, SubFolderOf(folder, root), operand, true, found, problems);
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
        if (!fs::is_directory(PathOfText(path), error) && HasZipExtension(path)) {
            const std::size_t before = found.size();
            const std::size_t problemsBefore = problems.size();
            SearchZip(PathOfText(path), "", operand, false, found, problems);
            if (found.size() == before && problems.size() == problemsBefore)
                problems.push_back({path, "no scenario files found", operand, "", false});
            continue;
        }
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
