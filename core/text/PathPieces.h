// Path pieces with the platform's separators: slash on POSIX; backslash and
// colon on Windows. Every part of Tessel splits and builds paths here.
#pragma once

#include <string>
#include <string_view>

namespace tessel {

#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif

bool IsPathSeparator(char c);

// What follows the last separator ("D:\Maps\a.pud" gives "a.pud").
std::string FileNamePart(std::string_view path);

// The path up to and including its last separator ("D:\Maps\a.pud" gives
// "D:\Maps\"); empty when there is none.
std::string DirectoryPart(std::string_view path);

// Cuts the name before its last full stop (searching back to the last
// separator) and appends extension, which includes its full stop (".bmp").
std::string ReplaceExtension(std::string_view path, std::string_view extension);

// directory, one separator unless it already ends in one, then name.
std::string JoinPath(std::string_view directory, std::string_view name);

// Where a file made from sourcePath goes in directory: the file name part of
// sourcePath with its extension replaced, joined to directory ("/out",
// "/maps/a.pud", ".bmp" gives "/out/a.bmp").
std::string OutputPathIn(std::string_view directory, std::string_view sourcePath, std::string_view extension);

}  // namespace tessel
