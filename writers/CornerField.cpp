#include "CornerField.h"

#include "tileset/MixHash.h"

#include <optional>

namespace tessel {

namespace {

using TC = TerrainClass;

constexpr int MostSettlePasses = 200;

// Boundary tiles pair classes along a tree rooted at light coast: water and
// dark water on one branch, ground with forest and dark ground on another,
// rock and dark coast on their own. The four corners of a tile must be equal
// or neighbours in this tree; a tree has no triangles, so such a tile never
// holds more than two classes.
TC ParentOf(TC terrain)
{
    switch (terrain) {
    case TC::DarkWater:
        return TC::LightWater;
    case TC::DarkGround:
    case TC::Forest:
        return TC::LightGround;
    default:
        return TC::LightCoast;
    }
}

int DepthOf(TC terrain)
{
    int depth = 0;
    for (; terrain != TC::LightCoast; terrain = ParentOf(terrain))
        ++depth;
    return depth;
}

int TreeDistance(TC a, TC b)
{
    int distance = 0;
    int depthA = DepthOf(a);
    int depthB = DepthOf(b);
    while (a != b) {
        if (depthA >= depthB) {
            a = ParentOf(a);
            --depthA;
        } else {
            b = ParentOf(b);
            --depthB;
        }
        ++distance;
    }
    return distance;
}

// The class next to from on the way to to.
TC StepToward(TC from, TC to)
{
    for (TC below = to; below != TC::LightCoast; below = ParentOf(below)) {
        if (ParentOf(below) == from)
            return below;
    }
    return from == to ? from : ParentOf(from);
}

}  // namespace

int ClassPriority(TerrainClass terrain)
{
    switch (terrain) {
    case TC::DarkWater:
        return 0;
    case TC::LightWater:
        return 10;
    case TC::LightCoast:
        return 20;
    case TC::LightGround:
        return 30;
    case TC::DarkCoast:
        return 40;
    case TC::DarkGround:
        return 50;
    case TC::Forest:
        return 60;
    default:
        return 70;
    }
}

CornerField::CornerField(int side)
    : size_(side + 1), classes_(static_cast<std::size_t>(size_) * static_cast<std::size_t>(size_), TC::DarkWater),
      priorities_(classes_.size(), 0)
{
}

TerrainClass CornerField::At(int x, int y) const { return classes_[Index(x, y)]; }

void CornerField::Paint(int x, int y, TerrainClass terrain, int priority)
{
    if (x < 0 || y < 0 || x >= size_ || y >= size_)
        return;
    classes_[Index(x, y)] = terrain;
    priorities_[Index(x, y)] = priority;
}

void CornerField::Settle()
{
    for (int pass = 0; pass < MostSettlePasses; ++pass) {
        bool changed = false;
        for (int y = 0; y < size_; ++y) {
            for (int x = 0; x < size_; ++x)
                changed |= SettleCorner(x, y);
        }
        if (!changed)
            return;
    }
}

std::vector<TileCode> CornerField::Encode(uint32_t seed) const
{
    const int side = size_ - 1;
    std::vector<TileCode> tiles(static_cast<std::size_t>(side) * static_cast<std::size_t>(side));
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const TileQuarters quarters{At(x, y), At(x + 1, y), At(x, y + 1), At(x + 1, y + 1)};
            const auto variant = static_cast<uint8_t>(
                MixHash(seed, static_cast<uint32_t>(x), static_cast<uint32_t>(y)) % 3);
            // A settled field has no tile without a code; a solid tile would
            // be the least wrong picture if one were left.
            tiles[static_cast<std::size_t>(y * side + x)] =
                EncodeTile(quarters, variant).value_or(SolidTileCode(quarters[0], variant));
        }
    }
    return tiles;
}

// Ties go to the firmer class, so two corners never wait on each other.
int CornerField::Firmness(std::size_t index) const
{
    return priorities_[index] * 128 + ClassPriority(classes_[index]);
}

bool CornerField::SettleCorner(int x, int y)
{
    const std::size_t self = Index(x, y);
    std::optional<std::size_t> firmest;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx;
            const int ny = y + dy;
            if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= size_ || ny >= size_)
                continue;
            const std::size_t other = Index(nx, ny);
            if (TreeDistance(classes_[self], classes_[other]) <= 1 || Firmness(other) <= Firmness(self))
                continue;
            if (!firmest || Firmness(other) > Firmness(*firmest))
                firmest = other;
        }
    }
    if (!firmest)
        return false;
    classes_[self] = StepToward(classes_[*firmest], classes_[self]);
    priorities_[self] = priorities_[*firmest] - 1;
    return true;
}

}  // namespace tessel
