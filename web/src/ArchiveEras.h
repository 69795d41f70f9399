// The eras of the archive the page was given, each loaded once and
// remembered as RememberedEra says, so a map reports exactly what it would
// report with the archive read afresh for it.
#pragma once

#include "era/RememberedEra.h"

#include <map>
#include <memory>
#include <string>

namespace tessel::web {

class ArchiveEras {
public:
    // The era as loaded from the archive at archivePath; raises what
    // TTerrainData raised. Another path forgets the eras of the last one.
    std::shared_ptr<const TTerrainData> Terrain(const std::string& archivePath, int32_t era);
    // The pictures of an era that Terrain loaded, decoded at the first
    // request; none for an era that failed. Raises EOutOfMemory.
    std::shared_ptr<const TilePictures> Pictures(const std::string& archivePath, int32_t era);
    // Forgets every era: the file behind the path has changed.
    void Forget();

private:
    RememberedEra& Load(const std::string& archivePath, int32_t era);

    std::string archivePath_;
    std::map<int32_t, RememberedEra> eras_;
};

}  // namespace tessel::web
