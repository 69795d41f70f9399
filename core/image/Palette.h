// The palette of a written image: 256 red, green and blue triplets, each
// byte as it goes into the file. The renderer makes it from the era's
// palette; the bitmap and PNG writers store it.
#pragma once

#include <array>
#include <cstdint>

namespace tessel {

using BitmapPalette = std::array<uint8_t, 768>;

}  // namespace tessel
