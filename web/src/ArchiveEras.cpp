#include "ArchiveEras.h"

#include "base/ErrorBox.h"
#include "base/Exceptions.h"
#include "era/Era.h"

#include <new>

namespace tessel::web {

void ArchiveEras::Forget() { eras_.clear(); }

ArchiveEras::Era& ArchiveEras::Load(const std::string& archivePath, int32_t era)
{
    CheckEra(era);  // before anything is kept: only four eras are ever kept
    if (archivePath != archivePath_) {
        Forget();
        archivePath_ = archivePath;
    }
    if (const auto found = eras_.find(era); found != eras_.end())
        return found->second;
    Era loaded;
    {
        ErrorBoxCapture capture;
        try {
            auto terrain = std::make_shared<TTerrainData>();
            terrain->LoadFromMaindat(archivePath, era);
            loaded.Terrain = std::move(terrain);
        } catch (const Exception& error) {
            loaded.Failure = error.Message();
        } catch (const std::bad_alloc&) {
            loaded.Failure = EOutOfMemory().Message();
        }
        loaded.Boxes = capture.TakeTexts();
    }
    return eras_.emplace(era, std::move(loaded)).first->second;
}

std::shared_ptr<const TTerrainData> ArchiveEras::Terrain(const std::string& archivePath, int32_t era)
{
    const Era& loaded = Load(archivePath, era);
    for (const std::string& box : loaded.Boxes)
        ErrorBox(box);
    if (!loaded.Terrain)
        throw Exception(loaded.Failure);
    return loaded.Terrain;
}

std::shared_ptr<const TilePictures> ArchiveEras::Pictures(const std::string& archivePath, int32_t era)
{
    Era& loaded = Load(archivePath, era);
    if (!loaded.Pictures && loaded.Terrain)
        loaded.Pictures = std::make_shared<const TilePictures>(*loaded.Terrain);
    return loaded.Pictures;
}

}  // namespace tessel::web
