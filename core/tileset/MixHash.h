// A well-mixed 32-bit hash of up to four values, for generated data: integer
// arithmetic only, so the built-in tileset and the demo maps are the same
// bytes on every platform.
#pragma once

#include <cstdint>

namespace tessel {

inline uint32_t MixHash(uint32_t a, uint32_t b = 0, uint32_t c = 0, uint32_t d = 0)
{
    uint32_t h = a * 0x9E3779B1u ^ b * 0x85EBCA77u ^ c * 0xC2B2AE3Du ^ d * 0x27D4EB2Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

}  // namespace tessel
