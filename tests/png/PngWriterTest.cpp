// The PNG encoder when libpng fails: its error path never lets a C++
// exception through libpng's C frames, frees its structures (the sanitizer
// build checks for leaks) and raises one of our exceptions.
#include "AllocationProbe.h"
#include "TestSupport.h"

#include "base/Exceptions.h"
#include "PngWriter.h"

#include <random>

namespace tessel::test {
namespace {

// Noise compresses badly: the encoded bytes outgrow the block reserved for
// them, so the encoder's output must grow while libpng writes.
std::vector<uint8_t> Noise(std::size_t count)
{
    std::mt19937 random(7);
    std::vector<uint8_t> pixels(count);
    for (auto& pixel : pixels)
        pixel = static_cast<uint8_t>(random());
    return pixels;
}

TEST(PngWriter, MemoryRunningOutWhileLibpngWritesIsOutOfMemory)
{
    constexpr uint16_t side = 2000;
    const std::vector<uint8_t> raster = Noise(std::size_t{side} * side);
    const BitmapPalette palette{};
    const std::size_t whole = EncodePng(raster.data(), side, side, palette).size();
    ASSERT_GT(whole, std::size_t{side} * side / 2);

    AllocationProbe probe(/*ceiling=*/std::size_t{side} * side / 2);
    EXPECT_THROW(EncodePng(raster.data(), side, side, palette), EOutOfMemory);
}

TEST(PngWriter, ALibpngErrorBecomesAnExceptionWithItsReasonAndPrintsNothing)
{
    const uint8_t pixel = 0;
    ::testing::internal::CaptureStderr();
    try {
        EncodePng(&pixel, 0, 1, BitmapPalette{});
        ADD_FAILURE() << "an image of width 0 cannot be encoded";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "PNG encoder failed: Invalid IHDR data");
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace tessel::test
