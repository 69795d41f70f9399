// Demo data made from nothing: a tileset of our own for the four eras,
// packed as a game archive, and a handful of scenarios to render with it.
// Nothing here comes from the game; every tile picture is coloured by the
// terrain class its code names, so real maps render recognisably too.
#pragma once

#include "ArchiveWriter.h"
#include "ScenarioWriter.h"

#include <string>
#include <vector>

namespace tessel {

// The palette, MMI, MMT and TMI of era (0 to 3), the same at every call.
// Units are painted with owner slots 208, 212, ..., 232 and index 12; these
// hold vivid, distinct colours in every era.
EraTables MakeDemoEra(int era);

// An archive holding the four demo eras at their entry numbers, compressed.
void WriteDemoArchive(const std::string& path);

struct DemoScenario {
    std::string FileName;
    ScenarioContent Content;
};

// Generated scenarios of every era and every map size, the same at every call.
std::vector<DemoScenario> MakeDemoScenarios();

}  // namespace tessel
