// The conversion of a size text typed by the user into a number.
#pragma once

#include "base/Exceptions.h"

#include <cstdint>
#include <string>

namespace tessel {

// Raised when a text is not an integer by the integer text rule.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// The value of text by the integer text rule; otherwise raises
// EConvertError "'<text>' is not a valid integer value".
int32_t StrToInt(const std::string& text);

}  // namespace tessel
