// The colour a unit is painted in: its owner's, except for the neutral
// resources, which keep a colour of their own whatever owner they are
// given. The scenario reader hands it out with each unit (GetUnitProps).
#pragma once

#include "scenario/Units.h"

#include <array>
#include <cstdint>

namespace tessel {

// Palette index of each owner's units, owners 0 to 15.
extern const std::array<uint8_t, 16> OwnerColors;

// The neutral resources' colours, and that of an owner beyond the table.
inline constexpr uint8_t GoldMineColor = 12;
inline constexpr uint8_t OilPatchColor = 0;
inline constexpr uint8_t UnknownOwnerColor = 0;

// A gold mine 12, an oil patch 0, whatever their owner; a unit of an owner
// beyond the table 0; any other unit OwnerColors[owner].
inline uint8_t UnitColor(uint8_t unitType, uint8_t owner)
{
    // The type tests come first: the resources' colour ignores the owner.
    if (unitType == unit_type::GoldMine)
        return GoldMineColor;
    if (unitType == unit_type::OilPatch)
        return OilPatchColor;
    return owner < OwnerColors.size() ? OwnerColors[owner] : UnknownOwnerColor;
}

}  // namespace tessel
