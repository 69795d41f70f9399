#include "TestSupport.h"

#include "base/Exceptions.h"
#include "DemoData.h"
#include "era/TerrainData.h"
#include "minimap/MakeMinimap.h"
#include "tileset/TileCodes.h"

#include <algorithm>
#include <set>

namespace tessel::test {
namespace {

struct Agreement {
    int Compared = 0;
    int Disagreeing = 0;
};

// Compares the classes that neighbouring tiles show at the corners and edges
// they share. Walls are left out: they stand on the ground without any
// boundary tile.
Agreement NeighbourAgreement(const std::vector<TileCode>& tiles, int side)
{
    auto terrain = [&](int x, int y) -> std::optional<TileQuarters> {
        const auto quarters = QuartersOfTile(tiles[static_cast<std::size_t>(y * side + x)]);
        const bool wall = quarters && std::any_of(quarters->begin(), quarters->end(), [](TerrainClass c) {
                              return c >= TerrainClass::HumanWallDamaged;
                          });
        return wall ? std::nullopt : quarters;
    };
    Agreement agreement;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const auto here = terrain(x, y);
            if (!here)
                continue;
            if (const auto right = x + 1 < side ? terrain(x + 1, y) : std::nullopt) {
                ++agreement.Compared;
                agreement.Disagreeing += (*here)[1] != (*right)[0] || (*here)[3] != (*right)[2];
            }
            if (const auto below = y + 1 < side ? terrain(x, y + 1) : std::nullopt) {
                ++agreement.Compared;
                agreement.Disagreeing += (*here)[2] != (*below)[0] || (*here)[3] != (*below)[1];
            }
        }
    }
    return agreement;
}

TEST(DemoArchive, HoldsEveryEraOfTheBuiltInTilesetAndLoadsWithoutAMessage)
{
    TempDir folder;
    const std::string path = folder.File("DEMO.WAR");
    WriteDemoArchive(path);
    ErrorBoxRecorder boxes;
    for (int era = 0; era < 4; ++era) {
        TTerrainData terrain;
        terrain.LoadFromMaindat(path, era);
        const TTerrainData builtin = BuiltinTerrain(era);
        EXPECT_TRUE(terrain.Palette == builtin.Palette && terrain.MMI == builtin.MMI && terrain.MMT == builtin.MMT &&
                    terrain.TMI == builtin.TMI)
            << "era " << era;
        EXPECT_EQ(terrain.PaletteSize, 768u);
        EXPECT_EQ(terrain.TMISize, 158u * 42u) << "a record for every tile code group looked up";
        EXPECT_LT(terrain.MMISize / 32, 512u) << "a few hundred pictures at most";
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

// A wrong reading of the quarter sets would make neighbours disagree all
// over; real maps only do so where a map maker set tiles by hand.
TEST(RealMaps, EveryTileCodeHasABuiltInPictureAndNeighboursAgreeAtTheirSharedCorners)
{
    const std::string folder = TESSEL_CORPUS_DIR;
    if (folder.empty() || !FileExists(folder + "/MANIFEST.tsv"))
        GTEST_SKIP() << "no scenario corpus at \"" << folder << "\"";
    std::set<TileCode> codes;
    Agreement total;
    for (const std::string& name : FolderEntries(folder)) {
        TPUDData pud;
        try {
            pud.LoadFromFile(folder + "/" + name);
        } catch (const Exception&) {
            continue;  // the manifest, and scenarios that are damaged on purpose
        }
        codes.insert(pud.TileMap.begin(), pud.TileMap.end());
        const Agreement agreement = NeighbourAgreement(pud.TileMap, pud.MapSize);
        total.Compared += agreement.Compared;
        total.Disagreeing += agreement.Disagreeing;
    }
    EXPECT_GT(total.Compared, 100000);
    EXPECT_LT(total.Disagreeing * 100, total.Compared);

    codes.erase(0);  // names no class; a few maps hold it in cells they do not use
    for (int era = 0; era < 4; ++era) {
        const TTerrainData terrain = BuiltinTerrain(era);
        for (TileCode code : codes)
            EXPECT_NE(terrain.PictureOfTile(code), 0) << "era " << era << ", code " << std::hex << code;
    }
}

TEST(DemoScenarios, CoverEveryEraAndSizeWithoutBlankTilesOrSeamsAndLoadAndRenderAsMade)
{
    std::vector<TTerrainData> terrains;
    for (int era = 0; era < 4; ++era)
        terrains.push_back(BuiltinTerrain(era));
    TempDir folder;
    TMinimapSettings settings;
    settings.MainDat = folder.File("DEMO.WAR");
    WriteDemoArchive(settings.MainDat);
    ErrorBoxRecorder boxes;
    std::set<uint16_t> eras, sides;
    for (const DemoScenario& scenario : MakeDemoScenarios()) {
        SCOPED_TRACE(scenario.FileName);
        const uint16_t era = scenario.Content.EraX.value_or(scenario.Content.Era);
        eras.insert(era);
        sides.insert(scenario.Content.Side);
        const auto blank = std::count_if(scenario.Content.Tiles.begin(), scenario.Content.Tiles.end(),
                                         [&](TileCode code) { return terrains.at(era).PictureOfTile(code) == 0; });
        EXPECT_EQ(blank, 0);
        EXPECT_EQ(NeighbourAgreement(scenario.Content.Tiles, scenario.Content.Side).Disagreeing, 0);

        const std::string path = folder.File(scenario.FileName);
        WriteScenario(scenario.Content).WriteTo(path);
        TPUDData pud;
        pud.LoadFromFile(path);
        EXPECT_EQ(pud.Era, era);
        EXPECT_EQ(pud.MapSize, scenario.Content.Side);
        EXPECT_EQ(pud.TileMap, scenario.Content.Tiles);
        ASSERT_EQ(pud.UnitCount, static_cast<int32_t>(scenario.Content.Units.size()));

        std::set<uint8_t> players;
        for (int32_t i = 0; i < pud.UnitCount; ++i) {
            uint16_t x, y, width, height;
            uint8_t type, owner, color;
            pud.GetUnitProps(i, x, y, width, height, type, owner, color);
            EXPECT_LE(x + width, pud.MapSize) << "unit " << i;
            EXPECT_LE(y + height, pud.MapSize) << "unit " << i;
            if (owner < 8)
                players.insert(owner);
        }
        EXPECT_GE(players.size(), 2u);
        EXPECT_TRUE(MakeMinimap(path, path + ".bmp", settings, DefaultMinimapBackend()));
    }
    EXPECT_EQ(eras, (std::set<uint16_t>{0, 1, 2, 3}));
    EXPECT_EQ(sides, (std::set<uint16_t>{32, 64, 96, 128}));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(DemoScenarios, AreTheSameAtEveryCall)
{
    const auto first = MakeDemoScenarios();
    const auto second = MakeDemoScenarios();
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t k = 0; k < first.size(); ++k) {
        EXPECT_EQ(first[k].FileName, second[k].FileName);
        EXPECT_EQ(WriteScenario(first[k].Content).Bytes(), WriteScenario(second[k].Content).Bytes());
    }
}

}  // namespace
}  // namespace tessel::test
