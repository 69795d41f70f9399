// Scenario files written into a test's folder, with the folders they need.
#pragma once

#include "TestSupport.h"

#include "ScenarioWriter.h"

#include <filesystem>
#include <string>

namespace tessel::test {

// Writes the scenario to relative in dir and returns its path.
inline std::string WriteScenarioFile(const TempDir& dir, const std::string& relative, const ScenarioWriter& writer)
{
    const std::string path = dir.File(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writer.WriteTo(path);
    return path;
}

// A small valid map with one unit.
inline ScenarioContent MapWithOneUnit(uint16_t era = 0)
{
    ScenarioContent content;
    content.Era = era;
    content.Units = {{static_cast<uint16_t>(era + 1), 3, 2, 0, 0}};
    return content;
}

// A file that the reader refuses: "Invalid PUD (no DIM chunk)."
inline ScenarioWriter ScenarioWithoutDim() { return ScenarioWriter().Chunk(chunk_tag::Era, EraChunkData(0)); }

}  // namespace tessel::test
