#include "JsonLines.h"

namespace tessel::cli {

std::string JsonLine(const JsonObject& value)
{
    return value.dump(-1, ' ', /*ensure_ascii=*/false, nlohmann::json::error_handler_t::replace);
}

}  // namespace tessel::cli
