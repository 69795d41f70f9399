// The picture that Explorer's thumbnail handler hands over: a scenario's
// minimap as 32-bit colours, drawn as tessel-cli draws it. Plain C++, so
// that it is the same wherever it is built.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessel::explorer {

// Explorer asks for sides up to 256 for its views, more for the preview
// pane; the handler never draws beyond this.
inline constexpr int32_t LargestThumbnailSide = 1024;

struct ThumbnailPixels {
    int32_t Side = 0;
    // Side x Side colours, the top row first, each 0xFFRRGGBB (in memory
    // blue, green, red, then 255: a top-down 32-bit bitmap's pixels).
    std::vector<uint32_t> Pixels;
};

// The minimap of the scenario at scenarioPath, requestedSide pixels square
// (at most LargestThumbnailSide). The settings file (empty for none) gives
// the archive, drawn from when it loads, else the built-in tileset, and
// whether units are drawn. Raises Exception (EPUDEx for a damaged scenario,
// "Invalid image size (%d)." for a side below 1) or EOutOfMemory.
ThumbnailPixels RenderThumbnailPixels(const std::string& scenarioPath, int32_t requestedSide,
                                      const std::string& settingsFile);

}  // namespace tessel::explorer
