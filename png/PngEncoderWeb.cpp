// The PNG encoder of the WebAssembly build, which has no zlib: the chunks
// written here, the image data compressed by ZlibCompressor.
#include "PngEncoder.h"
#include "ZlibCompressor.h"

#include "base/Exceptions.h"

#include <algorithm>
#include <array>
#include <new>
#include <string_view>

namespace tessel {

namespace {

constexpr std::array<uint32_t, 256> CrcTable = [] {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

// Length, type, data, and the CRC-32 of type and data.
void PutChunk(std::vector<uint8_t>& out, std::string_view type, const uint8_t* data, std::size_t size)
{
    PutBigEndian(out, static_cast<uint32_t>(size));
    const std::size_t typeStart = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data, data + size);
    uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t k = typeStart; k < out.size(); ++k)
        crc = CrcTable[(crc ^ out[k]) & 0xFF] ^ (crc >> 8);
    PutBigEndian(out, crc ^ 0xFFFFFFFFu);
}

std::vector<uint8_t> Encode(const uint8_t* raster, uint16_t width, uint16_t height, const BitmapPalette& palette)
{
    if (width == 0 || height == 0)
        throw Exception("PNG encoder failed: Invalid IHDR data");
    // Each row starts with its filter, 0 (none): palette indexes gain
    // nothing from differences between neighbours.
    std::vector<uint8_t> rows((static_cast<std::size_t>(width) + 1) * height);
    for (std::size_t y = 0; y < height; ++y)
        std::copy_n(raster + y * width, width, rows.begin() + static_cast<std::ptrdiff_t>(y * (width + 1) + 1));
    const std::vector<uint8_t> compressed = ZlibCompress(rows.data(), rows.size());

    std::vector<uint8_t> file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    file.reserve(file.size() + 3 * 12 + 13 + palette.size() + compressed.size() + 12);
    std::vector<uint8_t> header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header.insert(header.end(), {8, 3, 0, 0, 0});  // 8 bits per index, palette, deflate, no filter choice, no interlace
    PutChunk(file, "IHDR", header.data(), header.size());
    PutChunk(file, "PLTE", palette.data(), palette.size());
    PutChunk(file, "IDAT", compressed.data(), compressed.size());
    PutChunk(file, "IEND", nullptr, 0);
    return file;
}

}  // namespace

std::vector<uint8_t> EncodeIndexedPng(const uint8_t* raster, uint16_t width, uint16_t height,
                                      const BitmapPalette& palette, PngCompression)
{
    try {
        return Encode(raster, width, height, palette);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    }
}

}  // namespace tessel
