#include "system/UserFolders.h"

#include "system/WidePaths.h"

#include <windows.h>
#include <shlobj.h>

namespace tessel {

std::string UserConfigDirectory()
{
    // The folder that Qt's GenericConfigLocation names on Windows.
    PWSTR folder = nullptr;
    std::string result;
    if (::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &folder) == S_OK && folder)
        result = TextOfWide(folder);
    ::CoTaskMemFree(folder);
    return result;
}

}  // namespace tessel
