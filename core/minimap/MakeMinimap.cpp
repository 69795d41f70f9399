#include "minimap/MakeMinimap.h"

#include "base/ErrorBox.h"
#include "base/Exceptions.h"
#include "image/BmpWriter.h"
#include "minimap/MinimapRenderer.h"
#include "scenario/PudData.h"

#include <functional>
#include <new>

namespace tessel {

MinimapBackend DefaultMinimapBackend()
{
    MinimapBackend backend;
    backend.LoadTerrain = [](const std::string& archivePath, int32_t era) {
        auto terrain = std::make_shared<TTerrainData>();
        terrain->LoadFromMaindat(archivePath, era);
        return std::shared_ptr<const TTerrainData>(std::move(terrain));
    };
    backend.WriteImage = WriteBmpFile;
    return backend;
}

bool MakeMinimap(const std::string& scenarioPath, const std::string& outputPath)
{
    static const MinimapBackend backend = DefaultMinimapBackend();
    return MakeMinimap(scenarioPath, outputPath, MinimapSettings, backend);
}

namespace {

// load fills the scenario; everything after it is the same for a path and
// an open file.
bool MakeMinimapOf(const std::function<void(TPUDData&)>& load, const std::string& outputPath,
                   const TMinimapSettings& settings, const MinimapBackend& backend)
{
    if (backend.NeedsArchive && settings.MainDat.empty()) {
        ErrorBox(LocateArchiveText);
        return false;
    }
    std::string failure;
    try {
        // The scenario is read, and its failures reported, before the archive
        // is opened; the output file is created only once the raster is done.
        TPUDData scenario;
        load(scenario);
        std::shared_ptr<const TTerrainData> terrain = backend.LoadTerrain(settings.MainDat, scenario.Era);
        const std::shared_ptr<const TilePictures> pictures =
            backend.LoadPictures ? backend.LoadPictures(settings.MainDat, scenario.Era) : nullptr;
        MinimapRaster raster =
            pictures ? RenderMinimap(scenario, *pictures, settings) : RenderMinimap(scenario, *terrain, settings);
        const BitmapPalette palette = MakeBitmapPalette(*terrain);
        const auto side = static_cast<uint16_t>(raster.Side);
        return backend.WriteImage(raster.Pixels.data(), side, side, outputPath, palette);
    } catch (const Exception& error) {
        failure = error.Message();
    } catch (const std::bad_alloc&) {
        failure = EOutOfMemory().Message();
    } catch (const std::exception& error) {
        failure = error.what();
    }
    // Shown after everything above has been released.
    ErrorBox("Error: " + failure);
    return false;
}

}  // namespace

bool MakeMinimap(const std::string& scenarioPath, const std::string& outputPath, const TMinimapSettings& settings,
                 const MinimapBackend& backend)
{
    return MakeMinimapOf([&](TPUDData& scenario) { scenario.LoadFromFile(scenarioPath); }, outputPath, settings,
                         backend);
}

bool MakeMinimap(InputFile& scenarioFile, const std::string& outputPath, const TMinimapSettings& settings,
                 const MinimapBackend& backend)
{
    return MakeMinimapOf([&](TPUDData& scenario) { scenario.LoadFromOpenFile(scenarioFile); }, outputPath, settings,
                         backend);
}

}  // namespace tessel
