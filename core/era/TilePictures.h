// The tile pictures of one loaded era, decoded once into plain 32 x 32
// rasters, so that sampling a pixel is two table reads instead of the three
// dependent lookups, each with its bounds test, that ColorOfTile makes.
// Worth it for images of tens of thousands of pixels and for eras that
// render many maps; built from the terrain's tables as they stand, it never
// changes.
#pragma once

#include "era/TerrainData.h"

#include <cstdint>
#include <memory>

namespace tessel {

class TilePictures {
public:
    // Raises EOutOfMemory when memory is exhausted.
    explicit TilePictures(const TTerrainData& terrain);

    // Where tile's picture starts in Pixels(): 32 rows of 32 palette
    // indices. Every tile code has one; those without a picture share one
    // that is all 0.
    uint32_t PictureStart(TileCode tile) const { return pictureStarts_[tile]; }
    // The same for all 65536 tile codes at once, for loops that keep it at hand.
    const uint32_t* PictureStarts() const { return pictureStarts_.get(); }
    const uint8_t* Pixels() const { return pixels_.get(); }

    // Always equal to terrain.ColorOfTile(tile, x, y) for x and y in 0 to 31.
    uint8_t Color(TileCode tile, uint32_t x, uint32_t y) const
    {
        return pixels_[PictureStart(tile) + TileSide * y + x];
    }

    // Decoded pictures, the shared blank one included.
    uint32_t PictureCount() const { return pictureCount_; }

private:
    struct FreeBlock {
        void operator()(void* block) const noexcept;
    };

    // One entry for each of the 65536 tile codes, so that no code needs a
    // range test before the lookup. Zeroed by calloc: the entries past the
    // looked-up codes are never written, so their pages are never touched.
    std::unique_ptr<uint32_t[], FreeBlock> pictureStarts_;
    std::unique_ptr<uint8_t[]> pixels_;
    uint32_t pictureCount_ = 0;
};

}  // namespace tessel
