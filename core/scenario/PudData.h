// The scenario reader: from a ".pud" file it takes the era, the map side,
// the tile map, the unit type data and the placed units.
#pragma once

#include "era/TileCode.h"
#include "scenario/ScenarioChunks.h"
#include "system/FileLayer.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessel {

inline constexpr int32_t UnitRecordSize = 8;

// Unit types that the readers tell apart.
namespace unit_type {
inline constexpr uint8_t GoldMine = 0x5C;
inline constexpr uint8_t OilPatch = 0x5D;
inline constexpr uint8_t HumanStart = 0x5E;  // a start location: its owner starts there
inline constexpr uint8_t OrcStart = 0x5F;
}  // namespace unit_type
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
    // The same from a file the caller opened and closes, so that another
    // reader can take more from it.
    void LoadFromOpenFile(InputFile& file);
    // The same from the chunks of such a file, for another reader that
    // searches more of them through the same index.
    void LoadFromChunks(ChunkIndex& chunks);

    // The chunk search of ScenarioChunks.h: the stated length of the first
    // chunk with tag, the file positioned at its data; -1 when none is found.
    int32_t FindChunk(InputFile& file, const ChunkTag& tag) const;

    // The props of unit index; raises EPUDEx "Unit out of range." for an index
    // outside 0 .. UnitCount - 1.
    void GetUnitProps(int32_t index, uint16_t& x, uint16_t& y, uint16_t& width, uint16_t& height,
                      uint8_t& unitType, uint8_t& owner, uint8_t& color) const;

private:
    void ReleaseBuffers();
};

}  // namespace tessel
