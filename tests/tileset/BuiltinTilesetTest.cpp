#include "TestSupport.h"

#include "base/Exceptions.h"
#include "minimap/MakeMinimap.h"
#include "ScenarioWriter.h"
#include "tileset/BuiltinTileset.h"
#include "tileset/TileCodes.h"

#include <algorithm>
#include <map>
#include <set>

namespace tessel::test {
namespace {

// FNV-1a, 64 bits: any changed byte changes it.
uint64_t Digest(const std::vector<uint8_t>& bytes)
{
    uint64_t hash = 0xCBF29CE484222325u;
    for (const uint8_t byte : bytes)
        hash = (hash ^ byte) * 0x100000001B3u;
    return hash;
}

struct PinnedTable {
    std::size_t Size;
    uint64_t Digest;
};

struct PinnedEra {
    int32_t Era;
    PinnedTable Palette, MMI, MMT, TMI;
};

// Every minimap and thumbnail made without the game's archive shows these
// bytes, on every machine: a change to them must be made on purpose.
const PinnedEra PinnedEras[] = {
    {0, {768, 0x9DAB0A53E00AB9A7}, {4448, 0x14213CC2A6DD2026}, {3072, 0x689F7AEC15DFD350}, {6636, 0x2D6B01D012C28015}},
    {1, {768, 0xA6D94FD4923A8E98}, {4448, 0xE9723F28E54C006B}, {3072, 0x02D605ECA03EF380}, {6636, 0x2D6B01D012C28015}},
    {2, {768, 0xEAA8CB2B81BAB303}, {4448, 0xFC936713DB71D528}, {3072, 0xCBFB836F9FCE51F7}, {6636, 0x2D6B01D012C28015}},
    {3, {768, 0xC81914AEE968EC61}, {4448, 0xEBDC6A8CE905642E}, {3072, 0xE82E9CFEF5FFAF8F}, {6636, 0x2D6B01D012C28015}},
};

void ExpectPinned(const char* name, const std::vector<uint8_t>& table, uint32_t sizeField, const PinnedTable& pinned)
{
    EXPECT_EQ(table.size(), pinned.Size) << name;
    EXPECT_EQ(sizeField, pinned.Size) << name;
    EXPECT_EQ(Digest(table), pinned.Digest) << name << std::hex << " digest 0x" << Digest(table);
}

TEST(BuiltinTileset, EachEraHoldsThePinnedBytes)
{
    for (const PinnedEra& pinned : PinnedEras) {
        SCOPED_TRACE("era " + std::to_string(pinned.Era));
        const TTerrainData terrain = BuiltinTerrain(pinned.Era);
        ExpectPinned("Palette", terrain.Palette, terrain.PaletteSize, pinned.Palette);
        ExpectPinned("MMI", terrain.MMI, terrain.MMISize, pinned.MMI);
        ExpectPinned("MMT", terrain.MMT, terrain.MMTSize, pinned.MMT);
        ExpectPinned("TMI", terrain.TMI, terrain.TMISize, pinned.TMI);
    }
}

TEST(BuiltinTileset, AnEraOutsideZeroToThreeRaisesAndLeavesTheTerrainEmpty)
{
    for (const int32_t era : {4, -1, 65535}) {
        TTerrainData terrain = BuiltinTerrain(1);
        try {
            LoadBuiltinTileset(terrain, era);
            ADD_FAILURE() << "era " << era << " loaded";
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), "Invalid era (" + std::to_string(era) + ").");
        }
        EXPECT_TRUE(terrain.Palette.empty() && terrain.MMI.empty() && terrain.MMT.empty() && terrain.TMI.empty())
            << "era " << era;
    }
}

TEST(BuiltinTileset, EachErasPicturesAreDecodedOnceAndShowWhatItsTablesShow)
{
    for (int32_t era = 0; era < 4; ++era) {
        const std::shared_ptr<const TilePictures> pictures = BuiltinTilesetPictures(era);
        ASSERT_TRUE(pictures);
        EXPECT_EQ(BuiltinTilesetPictures(era), pictures) << "era " << era;
        const TTerrainData terrain = BuiltinTerrain(era);
        for (uint32_t tile = 0; tile <= HighestTileCode + 1u; ++tile)
            for (uint32_t y = 0; y < TileSide; ++y)
                for (uint32_t x = 0; x < TileSide; ++x)
                    ASSERT_EQ(pictures->Color(static_cast<TileCode>(tile), x, y),
                              terrain.ColorOfTile(static_cast<TileCode>(tile), x, y))
                        << "era " << era << ", tile " << tile << ", pixel (" << x << ", " << y << ")";
    }
    try {
        BuiltinTilesetPictures(4);
        ADD_FAILURE() << "era 4 decoded";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Invalid era (4).");
    }
}

TEST(BuiltinTileset, ItsBackendRendersWithoutAnArchiveWhileTheDefaultStillAsksForOne)
{
    TempDir dir;
    ScenarioContent content;
    content.Era = 2;
    content.Side = 32;
    content.Tiles.assign(32 * 32, SolidTileCode(TerrainClass::LightWater, 0));
    const std::string scenario = dir.File("map.pud");
    WriteScenario(content).WriteTo(scenario);
    TMinimapSettings settings;  // no MainDat
    settings.ImageSizes = {32, 32, 32, 32};

    ErrorBoxRecorder boxes;
    EXPECT_FALSE(MakeMinimap(scenario, dir.File("default.bmp"), settings, DefaultMinimapBackend()));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{LocateArchiveText});
    EXPECT_FALSE(FileExists(dir.File("default.bmp")));

    ASSERT_TRUE(MakeMinimap(scenario, dir.File("builtin.bmp"), settings, BuiltinTilesetBackend()));
    EXPECT_EQ(boxes.Texts().size(), 1u);
    const std::vector<uint8_t> bitmap = ReadFileBytes(dir.File("builtin.bmp"));
    const TTerrainData terrain = BuiltinTerrain(2);
    ASSERT_EQ(bitmap.size(), 1078u + 32 * 32);
    for (std::size_t k = 0; k < 256; ++k)
        EXPECT_EQ(bitmap[54 + 4 * k + 2], static_cast<uint8_t>(terrain.Palette[3 * k] * 4)) << "red of colour " << k;
    const std::set<uint8_t> shown(bitmap.begin() + 1078, bitmap.end());
    std::set<uint8_t> water;
    for (uint32_t y = 0; y < 32; ++y)
        for (uint32_t x = 0; x < 32; ++x)
            water.insert(terrain.ColorOfTile(SolidTileCode(TerrainClass::LightWater, 0), x, y));
    EXPECT_TRUE(std::includes(water.begin(), water.end(), shown.begin(), shown.end()));
}

struct Rgb {
    int R, G, B;
    bool operator==(const Rgb&) const = default;
};

Rgb ColorAt(const TTerrainData& terrain, uint8_t index)
{
    return {terrain.Palette[3 * index], terrain.Palette[3 * index + 1], terrain.Palette[3 * index + 2]};
}

// The colour most pixels of a tile's picture show.
Rgb DominantColor(const TTerrainData& terrain, TileCode tile)
{
    std::map<uint8_t, int> counts;
    for (uint32_t y = 0; y < TileSide; ++y)
        for (uint32_t x = 0; x < TileSide; ++x)
            ++counts[terrain.ColorOfTile(tile, x, y)];
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    return ColorAt(terrain, most->first);
}

TEST(BuiltinTileset, OwnerColourSlotsAreDistinctInEveryEra)
{
    const std::vector<uint8_t> slots{208, 212, 216, 220, 224, 228, 232, 236, 12};
    for (int era = 0; era < 4; ++era) {
        const TTerrainData terrain = BuiltinTerrain(era);
        for (std::size_t a = 0; a < slots.size(); ++a) {
            for (std::size_t b = a + 1; b < slots.size(); ++b) {
                const Rgb one = ColorAt(terrain, slots[a]), other = ColorAt(terrain, slots[b]);
                const int distance = (one.R - other.R) * (one.R - other.R) + (one.G - other.G) * (one.G - other.G) +
                                     (one.B - other.B) * (one.B - other.B);
                EXPECT_GE(distance, 20 * 20) << "era " << era << ", slots " << int{slots[a]} << ", " << int{slots[b]};
            }
        }
    }
}

TEST(BuiltinTileset, SolidTilesOfDifferentClassesHaveDifferentDominantColours)
{
    for (int era = 0; era < 4; ++era) {
        const TTerrainData terrain = BuiltinTerrain(era);
        std::vector<Rgb> dominant;
        for (int c = 0; c < TerrainClassCount; ++c)
            dominant.push_back(DominantColor(terrain, SolidTileCode(static_cast<TerrainClass>(c), 0)));
        for (std::size_t a = 0; a < dominant.size(); ++a)
            for (std::size_t b = a + 1; b < dominant.size(); ++b)
                EXPECT_FALSE(dominant[a] == dominant[b]) << "era " << era << ": classes " << a << " and " << b;

        for (TerrainClass water : {TerrainClass::LightWater, TerrainClass::DarkWater}) {
            const Rgb color = dominant[static_cast<std::size_t>(water)];
            EXPECT_GT(color.B, std::max(color.R, color.G)) << "era " << era << ": water is blue";
        }
    }
}

TEST(BuiltinTileset, BoundaryTilesShowOnlyColoursOfTheirQuartersClasses)
{
    const TTerrainData terrain = BuiltinTerrain(0);
    // What the solid tiles of each class show, all variants together.
    std::vector<std::set<uint8_t>> shades(TerrainClassCount);
    for (int c = 0; c < TerrainClassCount; ++c)
        for (uint8_t variant = 0; variant < 16; ++variant)
            for (uint32_t y = 0; y < 32; ++y)
                for (uint32_t x = 0; x < 32; ++x)
                    shades[static_cast<std::size_t>(c)].insert(
                        terrain.ColorOfTile(SolidTileCode(static_cast<TerrainClass>(c), variant), x, y));

    for (int code = 0x0100; code <= HighestTileCode; ++code) {
        const auto quarters = QuartersOfTile(static_cast<TileCode>(code));
        if (!quarters)
            continue;
        for (uint32_t y = 0; y < 32; ++y) {
            for (uint32_t x = 0; x < 32; ++x) {
                const TerrainClass expected = (*quarters)[(y / 16) * 2 + x / 16];
                const uint8_t shown = terrain.ColorOfTile(static_cast<TileCode>(code), x, y);
                if (!shades[static_cast<std::size_t>(expected)].count(shown)) {
                    ADD_FAILURE() << "code " << std::hex << code << std::dec << " pixel (" << x << ", " << y << ")";
                    return;
                }
            }
        }
    }
}

}  // namespace
}  // namespace tessel::test
