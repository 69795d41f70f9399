#include "minimap/RectanglePainter.h"
#include "RandomRectangles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tessel::test {
namespace {

// Paints the rectangles one after another, the plain way.
std::vector<uint8_t> PaintedOneByOne(const std::vector<PaintedRectangle>& rectangles, int side)
{
    std::vector<uint8_t> raster(static_cast<std::size_t>(side) * side, 1);
    for (const PaintedRectangle& r : rectangles)
        for (int row = r.Top; row <= r.Bottom; ++row)
            for (int column = r.Left; column <= r.Right; ++column)
                raster[static_cast<std::size_t>(row) * side + column] = r.Color;
    return raster;
}

// The index of the first pixel where the rasters differ; -1 when none does.
long FirstDifference(const std::vector<uint8_t>& raster, const std::vector<uint8_t>& expected)
{
    const auto mismatch = std::mismatch(raster.begin(), raster.end(), expected.begin(), expected.end());
    return mismatch.first == raster.end() && mismatch.second == expected.end() ? -1 : mismatch.first - raster.begin();
}

TEST(RectanglePainter, GivesWhatPaintingOneAfterAnotherGives)
{
    std::mt19937 random(20240611);
    const struct {
        int side, count, largest;
    } cases[] = {
        {1, 3, 1}, {7, 40, 7}, {160, 500, 12}, {160, 300, 160}, {333, 2000, 40}, {64, 5000, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "side " << c.side << ", " << c.count << " rectangles up to "
                                          << c.largest);
        for (int round = 0; round < 5; ++round) {
            const auto rectangles = RandomRectangles(random, c.side, c.count, c.largest);
            std::vector<uint8_t> raster(static_cast<std::size_t>(c.side) * c.side, 1);
            PaintRectangles(rectangles, raster.data(), c.side);
            ASSERT_EQ(raster, PaintedOneByOne(rectangles, c.side));
        }
    }
}

// Every count up to a few hundred, and each count around a multiple of 64
// (64 rectangles once gave an empty raster), with small and with large
// rectangles.
TEST(RectanglePainter, GivesWhatPaintingOneAfterAnotherGivesForEveryCount)
{
    std::vector<int> counts;
    for (int count = 0; count <= 300; ++count)
        counts.push_back(count);
    for (int multiple = 320; multiple <= 4160; multiple += 64)
        counts.insert(counts.end(), {multiple - 1, multiple, multiple + 1});
    counts.insert(counts.end(), {64 * 64 * 64 - 1, 64 * 64 * 64, 64 * 64 * 64 + 1});

    constexpr int side = 61;
    std::mt19937 random(64);
    for (const int largest : {3, side}) {
        for (const int count : counts) {
            SCOPED_TRACE(::testing::Message() << count << " rectangles up to " << largest);
            const auto rectangles = RandomRectangles(random, side, count, largest);
            std::vector<uint8_t> raster(side * side, 1);
            PaintRectangles(rectangles, raster.data(), side);
            ASSERT_EQ(FirstDifference(raster, PaintedOneByOne(rectangles, side)), -1);
        }
    }
}

// Rectangles covering as many pixels as the raster holds are painted one
// after another; one pixel more, and they are painted row by row. Both
// ways give the same, overlaps included.
TEST(RectanglePainter, CoveringTheRasterOnceOrOnePixelMoreGivesWhatPaintingOneAfterAnotherGives)
{
    constexpr int side = 20;
    std::vector<PaintedRectangle> rectangles;
    for (int k = 0; k < 4; ++k) {
        const auto corner = static_cast<uint16_t>(3 * k);
        rectangles.push_back({corner, corner, static_cast<uint16_t>(corner + 9), static_cast<uint16_t>(corner + 9),
                              static_cast<uint8_t>(10 + k)});
    }
    for (const bool onePixelMore : {false, true}) {
        SCOPED_TRACE(onePixelMore ? "401 pixels" : "400 pixels");
        if (onePixelMore)
            rectangles.push_back({0, 19, 0, 19, 30});
        std::vector<uint8_t> raster(side * side, 1);
        PaintRectangles(rectangles, raster.data(), side);
        EXPECT_EQ(raster, PaintedOneByOne(rectangles, side));
    }
}

TEST(RectanglePainter, LeavesUncoveredPixelsAndAnEmptyListAlone)
{
    std::vector<uint8_t> raster(16, 9);
    PaintRectangles({}, raster.data(), 4);
    EXPECT_EQ(raster, std::vector<uint8_t>(16, 9));

    // Two rows apart, the later one narrower: the rows between keep theirs.
    PaintRectangles({{0, 0, 3, 0, 5}, {1, 3, 2, 3, 6}}, raster.data(), 4);
    EXPECT_EQ(raster, (std::vector<uint8_t>{5, 5, 5, 5, 9, 9, 9, 9, 9, 9, 9, 9, 9, 6, 6, 9}));
}

TEST(RectanglePainter, AHighlyLayeredStackShowsItsTopmostRectangle)
{
    // 5000 rectangles over one another, each a pixel smaller: the middle
    // shows the last one, each ring the last one that reaches it.
    constexpr int side = 101;
    std::vector<PaintedRectangle> rectangles;
    for (int k = 0; k < 5000; ++k) {
        const int inset = std::min(k, 50);
        rectangles.push_back({static_cast<uint16_t>(inset), static_cast<uint16_t>(inset),
                              static_cast<uint16_t>(side - 1 - inset), static_cast<uint16_t>(side - 1 - inset),
                              static_cast<uint8_t>(k % 251)});
    }
    std::vector<uint8_t> raster(side * side, 0);
    PaintRectangles(rectangles, raster.data(), side);
    EXPECT_EQ(raster, PaintedOneByOne(rectangles, side));
}

}  // namespace
}  // namespace tessel::test
