// What the web page asks of the core: the minimap of a scenario file as a
// raster with its palette, or as the bitmap file tessel-cli writes, with the
// messages tessel-cli prints when it fails; and the facts of a scenario.
#pragma once

#include "ArchiveEras.h"
#include "image/BmpWriter.h"
#include "minimap/MakeMinimap.h"
#include "scenario/ScenarioInfo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessel::web {

struct MinimapRequest {
    std::string ScenarioPath;
    int32_t Side = 256;  // the image side, whatever the map's side
    bool Units = true;
    std::string ArchivePath;  // empty: the built-in tileset
};

struct PageMinimap {
    bool Made = false;
    // What tessel-cli prints after the map's name, one line each.
    std::vector<std::string> Messages;
    int32_t Side = 0;
    std::vector<uint8_t> Pixels;  // Side x Side palette indexes, row 0 first
    BitmapPalette Palette{};
};

class PageMinimaps {
public:
    // The raster that tessel-cli render draws for the request.
    PageMinimap Render(const MinimapRequest& request);
    // Writes the bitmap that tessel-cli render writes for the request.
    PageMinimap WriteBitmap(const MinimapRequest& request, const std::string& bitmapPath);
    // The archive's file has changed: its eras are read afresh.
    void ForgetArchive() { eras_.Forget(); }

private:
    // Fills Made and Messages of minimap.
    void Make(const MinimapRequest& request, const std::string& outputPath, const MinimapBackend& backend,
              PageMinimap& minimap);
    MinimapBackend BackendFor(const MinimapRequest& request);

    ArchiveEras eras_;
};

// The facts of a scenario; none when it cannot be read (rendering it then
// tells why).
std::optional<TScenarioInfo> ScenarioFacts(const std::string& scenarioPath);

}  // namespace tessel::web
