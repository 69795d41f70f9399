// Paths and texts as the calls of Windows take them: UTF-16, and a path
// longer than the old limit of 260 characters given in the form that lifts
// it. Only the Windows files of this folder use it.
#pragma once

#include <string>
#include <string_view>

namespace tessel {

std::wstring WideText(std::string_view utf8);
std::string TextOfWide(std::wstring_view wide);

// The UTF-16 path for a system call: the full path with the "\\?\" prefix
// (so neither the length limit nor the name rules of the old calls apply
// beyond what the file system itself forbids), separators made backslashes.
// An empty path stays empty.
std::wstring WidePath(const std::string& path);

}  // namespace tessel
