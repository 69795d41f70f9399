#include "BuiltinTileset.h"

#include "BuiltinTilesetTables.h"

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

MinimapBackend BuiltinTilesetBackend()
{
    MinimapBackend backend = DefaultMinimapBackend();
    backend.LoadTerrain = [](const std::string&, int32_t era) {
        auto terrain = std::make_shared<TTerrainData>();
        LoadBuiltinTileset(*terrain, era);
        return std::shared_ptr<const TTerrainData>(std::move(terrain));
    };
    backend.NeedsArchive = false;
    return backend;
}

}  // namespace tessel
