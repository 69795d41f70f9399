// The era of a scenario: which of the game's four tilesets draws its
// terrain, as the number the scenario stores. The scenario reader takes it
// from the ERAX chunk where the file has one (swamp maps keep their era
// there), else from ERA (scenario/PudData.cpp). Only 0 to 3 are valid; each
// era's palette and tile tables are four entries of the game archive.
#pragma once

#include <array>
#include <cstdint>

namespace tessel {

inline constexpr int32_t EraCount = 4;

// Raises Exception "Invalid era (%d)." unless era is 0 to 3.
void CheckEra(int32_t era);

// "forest", "winter", "wasteland", "swamp"; "unknown" for other eras.
const char* EraName(int era);

// The archive entry number of each era's palette; MMI, MMT and TMI follow it.
inline constexpr std::array<int32_t, EraCount> EraFirstEntries{2, 18, 10, 438};

}  // namespace tessel
