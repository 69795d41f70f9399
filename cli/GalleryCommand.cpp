#include "GalleryCommand.h"

#include "EraCache.h"
#include "ErrorBox.h"
#include "Exceptions.h"
#include "GalleryPage.h"
#include "MakeMinimap.h"
#include "PathPieces.h"
#include "PngWriter.h"
#include "RenderCommand.h"
#include "ScenarioInfo.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <new>

namespace fs = std::filesystem;

namespace tessel::cli {

std::string GalleryMapPath(const ScenarioInput& input)
{
    const std::string name = FileNamePart(input.Path);
    return input.SubFolder.empty() ? name : input.SubFolder + "/" + name;
}

namespace {

constexpr const char* MinimapFolder = "minimaps";

// One map of the gallery: its JSON object and the lines that report a failure.
struct GalleryEntry {
    Json Data;
    std::vector<std::string> Lines;
    bool Failed = false;
};

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

GalleryEntry MakeEntry(const ScenarioInput& input, const std::string& galleryFolder, const TMinimapSettings& settings,
                       const MinimapBackend& backend)
{
    GalleryEntry entry;
    const std::string mapPath = GalleryMapPath(input);
    std::vector<std::string> boxes;
    ScopedErrorBoxHandler collect([&](const std::string& text) { boxes.push_back(text); });

    TScenarioInfo info;
    try {
        info.LoadFromFile(input.Path);
    } catch (const Exception& error) {
        ErrorBox("Error: " + error.Message());
    } catch (const std::bad_alloc&) {
        ErrorBox("Error: " + EOutOfMemory().Message());
    }
    if (boxes.empty()) {
        const std::string image = OutputPathFor(input, MinimapFolder, ".png");
        const std::string output = JoinPath(galleryFolder, image);
        if (!input.SubFolder.empty()) {
            std::error_code ignored;  // a folder that cannot be made shows when the file is opened
            fs::create_directories(fs::path(output).parent_path(), ignored);
        }
        entry.Data = ScenarioJson(mapPath, info);
        if (MakeMinimap(input.Path, output, settings, backend))
            entry.Data["minimap"] = RelativeUrl(image);
    }
    if (!boxes.empty()) {
        entry.Failed = true;
        if (entry.Data.is_null())
            entry.Data = FailureJson(mapPath, JoinLines(boxes));
        else
            entry.Data["error"] = JoinLines(boxes);
        for (const std::string& box : boxes)
            entry.Lines.push_back(input.Path + ": " + box);
    }
    return entry;
}

}  // namespace

int RunGallery(const GalleryOptions& options, Console& console)
{
    const auto started = std::chrono::steady_clock::now();
    const RenderOptions& render = options.Render;
    const TMinimapSettings settings = RenderSettings(render);
    if (settings.MainDat.empty()) {
        console.Err << "tessel-cli: no archive known: give the path of MAINDAT.WAR with --archive FILE\n";
        return ExitUsage;
    }
    std::vector<std::string> problems;
    const std::vector<ScenarioInput> inputs = DiscoverScenarios(render.Paths, problems);
    for (const std::string& problem : problems)
        console.Err << problem << '\n';

    const std::string folder = render.OutputDirectory;
    {
        std::error_code ignored;  // a folder that cannot be made shows when the first file is written
        fs::create_directories(JoinPath(folder, MinimapFolder), ignored);
    }
    EraCache cache;
    MinimapBackend backend = DefaultMinimapBackend();
    if (!render.NoCache)
        backend.LoadTerrain = [&cache](const std::string& archive, int32_t era) { return cache.Get(archive, era); };
    backend.WriteImage = WritePngFile;

    Json maps = Json::array();
    std::size_t written = 0;
    std::size_t failed = problems.size();
    for (const ScenarioInput& input : inputs) {
        GalleryEntry entry = MakeEntry(input, folder, settings, backend);
        for (const std::string& line : entry.Lines)
            console.Err << line << '\n';
        entry.Failed ? ++failed : ++written;
        maps.push_back(std::move(entry.Data));
    }
    try {
        WriteGallerySite(folder, options.Title, maps);
    } catch (const Exception& error) {
        console.Err << "tessel-cli: cannot write the gallery into \"" << folder << "\": " << error.Message() << '\n';
        return ExitSomeFailed;
    }

    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
    if (!render.Quiet) {
        char summary[160];
        std::snprintf(summary, sizeof summary, "gallery of %zu maps, failed %zu, %.2f s", written, failed,
                      seconds.count());
        console.Out << summary << '\n' << "Open " << JoinPath(folder, "index.html") << '\n';
    }
    return failed == 0 ? ExitSuccess : ExitSomeFailed;
}

}  // namespace tessel::cli
