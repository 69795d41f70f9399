#include "era/RememberedEra.h"

#include "base/ErrorBox.h"
#include "base/Exceptions.h"

#include <new>

namespace tessel {

RememberedEra RememberedEra::Load(const std::string& archivePath, int32_t era)
{
    RememberedEra loaded;
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
    return loaded;
}

std::shared_ptr<const TTerrainData> RememberedEra::Replay() const
{
    for (const std::string& box : Boxes)
        ErrorBox(box);
    if (!Terrain)
        throw Exception(Failure);
    return Terrain;
}

std::shared_ptr<const TilePictures> RememberedEra::DecodedPictures()
{
    if (!Pictures && Terrain)
        Pictures = std::make_shared<const TilePictures>(*Terrain);
    return Pictures;
}

}  // namespace tessel
