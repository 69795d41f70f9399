#include "GalleryPage.h"

#include "EmbeddedFiles.h"
#include "GalleryCards.h"
#include "system/FileLayer.h"
#include "text/PathPieces.h"
#include "text/PathText.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

namespace tessel::cli {

namespace {

// The template with every "{{name}}" replaced by its value, in one pass, so
// that a value holding a placeholder's text is never replaced again.
std::string Fill(std::string_view text, const std::map<std::string_view, std::string>& values)
{
    std::string out;
    std::size_t done = 0;
    for (std::size_t open = text.find("{{"); open != std::string_view::npos; open = text.find("{{", done)) {
        const std::size_t close = text.find("}}", open + 2);
        if (close == std::string_view::npos)
            break;
        const auto value = values.find(text.substr(open + 2, close - open - 2));
        if (value == values.end()) {
            out.append(text, done, open + 2 - done);
            done = open + 2;
            continue;
        }
        out.append(text, done, open - done);
        out += value->second;
        done = close + 2;
    }
    out.append(text, done);
    return out;
}

void WriteWholeFile(const std::string& path, std::string_view content)
{
    ReplacingOutputFile file(path);
    file.Write(content.data(), content.size());
    file.Commit();
}

// A string of the data as valid UTF-8, each invalid byte sequence replaced
// as in maps.json.
std::string ValidText(const JsonObject& text) { return JsonObject::parse(JsonLine(text)).get<std::string>(); }

// "Showing 5,250 of 5,250 maps; 2 could not be read.", as the page's script
// writes it for a view that shows every map.
std::string SummaryText(std::size_t cards, std::size_t failed)
{
    std::string text =
        "Showing " + GroupedNumber(cards) + " of " + GroupedNumber(cards) + (cards == 1 ? " map" : " maps");
    if (failed > 0)
        text += "; " + GroupedNumber(failed) + " could not be read";
    return text + ".";
}

// The choices of a filter: the values the cards hold, smallest first.
std::string Options(const std::vector<const JsonObject*>& cards, const char* key, bool asSide)
{
    std::set<int64_t> values;
    for (const JsonObject* card : cards)
        if (card->at(key).is_number_integer())
            values.insert(card->at(key).get<int64_t>());
    std::string options;
    for (const int64_t value : values) {
        const std::string number = std::to_string(value);
        options += "<option value=\"" + number + "\">" + (asSide ? number + " \u00d7 " + number : number) +
                   "</option>";
    }
    return options;
}

std::string FailureItems(const JsonObject& maps)
{
    std::string items;
    for (const JsonObject& entry : maps) {
        if (!entry.contains("error"))
            continue;
        const std::string path = HtmlText(ValidText(entry.at("path")));
        items += "\n    <li data-failed=\"" + path + "\"><code>" + path + "</code>: <span class=\"message\">" +
                 HtmlText(ValidText(entry.at("error"))) + "</span></li>";
    }
    return items;
}

std::size_t CopyCount(const std::vector<const JsonObject*>& cards)
{
    const std::vector<JsonObject> originals = OriginalsOfCopies(cards);
    return static_cast<std::size_t>(
        std::count_if(originals.begin(), originals.end(), [](const JsonObject& original) { return !original.is_null(); }));
}

std::string CardPartScript(const JsonObject& part)
{
    return "(self.galleryParts = self.galleryParts || []).push(" + JsonForScript(part) + ");\n";
}

}  // namespace

std::string HtmlText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string RelativeUrl(std::string_view path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
    return out;
}

std::string JsonForScript(const JsonObject& value)
{
    const std::string text = JsonLine(value);
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '<')
            out += "\\u003c";
        else
            out += c;
    }
    return out;
}

std::string GroupedNumber(std::size_t number)
{
    const std::string digits = std::to_string(number);
    std::string grouped;
    for (std::size_t k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0)
            grouped += ',';
        grouped += digits[k];
    }
    return grouped;
}

std::string GalleryIndexPage(const std::string& title, const JsonObject& maps)
{
    const std::vector<const JsonObject*> cards = CardsInNameOrder(maps);
    const std::size_t failed = maps.size() - cards.size();
    return Fill(GalleryFile("index.html"), {{"title", HtmlText(title)},
                                            {"summary", SummaryText(cards.size(), failed)},
                                            {"side-options", Options(cards, "side", true)},
                                            {"player-options", Options(cards, "players", false)},
                                            {"copies", GroupedNumber(CopyCount(cards))},
                                            {"failures", FailureItems(maps)},
                                            {"failures-hidden", failed > 0 ? "" : " hidden"}});
}

void WriteGallerySite(const std::string& folder, const std::string& title, const JsonObject& maps)
{
    WriteWholeFile(JoinPath(folder, "gallery.css"), GalleryFile("gallery.css"));
    WriteWholeFile(JoinPath(folder, "gallery.js"), GalleryFile("gallery.js"));
    WriteWholeFile(JoinPath(folder, "maps.json"), JsonLine(maps) + "\n");
    const std::vector<const JsonObject*> cards = CardsInNameOrder(maps);
    const std::vector<JsonObject> parts = CardTableParts(cards, maps.size() - cards.size());
    std::error_code ignored;  // a folder that cannot be made shows when its first part is written
    std::filesystem::create_directories(PathOfText(JoinPath(folder, DirectoryPart(CardPartName(0)))), ignored);
    for (std::size_t k = 0; k < parts.size(); ++k)
        WriteWholeFile(JoinPath(folder, CardPartName(k)), CardPartScript(parts[k]));
    // Parts left by an earlier, larger gallery would only be dead weight.
    for (std::size_t k = parts.size();
         std::filesystem::is_regular_file(PathOfText(JoinPath(folder, CardPartName(k))), ignored); ++k)
        std::filesystem::remove(PathOfText(JoinPath(folder, CardPartName(k))), ignored);
    WriteWholeFile(JoinPath(folder, "index.html"), GalleryIndexPage(title, maps));
}

}  // namespace tessel::cli
