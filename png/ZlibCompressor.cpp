// Guarantee: the work is linear in the input, because each position tries
// at most MaxCandidates earlier ones and compares each no further than the
// longest match found, which then covers that many positions.
//
// One final block with the fixed Huffman codes, greedy matching through
// hash chains, as zlib's fastest level matches. Minimaps are made of long
// repeats (whole rows, runs of one colour), which matching finds; the
// fixed codes cost little against computed ones there, and keep this
// short.
#include "ZlibCompressor.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

namespace tessel {

namespace {

constexpr std::size_t MinMatch = 3;
constexpr std::size_t MaxMatch = 258;
constexpr std::size_t Window = 32768;
constexpr std::size_t MaxCandidates = 8;
constexpr std::size_t GoodEnough = 32;  // a match this long ends the search
constexpr int HashBits = 15;
constexpr int32_t None = -1;

constexpr std::array<uint16_t, 29> LengthBase{3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                              31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> LengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> DistanceBase{1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                                33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                                1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> DistanceExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

constexpr uint32_t Reversed(uint32_t code, int length)
{
    uint32_t result = 0;
    for (int bit = 0; bit < length; ++bit)
        result |= ((code >> bit) & 1u) << (length - 1 - bit);
    return result;
}

struct Code {
    uint16_t Bits = 0;  // already reversed: DEFLATE sends Huffman codes first bit first
    uint8_t Length = 0;
};

// The fixed literal/length code of RFC 1951, 3.2.6.
constexpr std::array<Code, 288> FixedCodes = [] {
    std::array<Code, 288> codes{};
    for (uint32_t symbol = 0; symbol < 288; ++symbol) {
        uint32_t code = 0;
        int length = 0;
        if (symbol < 144) {
            code = 0x30 + symbol;
            length = 8;
        } else if (symbol < 256) {
            code = 0x190 + symbol - 144;
            length = 9;
        } else if (symbol < 280) {
            code = symbol - 256;
            length = 7;
        } else {
            code = 0xC0 + symbol - 280;
            length = 8;
        }
        codes[symbol] = {static_cast<uint16_t>(Reversed(code, length)), static_cast<uint8_t>(length)};
    }
    return codes;
}();

// Bits go out least significant first, as DEFLATE packs them.
class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}

    void Put(uint32_t value, int length)
    {
        pending_ |= static_cast<uint64_t>(value) << count_;
        count_ += length;
        while (count_ >= 8) {
            out_.push_back(static_cast<uint8_t>(pending_));
            pending_ >>= 8;
            count_ -= 8;
        }
    }
    void Put(const Code& code) { Put(code.Bits, code.Length); }

    void Finish()
    {
        if (count_ > 0)
            out_.push_back(static_cast<uint8_t>(pending_));
        pending_ = 0;
        count_ = 0;
    }

private:
    std::vector<uint8_t>& out_;
    uint64_t pending_ = 0;
    int count_ = 0;
};

// The slot of each match length, 3 to 258: the last base not above it.
constexpr std::array<uint8_t, MaxMatch + 1> LengthSlots = [] {
    std::array<uint8_t, MaxMatch + 1> slots{};
    std::size_t slot = 0;
    for (std::size_t length = MinMatch; length <= MaxMatch; ++length) {
        while (slot + 1 < LengthBase.size() && LengthBase[slot + 1] <= length)
            ++slot;
        slots[length] = static_cast<uint8_t>(slot);
    }
    return slots;
}();

// The slot of a distance, as zlib finds it: distances up to 256 each have
// their entry, and above that every slot spans a multiple of 128.
constexpr std::array<uint8_t, 512> DistanceSlots = [] {
    std::array<uint8_t, 512> slots{};
    auto slotOf = [](std::size_t distance) {
        std::size_t slot = 0;
        while (slot + 1 < DistanceBase.size() && DistanceBase[slot + 1] <= distance)
            ++slot;
        return static_cast<uint8_t>(slot);
    };
    for (std::size_t k = 0; k < 256; ++k) {
        slots[k] = slotOf(k + 1);
        slots[256 + k] = slotOf((k << 7) + 1);
    }
    return slots;
}();

std::size_t DistanceSlot(std::size_t distance)
{
    const std::size_t offset = distance - 1;
    return offset < 256 ? DistanceSlots[offset] : DistanceSlots[256 + (offset >> 7)];
}

void PutMatch(BitWriter& bits, std::size_t length, std::size_t distance)
{
    const std::size_t lengthSlot = LengthSlots[length];
    bits.Put(FixedCodes[257 + lengthSlot]);
    bits.Put(static_cast<uint32_t>(length - LengthBase[lengthSlot]), LengthExtra[lengthSlot]);
    const std::size_t distanceSlot = DistanceSlot(distance);
    bits.Put(Reversed(static_cast<uint32_t>(distanceSlot), 5), 5);
    bits.Put(static_cast<uint32_t>(distance - DistanceBase[distanceSlot]), DistanceExtra[distanceSlot]);
}

uint32_t HashAt(const uint8_t* bytes)
{
    const uint32_t key = bytes[0] | bytes[1] << 8 | bytes[2] << 16;
    return (key * 2654435761u) >> (32 - HashBits);
}

// Earlier positions by the hash of the three bytes there, newest first.
class Chains {
public:
    // previous_ is read only where Insert wrote, so it starts unfilled.
    Chains() : heads_(std::size_t{1} << HashBits, None), previous_(new int32_t[Window]) {}

    // The candidates for position, then position among them.
    int32_t Insert(const uint8_t* data, std::size_t position)
    {
        int32_t& head = heads_[HashAt(data + position)];
        const int32_t newest = head;
        previous_[position % Window] = newest;
        head = static_cast<int32_t>(position);
        return newest;
    }
    int32_t Before(int32_t candidate) const { return previous_[static_cast<std::size_t>(candidate) % Window]; }

private:
    std::vector<int32_t> heads_;
    std::unique_ptr<int32_t[]> previous_;
};

// How many bytes from a and b agree, up to limit; eight at a time.
std::size_t AgreeingBytes(const uint8_t* a, const uint8_t* b, std::size_t limit)
{
    std::size_t length = 0;
    while (length + 8 <= limit) {
        uint64_t x = 0, y = 0;
        std::memcpy(&x, a + length, 8);
        std::memcpy(&y, b + length, 8);
        if (x != y) {
            const uint64_t differ = x ^ y;
            const int before = std::endian::native == std::endian::little ? std::countr_zero(differ)
                                                                          : std::countl_zero(differ);
            return length + static_cast<std::size_t>(before) / 8;
        }
        length += 8;
    }
    while (length < limit && a[length] == b[length])
        ++length;
    return length;
}

struct Match {
    std::size_t Length = 0;
    std::size_t Distance = 0;
};

Match LongestMatch(const uint8_t* data, std::size_t size, std::size_t position, int32_t candidate,
                   const Chains& chains)
{
    Match best;
    const std::size_t longest = std::min(MaxMatch, size - position);
    for (std::size_t tried = 0; tried < MaxCandidates && candidate != None; ++tried) {
        const auto from = static_cast<std::size_t>(candidate);
        if (position - from > Window)
            break;
        // Ahead of the best so far only if it agrees one byte further.
        if (data[from + best.Length] == data[position + best.Length] || best.Length == 0) {
            const std::size_t length = AgreeingBytes(data + from, data + position, longest);
            if (length > best.Length) {
                best = {length, position - from};
                if (length >= std::min(GoodEnough, longest))
                    break;
            }
        }
        const int32_t earlier = chains.Before(candidate);
        // A slot written again for a newer position ends the chain.
        if (earlier >= candidate)
            break;
        candidate = earlier;
    }
    if (best.Length < MinMatch)
        return {};
    return best;
}

uint32_t Adler32(const uint8_t* data, std::size_t size)
{
    constexpr uint32_t Modulus = 65521;
    constexpr std::size_t LargestRun = 5552;  // the most bytes before the sums could overflow
    uint32_t low = 1, high = 0;
    while (size > 0) {
        const std::size_t run = std::min(size, LargestRun);
        for (std::size_t k = 0; k < run; ++k) {
            low += data[k];
            high += low;
        }
        low %= Modulus;
        high %= Modulus;
        data += run;
        size -= run;
    }
    return high << 16 | low;
}

}  // namespace

std::vector<uint8_t> ZlibCompress(const uint8_t* data, std::size_t size)
{
    std::vector<uint8_t> out;
    out.reserve(size + size / 8 + 64);  // the most that fixed codes can take
    out.push_back(0x78);  // DEFLATE, 32 KiB window
    out.push_back(0x01);  // no dictionary; the header is a multiple of 31

    BitWriter bits(out);
    bits.Put(1, 1);  // the final block
    bits.Put(1, 2);  // with the fixed codes
    Chains chains;
    std::size_t position = 0;
    while (position < size) {
        Match match;
        if (size - position >= MinMatch)
            match = LongestMatch(data, size, position, chains.Insert(data, position), chains);
        if (match.Length == 0) {
            bits.Put(FixedCodes[data[position]]);
            ++position;
            continue;
        }
        PutMatch(bits, match.Length, match.Distance);
        const std::size_t end = position + match.Length;
        // The positions inside the match become candidates too.
        for (++position; position < end; ++position)
            if (size - position >= MinMatch)
                chains.Insert(data, position);
    }
    bits.Put(FixedCodes[256]);  // end of block
    bits.Finish();

    const uint32_t check = Adler32(data, size);
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(check >> shift));
    return out;
}

}  // namespace tessel
