#include "scenario/Units.h"

#include "base/ByteOrder.h"

namespace tessel {

UnitRecord ReadUnitRecord(const uint8_t* bytes)
{
    return UnitRecord{ReadU16LE(bytes), ReadU16LE(bytes + 2), bytes[4], bytes[5], ReadU16LE(bytes + 6)};
}

}  // namespace tessel
