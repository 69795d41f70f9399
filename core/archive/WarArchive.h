// The game archive ("MAINDAT.WAR"): its header, entry table and entries;
// compressed entries are expanded by LzExpander.
#pragma once

#include "system/FileLayer.h"

#include <cstdint>
#include <vector>

namespace tessel {

inline constexpr uint32_t WarSignature = 25;
inline constexpr uint16_t WarArchiveTag = 1000;
inline constexpr int32_t WarHeaderSize = 8;
inline constexpr int32_t WarAbsentEntry = -1;
// Bits of the 4-byte entry header.
inline constexpr uint32_t WarLengthMask = 0x00FFFFFF;
inline constexpr uint32_t WarCompressedFlag = 0x20000000;

// Reads one entry of an open archive whose header was already tested.
// Returns the entry expanded to its length L, or an empty vector ("none"):
// silently for an absent entry or one with too little room; after an
// ErrorBox ExtractionFailureText (archive/ArchiveMessages.h) for any other
// failure. size is
// 0 until the read succeeds, then L. Raises nothing.
std::vector<uint8_t> ReadWarEntry(InputFile& archive, int32_t entry, uint32_t& size);

}  // namespace tessel
