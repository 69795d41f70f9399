#include "MinimapRenderer.h"

#include "Buffer.h"
#include "Exceptions.h"

#include <algorithm>

namespace tessel {

int32_t ImageSideForMap(const TMinimapSettings& settings, uint16_t mapSide)
{
    const int32_t side = settings.ImageSize(ImageSizeIndexForMapSide(mapSide));
    if (side < 0 || side > MaximumImageSide)
        throw Exception("Invalid image size (" + std::to_string(side) + ").");
    if (side == 0)
        throw Exception("Out of memory.");
    return side;
}

namespace {

void SampleTerrain(const TPUDData& scenario, const TTerrainData& terrain, MinimapRaster& raster)
{
    const int64_t s = scenario.MapSize;
    const int64_t mapPixels = s * TileSide;  // W
    const int64_t n = raster.Side;

    // Every row samples the same map columns: work them out once.
    std::vector<uint32_t> tileColumn = AllocateBuffer<uint32_t>(static_cast<std::size_t>(n));
    std::vector<uint8_t> columnOffset = AllocateBuffer<uint8_t>(static_cast<std::size_t>(n));
    for (int64_t j = 0; j < n; ++j) {
        const int64_t x = j * mapPixels / n;
        tileColumn[j] = static_cast<uint32_t>(x / TileSide);
        columnOffset[j] = static_cast<uint8_t>(x % TileSide);
    }

    uint8_t* out = raster.Pixels.data();
    for (int64_t i = 0; i < n; ++i) {
        const int64_t y = i * mapPixels / n;
        const TileCode* tileRow = scenario.TileMap.data() + (y / TileSide) * s;
        const uint32_t rowOffset = static_cast<uint32_t>(y % TileSide);
        for (int64_t j = 0; j < n; ++j)
            *out++ = terrain.ColorOfTile(tileRow[tileColumn[j]], columnOffset[j], rowOffset);
    }
}

}  // namespace

// Rectangle bounds inside the image are 16-bit.
static_assert(MaximumImageSide <= 65535);

std::vector<PaintedRectangle> UnitRectangles(const TPUDData& scenario, int32_t side)
{
    const int64_t mapPixels = int64_t{scenario.MapSize} * TileSide;  // W
    const int64_t n = side;
    std::vector<PaintedRectangle> rectangles;
    if (mapPixels == 0 || scenario.UnitCount <= 0)
        return rectangles;
    // UnitCount is a public field: reserve no more than the stored records.
    rectangles.reserve(std::min(static_cast<std::size_t>(scenario.UnitCount), scenario.Units.size() / UnitRecordSize));
    for (int32_t index = 0; index < scenario.UnitCount; ++index) {
        uint16_t x, y, width, height;
        uint8_t unitType, owner, color;
        scenario.GetUnitProps(index, x, y, width, height, unitType, owner, color);

        // Quotients truncate toward zero: a width of 0 still spans one column
        // while N < W.
        const int64_t left = int64_t{x} * TileSide * n / mapPixels;
        const int64_t top = int64_t{y} * TileSide * n / mapPixels;
        const int64_t right = left + (int64_t{width} * TileSide - 1) * n / mapPixels;
        const int64_t bottom = top + (int64_t{height} * TileSide - 1) * n / mapPixels;

        const int64_t firstColumn = std::max<int64_t>(left, 0);
        const int64_t lastColumn = std::min<int64_t>(right, n - 1);
        const int64_t firstRow = std::max<int64_t>(top, 0);
        const int64_t lastRow = std::min<int64_t>(bottom, n - 1);
        if (firstColumn > lastColumn || firstRow > lastRow)
            continue;
        rectangles.push_back({static_cast<uint16_t>(firstColumn), static_cast<uint16_t>(firstRow),
                              static_cast<uint16_t>(lastColumn), static_cast<uint16_t>(lastRow), color});
    }
    return rectangles;
}

MinimapRaster RenderMinimap(const TPUDData& scenario, const TTerrainData& terrain, const TMinimapSettings& settings)
{
    MinimapRaster raster;
    raster.Side = ImageSideForMap(settings, scenario.MapSize);
    raster.Pixels = AllocateBuffer<uint8_t>(static_cast<std::size_t>(raster.Side) * static_cast<std::size_t>(raster.Side));
    SampleTerrain(scenario, terrain, raster);
    // Thousands of large units would otherwise paint the same pixels over
    // and over; the painter writes each pixel once, with the same result.
    if (settings.DspUnits && scenario.UnitCount >= 1)
        PaintRectangles(UnitRectangles(scenario, raster.Side), raster.Pixels.data(), raster.Side);
    return raster;
}

BmpPalette MakeBitmapPalette(const TTerrainData& terrain)
{
    BmpPalette palette{};
    const std::size_t stored = std::min(terrain.Palette.size(), palette.size());
    for (std::size_t k = 0; k < stored; ++k)
        palette[k] = static_cast<uint8_t>(terrain.Palette[k] * 4);
    return palette;
}

}  // namespace tessel
