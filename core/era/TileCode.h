// A tile code: the terrain tile number that a scenario stores for each map
// cell (its MTXM chunk) and that an era's tables give a picture for.
#pragma once

#include <cstdint>

namespace tessel {

using TileCode = uint16_t;

}  // namespace tessel
