// Demo data made from nothing: the built-in tileset packed as a game
// archive, and a handful of scenarios to render with it. Nothing here comes
// from the game.
#pragma once

#include "ArchiveWriter.h"
#include "ScenarioWriter.h"

#include <string>
#include <vector>

namespace tessel {

// An archive holding the four eras of the built-in tileset at their entry
// numbers, compressed.
void WriteDemoArchive(const std::string& path);

struct DemoScenario {
    std::string FileName;
    ScenarioContent Content;
};

// Generated scenarios of every era and every map size, the same at every call.
std::vector<DemoScenario> MakeDemoScenarios();

}  // namespace tessel
