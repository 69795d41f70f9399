#include "DemoData.h"

#include "tileset/BuiltinTileset.h"

namespace tessel {

void WriteDemoArchive(const std::string& path)
{
    ArchiveWriter archive;
    for (int32_t era = 0; era < 4; ++era) {
        TTerrainData terrain;
        LoadBuiltinTileset(terrain, era);
        archive.Era(era, TablesOf(terrain), true);
    }
    archive.WriteTo(path);
}

}  // namespace tessel
