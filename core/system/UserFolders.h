// The user's own folders, where the desktop program keeps its settings
// file; each platform names them its own way (UserFoldersPosix.cpp).
#pragma once

#include <string>

namespace tessel {

// The user's configuration folder: on POSIX $XDG_CONFIG_HOME where it is
// an absolute path, else ~/.config, with the home folder from $HOME or else
// the user database; on Windows the per-user application-data folder.
// Empty when the user has none.
std::string UserConfigDirectory();

}  // namespace tessel
