// Which file a path leads to. Two paths lead to one file, through a
// symbolic link, a hard link or two spellings of one path, exactly when
// their identities are equal: writing an output there would replace it.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace tessel {

struct FileIdentity {
    uint64_t Device = 0;
    uint64_t File = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// The identity of what is at path, symbolic links followed; none when
// nothing is there or it cannot be looked at.
std::optional<FileIdentity> IdentityOfFile(const std::string& path);

// Whether a and b both exist and are one file.
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace tessel
