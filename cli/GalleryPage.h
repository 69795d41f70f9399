// The gallery's site around its minimaps: index.html (the page, with the
// title, the filter's choices, the count of maps and the failures filled
// in), its style sheet and script, the page's table of its cards
// (GalleryCards.h), and the data of every map as maps.json.
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
// The parts of the card table are written so too.
std::string JsonForScript(const JsonObject& value);

// A count as the page writes it, in groups of three digits ("5,250").
std::string GroupedNumber(std::size_t number);

// index.html for maps: an array of the objects of ScenarioJson with a
// "minimap" URL, and of failures with an "error".
std::string GalleryIndexPage(const std::string& title, const JsonObject& maps);

// Writes index.html, gallery.css, gallery.js, the parts of the card table
// and maps.json into folder, each replacing its file only once it is
// complete, the page last; raises EInOutError.
void WriteGallerySite(const std::string& folder, const std::string& title, const JsonObject& maps);

}  // namespace tessel::cli
