// Generated archives and scenarios for the tests that make minimaps.
#pragma once

#include "ShellTestSupport.h"

#include <cstdint>

namespace tessel::test {

// An archive holding the four test eras, era e made with seed e + 1.
void WriteFourEraArchive(const QString& path);

// A valid scenario of era and side, all tiles code 0, without units.
void WriteScenarioFile(const QString& path, uint16_t era = 0, uint16_t side = 32);

}  // namespace tessel::test
