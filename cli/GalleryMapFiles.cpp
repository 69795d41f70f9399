#include "GalleryMapFiles.h"
#include "ZipInputs.h"

#include "base/Sha256.h"
#include "scenario/ScenarioChunks.h"
#include "system/FileLayer.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace tessel::cli {

TMinimapSettings PreviewSettings(const TMinimapSettings& cardSettings)
{
    TMinimapSettings settings = cardSettings;
    for (int32_t& side : settings.ImageSizes)
        side = std::max(side, static_cast<int32_t>(std::min<int64_t>(int64_t{2} * side, LargestPreviewSide)));
    return settings;
}

std::string ScenarioCopyName(std::string_view image)
{
    const std::size_t slash = image.rfind('/');
    const std::size_t dot = image.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
    return std::string(hasExtension ? image.substr(0, dot) : image) + ".pud";
}

bool LiesInFolder(const std::string& path, const std::string& folder)
{
    std::error_code error;
    const std::filesystem::path file = std::filesystem::weakly_canonical(path, error);
    if (error)
        return false;
    const std::filesystem::path inside = std::filesystem::weakly_canonical(folder, error);
    if (error || inside.empty())
        return false;
    // Compared piece by piece, so that "minimaps2" is not inside "minimaps".
    auto piece = file.begin();
    for (const auto& part : inside) {
        if (part.empty())
            continue;  // the empty last piece of a path that ends in "/"
        if (piece == file.end() || *piece != part)
            return false;
        ++piece;
    }
    return piece != file.end();
}

namespace {

// The whole file, read to its end whatever size it had: a file that grew
// past a scenario's limit since it was looked at is refused, never held
// whole.
std::vector<uint8_t> ReadWholeScenario(InputFile& input)
{
    if (input.Size() > MaximumScenarioSize)
        throw EPUDEx(ScenarioTooLargeText);
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> piece(64 * 1024);
    while (const std::size_t got = input.ReadUpTo(piece.data(), piece.size())) {
        if (bytes.size() + got > static_cast<std::size_t>(MaximumScenarioSize))
            throw EPUDEx(ScenarioTooLargeText);
        bytes.insert(bytes.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(got));
    }
    input.Close();
    return bytes;
}

// Whether the file at path already holds exactly bytes, so that a run
// (above all one with --update) leaves an unchanged copy as it is.
bool HoldsBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    try {
        InputFile there(path);
        return there.Size() == static_cast<int64_t>(bytes.size()) && ReadWholeScenario(there) == bytes;
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace

ScenarioCopy CopyScenario(const ScenarioInput& source, const std::string& destination,
                          const std::set<FileIdentity>& scenarios)
{
    const std::vector<uint8_t> bytes = ReadWholeScenario(*OpenScenario(source));
    ScenarioCopy copy{Sha256Hex(bytes.data(), bytes.size()), true};
    if (const auto there = IdentityOfFile(destination); there && scenarios.contains(*there)) {
        copy.Available = there == IdentityOfFile(source.Path);  // the scenario itself is its copy
        return copy;
    }
    if (HoldsBytes(destination, bytes))
        return copy;
    std::error_code ignored;  // a folder that cannot be made shows when the file is opened
    std::filesystem::create_directories(std::filesystem::path(destination).parent_path(), ignored);
    ReplacingOutputFile file(destination);
    file.Write(bytes.data(), bytes.size());
    file.Commit();
    return copy;
}

}  // namespace tessel::cli
