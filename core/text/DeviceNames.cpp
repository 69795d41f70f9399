#include "text/DeviceNames.h"

#include <array>
#include <cctype>
#include <string>

namespace tessel {

namespace {

std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lowered;
}

bool IsDeviceDigit(std::string_view digit)
{
    // 1 to 9, and the superscripts one, two and three in UTF-8.
    return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" || digit == "\xC2\xB2" ||
           digit == "\xC2\xB3";
}

}  // namespace

bool IsWindowsDeviceName(std::string_view path)
{
    // Both separators: Windows takes either.
    const std::size_t slash = path.find_last_of("/\\:");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    // Windows drops the extension, and spaces before it or at the end.
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    const std::string base = Lowered(name);
    static constexpr std::array<std::string_view, 6> Plain{"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const std::string_view device : Plain) {
        if (base == device)
            return true;
    }
    if (base.size() >= 4 && (base.starts_with("com") || base.starts_with("lpt")))
        return IsDeviceDigit(std::string_view(base).substr(3));
    return false;
}

}  // namespace tessel
