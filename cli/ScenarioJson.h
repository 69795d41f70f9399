// What a scenario holds as JSON: the objects of "info --json" and of a
// gallery's maps.json. The field names are documented in the README and
// stay stable; a field whose chunk is missing or short is null.
#pragma once

#include "JsonLines.h"
#include "scenario/ScenarioInfo.h"

#include <string>

namespace tessel::cli {

// path, era, era_name, side, units: what info has always shown.
JsonObject ScenarioHeadJson(const std::string& path, const TScenarioInfo& info);

// Adds version, description, players, human_seats, computer_seats,
// rescue_slots, gold_mines, gold, oil_patches and slots (each with
// controller, race, race_fixed, gold, lumber, oil and start).
void AddCatalogueJson(JsonObject& object, const TScenarioInfo& info);

// The head, then the catalogue fields.
JsonObject ScenarioJson(const std::string& path, const TScenarioInfo& info);

// path and error.
JsonObject FailureJson(const std::string& path, const std::string& error);

}  // namespace tessel::cli
