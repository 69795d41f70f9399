#include "system/UserFolders.h"

#include "text/PathPieces.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace tessel {

namespace {

std::string HomeDirectory()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

}  // namespace

std::string UserConfigDirectory()
{
    // A relative XDG_CONFIG_HOME is invalid by the XDG rules and is ignored.
    if (const char* configHome = std::getenv("XDG_CONFIG_HOME"); configHome && configHome[0] == '/')
        return configHome;
    const std::string home = HomeDirectory();
    return home.empty() ? std::string() : JoinPath(home, ".config");
}

}  // namespace tessel
