// The WebAssembly build's own PNG encoder, built natively: zlib inflates
// what its compressor makes back to the very bytes, at every size where the
// compressor's structure changes (match lengths, the window, chains), and
// libpng reads its files as the same pixels and colours.
#include "TestSupport.h"

#include "PngEncoder.h"
#include "ZlibCompressor.h"
#include "base/Exceptions.h"

#include <zlib.h>

#include <functional>
#include <random>

namespace tessel::test {
namespace {

std::vector<uint8_t> Inflated(const std::vector<uint8_t>& stream, std::size_t expectedSize)
{
    std::vector<uint8_t> out(expectedSize + 1);  // room for one byte too many
    uLongf outSize = static_cast<uLongf>(out.size());
    const int status = ::uncompress(out.data(), &outSize, stream.data(), static_cast<uLong>(stream.size()));
    EXPECT_EQ(status, Z_OK) << "zlib refused the stream";
    out.resize(status == Z_OK ? outSize : 0);
    return out;
}

using Content = std::function<uint8_t(std::size_t position)>;

std::vector<uint8_t> Make(std::size_t size, const Content& content)
{
    std::vector<uint8_t> bytes(size);
    for (std::size_t k = 0; k < size; ++k)
        bytes[k] = content(k);
    return bytes;
}

std::vector<uint8_t> Noise(std::size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (auto& byte : bytes)
        byte = static_cast<uint8_t>(random());
    return bytes;
}

void ExpectRoundTrip(const std::vector<uint8_t>& data, const std::string& what)
{
    const std::vector<uint8_t> stream = ZlibCompress(data.data(), data.size());
    // Fixed codes spend at most 9 bits on a byte.
    EXPECT_LE(stream.size(), data.size() * 9 / 8 + 16) << what;
    EXPECT_EQ(Inflated(stream, data.size()), data) << what;
}

TEST(ZlibCompressor, EverySizeUpToAFewHundredInflatesBackForEachKindOfContent)
{
    const std::vector<uint8_t> noise = Noise(700, 1);
    const std::vector<std::pair<std::string, Content>> kinds{
        {"zeros", [](std::size_t) -> uint8_t { return 0; }},
        {"high bytes", [](std::size_t k) -> uint8_t { return static_cast<uint8_t>(144 + k % 112); }},
        {"noise", [&](std::size_t k) { return noise[k]; }},
        {"runs", [](std::size_t k) -> uint8_t { return static_cast<uint8_t>(k / 7 % 3); }},
        {"rows of 257", [&](std::size_t k) { return noise[k % 257]; }},
    };
    for (const auto& [name, content] : kinds)
        for (std::size_t size = 0; size <= 600; ++size)
            ExpectRoundTrip(Make(size, content), name + ", " + std::to_string(size) + " bytes");
}

TEST(ZlibCompressor, RunsAroundTheLongestMatchInflateBack)
{
    // A run is coded as a literal and matches of at most 258 bytes at
    // distance 1: each length where one more match or a short tail begins.
    for (std::size_t match = 1; match <= 4; ++match)
        for (std::size_t size = 258 * match - 3; size <= 258 * match + 4; ++size) {
            ExpectRoundTrip(std::vector<uint8_t>(size, 7), "a run of " + std::to_string(size));
            std::vector<uint8_t> tail = std::vector<uint8_t>(size, 7);
            tail.push_back(8);
            ExpectRoundTrip(tail, "a run of " + std::to_string(size) + " and another byte");
        }
}

TEST(ZlibCompressor, RepeatsAtTheEdgeOfTheWindowInflateBack)
{
    // Noise repeated after exactly the window's 32768 bytes may be matched;
    // one byte further back it must not be, or zlib refuses the distance.
    constexpr std::size_t window = 32768;
    for (std::size_t period = window - 2; period <= window + 2; ++period) {
        const std::vector<uint8_t> block = Noise(period, static_cast<uint32_t>(period));
        std::vector<uint8_t> data = block;
        data.insert(data.end(), block.begin(), block.end());
        data.insert(data.end(), block.begin(), block.begin() + 600);
        ExpectRoundTrip(data, "noise repeated after " + std::to_string(period));
    }
    // Chains whose slots were written again for newer positions: one short
    // pattern all through several windows.
    for (std::size_t size : {2 * window - 1, 2 * window, 2 * window + 1, 5 * window + 3})
        ExpectRoundTrip(Make(size, [](std::size_t k) -> uint8_t { return static_cast<uint8_t>(k % 5 == 0); }),
                        "a pattern over " + std::to_string(size));
}

TEST(ZlibCompressor, MinimapRowsShrinkWell)
{
    // A map of 128 tiles drawn at 256 pixels: every pixel twice, every row
    // twice, tiles of a few colours.
    std::mt19937 random(3);
    std::vector<uint8_t> tiles(128 * 128);
    for (auto& tile : tiles)
        tile = static_cast<uint8_t>(random() % 6 == 0 ? random() % 256 : 40);
    const std::vector<uint8_t> rows = Make(257 * 256, [&](std::size_t k) -> uint8_t {
        const std::size_t x = k % 257, y = k / 257;
        return x == 0 ? 0 : tiles[y / 2 * 128 + (x - 1) / 2];
    });
    const std::vector<uint8_t> stream = ZlibCompress(rows.data(), rows.size());
    EXPECT_EQ(Inflated(stream, rows.size()), rows);
    EXPECT_LT(stream.size(), rows.size() / 4);
}

TEST(WebPngEncoder, LibpngReadsTheSamePixelsAndColoursAtEverySide)
{
    BitmapPalette palette{};
    for (std::size_t k = 0; k < palette.size(); ++k)
        palette[k] = static_cast<uint8_t>(k * 7 + 3);
    const TempDir dir;
    for (uint16_t side : {1, 2, 3, 63, 64, 65, 127, 128, 129, 255, 256, 257, 1024}) {
        for (uint16_t width : {side, static_cast<uint16_t>(side + 5)}) {
            const std::vector<uint8_t> raster = Noise(std::size_t{width} * side, width);
            const std::string path = dir.File(std::to_string(width) + "x" + std::to_string(side) + ".png");
            WriteFileBytes(path, EncodeIndexedPng(raster.data(), width, side, palette, PngCompression::Default));
            const DecodedPng decoded = DecodePng(path);
            ASSERT_EQ(decoded.Width, width);
            ASSERT_EQ(decoded.Height, side);
            EXPECT_EQ(decoded.Pixels, raster) << path;
            EXPECT_EQ(decoded.Palette, std::vector<uint8_t>(palette.begin(), palette.end())) << path;
        }
    }
}

TEST(WebPngEncoder, AnImageWithoutPixelsIsRefusedWithTheEncodersMessage)
{
    const uint8_t pixel = 0;
    for (const auto& [width, height] : {std::pair<uint16_t, uint16_t>{0, 1}, {1, 0}, {0, 0}}) {
        try {
            EncodeIndexedPng(&pixel, width, height, BitmapPalette{}, PngCompression::Fast);
            ADD_FAILURE() << width << " x " << height << " was encoded";
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), "PNG encoder failed: Invalid IHDR data");
        }
    }
}

}  // namespace
}  // namespace tessel::test
