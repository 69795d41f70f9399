// A greedy LZ compressor for the archive's format. The expander writes output
// byte o at window position o mod 4096 over a window that starts as zeros, so
// a reference to absolute position p met at output index o copies from a
// fixed distance back (1 to 4096), byte by byte. The compressor therefore
// searches the data behind 4096 zero bytes with ordinary distance matching
// and turns each distance back into a window position.
#include "ArchiveWriter.h"

#include "archive/LzExpander.h"

#include <algorithm>
#include <cstddef>

namespace tessel {

namespace {

constexpr std::size_t ShortestMatch = 3;
constexpr std::size_t LongestMatch = 18;
constexpr std::size_t HashBits = 15;
constexpr std::size_t HashSize = std::size_t{1} << HashBits;
// How many earlier places with the same 3-byte hash are tried: plenty for
// test and demo data, and it keeps long runs of one byte quick.
constexpr int SearchDepth = 96;
constexpr int32_t NoPlace = -1;

std::size_t HashAt(const std::vector<uint8_t>& text, std::size_t place)
{
    const uint32_t key = text[place] | (uint32_t{text[place + 1]} << 8) | (uint32_t{text[place + 2]} << 16);
    return (key * 2654435761u) >> (32 - HashBits);
}

}  // namespace

LzStreamWriter::LzStreamWriter(std::vector<uint8_t>& out) : out_(out) {}

void LzStreamWriter::Literal(uint8_t byte)
{
    StartItem(true);
    out_.push_back(byte);
}

void LzStreamWriter::Reference(std::size_t windowPosition, std::size_t count)
{
    StartItem(false);
    out_.push_back(static_cast<uint8_t>(windowPosition & 0xFF));
    out_.push_back(static_cast<uint8_t>(((count - ShortestMatch) << 4) | (windowPosition >> 8)));
}

void LzStreamWriter::StartItem(bool literal)
{
    if (items_ == 8) {
        flagIndex_ = out_.size();
        out_.push_back(0);
        items_ = 0;
    }
    if (literal)
        out_[flagIndex_] = static_cast<uint8_t>(out_[flagIndex_] | (1u << items_));
    ++items_;
}

std::vector<uint8_t> CompressWarData(const std::vector<uint8_t>& data)
{
    // The text searched: the window's initial zeros, then the data.
    const std::size_t start = WarWindowSize;
    std::vector<uint8_t> text(start, 0);
    text.insert(text.end(), data.begin(), data.end());
    const std::size_t end = text.size();

    std::vector<int32_t> head(HashSize, NoPlace);
    std::vector<int32_t> previous(end, NoPlace);
    auto insert = [&](std::size_t place) {
        if (place + ShortestMatch > end)
            return;
        const std::size_t hash = HashAt(text, place);
        previous[place] = head[hash];
        head[hash] = static_cast<int32_t>(place);
    };
    // Only the last stretch of the zeros can be reached from the data.
    for (std::size_t place = start - LongestMatch; place < start; ++place)
        insert(place);

    std::vector<uint8_t> out;
    out.reserve(data.size() + data.size() / 8 + 1);
    LzStreamWriter groups(out);
    std::size_t place = start;
    while (place < end) {
        const std::size_t limit = std::min(LongestMatch, end - place);
        std::size_t bestLength = 0;
        std::size_t bestDistance = 0;
        if (limit >= ShortestMatch) {
            int depth = SearchDepth;
            for (int32_t candidate = head[HashAt(text, place)]; candidate != NoPlace && depth-- > 0;
                 candidate = previous[static_cast<std::size_t>(candidate)]) {
                const std::size_t distance = place - static_cast<std::size_t>(candidate);
                if (distance > WarWindowSize)
                    break;
                // The source may run into the bytes this match produces: the
                // expander copies byte by byte, so that repeats them.
                std::size_t length = 0;
                while (length < limit && text[static_cast<std::size_t>(candidate) + length] == text[place + length])
                    ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = distance;
                    if (length == limit)
                        break;
                }
            }
        }

        if (bestLength >= ShortestMatch) {
            const std::size_t produced = place - start;
            groups.Reference((produced - bestDistance) & (WarWindowSize - 1), bestLength);
            for (std::size_t k = 0; k < bestLength; ++k)
                insert(place + k);
            place += bestLength;
        } else {
            groups.Literal(text[place]);
            insert(place);
            ++place;
        }
    }
    return out;
}

}  // namespace tessel
