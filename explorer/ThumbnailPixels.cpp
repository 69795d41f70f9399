#include "ThumbnailPixels.h"

#include "base/Exceptions.h"
#include "minimap/MinimapRenderer.h"
#include "scenario/PudData.h"
#include "settings/Settings.h"
#include "tileset/BuiltinTileset.h"

#include <algorithm>

namespace tessel::explorer {

ThumbnailPixels RenderThumbnailPixels(const std::string& scenarioPath, int32_t requestedSide,
                                      const std::string& settingsFile)
{
    if (requestedSide < 1)
        throw Exception("Invalid image size (" + std::to_string(requestedSide) + ").");
    TMinimapSettings settings;
    if (!settingsFile.empty())
        LoadSettings(settingsFile, settings);
    settings.ImageSizes.fill(std::min(requestedSide, LargestThumbnailSide));

    TPUDData scenario;
    scenario.LoadFromFile(scenarioPath);
    const std::shared_ptr<const TTerrainData> terrain = ArchiveOrBuiltinTerrain(settings.MainDat, scenario.Era);
    const MinimapRaster raster = RenderMinimap(scenario, *terrain, settings);
    const BitmapPalette palette = MakeBitmapPalette(*terrain);

    std::array<uint32_t, 256> colors{};
    for (std::size_t k = 0; k < colors.size(); ++k) {
        colors[k] = 0xFF000000u | (uint32_t{palette[3 * k]} << 16) | (uint32_t{palette[3 * k + 1]} << 8) |
                    palette[3 * k + 2];
    }
    ThumbnailPixels thumbnail;
    thumbnail.Side = raster.Side;
    thumbnail.Pixels.resize(raster.Pixels.size());
    std::transform(raster.Pixels.begin(), raster.Pixels.end(), thumbnail.Pixels.begin(),
                   [&colors](uint8_t index) { return colors[index]; });
    return thumbnail;
}

}  // namespace tessel::explorer
