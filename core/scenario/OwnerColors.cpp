#include "scenario/OwnerColors.h"

namespace tessel {

const std::array<uint8_t, 16> OwnerColors{208, 212, 216, 220, 224, 228, 232, 12,
                                          12,  12,  12,  12,  12,  12,  12,  12};

}  // namespace tessel
