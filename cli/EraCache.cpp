#include "EraCache.h"

#include "base/ErrorBox.h"
#include "base/Exceptions.h"

#include <new>

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
    Entry* entry = &EntryFor(archivePath, era);

    std::shared_ptr<const TTerrainData> terrain;
    std::vector<std::string> boxes;
    std::string failure;
    {
        std::lock_guard lock(entry->Loading);
        if (!entry->Done) {
            ErrorBoxCapture capture;
            try {
                auto terrain = std::make_shared<TTerrainData>();
                terrain->LoadFromMaindat(archivePath, era);
                entry->Terrain = std::move(terrain);
            } catch (const Exception& error) {
                entry->Failure = error.Message();
            } catch (const std::bad_alloc&) {
                entry->Failure = EOutOfMemory().Message();
            }
            entry->Boxes = capture.TakeTexts();
            entry->Done = true;
        }
        terrain = entry->Terrain;
        boxes = entry->Boxes;
        failure = entry->Failure;
    }
    for (const std::string& box : boxes)
        ErrorBox(box);
    if (!terrain)
        throw Exception(failure);
    return terrain;
}

std::shared_ptr<const TilePictures> EraCache::GetPictures(const std::string& archivePath, int32_t era)
{
    Entry& entry = EntryFor(archivePath, era);
    std::lock_guard lock(entry.Loading);
    if (!entry.Pictures && entry.Terrain)
        entry.Pictures = std::make_shared<const TilePictures>(*entry.Terrain);
    return entry.Pictures;
}

}  // namespace tessel::cli
