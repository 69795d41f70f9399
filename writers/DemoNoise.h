// Deterministic noise for the demo maps: integer arithmetic only, so the
// generated maps are the same bytes on every platform.
#pragma once

#include "tileset/MixHash.h"

#include <cstdint>

namespace tessel::demo_noise {

inline constexpr int32_t NoiseOne = 1024;

// Smooth value noise: lattice values 0 to NoiseOne on a grid of cell units,
// blended with a smoothstep; the result lies in 0 .. NoiseOne.
inline int32_t ValueNoise(uint32_t seed, int32_t x, int32_t y, int32_t cell)
{
    const int32_t cx = x / cell;
    const int32_t cy = y / cell;
    const int32_t fx = (x % cell) * NoiseOne / cell;
    const int32_t fy = (y % cell) * NoiseOne / cell;
    auto lattice = [seed](int32_t i, int32_t j) {
        return static_cast<int32_t>(MixHash(seed, static_cast<uint32_t>(i), static_cast<uint32_t>(j)) % (NoiseOne + 1));
    };
    auto smooth = [](int32_t t) { return t * t / NoiseOne * (3 * NoiseOne - 2 * t) / NoiseOne; };
    const int32_t sx = smooth(fx);
    const int32_t sy = smooth(fy);
    const int32_t top = lattice(cx, cy) + (lattice(cx + 1, cy) - lattice(cx, cy)) * sx / NoiseOne;
    const int32_t bottom = lattice(cx, cy + 1) + (lattice(cx + 1, cy + 1) - lattice(cx, cy + 1)) * sx / NoiseOne;
    return top + (bottom - top) * sy / NoiseOne;
}

// Three octaves of value noise, largest cell first; 0 .. NoiseOne.
inline int32_t FractalNoise(uint32_t seed, int32_t x, int32_t y, int32_t cell)
{
    return (4 * ValueNoise(seed, x, y, cell) + 2 * ValueNoise(seed + 1, x, y, cell / 2 > 0 ? cell / 2 : 1) +
            ValueNoise(seed + 2, x, y, cell / 4 > 0 ? cell / 4 : 1)) /
           7;
}

}  // namespace tessel::demo_noise
