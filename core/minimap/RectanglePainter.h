// Paints filled rectangles into a square raster, a later rectangle over an
// earlier one, with the result of painting them one after another but in
// time that grows with rectangles x side plus the raster's area, never with
// rectangles x area: a few small rectangles one after another, many large
// ones row by row, from the topmost rectangle down, skipping pixels already
// painted.
#pragma once

#include <cstdint>
#include <vector>

namespace tessel {

// Inclusive bounds, already cut to the raster.
struct PaintedRectangle {
    uint16_t Left;
    uint16_t Top;
    uint16_t Right;
    uint16_t Bottom;
    uint8_t Color;
};

// raster: side x side bytes, row after row. Every rectangle lies inside it
// with Left <= Right and Top <= Bottom.
void PaintRectangles(const std::vector<PaintedRectangle>& rectangles, uint8_t* raster, int32_t side);

}  // namespace tessel
