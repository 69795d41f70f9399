#include "ConvertError.h"

#include "text/IntegerText.h"

namespace tessel {

int32_t StrToInt(const std::string& text)
{
    if (const auto value = ParseIntegerText(text))
        return *value;
    throw EConvertError("'" + text + "' is not a valid integer value");
}

}  // namespace tessel
