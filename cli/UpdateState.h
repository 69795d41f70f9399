// What --update knows of the images that earlier runs wrote into a folder:
// for each image, the scenario it was made from and both files' sizes and
// modification times then, and the settings of those runs. A map is up to
// date when the settings are the same, its scenario file is as it was, its
// image is still the file that was written (same size and time, so an image
// written over by a run without --update is made again) and newer than the
// scenario.
//
// The state is the text file ".tessel-update" in the output folder, lines
// ending in "\n", fields separated by tabs:
//
//   tessel-update 1
//   settings<TAB>KEY
//   image<TAB>IMAGE<TAB>SCENARIO<TAB>SIZE<TAB>TIME<TAB>IMAGE-SIZE<TAB>IMAGE-TIME
//   ...
//
// KEY names everything that changes an image's bytes; IMAGE is the image's
// path below the images' folder, with "/" separators; SCENARIO the
// scenario's path as found (inside a zip archive, the archive's path and
// the entry's name); SIZE and TIME those of the scenario's file (for a zip
// entry, of the archive), IMAGE-SIZE and IMAGE-TIME the image's; sizes in
// bytes, times in nanoseconds of the file system's clock, decimal. In text
// fields every byte below 32, 127 and "%" are written as "%" and two
// upper-case hexadecimal digits. A file that is not exactly this (another
// version, a damaged or cut line, a foreign file, more than
// MaximumUpdateStateSize bytes) counts as no state: every map is made again.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tessel::cli {

inline constexpr const char* UpdateStateFileName = ".tessel-update";
// About 80 times the state of the largest collection tried (5,250 maps).
inline constexpr int64_t MaximumUpdateStateSize = int64_t{64} * 1024 * 1024;

struct FileStamp {
    int64_t Size = 0;
    int64_t Time = 0;
    bool operator==(const FileStamp&) const = default;
};

// The size and modification time of the regular file at path (links
// followed); none when there is none or it cannot be looked at.
std::optional<FileStamp> StampOfFile(const std::string& path);

struct ImageRecord {
    std::string Scenario;
    FileStamp ScenarioStamp;
    FileStamp ImageStamp;
    bool operator==(const ImageRecord&) const = default;
};

struct UpdateState {
    std::string Settings;
    std::map<std::string, ImageRecord> Images;  // by image path
    bool operator==(const UpdateState&) const = default;
};

// The state in text, and back; none for text that is not a state.
std::string UpdateStateText(const UpdateState& state);
std::optional<UpdateState> ParseUpdateState(std::string_view text);

// The state in folder; none when it is missing, unreadable or not a state.
std::optional<UpdateState> ReadUpdateState(const std::string& folder);
// Writes the state into folder under a temporary name and renames it into
// place; raises the file layer's errors.
void WriteUpdateState(const std::string& folder, const UpdateState& state);

// Whether the image at imagePath, made for record.Scenario as it is now
// (record's scenario stamp), needs no new making under earlier's state.
bool IsUpToDate(const std::optional<UpdateState>& earlier, const std::string& settings, const std::string& image,
                const ImageRecord& record, const std::string& imagePath);

}  // namespace tessel::cli
