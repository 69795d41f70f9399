// Expands straight into the result, which stands in for the 4096-byte
// window, and produces byte for byte what the step-by-step expansion
// through a window produces.
#include "archive/LzExpander.h"

#include <algorithm>
#include <cstring>

namespace tessel {

namespace {

constexpr std::size_t InputBlockSize = 4096;
constexpr std::size_t WindowMask = WarWindowSize - 1;
constexpr std::size_t LongestReference = 18;

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

// Whatever lies beyond the end of the file reads as zero bytes, never as
// what an older block left behind.
void ReadInputBlock(InputFile& archive, uint8_t* block)
{
    const std::size_t got = archive.ReadUpTo(block, InputBlockSize);
    std::memset(block + got, 0, InputBlockSize - got);
}

}  // namespace

void ExpandWarEntry(InputFile& archive, uint8_t* buffer, uint32_t length)
{
    uint8_t block[InputBlockSize];
    ReadInputBlock(archive, block);
    // A local read index, not a member of an object whose block the file
    // reads into: the compiler keeps it in a register across the stores into
    // the output. That makes this one loop about as quick as a second copy
    // that read whole groups straight from the block (bench/ExpandBench.cpp).
    std::size_t index = 0;
    const auto take = [&] {
        const uint8_t byte = block[index];
        if (++index == InputBlockSize) {
            ReadInputBlock(archive, block);
            index = 0;
        }
        return byte;
    };

    Output output(buffer, length);
    while (!output.Full()) {
        unsigned flags = take();
        for (int item = 0; item < 8 && !output.Full(); ++item, flags >>= 1) {
            if (flags & 1) {
                output.Literal(take());
            } else {
                const uint8_t b1 = take();
                output.Reference(b1, take());
            }
        }
    }
}

}  // namespace tessel
