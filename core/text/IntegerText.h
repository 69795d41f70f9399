// The integer text rule shared by the settings file and the options dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessel {

// Leading blanks (code 32 only), then either "$" and 1 to 8 significant
// hexadecimal digits taken as a 32-bit pattern ($FFFFFFFF is -1), or an
// optional sign and decimal digits of magnitude at most 2147483647, and
// nothing after them. Anything else is not a number.
std::optional<int32_t> ParseIntegerText(std::string_view text);

}  // namespace tessel
