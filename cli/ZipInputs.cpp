#include "ZipInputs.h"

#include <algorithm>
#include <cctype>

namespace tessel::cli {

namespace {

bool EndsWithNoCase(std::string_view name, std::string_view ending)
{
    return name.size() >= ending.size() &&
           std::equal(ending.begin(), ending.end(), name.end() - static_cast<std::ptrdiff_t>(ending.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

}  // namespace

std::string InvalidZipText(std::string_view reason) { return "Invalid zip archive (" + std::string(reason) + ")."; }

bool HasZipExtension(std::string_view name) { return EndsWithNoCase(name, ".zip"); }

bool IsSafeEntryName(std::string_view name)
{
    if (name.empty() || name.find_first_of("\\:") != std::string_view::npos)
        return false;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = name.find('/', start);
        const std::string_view piece = name.substr(start, slash == std::string_view::npos ? name.npos : slash - start);
        if (piece.empty() || piece == "." || piece == "..")
            return false;
        if (slash == std::string_view::npos)
            return true;
        start = slash + 1;
    }
}

std::string ZipFolderName(std::string_view fileName)
{
    if (!HasZipExtension(fileName))
        return std::string(fileName);
    const std::string_view stem = fileName.substr(0, fileName.size() - 4);
    return stem.empty() || stem == "." || stem == ".." ? std::string(fileName) : std::string(stem);
}

std::unique_ptr<InputFile> OpenScenario(const ScenarioInput& input)
{
    if (input.Archive.empty())
        return std::make_unique<InputFile>(input.Path);
    return std::make_unique<InputFile>(input.Path, ReadZipEntry(input.Archive, input.Entry, input.EntryName));
}

}  // namespace tessel::cli
