// The scenario reader: from a ".pud" file it takes the era, the map side,
// the tile map, the unit type data and the placed units.
#pragma once

#include "FileLayer.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessel {

using TileCode = uint16_t;

// A four-character chunk tag, compared byte for byte.
using ChunkTag = std::array<char, 4>;

namespace chunk_tag {
inline constexpr ChunkTag Era{'E', 'R', 'A', ' '};
inline constexpr ChunkTag EraX{'E', 'R', 'A', 'X'};
inline constexpr ChunkTag Dim{'D', 'I', 'M', ' '};
inline constexpr ChunkTag UnitTypeData{'U', 'D', 'T', 'A'};
inline constexpr ChunkTag TileMap{'M', 'T', 'X', 'M'};
inline constexpr ChunkTag Units{'U', 'N', 'I', 'T'};
}  // namespace chunk_tag

inline constexpr int32_t UnitRecordSize = 8;
// Offset of the unit size table (4 bytes per unit type) in the UDTA data.
inline constexpr int32_t UnitSizeTableOffset = 2448;
// The least UDTA length accepted: the size entries of types 0 to 109.
inline constexpr int32_t MinimumUnitDataLength = UnitSizeTableOffset + 110 * 4;

// Palette index of each owner's units, owners 0 to 15.
extern const std::array<uint8_t, 16> OwnerColors;

class TPUDData {
public:
    uint16_t Era = 0;
    uint16_t MapSize = 0;
    // MapSize x MapSize tile codes, row after row from the top; empty when absent.
    std::vector<TileCode> TileMap;
    // The UDTA data as stored; empty when absent.
    std::vector<uint8_t> UnitData;
    // The UNIT data as stored (8-byte records); empty when absent.
    std::vector<uint8_t> Units;
    int32_t UnitCount = 0;

    // Loads a scenario; raises EPUDEx, EInOutError or EOutOfMemory. A failed
    // load leaves the object without buffers.
    void LoadFromFile(const std::string& fileName);

    // Searches the chunks from the start of the file. Returns the data length
    // of the first chunk with tag, the file positioned at its data; -1 when
    // none is found. Never raises.
    int32_t FindChunk(InputFile& file, const ChunkTag& tag) const;

    // The props of unit index; raises EPUDEx "Unit out of range." for an index
    // outside 0 .. UnitCount - 1.
    void GetUnitProps(int32_t index, uint16_t& x, uint16_t& y, uint16_t& width, uint16_t& height,
                      uint8_t& unitType, uint8_t& owner, uint8_t& color) const;

private:
    void ReleaseBuffers();
};

// Reads count bytes in pieces of at most 2048; a short read raises
// "Read beyond end of file".
void ReadInBlocks(InputFile& file, uint8_t* buffer, int32_t count);

}  // namespace tessel
