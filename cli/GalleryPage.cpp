#include "GalleryPage.h"

#include "EmbeddedFiles.h"
#include "system/FileLayer.h"
#include "text/PathPieces.h"

#include <map>

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

std::string GalleryIndexPage(const std::string& title, const JsonObject& maps)
{
    return Fill(GalleryFile("index.html"), {{"title", HtmlText(title)}, {"data", JsonForScript(maps)}});
}

void WriteGallerySite(const std::string& folder, const std::string& title, const JsonObject& maps)
{
    WriteWholeFile(JoinPath(folder, "gallery.css"), GalleryFile("gallery.css"));
    WriteWholeFile(JoinPath(folder, "gallery.js"), GalleryFile("gallery.js"));
    WriteWholeFile(JoinPath(folder, "maps.json"), JsonLine(maps) + "\n");
    WriteWholeFile(JoinPath(folder, "index.html"), GalleryIndexPage(title, maps));
}

}  // namespace tessel::cli
