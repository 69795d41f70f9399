// UTF-8 and UTF-16, for a system whose calls take UTF-16 (Windows) while
// every text inside the programs is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tessel {

// The UTF-16 of utf8. A byte that is not part of valid UTF-8 becomes
// U+FFFD; the three-byte form of a lone surrogate (which Utf8FromUtf16
// writes for one) gives that surrogate back, so that any name the system
// hands over survives the way there and back.
std::u16string Utf16FromUtf8(std::string_view utf8);

// The UTF-8 of utf16; a lone surrogate keeps its code in the three-byte form.
std::string Utf8FromUtf16(std::u16string_view utf16);

}  // namespace tessel
