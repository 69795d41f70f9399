#include "EraCache.h"

#include "ErrorBox.h"
#include "Exceptions.h"

#include <new>

namespace tessel::cli {

std::shared_ptr<const TTerrainData> EraCache::Get(const std::string& archivePath, int32_t era)
{
    Entry* entry;
    {
        std::lock_guard lock(entriesMutex_);
        auto& slot = entries_[{archivePath, era}];
        if (!slot)
            slot = std::make_unique<Entry>();
        entry = slot.get();
    }

    std::shared_ptr<const TTerrainData> terrain;
    std::vector<std::string> boxes;
    std::string failure;
    {
    std::lock_guard lock(entry->Loading);
    if (!entry->Done) {
        ScopedErrorBoxHandler collect([entry](const std::string& text) { entry->Boxes.push_back(text); });
        try {
            auto terrain = std::make_shared<TTerrainData>();
            terrain->LoadFromMaindat(archivePath, era);
            entry->Terrain = std::move(terrain);
        } catch (const Exception& error) {
            entry->Failure = error.Message();
        } catch (const std::bad_alloc&) {
            entry->Failure = EOutOfMemory().Message();
        }
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

}  // namespace tessel::cli
