#include "era/Era.h"

#include "base/Exceptions.h"

#include <string>

namespace tessel {

void CheckEra(int32_t era)
{
    if (era < 0 || era >= EraCount)
        throw Exception("Invalid era (" + std::to_string(era) + ").");
}

const char* EraName(int era)
{
    static const char* const names[EraCount] = {"forest", "winter", "wasteland", "swamp"};
    return era >= 0 && era < EraCount ? names[era] : "unknown";
}

}  // namespace tessel
