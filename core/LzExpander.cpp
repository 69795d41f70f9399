#include "LzExpander.h"

#include <algorithm>
#include <cstring>

namespace tessel {

namespace {

constexpr std::size_t InputBlockSize = 4096;
constexpr std::size_t WindowMask = WarWindowSize - 1;
// One flag byte and eight two-byte references: the most input a group takes.
constexpr std::size_t LargestGroup = 1 + 8 * 2;
constexpr std::size_t LongestReference = 18;

// The compressed input, read block by block into a ring. Whatever lies
// beyond the end of the file reads as zero bytes, never as an older block.
class InputRing {
public:
    explicit InputRing(InputFile& archive) : archive_(archive) { Refill(); }

    uint8_t Take()
    {
        const uint8_t byte = bytes_[index_];
        if (++index_ == InputBlockSize)
            Refill();
        return byte;
    }

    // Direct access for a whole group when it cannot meet the ring's end.
    bool HoldsWholeGroup() const { return index_ + LargestGroup <= InputBlockSize; }
    const uint8_t* Cursor() const { return bytes_ + index_; }
    void Advance(const uint8_t* cursor)
    {
        index_ = static_cast<std::size_t>(cursor - bytes_);
        if (index_ == InputBlockSize)
            Refill();
    }

private:
    void Refill()
    {
        const std::size_t got = archive_.ReadUpTo(bytes_, InputBlockSize);
        std::memset(bytes_ + got, 0, InputBlockSize - got);
        index_ = 0;
    }

    InputFile& archive_;
    uint8_t bytes_[InputBlockSize];
    std::size_t index_ = 0;
};

// The window is never kept apart from the output: output byte o lands at
// window position o mod 4096, so window position p holds the latest output
// byte at such an index, or its initial zero. A reference at absolute
// position p, met at output index o, therefore copies from a fixed distance
// d = (o - p) mod 4096 back (4096 when that is 0), byte by byte, with zeros
// for any source index before the start.
class Output {
public:
    Output(uint8_t* buffer, uint32_t length) : buffer_(buffer), length_(length) {}

    bool Full() const { return produced_ == length_; }

    void Literal(uint8_t byte) { buffer_[produced_++] = byte; }

    void Reference(uint8_t b1, uint8_t b2)
    {
        const std::size_t position = b1 | (static_cast<std::size_t>(b2 & 0x0F) << 8);
        const std::size_t count = std::min<std::size_t>((b2 >> 4) + 3, length_ - produced_);
        std::size_t distance = (produced_ - position) & WindowMask;
        if (distance == 0)
            distance = WarWindowSize;

        uint8_t* target = buffer_ + produced_;
        if (produced_ >= distance) {
            const uint8_t* source = target - distance;
            if (distance >= LongestReference && length_ - produced_ >= LongestReference) {
                // Apart and with room for a whole reference: one fixed-size
                // copy; bytes past count are rewritten by the output to come.
                std::memcpy(target, source, LongestReference);
            } else {
                for (std::size_t k = 0; k < count; ++k)
                    target[k] = source[k];
            }
        } else {
            for (std::size_t k = 0; k < count; ++k)
                target[k] = produced_ + k >= distance ? buffer_[produced_ + k - distance] : 0;
        }
        produced_ += count;
    }

private:
    uint8_t* buffer_;
    std::size_t length_;
    std::size_t produced_ = 0;
};

}  // namespace

void ExpandWarEntry(InputFile& archive, uint8_t* buffer, uint32_t length)
{
    InputRing input(archive);
    Output output(buffer, length);
    while (!output.Full()) {
        if (input.HoldsWholeGroup()) {
            const uint8_t* cursor = input.Cursor();
            unsigned flags = *cursor++;
            for (int item = 0; item < 8 && !output.Full(); ++item, flags >>= 1) {
                if (flags & 1) {
                    output.Literal(*cursor++);
                } else {
                    output.Reference(cursor[0], cursor[1]);
                    cursor += 2;
                }
            }
            input.Advance(cursor);
        } else {
            unsigned flags = input.Take();
            for (int item = 0; item < 8 && !output.Full(); ++item, flags >>= 1) {
                if (flags & 1) {
                    output.Literal(input.Take());
                } else {
                    const uint8_t b1 = input.Take();
                    output.Reference(b1, input.Take());
                }
            }
        }
    }
}

}  // namespace tessel
