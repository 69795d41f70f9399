// Guarantee: the raster ends as painting the rectangles one after another
// would leave it, in time that grows with rectangles x side plus the
// raster's area and never with rectangles x area: rectangles that together
// cover no more pixels than the raster holds are painted one after another;
// more are painted row by row, from the topmost rectangle down, each pixel
// written at most once.
#include "minimap/RectanglePainter.h"

#include "base/Buffer.h"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <utility>

namespace tessel {

namespace {

// What the rectangles that cover a row paint into it: the colour of each
// column that the topmost covering rectangle gives it. Columns are claimed
// from the topmost rectangle down; links skip the columns already claimed.
class RowOverlay {
public:
    explicit RowOverlay(uint32_t side)
        : side_(side), next_(AllocateBuffer<uint32_t>(std::size_t{side} + 1)), color_(AllocateBuffer<uint8_t>(side))
    {
        std::iota(next_.begin(), next_.end(), 0u);
        painted_.reserve(side);
    }

    // Only claimed columns link elsewhere: freeing them frees every link.
    void Clear()
    {
        for (uint32_t column : painted_)
            next_[column] = column;
        painted_.clear();
    }

    bool Full() const { return painted_.size() == side_; }

    // Gives the unclaimed columns from left to right the colour.
    void Claim(uint32_t left, uint32_t right, uint8_t color)
    {
        for (uint32_t column = FirstFree(left); column <= right; column = FirstFree(column + 1)) {
            next_[column] = column + 1;
            color_[column] = color;
            painted_.push_back(column);
        }
    }

    void ApplyTo(uint8_t* row) const
    {
        for (uint32_t column : painted_)
            row[column] = color_[column];
    }

private:
    // The first unclaimed column from column on; side_ when there is none.
    uint32_t FirstFree(uint32_t column)
    {
        uint32_t free = column;
        while (next_[free] != free)
            free = next_[free];
        while (column != free) {
            const uint32_t following = next_[column];
            next_[column] = free;
            column = following;
        }
        return free;
    }

    uint32_t side_;
    std::vector<uint32_t> next_;  // a claimed column links further right; a free one to itself
    std::vector<uint8_t> color_;
    std::vector<uint32_t> painted_;
};

// Whether the rectangles together cover at most limit pixels, overlaps
// counted as often as they are painted.
bool CoverAtMost(const std::vector<PaintedRectangle>& rectangles, uint64_t limit)
{
    uint64_t covered = 0;
    for (const PaintedRectangle& rectangle : rectangles) {
        covered += uint64_t{rectangle.Right - rectangle.Left + 1u} * (rectangle.Bottom - rectangle.Top + 1u);
        if (covered > limit)
            return false;
    }
    return true;
}

void PaintOneAfterAnother(const std::vector<PaintedRectangle>& rectangles, uint8_t* raster, uint32_t side)
{
    for (const PaintedRectangle& rectangle : rectangles)
        for (uint32_t row = rectangle.Top; row <= rectangle.Bottom; ++row) {
            uint8_t* line = raster + std::size_t{row} * side;
            std::fill(line + rectangle.Left, line + rectangle.Right + 1, rectangle.Color);
        }
}

}  // namespace

void PaintRectangles(const std::vector<PaintedRectangle>& rectangles, uint8_t* raster, int32_t side)
{
    if (rectangles.empty() || side <= 0)
        return;
    const auto rows = static_cast<uint32_t>(side);
    // A few small units, as most maps have: painting them is cheaper than
    // working out which of them shows.
    if (CoverAtMost(rectangles, uint64_t{rows} * rows)) {
        PaintOneAfterAnother(rectangles, raster, rows);
        return;
    }

    // Rectangle numbers by top row, those of one row in painting order.
    std::vector<uint32_t> byTop = AllocateBuffer<uint32_t>(rectangles.size());
    std::iota(byTop.begin(), byTop.end(), 0u);
    std::sort(byTop.begin(), byTop.end(), [&](uint32_t a, uint32_t b) {
        return std::pair(rectangles[a].Top, a) < std::pair(rectangles[b].Top, b);
    });

    // The rectangles that cover a row change only at a top and below a
    // bottom; between two changes every row gets the same overlay.
    std::vector<uint8_t> changes = AllocateBuffer<uint8_t>(rows);
    for (const PaintedRectangle& rectangle : rectangles) {
        changes[rectangle.Top] = 1;
        if (uint32_t{rectangle.Bottom} + 1 < rows)
            changes[rectangle.Bottom + 1u] = 1;
    }

    std::vector<uint32_t> covering;  // in painting order
    std::vector<uint32_t> merged;
    auto nextStart = byTop.begin();
    RowOverlay overlay(rows);
    for (uint32_t row = 0; row < rows; ++row) {
        if (changes[row]) {
            // Those still covering the row and those starting on it.
            std::erase_if(covering, [&](uint32_t k) { return rectangles[k].Bottom < row; });
            const auto starting = nextStart;
            while (nextStart != byTop.end() && rectangles[*nextStart].Top == row)
                ++nextStart;
            merged.clear();
            std::merge(covering.begin(), covering.end(), starting, nextStart, std::back_inserter(merged));
            covering.swap(merged);

            // From the topmost down, until the row is full.
            overlay.Clear();
            for (auto k = covering.rbegin(); k != covering.rend() && !overlay.Full(); ++k)
                overlay.Claim(rectangles[*k].Left, rectangles[*k].Right, rectangles[*k].Color);
        }
        overlay.ApplyTo(raster + std::size_t{row} * rows);
    }
}

}  // namespace tessel
