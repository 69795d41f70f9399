// The built-in tileset: a palette and tile pictures of our own for the four
// eras, compiled into the program, so that maps render without the game's
// archive. Loading an era copies about 15 KB; nothing is computed.
#pragma once

#include "era/TerrainData.h"
#include "minimap/MakeMinimap.h"

#include <memory>

namespace tessel {

// Fills terrain with era's tables, as LoadFromMaindat does from an archive.
// Raises Exception "Invalid era (%d)." for an era outside 0 to 3, leaving
// terrain without buffers.
void LoadBuiltinTileset(TTerrainData& terrain, int32_t era);

// The decoded pictures of era's built-in tables, decoded once per process
// and shared. Raises as LoadBuiltinTileset does, and EOutOfMemory.
std::shared_ptr<const TilePictures> BuiltinTilesetPictures(int32_t era);

// MakeMinimap's backend for the built-in tileset: it needs no archive (the
// archive path is not looked at) and writes bitmaps.
MinimapBackend BuiltinTilesetBackend();

// The era's terrain from the archive at archivePath when it loads, else
// from the built-in tileset, for thumbnails, which are made either way: the
// archive's messages are not shown. Raises as LoadBuiltinTileset does.
std::shared_ptr<const TTerrainData> ArchiveOrBuiltinTerrain(const std::string& archivePath, int32_t era);

}  // namespace tessel
