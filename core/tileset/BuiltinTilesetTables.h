// The built-in tileset's tables as compiled into the program; the build
// generates their definition (GenerateTileset.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace tessel {

struct BuiltinEraTables {
    std::span<const uint8_t> Palette;
    std::span<const uint8_t> MMI;
    std::span<const uint8_t> MMT;
    std::span<const uint8_t> TMI;
};

// Indexed by era, 0 to 3.
extern const std::array<BuiltinEraTables, 4> BuiltinTilesetTables;

}  // namespace tessel
