// tessel-cli gallery: a browsable catalogue of scenarios with their
// minimaps, written as a static site.
#pragma once

#include "CliOptions.h"
#include "Console.h"
#include "ScenarioDiscovery.h"

#include <string>

namespace tessel::cli {

// The scenario's path relative to the gallery's inputs, with "/"
// separators: its sub-folder below the searched folder and its file name.
std::string GalleryMapPath(const ScenarioInput& input);

int RunGallery(const GalleryOptions& options, Console& console);

}  // namespace tessel::cli
