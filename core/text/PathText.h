// Paths between the programs' UTF-8 text and std::filesystem. A path made
// from a std::string takes it in the system's code page on Windows, which
// garbles every name outside it; these take and give UTF-8 everywhere, and
// the bytes unchanged on POSIX, where a name is only bytes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tessel {

std::filesystem::path PathOfText(std::string_view text);
std::string TextOfPath(const std::filesystem::path& path);
// With slashes between the pieces on every platform.
std::string GenericTextOfPath(const std::filesystem::path& path);

}  // namespace tessel
