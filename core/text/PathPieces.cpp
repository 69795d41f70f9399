#include "text/PathPieces.h"

namespace tessel {

bool IsPathSeparator(char c)
{
#ifdef _WIN32
    return c == '\\' || c == ':' || c == '/';
#else
    return c == '/';
#endif
}

namespace {

std::size_t NameStart(std::string_view path)
{
    std::size_t i = path.size();
    while (i > 0 && !IsPathSeparator(path[i - 1]))
        --i;
    return i;
}

}  // namespace

std::string FileNamePart(std::string_view path) { return std::string(path.substr(NameStart(path))); }

std::string DirectoryPart(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }

std::string ReplaceExtension(std::string_view path, std::string_view extension)
{
    const std::size_t nameStart = NameStart(path);
    std::size_t end = path.size();
    for (std::size_t i = path.size(); i > nameStart; --i) {
        if (path[i - 1] == '.') {
            end = i - 1;
            break;
        }
    }
    std::string result(path.substr(0, end));
    result += extension;
    return result;
}

std::string JoinPath(std::string_view directory, std::string_view name)
{
    std::string result(directory);
    if (!result.empty() && !IsPathSeparator(result.back()))
        result += PathSeparator;
    result += name;
    return result;
}

std::string OutputPathIn(std::string_view directory, std::string_view sourcePath, std::string_view extension)
{
    return JoinPath(directory, ReplaceExtension(FileNamePart(sourcePath), extension));
}

}  // namespace tessel
