// The generator of the built-in tileset: a palette and tile pictures of our
// own for the four eras. Nothing here comes from the game; every tile
// picture is coloured by the terrain class its code names (TileCodes.h), so
// real maps render recognisably. The build runs it once, through
// tessel_generate_tileset, and compiles its tables into tessel_tileset.
#pragma once

#include "era/TerrainData.h"

namespace tessel {

// The palette, MMI, MMT and TMI of era (0 to 3), as if loaded from an
// archive; the same bytes at every call and on every platform. Units are
// painted with owner slots 208, 212, ..., 236 and index 12; these hold
// vivid, distinct colours in every era.
TTerrainData GenerateBuiltinEra(int32_t era);

}  // namespace tessel
