#include "TestSupport.h"

#include "base/ByteOrder.h"
#include "image/BmpWriter.h"

#include <numeric>

namespace tessel::test {
namespace {

// A raster whose every byte tells its row and column apart.
std::vector<uint8_t> NumberedRaster(int width, int height)
{
    std::vector<uint8_t> raster(static_cast<std::size_t>(width) * height);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            raster[static_cast<std::size_t>(row) * width + column] = static_cast<uint8_t>(row * 7 + column);
    return raster;
}

BitmapPalette CountingPalette()
{
    BitmapPalette palette{};
    std::iota(palette.begin(), palette.end(), uint8_t{0});
    return palette;
}

TEST(BmpWriter, A160PixelSquareHasNoPaddingAndTheSpecifiedHeader)
{
    TempDir dir;
    const std::string path = dir.File("map.bmp");
    const auto raster = NumberedRaster(160, 160);
    ASSERT_TRUE(WriteBmpFile(raster.data(), 160, 160, path, CountingPalette()));

    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 26678u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(ReadU32LE(&bytes[2]), 26678u);   // file size
    EXPECT_EQ(ReadU32LE(&bytes[6]), 0u);       // reserved
    EXPECT_EQ(ReadU32LE(&bytes[10]), 1078u);   // pixel offset
    EXPECT_EQ(ReadU32LE(&bytes[14]), 40u);     // info header size
    EXPECT_EQ(ReadU32LE(&bytes[18]), 160u);    // width
    EXPECT_EQ(ReadU32LE(&bytes[22]), 160u);    // height, bottom-up
    EXPECT_EQ(ReadU16LE(&bytes[26]), 1u);      // planes
    EXPECT_EQ(ReadU16LE(&bytes[28]), 8u);      // bits per pixel
    EXPECT_EQ(ReadU32LE(&bytes[30]), 0u);      // no compression
    EXPECT_EQ(ReadU32LE(&bytes[34]), 25600u);  // image size
    EXPECT_EQ(ReadU32LE(&bytes[38]), 0u);      // resolutions
    EXPECT_EQ(ReadU32LE(&bytes[42]), 0u);
    EXPECT_EQ(ReadU32LE(&bytes[46]), 256u);    // colours used
    EXPECT_EQ(ReadU32LE(&bytes[50]), 256u);    // important colours

    // Colour table entry k: blue, green, red of palette triplet k, then 0.
    EXPECT_EQ(bytes[54 + 4 * 5 + 0], 17);
    EXPECT_EQ(bytes[54 + 4 * 5 + 1], 16);
    EXPECT_EQ(bytes[54 + 4 * 5 + 2], 15);
    EXPECT_EQ(bytes[54 + 4 * 5 + 3], 0);
}

TEST(BmpWriter, RowsAreStoredBottomUpWithZeroPaddingToFourBytes)
{
    TempDir dir;
    const std::string path = dir.File("odd.bmp");
    const auto raster = NumberedRaster(161, 161);
    ASSERT_TRUE(WriteBmpFile(raster.data(), 161, 161, path, CountingPalette()));

    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 27482u);
    EXPECT_EQ(ReadU32LE(&bytes[34]), 164u * 161u);
    for (int fileRow = 0; fileRow < 161; ++fileRow) {
        const uint8_t* stored = &bytes[1078 + static_cast<std::size_t>(fileRow) * 164];
        const uint8_t* expected = &raster[static_cast<std::size_t>(160 - fileRow) * 161];
        ASSERT_TRUE(std::equal(expected, expected + 161, stored)) << "file row " << fileRow;
        EXPECT_EQ(stored[161] | stored[162] | stored[163], 0) << "padding of file row " << fileRow;
    }
}

TEST(BmpWriter, RowsWiderThanOneWritePieceArriveWhole)
{
    TempDir dir;
    const std::string path = dir.File("wide.bmp");
    const auto raster = NumberedRaster(1030, 3);
    ASSERT_TRUE(WriteBmpFile(raster.data(), 1030, 3, path, CountingPalette()));
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 1078u + 1032u * 3u);
    EXPECT_TRUE(std::equal(raster.begin() + 2 * 1030, raster.end(), bytes.begin() + 1078));
    EXPECT_EQ(bytes[1078 + 1030], 0);
    EXPECT_EQ(bytes[1078 + 1031], 0);
}

TEST(BmpWriter, AnExistingFileIsReplaced)
{
    TempDir dir;
    const std::string path = dir.File("old.bmp");
    WriteFileBytes(path, std::vector<uint8_t>(50000, 0xEE));
    const auto raster = NumberedRaster(4, 4);
    ASSERT_TRUE(WriteBmpFile(raster.data(), 4, 4, path, CountingPalette()));
    EXPECT_EQ(ReadFileBytes(path).size(), 1078u + 16u);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"old.bmp"});
}

TEST(BmpWriter, AFolderThatCannotTakeTheFileIsReportedWithThePath)
{
    TempDir dir;
    ErrorBoxRecorder boxes;
    const auto raster = NumberedRaster(4, 4);

    const std::string inMissingFolder = dir.File("missing/x.bmp");
    EXPECT_FALSE(WriteBmpFile(raster.data(), 4, 4, inMissingFolder, CountingPalette()));
    EXPECT_FALSE(WriteBmpFile(raster.data(), 4, 4, dir.Path(), CountingPalette()));

    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{
                                 "Error opening output file \"" + inMissingFolder + "\" : Invalid filename",
                                 "Error opening output file \"" + dir.Path() + "\" : File access denied",
                             }));
}

// A full disk at any point leaves an earlier file at the output path as it
// was, with no temporary file beside it; the box names the stage that failed.
TEST(BmpWriter, AFullDiskKeepsTheEarlierFileAndNamesTheStage)
{
    struct Case {
        int64_t bytesThatFit;
        std::string box;
    };
    const Case cases[] = {
        {0, "Error writing BMP header : Disk full"},
        {14 + 40 + 100, "Error writing BMP header : Disk full"},
        {1078, "Error writing BMP file: Disk full"},
        {1078 + 164 * 50 + 7, "Error writing BMP file: Disk full"},
    };
    const auto raster = NumberedRaster(161, 161);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytesThatFit);
        TempDir dir;
        const std::string path = dir.File("kept.bmp");
        const std::vector<uint8_t> earlier(300, 0x5A);
        WriteFileBytes(path, earlier);

        ErrorBoxRecorder boxes;
        {
            ScopedWriteLimit limit(c.bytesThatFit);
            EXPECT_FALSE(WriteBmpFile(raster.data(), 161, 161, path, CountingPalette()));
        }
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.box});
        EXPECT_EQ(ReadFileBytes(path), earlier);
        EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"kept.bmp"});
    }
}

}  // namespace
}  // namespace tessel::test
