#include "TestSupport.h"

#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "minimap/MinimapRenderer.h"
#include "scenario/OwnerColors.h"

namespace tessel::test {
namespace {

enum class Axis { Horizontal, Vertical };

// An era whose colours reveal what was sampled: tile code t at in-tile
// offset o (x for Horizontal, y for Vertical) has colour 32 * (t % 8) + o.
TTerrainData CoordinateTerrain(Axis axis)
{
    TTerrainData terrain;
    terrain.TMI.assign(158 * 42, 0);
    for (int tile = 0; tile <= HighestTileCode; ++tile)
        WriteU16LE(&terrain.TMI[2 * (21 * (tile >> 4) + (tile & 15))], static_cast<uint16_t>(tile % 8 + 1));

    // Picture p = 1..8, block (i, j) is block 4 * (p - 1) + (offset block).
    terrain.MMI.assign(9 * 32, 0);
    for (int picture = 1; picture <= 8; ++picture)
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                const int block = 4 * (picture - 1) + (axis == Axis::Horizontal ? j : i);
                WriteU16LE(&terrain.MMI[32 * picture + 2 * (4 * i + j)], static_cast<uint16_t>(block << 2));
            }

    terrain.MMT.assign(32 * 64, 0);
    for (int block = 0; block < 32; ++block)
        for (int row = 0; row < 8; ++row)
            for (int column = 0; column < 8; ++column) {
                const int offset = 8 * (block % 4) + (axis == Axis::Horizontal ? column : row);
                terrain.MMT[64 * block + 8 * row + column] = static_cast<uint8_t>(32 * (block / 4) + offset);
            }
    terrain.Palette.assign(768, 0);
    return terrain;
}

uint8_t Expected(int tile, int offset) { return static_cast<uint8_t>(32 * (tile % 8) + offset); }

// A map whose tile code is its column (Horizontal) or its row (Vertical).
TPUDData IndexedMap(uint16_t side, Axis axis)
{
    TPUDData scenario;
    scenario.MapSize = side;
    scenario.TileMap.resize(static_cast<std::size_t>(side) * side);
    for (int row = 0; row < side; ++row)
        for (int column = 0; column < side; ++column)
            scenario.TileMap[static_cast<std::size_t>(row) * side + column] =
                static_cast<TileCode>(axis == Axis::Horizontal ? column : row);
    scenario.UnitData.assign(MinimumUnitDataLength, 0);
    return scenario;
}

TMinimapSettings SettingsWithSide(int32_t side, bool units = true)
{
    TMinimapSettings settings;
    settings.ImageSizes = {side, side, side, side};
    settings.DspUnits = units;
    settings.MainDat = "unused";
    return settings;
}

uint8_t Pixel(const MinimapRaster& raster, int row, int column)
{
    return raster.Pixels[static_cast<std::size_t>(row) * raster.Side + column];
}

TEST(MinimapRenderer, SamplesTheTopLeftMapPixelOfEachImagePixelOnA32TileMap)
{
    for (Axis axis : {Axis::Horizontal, Axis::Vertical}) {
        const auto raster = RenderMinimap(IndexedMap(32, axis), CoordinateTerrain(axis), SettingsWithSide(160));
        ASSERT_EQ(raster.Side, 160);
        // Image positions 0..5 sample map pixels 0, 6, 12, 19, 25, 32; 159 samples 1017.
        const int expectedTile[] = {0, 0, 0, 0, 0, 1};
        const int expectedOffset[] = {0, 6, 12, 19, 25, 0};
        for (int k = 0; k < 6; ++k) {
            const uint8_t got = axis == Axis::Horizontal ? Pixel(raster, 77, k) : Pixel(raster, k, 77);
            EXPECT_EQ(got, Expected(expectedTile[k], expectedOffset[k])) << "position " << k;
        }
        const uint8_t last = axis == Axis::Horizontal ? Pixel(raster, 3, 159) : Pixel(raster, 159, 3);
        EXPECT_EQ(last, Expected(31, 25));
    }
}

TEST(MinimapRenderer, SamplesA128TileMapAt160Pixels)
{
    const auto raster = RenderMinimap(IndexedMap(128, Axis::Horizontal), CoordinateTerrain(Axis::Horizontal),
                                      SettingsWithSide(160));
    EXPECT_EQ(Pixel(raster, 0, 1), Expected(0, 25));
    EXPECT_EQ(Pixel(raster, 0, 159), Expected(127, 6));
}

TEST(MinimapRenderer, AnImageAsWideAsTheMapInTilesTakesEachTilesCorner)
{
    const auto raster = RenderMinimap(IndexedMap(64, Axis::Horizontal), CoordinateTerrain(Axis::Horizontal),
                                      SettingsWithSide(64));
    for (int column = 0; column < 64; ++column)
        ASSERT_EQ(Pixel(raster, 10, column), Expected(column, 0)) << column;
}

TEST(MinimapRenderer, AnImageLargerThanTheMapRepeatsMapPixels)
{
    // 1 tile map, 32 map pixels, image side 64: pixel pairs share a map pixel.
    const auto raster = RenderMinimap(IndexedMap(1, Axis::Horizontal), CoordinateTerrain(Axis::Horizontal),
                                      SettingsWithSide(64));
    for (int column = 0; column < 64; ++column)
        ASSERT_EQ(Pixel(raster, 0, column), Expected(0, column / 2)) << column;
}

TEST(MinimapRenderer, MapSidesOutsideTheSizeTableUseTheNearestIndex)
{
    TMinimapSettings settings = SettingsWithSide(160);
    settings.ImageSizes = {11, 22, 33, 44};
    EXPECT_EQ(ImageSideForMap(settings, 14), 11);
    EXPECT_EQ(ImageSideForMap(settings, 63), 11);
    EXPECT_EQ(ImageSideForMap(settings, 64), 22);
    EXPECT_EQ(ImageSideForMap(settings, 127), 33);
    EXPECT_EQ(ImageSideForMap(settings, 128), 44);
    EXPECT_EQ(ImageSideForMap(settings, 65535), 44);
}

TEST(MinimapRenderer, ImageSidesOutsideTheWritersRangeAreRefused)
{
    const auto message = [](int32_t side) {
        try {
            ImageSideForMap(SettingsWithSide(side), 32);
        } catch (const Exception& error) {
            return error.Message();
        }
        return std::string("accepted");
    };
    EXPECT_EQ(message(0), "Out of memory.");
    EXPECT_EQ(message(-5), "Invalid image size (-5).");
    EXPECT_EQ(message(65533), "Invalid image size (65533).");
    EXPECT_EQ(message(-2147483647), "Invalid image size (-2147483647).");
    EXPECT_EQ(message(65532), "accepted");
    EXPECT_EQ(message(1), "accepted");
}

// A map of tile code 0 everywhere (colour 0) with units of the given sizes.
TPUDData MapWithUnits(uint16_t side, const std::vector<std::array<uint16_t, 4>>& units /* x, y, w, h */)
{
    TPUDData scenario = IndexedMap(side, Axis::Horizontal);
    std::fill(scenario.TileMap.begin(), scenario.TileMap.end(), TileCode{0});
    scenario.UnitCount = static_cast<int32_t>(units.size());
    for (std::size_t k = 0; k < units.size(); ++k) {
        // Unit k has type k and owner k: colour OwnerColors[k], size from its own entry.
        const auto& [x, y, width, height] = units[k];
        uint8_t record[8]{};
        WriteU16LE(&record[0], x);
        WriteU16LE(&record[2], y);
        record[4] = static_cast<uint8_t>(k);
        record[5] = static_cast<uint8_t>(k);
        scenario.Units.insert(scenario.Units.end(), record, record + 8);
        WriteU16LE(&scenario.UnitData[UnitSizeTableOffset + 4 * k], width);
        WriteU16LE(&scenario.UnitData[UnitSizeTableOffset + 4 * k + 2], height);
    }
    return scenario;
}

// The bounding box of the pixels that hold colour, or {-1,-1,-1,-1}.
std::array<int, 4> PaintedBox(const MinimapRaster& raster, uint8_t color)
{
    std::array<int, 4> box{-1, -1, -1, -1};  // top, left, bottom, right
    int count = 0;
    for (int row = 0; row < raster.Side; ++row)
        for (int column = 0; column < raster.Side; ++column)
            if (Pixel(raster, row, column) == color) {
                if (box[0] < 0)
                    box = {row, column, row, column};
                box[0] = std::min(box[0], row);
                box[1] = std::min(box[1], column);
                box[2] = std::max(box[2], row);
                box[3] = std::max(box[3], column);
                ++count;
            }
    if (count > 0) {
        EXPECT_EQ(count, (box[2] - box[0] + 1) * (box[3] - box[1] + 1)) << "painted area is not a rectangle";
    }
    return box;
}

const TTerrainData& BlackTerrain()
{
    static const TTerrainData terrain = [] {
        TTerrainData t = CoordinateTerrain(Axis::Horizontal);
        std::fill(t.TMI.begin(), t.TMI.end(), uint8_t{0});  // every picture 0: colour 0
        return t;
    }();
    return terrain;
}

TEST(MinimapRenderer, AUnitCoversTheImagePixelsOfItsTiles)
{
    const auto raster = RenderMinimap(MapWithUnits(32, {{10, 20, 2, 2}}), BlackTerrain(), SettingsWithSide(160));
    EXPECT_EQ(PaintedBox(raster, OwnerColors[0]), (std::array<int, 4>{100, 50, 109, 59}));
}

TEST(MinimapRenderer, AUnitOfWidthZeroSpansOneColumnUntilTheImageOutgrowsTheMap)
{
    const auto small = RenderMinimap(MapWithUnits(32, {{10, 20, 0, 1}}), BlackTerrain(), SettingsWithSide(160));
    EXPECT_EQ(PaintedBox(small, OwnerColors[0]), (std::array<int, 4>{100, 50, 104, 50}));

    const auto large = RenderMinimap(MapWithUnits(32, {{10, 20, 0, 1}}), BlackTerrain(), SettingsWithSide(1024));
    EXPECT_EQ(PaintedBox(large, OwnerColors[0]), (std::array<int, 4>{-1, -1, -1, -1}));
}

TEST(MinimapRenderer, UnitsOutsideTheMapPaintOnlyWhatLiesInTheImage)
{
    const auto raster = RenderMinimap(MapWithUnits(32, {{30, 31, 4, 4}, {40, 40, 2, 2}, {65535, 0, 65535, 65535}}),
                                      BlackTerrain(), SettingsWithSide(160));
    EXPECT_EQ(PaintedBox(raster, OwnerColors[0]), (std::array<int, 4>{155, 150, 159, 159}));
    EXPECT_EQ(PaintedBox(raster, OwnerColors[1]), (std::array<int, 4>{-1, -1, -1, -1}));
    EXPECT_EQ(PaintedBox(raster, OwnerColors[2]), (std::array<int, 4>{-1, -1, -1, -1}));
}

TEST(MinimapRenderer, ALaterUnitPaintsOverAnEarlierOne)
{
    const auto raster = RenderMinimap(MapWithUnits(32, {{0, 0, 4, 4}, {1, 1, 1, 1}}), BlackTerrain(),
                                      SettingsWithSide(32));
    EXPECT_EQ(Pixel(raster, 1, 1), OwnerColors[1]);
    EXPECT_EQ(Pixel(raster, 0, 0), OwnerColors[0]);
    EXPECT_EQ(Pixel(raster, 3, 3), OwnerColors[0]);
}

TEST(MinimapRenderer, UnitsAreLeftOutWhenTheirDisplayIsOff)
{
    const auto raster = RenderMinimap(MapWithUnits(32, {{0, 0, 4, 4}}), BlackTerrain(), SettingsWithSide(32, false));
    EXPECT_EQ(PaintedBox(raster, OwnerColors[0]), (std::array<int, 4>{-1, -1, -1, -1}));
}

TEST(MinimapRenderer, TheBitmapPaletteIsTheEraPaletteTimesFourInEightBits)
{
    TTerrainData terrain;
    terrain.Palette.assign(768, 0);
    terrain.Palette[0] = 63;
    terrain.Palette[1] = 64;
    terrain.Palette[2] = 255;
    terrain.Palette[767] = 1;
    BitmapPalette palette = MakeBitmapPalette(terrain);
    EXPECT_EQ(palette[0], 252);
    EXPECT_EQ(palette[1], 0);
    EXPECT_EQ(palette[2], 252);
    EXPECT_EQ(palette[767], 4);

    terrain.Palette.assign(10, 63);  // a short palette: the colours it lacks are black
    palette = MakeBitmapPalette(terrain);
    EXPECT_EQ(palette[9], 252);
    EXPECT_EQ(palette[10], 0);
    EXPECT_EQ(palette[767], 0);
}

}  // namespace
}  // namespace tessel::test
