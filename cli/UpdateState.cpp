#include "UpdateState.h"

#include "system/FileLayer.h"
#include "text/PathPieces.h"

#include <charconv>
#include <chrono>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace tessel::cli {

namespace {

constexpr std::string_view FirstLine = "tessel-update 1";

bool IsEscaped(unsigned char c) { return c < 32 || c == 127 || c == '%'; }

std::string Escaped(std::string_view text)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsEscaped(byte)) {
            escaped += '%';
            escaped += Digits[byte >> 4];
            escaped += Digits[byte & 15];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The text that Escaped wrote; none for anything Escaped cannot write.
std::optional<std::string> Unescaped(std::string_view field)
{
    std::string text;
    for (std::size_t k = 0; k < field.size(); ++k) {
        const auto byte = static_cast<unsigned char>(field[k]);
        if (byte != '%') {
            if (IsEscaped(byte))
                return std::nullopt;
            text += field[k];
            continue;
        }
        if (k + 2 >= field.size())
            return std::nullopt;
        const int high = HexDigit(field[k + 1]);
        const int low = HexDigit(field[k + 2]);
        if (high < 0 || low < 0 || !IsEscaped(static_cast<unsigned char>(high * 16 + low)))
            return std::nullopt;
        text += static_cast<char>(high * 16 + low);
        k += 2;
    }
    return text;
}

// Decimal digits with an optional "-", as std::to_string writes them.
std::optional<int64_t> Number(std::string_view field)
{
    int64_t value = 0;
    const char* end = field.data() + field.size();
    if (field.empty() || field.front() == '+')
        return std::nullopt;
    const auto [stop, error] = std::from_chars(field.data(), end, value);
    if (error != std::errc() || stop != end || std::to_string(value) != field)
        return std::nullopt;
    return value;
}

std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? line.npos : tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

std::optional<FileStamp> Stamp(std::string_view size, std::string_view time)
{
    const std::optional<int64_t> bytes = Number(size);
    const std::optional<int64_t> nanoseconds = Number(time);
    if (!bytes || !nanoseconds || *bytes < 0)
        return std::nullopt;
    return FileStamp{*bytes, *nanoseconds};
}

}  // namespace

std::optional<FileStamp> StampOfFile(const std::string& path)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return std::nullopt;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error)
        return std::nullopt;
    const fs::file_time_type time = fs::last_write_time(path, error);
    if (error)
        return std::nullopt;
    return FileStamp{static_cast<int64_t>(size),
                     std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count()};
}

std::string UpdateStateText(const UpdateState& state)
{
    std::string text = std::string(FirstLine) + "\nsettings\t" + Escaped(state.Settings) + "\n";
    for (const auto& [image, record] : state.Images)
        text += "image\t" + Escaped(image) + "\t" + Escaped(record.Scenario) + "\t" +
                std::to_string(record.ScenarioStamp.Size) + "\t" + std::to_string(record.ScenarioStamp.Time) + "\t" +
                std::to_string(record.ImageStamp.Size) + "\t" + std::to_string(record.ImageStamp.Time) + "\n";
    return text;
}

std::optional<UpdateState> ParseUpdateState(std::string_view text)
{
    if (text.empty() || text.back() != '\n')
        return std::nullopt;
    UpdateState state;
    std::size_t lineNumber = 0;
    for (std::size_t start = 0; start < text.size(); ++lineNumber) {
        const std::size_t end = text.find('\n', start);
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (lineNumber == 0) {
            if (line != FirstLine)
                return std::nullopt;
            continue;
        }
        const std::vector<std::string_view> fields = Fields(line);
        if (lineNumber == 1) {
            if (fields.size() != 2 || fields[0] != "settings")
                return std::nullopt;
            const std::optional<std::string> settings = Unescaped(fields[1]);
            if (!settings)
                return std::nullopt;
            state.Settings = *settings;
            continue;
        }
        if (fields.size() != 7 || fields[0] != "image")
            return std::nullopt;
        const std::optional<std::string> image = Unescaped(fields[1]);
        const std::optional<std::string> scenario = Unescaped(fields[2]);
        const std::optional<FileStamp> scenarioStamp = Stamp(fields[3], fields[4]);
        const std::optional<FileStamp> imageStamp = Stamp(fields[5], fields[6]);
        if (!image || image->empty() || !scenario || !scenarioStamp || !imageStamp)
            return std::nullopt;
        if (!state.Images.try_emplace(*image, ImageRecord{*scenario, *scenarioStamp, *imageStamp}).second)
            return std::nullopt;
    }
    if (lineNumber < 2)
        return std::nullopt;
    return state;
}

std::optional<UpdateState> ReadUpdateState(const std::string& folder)
{
    try {
        InputFile file(JoinPath(folder, UpdateStateFileName));
        const int64_t size = file.Size();
        if (size > MaximumUpdateStateSize)
            return std::nullopt;
        std::string text(static_cast<std::size_t>(size), '\0');
        text.resize(file.ReadUpTo(text.data(), text.size()));
        return ParseUpdateState(text);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void WriteUpdateState(const std::string& folder, const UpdateState& state)
{
    const std::string text = UpdateStateText(state);
    ReplacingOutputFile file(JoinPath(folder, UpdateStateFileName));
    file.Write(text.data(), text.size());
    file.Commit();
}

bool IsUpToDate(const std::optional<UpdateState>& earlier, const std::string& settings, const std::string& image,
                const ImageRecord& record, const std::string& imagePath)
{
    if (!earlier || earlier->Settings != settings)
        return false;
    const auto found = earlier->Images.find(image);
    if (found == earlier->Images.end() || found->second.Scenario != record.Scenario ||
        found->second.ScenarioStamp != record.ScenarioStamp)
        return false;
    const std::optional<FileStamp> now = StampOfFile(imagePath);
    return now && *now == found->second.ImageStamp && now->Time > record.ScenarioStamp.Time;
}

}  // namespace tessel::cli
