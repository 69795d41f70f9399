// The command line of tessel-cli: subcommands, their options, and usage texts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace tessel::cli {

// A command line that cannot be carried out; its text says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ImageFormat { Bmp, Png };

struct RenderOptions {
    std::vector<std::string> Paths;
    std::string OutputDirectory = ".";
    std::optional<std::string> Archive;
    bool BuiltinTileset = false;
    // Image sides for maps of 32, 64, 96 and 128 tiles; unset ones come from the settings.
    std::array<std::optional<int32_t>, 4> ImageSizes;
    std::optional<bool> Units;
    ImageFormat Format = ImageFormat::Bmp;
    int Jobs = 0;  // 0: one per core
    std::optional<std::string> SettingsFile;
    bool NoSettings = false;
    bool NoCache = false;
    bool Quiet = false;
    // Skip each map whose image is up to date (UpdateState.h).
    bool Update = false;
};

// A gallery's images are PNG files in OutputDirectory/minimaps.
struct GalleryOptions {
    RenderOptions Render;
    std::string Title = "Map gallery";
};

// The image side of a gallery's minimaps when no --size option is given.
inline constexpr int32_t GalleryImageSide = 160;

struct InfoOptions {
    std::vector<std::string> Paths;
    bool Json = false;
    // The detailed text form (true) or a line per scenario (false); unset:
    // detailed for a single scenario only.
    std::optional<bool> Detailed;
    // Also count the tiles that the built-in tileset has no picture for.
    bool BuiltinTileset = false;
};

struct DemoOptions {
    std::string Directory;
};

struct HelpRequest {
    std::string Text;
};

// Each parser returns the options or the help text that --help asked for,
// and raises UsageError for anything it cannot take.
std::variant<RenderOptions, HelpRequest> ParseRenderOptions(const std::vector<std::string>& arguments);
std::variant<InfoOptions, HelpRequest> ParseInfoOptions(const std::vector<std::string>& arguments);
std::variant<DemoOptions, HelpRequest> ParseDemoOptions(const std::vector<std::string>& arguments);
std::variant<GalleryOptions, HelpRequest> ParseGalleryOptions(const std::vector<std::string>& arguments);

extern const char* const MainUsage;
extern const char* const RenderUsage;
extern const char* const InfoUsage;
extern const char* const DemoUsage;
extern const char* const GalleryUsage;

}  // namespace tessel::cli
