// The renderer: one loaded scenario and one loaded era in, a square raster of
// palette indices out. MakeMinimap and the command-line renderer share it.
#pragma once

#include "era/TerrainData.h"
#include "era/TilePictures.h"
#include "image/Palette.h"
#include "minimap/MinimapSettings.h"
#include "minimap/RectanglePainter.h"
#include "scenario/PudData.h"

#include <cstdint>
#include <vector>

namespace tessel {

// Largest image side: its stride still fits the writer's 16-bit width.
inline constexpr int32_t MaximumImageSide = 65532;

struct MinimapRaster {
    int32_t Side = 0;
    // Side x Side palette indices, row 0 (the map's top) first.
    std::vector<uint8_t> Pixels;
};

// The image side for the scenario's map side; raises Exception "Invalid
// image size (%d)." outside 0 .. 65532 and "Out of memory." for side 0.
int32_t ImageSideForMap(const TMinimapSettings& settings, uint16_t mapSide);

// Samples the terrain (the pixel at each image pixel's top-left corner in map
// coordinates) and, when settings.DspUnits is set, paints every unit over it.
MinimapRaster RenderMinimap(const TPUDData& scenario, const TTerrainData& terrain, const TMinimapSettings& settings);

// The same from the era's pictures decoded beforehand, for callers that
// render many maps of one era; the result is byte for byte the same.
MinimapRaster RenderMinimap(const TPUDData& scenario, const TilePictures& pictures, const TMinimapSettings& settings);

// The rectangles that the scenario's units cover in an image of the given
// side, in unit order, cut to the image; units wholly outside it are left out.
std::vector<PaintedRectangle> UnitRectangles(const TPUDData& scenario, int32_t side);

// The era palette (0 to 63 per byte) scaled to the bitmap's 0 to 252; colours
// that a short palette lacks are black.
BitmapPalette MakeBitmapPalette(const TTerrainData& terrain);

}  // namespace tessel
