// What a gallery holds of each map besides its minimap: a larger picture,
// opened from the card, and a copy of the scenario file itself for
// download, whose SHA-256 tells byte-identical copies apart. All of them
// lie inside the gallery's folder, so that the site still works when it is
// copied elsewhere.
#pragma once

#include "ScenarioDiscovery.h"
#include "minimap/MinimapSettings.h"
#include "system/FileIdentity.h"

#include <set>
#include <string>
#include <string_view>

namespace tessel::cli {

// The gallery's folders of the card images (with the scenarios' copies
// beside them) and of the larger pictures, laid out alike.
inline constexpr const char* MinimapFolder = "minimaps";
inline constexpr const char* PreviewFolder = "previews";

// The larger picture has twice the card's side, but no more than this, and
// never less than the card's.
inline constexpr int32_t LargestPreviewSide = 1024;
TMinimapSettings PreviewSettings(const TMinimapSettings& cardSettings);

// The name of a scenario's copy: its image's name (unique in the run) with
// ".pud" for the image's extension ("sub/x-2.png" gives "sub/x-2.pud").
std::string ScenarioCopyName(std::string_view image);

// Whether path lies in the folder of the card images, where the gallery
// keeps its copies of scenarios: a gallery written into a folder that it
// shows must not show its own copies on the next run.
bool LiesInFolder(const std::string& path, const std::string& folder);

struct ScenarioCopy {
    std::string Sha256;  // lowercase hexadecimal
    // Whether destination holds the scenario's bytes: false where another
    // scenario of the run lies there, which is left alone.
    bool Available = false;
};

// Reads the scenario source names (a file, or an entry of a zip archive)
// whole, refusing one larger than a scenario may be, as the reader does,
// and writes it to destination through a
// temporary file, unless a scenario of the run (scenarios holds their
// identities) lies there: nothing is ever written over one. Raises
// Exception.
ScenarioCopy CopyScenario(const ScenarioInput& source, const std::string& destination,
                          const std::set<FileIdentity>& scenarios);

}  // namespace tessel::cli
