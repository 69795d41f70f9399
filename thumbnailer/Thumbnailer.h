// tessel-thumbnailer: the minimap of one scenario as a PNG thumbnail. It runs
// on files the user merely downloaded, inside whatever sandbox the file
// manager keeps: a failure is one line on errors and status 1, and OUTPUT then
// holds no image (it is not made, or, written in place, left empty); nothing
// but OUTPUT is ever written. An OUTPUT that exists as a file is written in
// place, because thumbnail services such as tumbler make it and read the
// result through the handle they keep.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tessel::thumbnailer {

inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;

// arguments without the program name. settingsFile (the desktop program's, or
// empty for none) gives the archive and the unit display; it is only read.
// The tileset is the archive's where it names one that loads, else the
// built-in tileset, and the archive's messages are not shown: a thumbnail
// is made either way (ArchiveOrBuiltinTerrain, tileset/BuiltinTileset.h).
int RunThumbnailer(const std::vector<std::string>& arguments, const std::string& settingsFile, std::ostream& out,
                   std::ostream& errors);

// RunThumbnailer as the program runs it: SIGINT, SIGTERM, SIGHUP or SIGPIPE
// (file managers stop a thumbnailer that takes too long) removes the
// temporary file, or empties an OUTPUT written in place, and ends the
// process at once with ExitOnSignal plus the signal's number, as
// system/Interruption.h says.
int RunThumbnailerProcess(const std::vector<std::string>& arguments, const std::string& settingsFile, std::ostream& out,
                          std::ostream& errors);

}  // namespace tessel::thumbnailer
