// The scenario reader: from a ".pud" file it takes the era, the map side,
// the tile map, the unit type data and the placed units.
#pragma once

#include "era/TileCode.h"
#include "scenario/ScenarioChunks.h"
#include "scenario/Units.h"
#include "system/FileLayer.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessel {

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

    // The record of unit index; raises EPUDEx "Unit out of range." for an
    // index outside 0 .. UnitCount - 1 or past the stored records.
    UnitRecord Unit(int32_t index) const
    {
        // UnitCount is a public field: never trust it beyond the stored records.
        const std::size_t recordStart = static_cast<std::size_t>(index) * UnitRecordSize;
        if (index < 0 || index >= UnitCount || recordStart + UnitRecordSize > Units.size())
            RaiseUnitOutOfRange();
        return ReadUnitRecord(Units.data() + recordStart);
    }

    // The props of unit index: the record's fields, the unit type's size in
    // tiles from the UDTA data (1 x 1 where the data lacks its entry) and
    // its colour (scenario/OwnerColors.h); raises as Unit does.
    void GetUnitProps(int32_t index, uint16_t& x, uint16_t& y, uint16_t& width, uint16_t& height,
                      uint8_t& unitType, uint8_t& owner, uint8_t& color) const;

private:
    [[noreturn]] static void RaiseUnitOutOfRange();
    void ReleaseBuffers();
};

}  // namespace tessel
