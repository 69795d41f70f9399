// MakeMinimap: one scenario file in, one minimap bitmap file out. It shows
// every failure with ErrorBox itself and answers true only when the whole
// file was written.
#pragma once

#include "era/TerrainData.h"
#include "era/TilePictures.h"
#include "image/Palette.h"
#include "minimap/MinimapSettings.h"
#include "system/FileLayer.h"

#include <functional>
#include <memory>
#include <string>

namespace tessel {

// Where a call gets the era terrain and how it stores the raster. The
// default loads the era afresh from the archive and writes a bitmap; the
// command-line renderer shares loaded eras between calls and can write PNG.
struct MinimapBackend {
    std::function<std::shared_ptr<const TTerrainData>(const std::string& archivePath, int32_t era)> LoadTerrain;
    // Where a call gets the decoded pictures of the era that LoadTerrain
    // gave, for a backend that keeps them between calls; when empty, each
    // call decodes what it needs itself.
    std::function<std::shared_ptr<const TilePictures>(const std::string& archivePath, int32_t era)> LoadPictures;
    std::function<bool(const uint8_t* raster, uint16_t width, uint16_t height, const std::string& path,
                       const BitmapPalette& palette)>
        WriteImage;
    // Cleared for terrain that comes without an archive (the built-in
    // tileset): an empty MainDat is then no failure.
    bool NeedsArchive = true;
};

MinimapBackend DefaultMinimapBackend();

inline constexpr const char* LocateArchiveText =
    "You have to locate your MAINDAT.WAR file first. Click \"Options\".";

// Reads the process-wide MinimapSettings; caches nothing between calls.
bool MakeMinimap(const std::string& scenarioPath, const std::string& outputPath);

bool MakeMinimap(const std::string& scenarioPath, const std::string& outputPath, const TMinimapSettings& settings,
                 const MinimapBackend& backend);

// The same from a scenario file that the caller opened (one held in memory
// too), read from its start.
bool MakeMinimap(InputFile& scenarioFile, const std::string& outputPath, const TMinimapSettings& settings,
                 const MinimapBackend& backend);

}  // namespace tessel
