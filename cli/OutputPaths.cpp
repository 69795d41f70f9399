#include "OutputPaths.h"

#include "PathPieces.h"

#include <filesystem>

namespace tessel::cli {

std::string OutputPathKeepingSubFolder(const ScenarioInput& input, const std::string& outputDirectory,
                                       std::string_view extension)
{
    std::string folder = outputDirectory;
    if (!input.SubFolder.empty())
        folder = JoinPath(folder, std::filesystem::path(input.SubFolder).make_preferred().string());
    return OutputPathIn(folder, input.Path, extension);
}

}  // namespace tessel::cli
