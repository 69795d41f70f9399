// tessel-thumbnailer: the minimap of one scenario as a PNG thumbnail. It runs
// on files the user merely downloaded, inside whatever sandbox the file
// manager keeps: a failure is one line on err and status 1, and OUTPUT then
// does not exist; nothing but OUTPUT is ever written.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tessel::thumbnailer {

inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;

// args without the program name. settingsFile (the desktop program's, or
// empty for none) gives the archive and the unit display; it is only read.
int RunThumbnailer(const std::vector<std::string>& args, const std::string& settingsFile, std::ostream& out,
                   std::ostream& err);

}  // namespace tessel::thumbnailer
