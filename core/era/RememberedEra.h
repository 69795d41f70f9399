// An era loaded from an archive once, kept with the boxes its load showed:
// every later request shows the same boxes and fails the same way, so a
// program that keeps eras between maps reports exactly what it would report
// with the archive read afresh for each map.
#pragma once

#include "era/TerrainData.h"
#include "era/TilePictures.h"

#include <memory>
#include <string>
#include <vector>

namespace tessel {

struct RememberedEra {
    std::shared_ptr<const TTerrainData> Terrain;  // none when the load failed
    std::shared_ptr<const TilePictures> Pictures;  // decoded at the first request
    std::vector<std::string> Boxes;
    std::string Failure;

    // Loads the era, keeping what the load showed and raised rather than
    // showing or raising it.
    static RememberedEra Load(const std::string& archivePath, int32_t era);

    // Shows the boxes again; the terrain, or raises the load's failure.
    std::shared_ptr<const TTerrainData> Replay() const;
    // The era's pictures, decoded now if not yet; none for an era that did
    // not load. Raises EOutOfMemory.
    std::shared_ptr<const TilePictures> DecodedPictures();
};

}  // namespace tessel
