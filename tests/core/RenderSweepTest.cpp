// The renderer against the algorithm written out plainly, over the map and
// image sides where its tables change shape: around the side from which it
// decodes the era's pictures, odd and even sides, images larger than the
// map in pixels, and the sides that real settings use.
#include "TestSupport.h"

#include "ArchiveWriter.h"
#include "base/ByteOrder.h"
#include "minimap/MinimapRenderer.h"
#include "TestEra.h"

#include <random>

namespace tessel::test {
namespace {

// Every image pixel is ColorOfTile of the map pixel at its top-left corner,
// then every unit is painted over it, one after another.
std::vector<uint8_t> PlainMinimap(const TPUDData& scenario, const TTerrainData& terrain, int64_t n)
{
    const int64_t s = scenario.MapSize;
    const int64_t w = s * 32;
    std::vector<uint8_t> raster(static_cast<std::size_t>(n * n));
    for (int64_t i = 0; i < n; ++i)
        for (int64_t j = 0; j < n; ++j) {
            const int64_t y = i * w / n;
            const int64_t x = j * w / n;
            const TileCode tile = scenario.TileMap[static_cast<std::size_t>((y / 32) * s + x / 32)];
            raster[static_cast<std::size_t>(i * n + j)] =
                terrain.ColorOfTile(tile, static_cast<uint32_t>(x % 32), static_cast<uint32_t>(y % 32));
        }
    for (int32_t index = 0; index < scenario.UnitCount; ++index) {
        uint16_t x, y, width, height;
        uint8_t type, owner, color;
        scenario.GetUnitProps(index, x, y, width, height, type, owner, color);
        const int64_t left = int64_t{x} * 32 * n / w;
        const int64_t top = int64_t{y} * 32 * n / w;
        const int64_t right = left + (int64_t{width} * 32 - 1) * n / w;
        const int64_t bottom = top + (int64_t{height} * 32 - 1) * n / w;
        for (int64_t i = top; i <= bottom; ++i)
            for (int64_t j = left; j <= right; ++j)
                if (i >= 0 && i < n && j >= 0 && j < n)
                    raster[static_cast<std::size_t>(i * n + j)] = color;
    }
    return raster;
}

// Tile codes over the whole looked-up range and past it, with code 0 and the
// highest code sprinkled in; units of every size in the table, 0 included,
// some reaching past the map, some of types without a size entry.
TPUDData SweepMap(uint16_t side, unsigned seed)
{
    std::mt19937 random(seed);
    TPUDData scenario;
    scenario.MapSize = side;
    scenario.TileMap.resize(static_cast<std::size_t>(side) * side);
    for (std::size_t k = 0; k < scenario.TileMap.size(); ++k)
        scenario.TileMap[k] = k % 89 == 3 ? 0 : k % 97 == 5 ? 65535 : static_cast<TileCode>(random() % 2600);
    scenario.UnitData.resize(MinimumUnitDataLength);
    for (std::size_t type = 0; type < 110; ++type) {
        WriteU16LE(&scenario.UnitData[UnitSizeTableOffset + 4 * type], static_cast<uint16_t>(random() % 5));
        WriteU16LE(&scenario.UnitData[UnitSizeTableOffset + 4 * type + 2], static_cast<uint16_t>(random() % 5));
    }
    scenario.UnitCount = 40;
    scenario.Units.resize(static_cast<std::size_t>(scenario.UnitCount) * UnitRecordSize);
    for (int32_t unit = 0; unit < scenario.UnitCount; ++unit) {
        uint8_t* record = &scenario.Units[static_cast<std::size_t>(unit) * UnitRecordSize];
        WriteU16LE(record, static_cast<uint16_t>(random() % (side + 3u)));
        WriteU16LE(record + 2, static_cast<uint16_t>(random() % (side + 3u)));
        record[4] = static_cast<uint8_t>(random() % 120);
        record[5] = static_cast<uint8_t>(random() % 17);
    }
    return scenario;
}

// The fixture era cut in every table, so that some tiles read past each:
// TMI inside a group, MMI inside a record, MMT inside a flipped block; and
// one tile showing a picture far past the MMI.
TTerrainData ShortTables()
{
    TTerrainData terrain = TerrainOf(MakeTestEra(9, 16));
    terrain.TMI.resize(TmiGroupBytes * 120 + 7);
    WriteU16LE(terrain.TMI.data() + TmiGroupBytes * 3 + 2 * 4, 40000);
    terrain.MMI.resize(MmiRecordBytes * 12 + 9);
    terrain.MMT.resize(MmtBlockBytes * 150 + 29);
    return terrain;
}

struct SweepEra {
    const char* name;
    TTerrainData terrain;
};

// Where the first difference lies, as text; empty when the rasters agree.
std::string FirstDifference(const std::vector<uint8_t>& raster, const std::vector<uint8_t>& expected, int64_t n)
{
    if (raster.size() != expected.size())
        return "size " + std::to_string(raster.size()) + " instead of " + std::to_string(expected.size());
    for (std::size_t k = 0; k < raster.size(); ++k)
        if (raster[k] != expected[k])
            return "row " + std::to_string(static_cast<int64_t>(k) / n) + " column " +
                   std::to_string(static_cast<int64_t>(k) % n) + ": " + std::to_string(raster[k]) + " instead of " +
                   std::to_string(expected[k]);
    return {};
}

void ExpectPlainResults(const std::vector<uint16_t>& mapSides, const std::vector<int32_t>& imageSides)
{
    const SweepEra eras[] = {{"fixture era", TerrainOf(MakeTestEra(3, 16))},
                             {"fixture era of 400 pictures", TerrainOf(MakeTestEra(4, 400))},
                             {"short tables", ShortTables()}};
    for (const SweepEra& era : eras) {
        const TilePictures pictures(era.terrain);
        for (const uint16_t mapSide : mapSides) {
            const TPUDData scenario = SweepMap(mapSide, mapSide);
            for (const int32_t n : imageSides) {
                SCOPED_TRACE(::testing::Message() << era.name << ", map side " << mapSide << ", image side " << n);
                TMinimapSettings settings;
                settings.ImageSizes = {n, n, n, n};
                const std::vector<uint8_t> expected = PlainMinimap(scenario, era.terrain, n);
                ASSERT_EQ(FirstDifference(RenderMinimap(scenario, era.terrain, settings).Pixels, expected, n), "");
                ASSERT_EQ(FirstDifference(RenderMinimap(scenario, pictures, settings).Pixels, expected, n), "");
            }
        }
    }
}

TEST(RenderSweep, EveryPixelIsWhatColorOfTileGivesThenTheUnitsPaintedOneAfterAnother)
{
    ExpectPlainResults({1, 2, 14, 31, 32, 33, 64, 96, 128},
                       {1, 2, 31, 32, 33, 63, 64, 65, 127, 128, 129, 149, 150, 151, 159, 160, 161, 255, 256, 257});
}

// Map sides 1 and 14 are 32 and 448 pixels wide: every row and column of
// these images repeats a map pixel.
TEST(RenderSweep, ImagesOfAThousandPixelsAndMoreAlsoWhenLargerThanTheMap)
{
    ExpectPlainResults({1, 14, 128}, {1023, 1024, 1025});
}

}  // namespace
}  // namespace tessel::test
