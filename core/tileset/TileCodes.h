// What a WarCraft 2 tile code shows, as terrain classes by quarter of the
// tile, and the codes for given quarters: shared by the built-in tileset's
// generator, which draws each code, and the demo scenarios, which encode
// their terrain.
//
// The numbering, checked against real maps:
// - Solid tiles 0x0010 to 0x00CF: the class in bits 4-7 (1 light water,
//   2 dark water, 3 light coast, 4 dark coast, 5 light ground, 6 dark ground,
//   7 forest, 8 rock, 9 to 12 walls), a variant in bits 0-3.
// - Boundary tiles 0x0100 to 0x07DF: a pair of classes in bits 8-11; bits
//   4-7 plus one is the set of quarters that show the pair's first class
//   (1 upper left, 2 upper right, 4 lower left, 8 lower right), the other
//   quarters show the second; bits 0-3 are a variant.
// - Wall pieces 0x0800 to 0x09DF (human, orc): bits 4-7 plus one is the set
//   of sides on which the wall goes on (1 south, 2 east, 4 north, 8 west).
// Codes outside these ranges, and the unused set numbers 15 and 16, show
// nothing.
#pragma once

#include "era/TileCode.h"

#include <array>
#include <cstdint>
#include <optional>

namespace tessel {

enum class TerrainClass : uint8_t {
    LightWater,
    DarkWater,
    LightCoast,
    DarkCoast,
    LightGround,
    DarkGround,
    Forest,
    Rock,
    // The solid wall classes 9 and 10 are rare in real maps and stand only
    // beside wall pieces; references name all four classes just "human wall"
    // and "orc wall". We take 11 and 12, the common ones, for whole walls and
    // 9 and 10 for damaged ones.
    HumanWallDamaged,
    OrcWallDamaged,
    HumanWall,
    OrcWall,
};

inline constexpr int TerrainClassCount = 12;

// Quarter order: upper left, upper right, lower left, lower right.
using TileQuarters = std::array<TerrainClass, 4>;

// Sides of a wall piece on which the wall goes on.
namespace wall_side {
inline constexpr uint8_t South = 1;
inline constexpr uint8_t East = 2;
inline constexpr uint8_t North = 4;
inline constexpr uint8_t West = 8;
}  // namespace wall_side

// The class each quarter of code shows; none for a code without a picture.
// A wall piece shows wall in the quarters that touch a side where the wall
// goes on, light ground in the others.
std::optional<TileQuarters> QuartersOfTile(TileCode code);

TileCode SolidTileCode(TerrainClass terrain, uint8_t variant);

// The solid or boundary code that shows quarters; none when they hold more
// than two classes or two that no boundary tile pairs.
std::optional<TileCode> EncodeTile(const TileQuarters& quarters, uint8_t variant);

// A wall piece going on at sides (wall_side bits); no sides or all four
// give the solid wall.
TileCode WallTileCode(bool human, uint8_t sides);

}  // namespace tessel
