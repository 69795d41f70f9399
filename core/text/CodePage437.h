// Text of code page 437, the DOS code page in which scenario files store
// their descriptions, turned into UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tessel {

// Every byte becomes one character. Bytes 0x01 to 0x1F and 0x7F become the
// symbols code page 437 shows for them (as the game's screens do), so the
// result holds no control character apart from U+0000 for a zero byte.
std::string CodePage437ToUtf8(std::string_view text);

}  // namespace tessel
