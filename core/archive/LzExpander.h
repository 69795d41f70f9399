// The game archive's LZ expansion: groups of one flag byte (lowest bit
// first, 1 for a literal) and eight items, each a literal byte or a
// two-byte reference to an absolute position in a 4096-byte window of
// earlier output that starts as zeros.
#pragma once

#include "system/FileLayer.h"

#include <cstddef>
#include <cstdint>

namespace tessel {

inline constexpr std::size_t WarWindowSize = 4096;

// Expands the compressed stream at the archive's position into exactly
// length bytes of buffer. Input cut short by the end of the file reads as
// zero bytes. Input/output failures raise EInOutError.
void ExpandWarEntry(InputFile& archive, uint8_t* buffer, uint32_t length);

}  // namespace tessel
