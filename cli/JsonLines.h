// The JSON output of tessel-cli: one object per line (JSON Lines), built with
// nlohmann::json, keys in the order they were set. Text that is not valid
// UTF-8 (a file name is only bytes) has each invalid byte sequence replaced
// by U+FFFD, so that every line is valid JSON.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace tessel::cli {

using JsonObject = nlohmann::ordered_json;

// value as one line of JSON, without the line break.
std::string JsonLine(const JsonObject& value);

}  // namespace tessel::cli
