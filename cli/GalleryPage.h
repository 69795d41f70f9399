// The gallery's site around its minimaps: index.html (the page, with the
// title and the data of every map filled in), its style sheet and script,
// and the data again as maps.json.
#pragma once

#include "ScenarioJson.h"

#include <string>
#include <string_view>

namespace tessel::cli {

// Text safe in HTML element content and attribute values.
std::string HtmlText(std::string_view text);

// A relative path as a URL: every byte but letters, digits, "-._~" and "/"
// percent-encoded, so that any file name (also one that is not UTF-8)
// reaches the file it names.
std::string RelativeUrl(std::string_view path);

// JSON that may stand inside an HTML script element: "<" is written as
// \u003c, so no "</script>" or "<!--" in a name or description can end it.
std::string JsonForScript(const JsonObject& value);

// index.html for maps: an array of the objects of ScenarioJson with a
// "minimap" URL, and of failures with an "error".
std::string GalleryIndexPage(const std::string& title, const JsonObject& maps);

// Writes index.html, gallery.css, gallery.js and maps.json into folder,
// each replacing its file only once it is complete; raises EInOutError.
void WriteGallerySite(const std::string& folder, const std::string& title, const JsonObject& maps);

}  // namespace tessel::cli
