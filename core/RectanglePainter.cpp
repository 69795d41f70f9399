#include "RectanglePainter.h"

#include "Buffer.h"

#include <bit>
#include <optional>

namespace tessel {

namespace {

// Rectangle numbers in order of painting, with the largest member below a
// limit found in a few word reads: each level keeps a bit per non-empty
// word of the level below.
class IndexSet {
public:
    explicit IndexSet(std::size_t count)
    {
        std::size_t words = count;
        do {
            words = (words + 63) / 64;
            levels_.push_back(AllocateBuffer<uint64_t>(words));
        } while (words > 1);
    }

    void Insert(std::size_t index)
    {
        for (auto& level : levels_) {
            uint64_t& word = level[index / 64];
            const bool wasEmpty = word == 0;
            word |= Bit(index % 64);
            if (!wasEmpty)
                return;
            index /= 64;
        }
    }

    void Erase(std::size_t index)
    {
        for (auto& level : levels_) {
            uint64_t& word = level[index / 64];
            word &= ~Bit(index % 64);
            if (word != 0)
                return;
            index /= 64;
        }
    }

    std::optional<std::size_t> Before(std::size_t limit) const
    {
        std::size_t level = 0;
        for (;;) {
            if (level == levels_.size())
                return std::nullopt;
            const std::vector<uint64_t>& words = levels_[level];
            std::size_t word = limit / 64;
            uint64_t below;
            if (word < words.size()) {
                below = words[word] & (Bit(limit % 64) - 1);
            } else {
                // A limit past the last word (a count that fills its words
                // exactly): every member of the last word lies below it.
                word = words.size() - 1;
                below = words[word];
            }
            if (below != 0) {
                std::size_t found = word * 64 + Highest(below);
                while (level > 0) {
                    --level;
                    found = found * 64 + Highest(levels_[level][found]);
                }
                return found;
            }
            // A non-empty word before this one, found one level up.
            limit = word;
            ++level;
        }
    }

private:
    static uint64_t Bit(std::size_t position) { return uint64_t{1} << position; }
    static std::size_t Highest(uint64_t word) { return 63 - static_cast<std::size_t>(std::countl_zero(word)); }

    std::vector<std::vector<uint64_t>> levels_;
};

// What the rectangles of one set paint into a row: the colour of each
// column that the topmost covering rectangle gives it. Columns are claimed
// from the topmost rectangle down, skipping claimed runs through
// path-compressed links.
class RowOverlay {
public:
    explicit RowOverlay(uint32_t side)
        : side_(side),
          next_(AllocateBuffer<uint32_t>(side)),
          stamp_(AllocateBuffer<uint32_t>(side)),
          color_(AllocateBuffer<uint8_t>(side))
    {
        painted_.reserve(side);
    }

    // Forgets every claim at once: a claim holds only with the current stamp.
    void Clear()
    {
        ++generation_;
        painted_.clear();
    }

    bool Full() const { return painted_.size() == side_; }

    // Gives the unclaimed columns from left to right the colour.
    void Claim(uint32_t left, uint32_t right, uint8_t color)
    {
        for (uint32_t column = FirstFree(left); column <= right; column = FirstFree(column + 1)) {
            stamp_[column] = generation_;
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
    bool Claimed(uint32_t column) const { return column < side_ && stamp_[column] == generation_; }

    // The first unclaimed column from column on; side_ when there is none.
    uint32_t FirstFree(uint32_t column)
    {
        uint32_t free = column;
        while (Claimed(free))
            free = next_[free];
        while (column != free) {
            const uint32_t following = next_[column];
            next_[column] = free;
            column = following;
        }
        return free;
    }

    uint32_t side_;
    std::vector<uint32_t> next_;
    std::vector<uint32_t> stamp_;
    std::vector<uint8_t> color_;
    std::vector<uint32_t> painted_;
    uint32_t generation_ = 0;
};

// Rectangle numbers grouped by a row: those of row r are
// numbers[first[r] .. first[r + 1]).
struct RowLists {
    std::vector<uint32_t> first;
    std::vector<uint32_t> numbers;
};

template <class RowOf>
RowLists GroupByRow(std::size_t count, uint32_t rows, RowOf rowOf)
{
    RowLists lists{AllocateBuffer<uint32_t>(std::size_t{rows} + 2), {}};
    std::size_t listed = 0;
    for (std::size_t k = 0; k < count; ++k) {
        if (const std::optional<uint32_t> row = rowOf(k)) {
            ++lists.first[*row + 2];
            ++listed;
        }
    }
    for (uint32_t row = 0; row < rows; ++row)
        lists.first[row + 2] += lists.first[row + 1];
    lists.numbers = AllocateBuffer<uint32_t>(listed);
    for (std::size_t k = 0; k < count; ++k)
        if (const std::optional<uint32_t> row = rowOf(k))
            lists.numbers[lists.first[*row + 1]++] = static_cast<uint32_t>(k);
    return lists;
}

}  // namespace

void PaintRectangles(const std::vector<PaintedRectangle>& rectangles, uint8_t* raster, int32_t side)
{
    if (rectangles.empty() || side <= 0)
        return;
    const auto rows = static_cast<uint32_t>(side);
    const std::size_t count = rectangles.size();

    // The set of rectangles that cover a row changes only at their top and
    // below their bottom; between two changes every row gets the same overlay.
    const RowLists starts = GroupByRow(count, rows, [&](std::size_t k) -> std::optional<uint32_t> {
        return rectangles[k].Top;
    });
    const RowLists ends = GroupByRow(count, rows, [&](std::size_t k) -> std::optional<uint32_t> {
        const uint32_t after = uint32_t{rectangles[k].Bottom} + 1;
        return after < rows ? std::optional<uint32_t>(after) : std::nullopt;
    });

    IndexSet covering(count);
    RowOverlay overlay(rows);
    for (uint32_t row = 0; row < rows; ++row) {
        bool changed = false;
        for (uint32_t k = ends.first[row]; k < ends.first[row + 1]; ++k, changed = true)
            covering.Erase(ends.numbers[k]);
        for (uint32_t k = starts.first[row]; k < starts.first[row + 1]; ++k, changed = true)
            covering.Insert(starts.numbers[k]);
        if (changed) {
            overlay.Clear();
            for (std::optional<std::size_t> k = covering.Before(count); k && !overlay.Full();
                 k = covering.Before(*k)) {
                const PaintedRectangle& rectangle = rectangles[*k];
                overlay.Claim(rectangle.Left, rectangle.Right, rectangle.Color);
            }
        }
        overlay.ApplyTo(raster + std::size_t{row} * rows);
    }
}

}  // namespace tessel
