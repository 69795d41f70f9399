#include "EraCache.h"

namespace tessel::cli {

EraCache::Entry& EraCache::EntryFor(const std::string& archivePath, int32_t era)
{
    std::lock_guard lock(entriesMutex_);
    auto& slot = entries_[{archivePath, era}];
    if (!slot)
        slot = std::make_unique<Entry>();
    return *slot;
}

std::shared_ptr<const TTerrainData> EraCache::Get(const std::string& archivePath, int32_t era)
{
    Entry& entry = EntryFor(archivePath, era);
    {
        std::lock_guard lock(entry.Loading);
        if (!entry.Done) {
            entry.Era = RememberedEra::Load(archivePath, era);
            entry.Done = true;
        }
    }
    // Outside the lock: what Replay reads no longer changes.
    return entry.Era.Replay();
}

std::shared_ptr<const TilePictures> EraCache::GetPictures(const std::string& archivePath, int32_t era)
{
    Entry& entry = EntryFor(archivePath, era);
    std::lock_guard lock(entry.Loading);
    return entry.Era.DecodedPictures();
}

}  // namespace tessel::cli
