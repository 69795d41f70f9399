#include "settings/IniFile.h"

#include "base/Exceptions.h"
#include "system/FileLayer.h"
#include "text/PathText.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace tessel {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

enum class LineKind { Other, Blank, Comment, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;   // section or key name
    std::string_view value;  // key value, blanks removed
    std::size_t valueStart = 0;  // where a rewritten value begins in the line
};

ParsedLine ParseLine(std::string_view content)
{
    ParsedLine parsed;
    std::string_view text = Trim(content);
    if (text.empty()) {
        parsed.kind = LineKind::Blank;
    } else if (text.front() == ';' || text.front() == '#') {
        parsed.kind = LineKind::Comment;
    } else if (text.front() == '[') {
        std::size_t close = text.find(']');
        if (close != std::string_view::npos) {
            parsed.kind = LineKind::Section;
            parsed.name = Trim(text.substr(1, close - 1));
        }
    } else if (std::size_t equals = content.find('='); equals != std::string_view::npos) {
        parsed.kind = LineKind::Key;
        parsed.name = Trim(content.substr(0, equals));
        parsed.valueStart = equals + 1;
        while (parsed.valueStart < content.size() && IsBlank(content[parsed.valueStart]))
            ++parsed.valueStart;
        parsed.value = Trim(content.substr(equals + 1));
    }
    return parsed;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool StartsLikeAnotherLine(std::string_view name)
{
    return !name.empty() && (name.front() == ';' || name.front() == '#' || name.front() == '[');
}

void CheckStorable(std::string_view section, std::string_view key, std::string_view value)
{
    const bool storable = !Trim(section).empty() && !Trim(key).empty() && !HasLineBreak(section) &&
                          !HasLineBreak(key) && !HasLineBreak(value) &&
                          section.find(']') == std::string_view::npos && key.find('=') == std::string_view::npos &&
                          !StartsLikeAnotherLine(Trim(key));
    if (!storable)
        throw Exception("Name or value cannot be stored in an INI file");
}

}  // namespace

IniDocument::IniDocument(std::string newLine) : newLine_(std::move(newLine)) {}

IniDocument IniDocument::FromText(std::string_view text)
{
    IniDocument document;
    if (text.starts_with(ByteOrderMark)) {
        document.byteOrderMark_ = ByteOrderMark;
        text.remove_prefix(ByteOrderMark.size());
    }
    bool endingFound = false;
    while (!text.empty()) {
        Line line;
        std::size_t newLine = text.find('\n');
        if (newLine == std::string_view::npos) {
            line.content = text;
            text = {};
        } else {
            std::size_t contentEnd = newLine > 0 && text[newLine - 1] == '\r' ? newLine - 1 : newLine;
            line.content = text.substr(0, contentEnd);
            line.ending = text.substr(contentEnd, newLine + 1 - contentEnd);
            text.remove_prefix(newLine + 1);
            if (!endingFound) {
                document.newLine_ = line.ending;
                endingFound = true;
            }
        }
        document.lines_.push_back(std::move(line));
    }
    return document;
}

std::optional<std::string> IniDocument::Value(std::string_view section, std::string_view key) const
{
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        ParsedLine parsed = ParseLine(lines_[i].content);
        if (parsed.kind == LineKind::Section) {
            // Only the first section of a name counts, as with the profile functions.
            if (inSection)
                return std::nullopt;
            inSection = SameName(parsed.name, section);
        } else if (inSection && parsed.kind == LineKind::Key && SameName(parsed.name, key)) {
            return std::string(parsed.value);
        }
    }
    return std::nullopt;
}

void IniDocument::SetValue(std::string_view section, std::string_view key, std::string_view value)
{
    CheckStorable(section, key, value);
    section = Trim(section);
    key = Trim(key);

    std::size_t sectionLine = lines_.size();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        ParsedLine parsed = ParseLine(lines_[i].content);
        if (parsed.kind == LineKind::Section && SameName(parsed.name, section)) {
            sectionLine = i;
            break;
        }
    }

    std::size_t insertAfter = lines_.size();
    if (sectionLine < lines_.size()) {
        insertAfter = sectionLine;
        for (std::size_t i = sectionLine + 1; i < lines_.size(); ++i) {
            ParsedLine parsed = ParseLine(lines_[i].content);
            if (parsed.kind == LineKind::Section)
                break;
            if (parsed.kind == LineKind::Key && SameName(parsed.name, key)) {
                lines_[i].content.resize(parsed.valueStart);
                lines_[i].content += value;
                return;
            }
            if (parsed.kind != LineKind::Blank && parsed.kind != LineKind::Comment)
                insertAfter = i;
        }
    }

    std::vector<Line> added;
    if (sectionLine == lines_.size())
        added.push_back({"[" + std::string(section) + "]", newLine_});
    added.push_back({std::string(key) + "=" + std::string(value), newLine_});

    std::size_t insertAt = 0;
    if (insertAfter < lines_.size()) {
        // A last line without an ending gets one before anything follows it.
        if (lines_[insertAfter].ending.empty())
            lines_[insertAfter].ending = newLine_;
        insertAt = insertAfter + 1;
    } else if (!lines_.empty()) {
        if (lines_.back().ending.empty())
            lines_.back().ending = newLine_;
        insertAt = lines_.size();
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), added.begin(), added.end());
}

std::string IniDocument::Text() const
{
    std::string text = byteOrderMark_;
    for (const Line& line : lines_) {
        text += line.content;
        text += line.ending;
    }
    return text;
}

IniDocument LoadIniFile(const std::string& path)
{
    std::error_code error;
    const fs::file_status status = fs::status(PathOfText(path), error);
    if (!fs::exists(status))
        return IniDocument();
    // A pipe or device would block or never end; only a regular file is read.
    if (!fs::is_regular_file(status))
        throw EInOutError(io_error::AccessDenied);

    InputFile file(path);
    std::string text(static_cast<std::size_t>(file.Size()), '\0');
    text.resize(file.ReadUpTo(text.data(), text.size()));
    file.Close();
    return IniDocument::FromText(text);
}

std::string ReadIniString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view defaultText)
{
    std::string text;
    try {
        text = LoadIniFile(path).Value(section, key).value_or(std::string(defaultText));
    } catch (const Exception&) {
        // The profile functions give the default for a file they cannot read.
        text = defaultText;
    }
    if (text.size() > IniValueLimit)
        text.resize(IniValueLimit);
    return text;
}

void WriteIniString(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view value)
{
    IniDocument document = LoadIniFile(path);
    document.SetValue(section, key, value);
    const std::string text = document.Text();

    // A symbolic link (a settings file kept among one's dotfiles) is written
    // through, and the file keeps its permissions: the file layer sees to both.
    ReplacingOutputFile file(path, /*durable=*/true);
    file.Write(text.data(), text.size());
    file.Commit();
}

}  // namespace tessel
