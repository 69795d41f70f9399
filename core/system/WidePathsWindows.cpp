#include "system/WidePaths.h"

#include "text/Utf16.h"

#include <windows.h>

namespace tessel {

std::wstring WideText(std::string_view utf8)
{
    const std::u16string wide = Utf16FromUtf8(utf8);
    return std::wstring(wide.begin(), wide.end());
}

std::string TextOfWide(std::wstring_view wide)
{
    return Utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}

std::wstring WidePath(const std::string& path)
{
    if (path.empty())
        return {};
    std::wstring wide = WideText(path);
    for (wchar_t& c : wide) {
        if (c == L'/')
            c = L'\\';
    }
    if (wide.starts_with(L"\\\\?\\"))
        return wide;
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0)
            return wide;  // the call that uses it reports what is wrong
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);
    }
    // A full path that begins with two backslashes is a network share:
    // \\server\share\x becomes \\?\UNC\server\share\x.
    if (full.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace tessel
