// The colour a unit is painted in: its owner's, except for the neutral
// resources, which keep a colour of their own whatever owner they are
// given. The scenario reader hands it out with each unit (GetUnitProps).
#pragma once

#include <array>
#include <cstdint>

namespace tessel {

// Palette index of each owner's units, owners 0 to 15.
extern const std::array<uint8_t, 16> OwnerColors;

// A gold mine 12, an oil patch 0, whatever their owner; a unit of an owner
// beyond the table 0; any other unit OwnerColors[owner].
uint8_t UnitColor(uint8_t unitType, uint8_t owner);

}  // namespace tessel
