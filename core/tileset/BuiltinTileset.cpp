#include "tileset/BuiltinTileset.h"

#include "base/ErrorBox.h"
#include "base/Exceptions.h"
#include "tileset/BuiltinTilesetTables.h"

#include <array>
#include <mutex>
#include <new>

namespace tessel {

void LoadBuiltinTileset(TTerrainData& terrain, int32_t era)
{
    terrain = TTerrainData();
    CheckEra(era);
    const BuiltinEraTables& tables = BuiltinTilesetTables[static_cast<std::size_t>(era)];
    terrain.Palette.assign(tables.Palette.begin(), tables.Palette.end());
    terrain.MMI.assign(tables.MMI.begin(), tables.MMI.end());
    terrain.MMT.assign(tables.MMT.begin(), tables.MMT.end());
    terrain.TMI.assign(tables.TMI.begin(), tables.TMI.end());
    terrain.PaletteSize = static_cast<uint32_t>(tables.Palette.size());
    terrain.MMISize = static_cast<uint32_t>(tables.MMI.size());
    terrain.MMTSize = static_cast<uint32_t>(tables.MMT.size());
    terrain.TMISize = static_cast<uint32_t>(tables.TMI.size());
}

std::shared_ptr<const TilePictures> BuiltinTilesetPictures(int32_t era)
{
    CheckEra(era);
    // The built-in eras never change: each is decoded once per process. A
    // decoding that fails leaves its flag unset, to be tried again.
    static std::array<std::once_flag, 4> decoded;
    static std::array<std::shared_ptr<const TilePictures>, 4> pictures;
    const auto index = static_cast<std::size_t>(era);
    std::call_once(decoded[index], [index, era] {
        TTerrainData terrain;
        LoadBuiltinTileset(terrain, era);
        pictures[index] = std::make_shared<const TilePictures>(terrain);
    });
    return pictures[index];
}

MinimapBackend BuiltinTilesetBackend()
{
    MinimapBackend backend = DefaultMinimapBackend();
    backend.LoadTerrain = [](const std::string&, int32_t era) {
        auto terrain = std::make_shared<TTerrainData>();
        LoadBuiltinTileset(*terrain, era);
        return std::shared_ptr<const TTerrainData>(std::move(terrain));
    };
    backend.LoadPictures = [](const std::string&, int32_t era) { return BuiltinTilesetPictures(era); };
    backend.NeedsArchive = false;
    return backend;
}

std::shared_ptr<const TTerrainData> ArchiveOrBuiltinTerrain(const std::string& archivePath, int32_t era)
{
    auto terrain = std::make_shared<TTerrainData>();
    if (!archivePath.empty()) {
        const ErrorBoxCapture silence;
        try {
            terrain->LoadFromMaindat(archivePath, era);
            return terrain;
        } catch (const Exception&) {
        } catch (const std::bad_alloc&) {
        }
    }
    LoadBuiltinTileset(*terrain, era);
    return terrain;
}

}  // namespace tessel
