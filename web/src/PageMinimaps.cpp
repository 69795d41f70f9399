#include "PageMinimaps.h"

#include "base/ErrorBox.h"
#include "base/Exceptions.h"
#include "tileset/BuiltinTileset.h"

namespace tessel::web {

MinimapBackend PageMinimaps::BackendFor(const MinimapRequest& request)
{
    if (request.ArchivePath.empty())
        return BuiltinTilesetBackend();
    MinimapBackend backend = DefaultMinimapBackend();
    backend.LoadTerrain = [this](const std::string& archive, int32_t era) { return eras_.Terrain(archive, era); };
    backend.LoadPictures = [this](const std::string& archive, int32_t era) { return eras_.Pictures(archive, era); };
    return backend;
}

void PageMinimaps::Make(const MinimapRequest& request, const std::string& outputPath, const MinimapBackend& backend,
                        PageMinimap& minimap)
{
    TMinimapSettings settings;
    settings.ImageSizes.fill(request.Side);
    settings.DspUnits = request.Units;
    settings.MainDat = request.ArchivePath;

    ErrorBoxCapture boxes;
    std::string failure;
    try {
        minimap.Made = MakeMinimap(request.ScenarioPath, outputPath, settings, backend);
    } catch (const std::exception& error) {
        minimap.Made = false;
        failure = std::string("Error: ") + error.what();
    }
    minimap.Messages = boxes.TakeTexts();
    if (!failure.empty())
        minimap.Messages.push_back(failure);
}

PageMinimap PageMinimaps::Render(const MinimapRequest& request)
{
    PageMinimap minimap;
    MinimapBackend backend = BackendFor(request);
    backend.WriteImage = [&minimap](const uint8_t* raster, uint16_t width, uint16_t height, const std::string&,
                                    const BitmapPalette& palette) {
        minimap.Side = width;
        minimap.Pixels.assign(raster, raster + static_cast<std::size_t>(width) * height);
        minimap.Palette = palette;
        return true;
    };
    Make(request, {}, backend, minimap);
    return minimap;
}

PageMinimap PageMinimaps::WriteBitmap(const MinimapRequest& request, const std::string& bitmapPath)
{
    PageMinimap minimap;
    Make(request, bitmapPath, BackendFor(request), minimap);
    return minimap;
}

std::optional<TScenarioInfo> ScenarioFacts(const std::string& scenarioPath)
{
    try {
        TScenarioInfo info;
        info.LoadFromFile(scenarioPath);
        return info;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace tessel::web
