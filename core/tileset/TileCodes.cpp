#include "tileset/TileCodes.h"

namespace tessel {

namespace {

constexpr int FirstSolidClass = 1;
constexpr int LastSolidClass = FirstSolidClass + TerrainClassCount - 1;
constexpr int FirstBoundaryPair = 1;
constexpr int HumanWallPieces = 8;
constexpr int OrcWallPieces = 9;
// Bits 4-7 of boundary and wall codes run 0 to 13: sets 1 to 14 (a set of
// none or all four would be a solid tile).
constexpr int HighestSetNumber = 13;

struct BoundaryPair {
    TerrainClass First;   // in the quarters of the set
    TerrainClass Second;  // in the others
};

// Boundary pairs 1 to 7, in code order.
constexpr std::array<BoundaryPair, 7> BoundaryPairs{{
    {TerrainClass::DarkWater, TerrainClass::LightWater},
    {TerrainClass::LightWater, TerrainClass::LightCoast},
    {TerrainClass::DarkCoast, TerrainClass::LightCoast},
    {TerrainClass::Rock, TerrainClass::LightCoast},
    {TerrainClass::LightCoast, TerrainClass::LightGround},
    {TerrainClass::DarkGround, TerrainClass::LightGround},
    {TerrainClass::Forest, TerrainClass::LightGround},
}};

// The quarters that border each wall side.
constexpr std::array<uint8_t, 4> SidesOfQuarter{
    wall_side::North | wall_side::West,
    wall_side::North | wall_side::East,
    wall_side::South | wall_side::West,
    wall_side::South | wall_side::East,
};

TileQuarters QuartersOfSet(int set, TerrainClass inSet, TerrainClass outside)
{
    TileQuarters quarters{};
    for (int q = 0; q < 4; ++q)
        quarters[static_cast<std::size_t>(q)] = (set >> q) & 1 ? inSet : outside;
    return quarters;
}

}  // namespace

std::optional<TileQuarters> QuartersOfTile(TileCode code)
{
    const int high = code >> 8;
    const int middle = (code >> 4) & 15;
    if (high == 0) {
        if (middle < FirstSolidClass || middle > LastSolidClass)
            return std::nullopt;
        const auto terrain = static_cast<TerrainClass>(middle - FirstSolidClass);
        return TileQuarters{terrain, terrain, terrain, terrain};
    }
    if (middle > HighestSetNumber)
        return std::nullopt;
    const int set = middle + 1;
    if (high >= FirstBoundaryPair && high < FirstBoundaryPair + static_cast<int>(BoundaryPairs.size())) {
        const BoundaryPair& pair = BoundaryPairs[static_cast<std::size_t>(high - FirstBoundaryPair)];
        return QuartersOfSet(set, pair.First, pair.Second);
    }
    if (high == HumanWallPieces || high == OrcWallPieces) {
        const TerrainClass wall = high == HumanWallPieces ? TerrainClass::HumanWall : TerrainClass::OrcWall;
        TileQuarters quarters{};
        for (std::size_t q = 0; q < 4; ++q)
            quarters[q] = (SidesOfQuarter[q] & set) ? wall : TerrainClass::LightGround;
        return quarters;
    }
    return std::nullopt;
}

TileCode SolidTileCode(TerrainClass terrain, uint8_t variant)
{
    return static_cast<TileCode>(((static_cast<int>(terrain) + FirstSolidClass) << 4) | (variant & 15));
}

std::optional<TileCode> EncodeTile(const TileQuarters& quarters, uint8_t variant)
{
    const TerrainClass first = quarters[0];
    std::optional<TerrainClass> second;
    for (TerrainClass terrain : quarters) {
        if (terrain == first)
            continue;
        if (second && *second != terrain)
            return std::nullopt;
        second = terrain;
    }
    if (!second)
        return SolidTileCode(first, variant);

    for (std::size_t p = 0; p < BoundaryPairs.size(); ++p) {
        const BoundaryPair& pair = BoundaryPairs[p];
        const bool forward = pair.First == first && pair.Second == *second;
        const bool backward = pair.First == *second && pair.Second == first;
        if (!forward && !backward)
            continue;
        int set = 0;
        for (int q = 0; q < 4; ++q)
            set |= (quarters[static_cast<std::size_t>(q)] == pair.First ? 1 : 0) << q;
        return static_cast<TileCode>(((static_cast<int>(p) + FirstBoundaryPair) << 8) | ((set - 1) << 4) |
                                     (variant & 15));
    }
    return std::nullopt;
}

TileCode WallTileCode(bool human, uint8_t sides)
{
    sides &= 15;
    if (sides == 0 || sides == 15)
        return SolidTileCode(human ? TerrainClass::HumanWall : TerrainClass::OrcWall, 0);
    return static_cast<TileCode>(((human ? HumanWallPieces : OrcWallPieces) << 8) | ((sides - 1) << 4));
}

}  // namespace tessel
