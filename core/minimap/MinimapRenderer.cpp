#include "minimap/MinimapRenderer.h"

#include "base/Buffer.h"
#include "base/Exceptions.h"

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

// Smaller images sample ColorOfTile directly: decoding a real era's
// pictures takes about as long as sampling this many pixels that way
// (bench/MinimapBench.cpp, TerrainSampling around 150).
constexpr int64_t DecodingPaysFromPixels = 150 * 150;

// The map column that each image column samples, the same in every row:
// its tile column and its offset inside the tile.
struct ColumnSamples {
    std::vector<uint32_t> TileColumn;
    std::vector<uint8_t> Offset;
};

ColumnSamples SampleColumns(int64_t mapPixels, int64_t side)
{
    ColumnSamples columns{AllocateBuffer<uint32_t>(static_cast<std::size_t>(side)),
                          AllocateBuffer<uint8_t>(static_cast<std::size_t>(side))};
    for (int64_t j = 0; j < side; ++j) {
        const int64_t x = j * mapPixels / side;
        columns.TileColumn[j] = static_cast<uint32_t>(x / TileSide);
        columns.Offset[j] = static_cast<uint8_t>(x % TileSide);
    }
    return columns;
}

// An image of the scenario's side with room for its pixels, none of them
// written yet.
MinimapRaster EmptyRaster(const TPUDData& scenario, const TMinimapSettings& settings)
{
    MinimapRaster raster;
    raster.Side = ImageSideForMap(settings, scenario.MapSize);
    raster.Pixels =
        ReserveBuffer<uint8_t>(static_cast<std::size_t>(raster.Side) * static_cast<std::size_t>(raster.Side));
    return raster;
}

// Appends the image rows one after another, each filled by
// fillRow(tile row, offset inside the tile row, columns, row); an image row
// that samples the same map row as the one before is that row again.
template <class FillRow>
void SampleRows(const TPUDData& scenario, MinimapRaster& raster, FillRow fillRow)
{
    const int64_t s = scenario.MapSize;
    const int64_t mapPixels = s * TileSide;  // W
    const int64_t n = raster.Side;
    const ColumnSamples columns = SampleColumns(mapPixels, n);
    std::vector<uint8_t> row = AllocateBuffer<uint8_t>(static_cast<std::size_t>(n));
    int64_t sampledY = -1;
    for (int64_t i = 0; i < n; ++i) {
        const int64_t y = i * mapPixels / n;
        if (y != sampledY) {
            fillRow(scenario.TileMap.data() + (y / TileSide) * s, static_cast<uint32_t>(y % TileSide), columns,
                    row.data());
            sampledY = y;
        }
        raster.Pixels.insert(raster.Pixels.end(), row.begin(), row.end());
    }
}

void SampleTerrain(const TPUDData& scenario, const TTerrainData& terrain, MinimapRaster& raster)
{
    SampleRows(scenario, raster,
               [&](const TileCode* tileRow, uint32_t rowOffset, const ColumnSamples& columns, uint8_t* row) {
                   for (std::size_t j = 0; j < columns.Offset.size(); ++j)
                       row[j] = terrain.ColorOfTile(tileRow[columns.TileColumn[j]], columns.Offset[j], rowOffset);
               });
}

void SampleTerrain(const TPUDData& scenario, const TilePictures& pictures, MinimapRaster& raster)
{
    SampleRows(scenario, raster,
               [&](const TileCode* tileRow, uint32_t rowOffset, const ColumnSamples& columns, uint8_t* row) {
                   // Plain pointers: the byte stores below could otherwise
                   // alias the tables and force them to be read anew.
                   const uint32_t* pictureStarts = pictures.PictureStarts();
                   const uint8_t* pictureRow = pictures.Pixels() + TileSide * rowOffset;
                   const uint32_t* tileColumn = columns.TileColumn.data();
                   const uint8_t* offset = columns.Offset.data();
                   const std::size_t n = columns.Offset.size();
                   auto pixel = [&](std::size_t j) {
                       return pictureRow[pictureStarts[tileRow[tileColumn[j]]] + offset[j]];
                   };
                   // Two pixels a step halve the loop's own count and test.
                   std::size_t j = 0;
                   for (; j + 2 <= n; j += 2) {
                       row[j] = pixel(j);
                       row[j + 1] = pixel(j + 1);
                   }
                   if (j < n)
                       row[j] = pixel(j);
               });
}

void PaintUnits(const TPUDData& scenario, const TMinimapSettings& settings, MinimapRaster& raster)
{
    // Thousands of large units would otherwise paint the same pixels over
    // and over; the painter writes each pixel once, with the same result.
    if (settings.DspUnits && scenario.UnitCount >= 1)
        PaintRectangles(UnitRectangles(scenario, raster.Side), raster.Pixels.data(), raster.Side);
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
    MinimapRaster raster = EmptyRaster(scenario, settings);
    if (int64_t{raster.Side} * raster.Side < DecodingPaysFromPixels) {
        SampleTerrain(scenario, terrain, raster);
    } else {
        const TilePictures pictures(terrain);
        SampleTerrain(scenario, pictures, raster);
    }
    PaintUnits(scenario, settings, raster);
    return raster;
}

MinimapRaster RenderMinimap(const TPUDData& scenario, const TilePictures& pictures, const TMinimapSettings& settings)
{
    MinimapRaster raster = EmptyRaster(scenario, settings);
    SampleTerrain(scenario, pictures, raster);
    PaintUnits(scenario, settings, raster);
    return raster;
}

BitmapPalette MakeBitmapPalette(const TTerrainData& terrain)
{
    BitmapPalette palette{};
    const std::size_t stored = std::min(terrain.Palette.size(), palette.size());
    for (std::size_t k = 0; k < stored; ++k)
        palette[k] = static_cast<uint8_t>(terrain.Palette[k] * 4);
    return palette;
}

}  // namespace tessel
