// What a scenario holds as JSON: the objects of "info --json" and of a
// gallery's maps.json. The field names are documented in the README and
// stay stable; a field whose chunk is missing or short is null.
#pragma once

#include "ScenarioInfo.h"

#include <nlohmann/json.hpp>

#include <string>

namespace tessel::cli {

using Json = nlohmann::ordered_json;

// path, era, era_name, side, units, version, description, players,
// gold_mines, gold, oil_patches, slots.
Json ScenarioJson(const std::string& path, const TScenarioInfo& info);

// path and error.
Json FailureJson(const std::string& path, const std::string& error);

// The text of a JSON value on one line. Bytes that are not UTF-8 (file
// names may hold any) become U+FFFD instead of failing.
std::string JsonText(const Json& value);

}  // namespace tessel::cli
