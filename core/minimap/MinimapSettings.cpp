#include "minimap/MinimapSettings.h"

#include <algorithm>

namespace tessel {

TMinimapSettings MinimapSettings;

int ImageSizeIndexForMapSide(uint16_t mapSide) { return std::clamp(mapSide / 32, 1, 4); }

}  // namespace tessel
