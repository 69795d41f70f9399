#include "ArchiveEras.h"

#include "era/Era.h"

namespace tessel::web {

void ArchiveEras::Forget() { eras_.clear(); }

RememberedEra& ArchiveEras::Load(const std::string& archivePath, int32_t era)
{
    CheckEra(era);  // before anything is kept: only four eras are ever kept
    if (archivePath != archivePath_) {
        Forget();
        archivePath_ = archivePath;
    }
    if (const auto found = eras_.find(era); found != eras_.end())
        return found->second;
    return eras_.emplace(era, RememberedEra::Load(archivePath, era)).first->second;
}

std::shared_ptr<const TTerrainData> ArchiveEras::Terrain(const std::string& archivePath, int32_t era)
{
    return Load(archivePath, era).Replay();
}

std::shared_ptr<const TilePictures> ArchiveEras::Pictures(const std::string& archivePath, int32_t era)
{
    return Load(archivePath, era).DecodedPictures();
}

}  // namespace tessel::web
