// Units as a scenario stores them: the 8-byte records of its UNIT chunk,
// the unit types that the readers tell apart, and where its UDTA chunk
// keeps the size of each unit type. The minimap reader and the catalogue
// take every record through ReadUnitRecord.
#pragma once

#include "base/ByteOrder.h"

#include <cstdint>

namespace tessel {

inline constexpr int32_t UnitRecordSize = 8;

// One unit of the UNIT data, all fields little-endian.
struct UnitRecord {
    uint16_t X = 0;  // bytes 0 and 1: the tile column of its top-left tile
    uint16_t Y = 0;  // bytes 2 and 3: its tile row
    uint8_t Type = 0;   // byte 4
    uint8_t Owner = 0;  // byte 5: the player slot, 0 to 15
    // Bytes 6 and 7: for a gold mine or an oil patch the resources it holds
    // divided by ResourceAmountUnit; for other units 0 passive, 1 active.
    uint16_t Value = 0;
};

// The record in the UnitRecordSize bytes at bytes.
inline UnitRecord ReadUnitRecord(const uint8_t* bytes)
{
    return UnitRecord{ReadU16LE(bytes), ReadU16LE(bytes + 2), bytes[4], bytes[5], ReadU16LE(bytes + 6)};
}

// A mine's or patch's stored amount counts this many units of its resource.
inline constexpr int64_t ResourceAmountUnit = 2500;

// Unit types that the readers tell apart.
namespace unit_type {
inline constexpr uint8_t GoldMine = 0x5C;
inline constexpr uint8_t OilPatch = 0x5D;
inline constexpr uint8_t HumanStart = 0x5E;  // a start location: its owner starts there
inline constexpr uint8_t OrcStart = 0x5F;
}  // namespace unit_type

// Offset of the unit size table (4 bytes per unit type: width and height
// in tiles) in the UDTA data.
inline constexpr int32_t UnitSizeTableOffset = 2448;
// The least UDTA length accepted: the size entries of types 0 to 109.
inline constexpr int32_t MinimumUnitDataLength = UnitSizeTableOffset + 110 * 4;

}  // namespace tessel
