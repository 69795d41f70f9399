// Loads each era of an archive once and shares it among all workers of a
// run, remembered as RememberedEra says: a cached run reports exactly what
// a run without the cache reports.
#pragma once

#include "era/RememberedEra.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace tessel::cli {

class EraCache {
public:
    // The era loaded from archivePath; raises what TTerrainData raised.
    std::shared_ptr<const TTerrainData> Get(const std::string& archivePath, int32_t era);
    // The pictures of an era that Get loaded, decoded at the first request;
    // none for an era that did not load. Raises EOutOfMemory.
    std::shared_ptr<const TilePictures> GetPictures(const std::string& archivePath, int32_t era);

private:
    struct Entry {
        std::mutex Loading;
        bool Done = false;
        RememberedEra Era;  // once Done, only its Pictures change, under Loading
    };

    Entry& EntryFor(const std::string& archivePath, int32_t era);

    std::mutex entriesMutex_;
    std::map<std::pair<std::string, int32_t>, std::unique_ptr<Entry>> entries_;
};

}  // namespace tessel::cli
