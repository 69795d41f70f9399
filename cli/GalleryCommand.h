// tessel-cli gallery: a browsable catalogue of scenarios with their
// minimaps, written as a static site.
#pragma once

#include "CliOptions.h"
#include "Console.h"

namespace tessel::cli {

int RunGallery(const GalleryOptions& options, Console& console);

}  // namespace tessel::cli
