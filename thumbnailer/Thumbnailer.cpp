#include "Thumbnailer.h"

#include "base/ErrorBox.h"
#include "base/Exceptions.h"
#include "minimap/MakeMinimap.h"
#include "PngWriter.h"
#include "settings/Settings.h"
#include "system/FileIdentity.h"
#include "system/Interruption.h"
#include "text/TerminalName.h"
#include "ThumbnailerArguments.h"
#include "tileset/BuiltinTileset.h"

#include <filesystem>
#include <new>
#include <optional>

namespace fs = std::filesystem;

namespace tessel::thumbnailer {

namespace {

// tumbler makes OUTPUT itself, keeps it open and reads the thumbnail through
// that handle, so an OUTPUT that exists is written in place; GNOME's factory
// names one that does not exist yet, made as every other output is.
bool WriteThumbnailImage(const uint8_t* raster, uint16_t width, uint16_t height, const std::string& path,
                         const BitmapPalette& palette)
{
    std::error_code error;
    if (fs::is_regular_file(path, error))
        return WriteFastPngInPlace(raster, width, height, path, palette);
    return WriteFastPngFile(raster, width, height, path, palette);
}

// The first failure shown while making the thumbnail; none on success.
std::optional<std::string> MakeThumbnail(const ThumbnailRequest& request, const std::string& settingsFile)
{
    // Replacing the scenario with its own thumbnail would lose it.
    if (IsSameFile(request.Input, request.Output))
        return "Error: OUTPUT is the scenario file itself";

    TMinimapSettings settings;
    if (!settingsFile.empty())
        LoadSettings(settingsFile, settings);
    settings.ImageSizes.fill(request.Side);

    MinimapBackend backend;
    backend.LoadTerrain = ArchiveOrBuiltinTerrain;
    backend.WriteImage = WriteThumbnailImage;
    backend.NeedsArchive = false;

    const ErrorBoxCapture boxes;
    if (MakeMinimap(request.Input, request.Output, settings, backend))
        return std::nullopt;
    return boxes.Texts().empty() ? "Error: no thumbnail written" : boxes.Texts().front();
}

}  // namespace

int RunThumbnailer(const std::vector<std::string>& arguments, const std::string& settingsFile, std::ostream& out,
                   std::ostream& errors)
{
    std::variant<ThumbnailRequest, InformationRequest> parsed;
    try {
        parsed = ParseThumbnailerArguments(arguments);
    } catch (const ArgumentError& error) {
        // File names come from anywhere: a control character in one must
        // neither act on a terminal nor split the single line of a failure.
        errors << "tessel-thumbnailer: " << TerminalName(error.what()) << " (see --help)\n";
        return ExitFailure;
    }
    if (const auto* information = std::get_if<InformationRequest>(&parsed)) {
        out << information->Text;
        return ExitSuccess;
    }
    const auto& request = std::get<ThumbnailRequest>(parsed);
    if (const auto failure = MakeThumbnail(request, settingsFile)) {
        errors << "tessel-thumbnailer: " << TerminalName(request.Input) << ": " << TerminalName(*failure) << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

int RunThumbnailerProcess(const std::vector<std::string>& arguments, const std::string& settingsFile, std::ostream& out,
                          std::ostream& errors)
{
    const InterruptionWatch watch(EndAfterSignal);
    return RunThumbnailer(arguments, settingsFile, out, errors);
}

}  // namespace tessel::thumbnailer
