#include "system/FileIdentity.h"

#include "system/WidePaths.h"

#include <windows.h>

namespace tessel {

std::optional<FileIdentity> IdentityOfFile(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    // Attributes only, and folders too (backup semantics); links followed.
    HANDLE file = ::CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = ::GetFileInformationByHandle(file, &information) != 0;
    ::CloseHandle(file);
    if (!known)
        return std::nullopt;
    return FileIdentity{information.dwVolumeSerialNumber,
                        (uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

bool IsSameFile(const std::string& a, const std::string& b)
{
    const auto first = IdentityOfFile(a);
    return first && first == IdentityOfFile(b);
}

}  // namespace tessel
