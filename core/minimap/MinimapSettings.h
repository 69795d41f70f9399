// The process-wide minimap settings: image side per map size, unit display
// and the archive path. The desktop shell owns and edits the record; the
// core reads it at every MakeMinimap call.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tessel {

struct TMinimapSettings {
    // Image side in pixels for maps of 32, 64, 96 and 128 tiles: image-size
    // indexes 1 to 4, stored as Size32 .. Size128.
    std::array<int32_t, 4> ImageSizes{160, 160, 160, 160};
    bool DspUnits = true;
    std::string MainDat;

    // index 1 to 4, as map side div 32.
    int32_t& ImageSize(int index) { return ImageSizes.at(static_cast<std::size_t>(index - 1)); }
    int32_t ImageSize(int index) const { return ImageSizes.at(static_cast<std::size_t>(index - 1)); }
};

extern TMinimapSettings MinimapSettings;

// The image-size index for a map side: side div 32, with sides below 32 on
// index 1 and sides of 160 and more on index 4 (real maps of 14 tiles exist).
int ImageSizeIndexForMapSide(uint16_t mapSide);

}  // namespace tessel
