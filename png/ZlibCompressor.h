// A zlib stream (RFC 1950) of DEFLATE data (RFC 1951) made without zlib:
// for the PNG files of a build that has no zlib at hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessel {

// The zlib stream of size bytes of data; any zlib inflater gives the bytes
// back. Raises std::bad_alloc when memory runs out.
std::vector<uint8_t> ZlibCompress(const uint8_t* data, std::size_t size);

}  // namespace tessel
