#include "scenario/OwnerColors.h"

#include "scenario/Units.h"

namespace tessel {

const std::array<uint8_t, 16> OwnerColors{208, 212, 216, 220, 224, 228, 232, 12,
                                          12,  12,  12,  12,  12,  12,  12,  12};

namespace {

constexpr uint8_t GoldMineColor = 12;
constexpr uint8_t OilPatchColor = 0;
constexpr uint8_t UnknownOwnerColor = 0;

}  // namespace

uint8_t UnitColor(uint8_t unitType, uint8_t owner)
{
    // The type tests come first: the resources' colour ignores the owner.
    if (unitType == unit_type::GoldMine)
        return GoldMineColor;
    if (unitType == unit_type::OilPatch)
        return OilPatchColor;
    if (owner >= OwnerColors.size())
        return UnknownOwnerColor;
    return OwnerColors[owner];
}

}  // namespace tessel
