#include "era/TerrainData.h"
#include "tileset/TileCodes.h"

#include <gtest/gtest.h>

namespace tessel::test {
namespace {

using TC = TerrainClass;

TEST(TileCodes, SolidCodesShowTheirClassInEveryQuarter)
{
    EXPECT_EQ(QuartersOfTile(0x0010), (TileQuarters{TC::LightWater, TC::LightWater, TC::LightWater, TC::LightWater}));
    EXPECT_EQ(QuartersOfTile(0x0073), (TileQuarters{TC::Forest, TC::Forest, TC::Forest, TC::Forest}));
    EXPECT_EQ(QuartersOfTile(0x00CF), (TileQuarters{TC::OrcWall, TC::OrcWall, TC::OrcWall, TC::OrcWall}));
    EXPECT_FALSE(QuartersOfTile(0x0000)) << "class 0 names nothing";
    EXPECT_FALSE(QuartersOfTile(0x00D0)) << "past the last class";
}

TEST(TileCodes, BoundaryCodesPutTheFirstClassOfTheirPairInTheQuartersOfTheirSet)
{
    // 0x02: light water and light coast; set 0 + 1: upper left only
    EXPECT_EQ(QuartersOfTile(0x0200), (TileQuarters{TC::LightWater, TC::LightCoast, TC::LightCoast, TC::LightCoast}));
    // 0x05: light coast and light ground; set 11 + 1: both lower quarters
    EXPECT_EQ(QuartersOfTile(0x05B2), (TileQuarters{TC::LightGround, TC::LightGround, TC::LightCoast, TC::LightCoast}));
    // 0x04: rock and light coast; set 8 + 1: upper left and lower right
    EXPECT_EQ(QuartersOfTile(0x0481), (TileQuarters{TC::Rock, TC::LightCoast, TC::LightCoast, TC::Rock}));
}

TEST(TileCodes, SetNumbersPastThirteenAndUnknownPairsShowNothing)
{
    EXPECT_FALSE(QuartersOfTile(0x01E0));
    EXPECT_FALSE(QuartersOfTile(0x07F0));
    EXPECT_FALSE(QuartersOfTile(0x0A00));
    EXPECT_FALSE(QuartersOfTile(0x0D00));
}

TEST(TileCodes, WallPiecesShowWallInTheQuartersThatTouchTheirSides)
{
    // 0x08: human wall pieces; set 0 + 1: the wall goes on southward only
    EXPECT_EQ(QuartersOfTile(0x0800), (TileQuarters{TC::LightGround, TC::LightGround, TC::HumanWall, TC::HumanWall}));
    // 0x09: orc wall pieces; set 9 + 1: east and west
    EXPECT_EQ(QuartersOfTile(0x0990), (TileQuarters{TC::OrcWall, TC::OrcWall, TC::OrcWall, TC::OrcWall}));

    EXPECT_EQ(WallTileCode(true, wall_side::South), 0x0800);
    EXPECT_EQ(WallTileCode(false, wall_side::East | wall_side::West), 0x0990);
    EXPECT_EQ(WallTileCode(true, 0), SolidTileCode(TC::HumanWall, 0)) << "a lone wall is a solid wall";
}

TEST(TileCodes, EveryTerrainCodeEncodesBackFromItsQuarters)
{
    int checked = 0;
    for (int code = 0; code <= HighestTileCode; ++code) {
        const auto quarters = QuartersOfTile(static_cast<TileCode>(code));
        if (!quarters || code >= 0x0800)
            continue;
        EXPECT_EQ(EncodeTile(*quarters, static_cast<uint8_t>(code & 15)), code) << std::hex << code;
        ++checked;
    }
    EXPECT_EQ(checked, 12 * 16 + 7 * 14 * 16);
}

TEST(TileCodes, QuartersOfThreeClassesOrOfAnUnpairedTwoHaveNoCode)
{
    EXPECT_FALSE(EncodeTile({TC::LightWater, TC::LightCoast, TC::LightGround, TC::LightGround}, 0));
    EXPECT_FALSE(EncodeTile({TC::LightWater, TC::LightWater, TC::LightGround, TC::LightGround}, 0));
    EXPECT_FALSE(EncodeTile({TC::Forest, TC::DarkGround, TC::Forest, TC::Forest}, 0));
}

}  // namespace
}  // namespace tessel::test
