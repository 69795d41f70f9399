// The terrain of a generated map as the class of every tile corner. A tile's
// quarters take the classes of its four corners, so neighbouring tiles
// always agree where they meet; settling the field makes every tile one
// that a solid or boundary tile code can show.
#pragma once

#include "tileset/TileCodes.h"

#include <vector>

namespace tessel {

// How firmly a painted class keeps its corners when its neighbours
// disagree: rocks and forests keep their shapes, the sea gives way to shores.
int ClassPriority(TerrainClass terrain);

class CornerField {
public:
    // A field for a map of side x side tiles, all dark water.
    explicit CornerField(int side);

    // Corners per row and column: the map side plus one.
    int Size() const { return size_; }
    TerrainClass At(int x, int y) const;

    // Sets corner (x, y) with the priority it keeps it by; corners outside
    // the field are left alone.
    void Paint(int x, int y, TerrainClass terrain, int priority);

    // Corners whose class no tile code could show beside a firmer
    // neighbour's take the class next to that neighbour's, until all agree.
    void Settle();

    // The tile codes, row after row; seed picks the variants.
    std::vector<TileCode> Encode(uint32_t seed) const;

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y * size_ + x); }
    int Firmness(std::size_t index) const;
    bool SettleCorner(int x, int y);

    int size_;
    std::vector<TerrainClass> classes_;
    std::vector<int> priorities_;
};

}  // namespace tessel
