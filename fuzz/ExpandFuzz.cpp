// Feeds arbitrary streams and lengths to the LZ expander and compares what
// it produces with a plain model of the window: a byte ring of 4096, written
// at every output byte, read by absolute position.
//
// Input: bytes 0-1 a 16-bit count; byte 2 selects a shift of 1 to 8 when it
// is 0xF8 or more, else none; L = count << shift, held to 16 MB - 1 (the
// 24-bit field). Long entries are thus reachable but rare, which keeps the
// runs fast. The rest is the stream.
#include "FuzzSupport.h"

#include "archive/LzExpander.h"
#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "system/FileLayer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

using namespace tessel;

namespace {

constexpr std::size_t PrefixSize = 3;
constexpr uint32_t LongestEntry = 0x00FFFFFF;
constexpr uint8_t LongShiftMarker = 0xF8;
constexpr uint32_t LongestModelled = 1024 * 1024;

// The window model, byte by byte. Input after the stream's end is zero.
std::vector<uint8_t> ExpandByModel(const uint8_t* stream, std::size_t streamSize, uint32_t length)
{
    std::vector<uint8_t> out(length);
    std::array<uint8_t, 4096> window{};
    std::size_t produced = 0;
    std::size_t read = 0;
    unsigned flags = 0;
    while (produced < length) {
        flags >>= 1;
        if (!(flags & 0x100))
            flags = (read < streamSize ? stream[read] : 0u) | 0xFF00u, ++read;
        const unsigned b1 = read < streamSize ? stream[read] : 0u;
        ++read;
        if (flags & 1) {
            window[produced % 4096] = static_cast<uint8_t>(b1);
            out[produced++] = static_cast<uint8_t>(b1);
            continue;
        }
        const unsigned b2 = read < streamSize ? stream[read] : 0u;
        ++read;
        const std::size_t position = b1 + 256 * (b2 & 0x0F);
        const unsigned count = (b2 >> 4) + 3;
        for (unsigned k = 0; k < count && produced < length; ++k) {
            const uint8_t byte = window[(position + k) % 4096];
            window[produced % 4096] = byte;
            out[produced++] = byte;
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < PrefixSize)
        return 0;
    const uint32_t count = ReadU16LE(data);
    const unsigned shift = data[2] >= LongShiftMarker ? data[2] - LongShiftMarker + 1u : 0u;
    const uint32_t length = std::min<uint32_t>(count << shift, LongestEntry);
    if (length == 0)
        return 0;
    const uint8_t* stream = data + PrefixSize;
    const std::size_t streamSize = size - PrefixSize;

    static fuzz::MemoryFile input;
    input.Replace(stream, streamSize);
    InputFile file(input.Path());

    // Exactly L bytes, so that any write past the end is caught.
    std::vector<uint8_t> buffer(length);
    ExpandWarEntry(file, buffer.data(), length);
    // Past a few hundred windows nothing new can happen in the window; the
    // model, much slower than the expander, checks the lengths below that.
    if (length <= LongestModelled)
        FUZZ_CHECK(buffer == ExpandByModel(stream, streamSize, length));
    return 0;
}
