#include "system/FileIdentity.h"

#include <sys/stat.h>

namespace tessel {

std::optional<FileIdentity> IdentityOfFile(const std::string& path)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

bool IsSameFile(const std::string& a, const std::string& b)
{
    const auto first = IdentityOfFile(a);
    return first && first == IdentityOfFile(b);
}

}  // namespace tessel
