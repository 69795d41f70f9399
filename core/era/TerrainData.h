// The terrain of one era: its palette and the three tables that give the
// picture of every tile, loaded from the game archive.
#pragma once

#include "base/ByteOrder.h"
#include "era/Era.h"
#include "era/TileCode.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessel {

inline constexpr TileCode HighestTileCode = 2527;
inline constexpr int32_t TileSide = 32;

// Layout of the tables. A TMI group holds the picture numbers of 16 tiles
// in 21 words; an MMI record holds a picture's 4 x 4 block words; an MMT
// block is 8 x 8 palette indices.
inline constexpr std::size_t TmiGroupBytes = 42;
inline constexpr std::size_t TmiGroups = (HighestTileCode + 1) / 16;
inline constexpr std::size_t MmiRecordBytes = 32;
inline constexpr std::size_t BlocksPerPicture = 16;
inline constexpr std::size_t MmtBlockBytes = 64;

class TTerrainData {
public:
    std::vector<uint8_t> Palette;
    std::vector<uint8_t> MMI;
    std::vector<uint8_t> MMT;
    std::vector<uint8_t> TMI;
    uint32_t PaletteSize = 0;
    uint32_t MMISize = 0;
    uint32_t MMTSize = 0;
    uint32_t TMISize = 0;

    // Loads the four entries of era from the archive at path; raises
    // Exception (CheckEra's, or one of archive/ArchiveMessages.h) or
    // EInOutError, leaving the object without buffers.
    void LoadFromMaindat(const std::string& path, int32_t era);

    // The picture number of tile; 0 (no picture) also past the highest tile
    // code and past the end of the TMI.
    uint16_t PictureOfTile(TileCode tile) const
    {
        if (tile > HighestTileCode)
            return 0;
        const std::size_t tmiByte = TmiGroupBytes * static_cast<std::size_t>(tile >> 4) + 2 * (tile & 15);
        return tmiByte + 2 > TMI.size() ? 0 : ReadU16LE(TMI.data() + tmiByte);
    }

    // The palette index of pixel (x, y), each 0 to 31, of tile's picture.
    // Reads that would leave a buffer give 0.
    uint8_t ColorOfTile(TileCode tile, uint32_t x, uint32_t y) const
    {
        const std::size_t picture = PictureOfTile(tile);
        if (picture == 0)
            return 0;
        const std::size_t mmiByte = MmiRecordBytes * picture + 2 * (4 * (y >> 3) + (x >> 3));
        if (mmiByte + 2 > MMI.size())
            return 0;
        const uint32_t blockWord = ReadU16LE(MMI.data() + mmiByte);
        uint32_t column = x & 7;
        uint32_t row = y & 7;
        if (blockWord & 1)
            row = 7 - row;
        if (blockWord & 2)
            column = 7 - column;
        const std::size_t mmtByte = MmtBlockBytes * static_cast<std::size_t>(blockWord >> 2) + 8 * row + column;
        return mmtByte < MMT.size() ? MMT[mmtByte] : 0;
    }

private:
    void ReleaseBuffers();
};

}  // namespace tessel
