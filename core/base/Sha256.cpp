#include "base/Sha256.h"

#include <algorithm>
#include <cstring>

namespace tessel {

namespace {

// The first 32 bits of the fractional parts of the cube roots of the first
// 64 primes.
constexpr std::array<uint32_t, 64> RoundConstants{
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

// The first 32 bits of the fractional parts of the square roots of the
// first 8 primes.
constexpr std::array<uint32_t, 8> InitialState{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                               0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

constexpr uint32_t RotateRight(uint32_t value, int bits) { return (value >> bits) | (value << (32 - bits)); }

}  // namespace

Sha256::Sha256() : state_(InitialState) {}

void Sha256::Compress(const uint8_t* block)
{
    std::array<uint32_t, 64> schedule;
    for (int k = 0; k < 16; ++k)
        schedule[k] = uint32_t{block[4 * k]} << 24 | uint32_t{block[4 * k + 1]} << 16 |
                      uint32_t{block[4 * k + 2]} << 8 | uint32_t{block[4 * k + 3]};
    for (int k = 16; k < 64; ++k) {
        const uint32_t early = schedule[k - 15], late = schedule[k - 2];
        const uint32_t sigma0 = RotateRight(early, 7) ^ RotateRight(early, 18) ^ (early >> 3);
        const uint32_t sigma1 = RotateRight(late, 17) ^ RotateRight(late, 19) ^ (late >> 10);
        schedule[k] = schedule[k - 16] + sigma0 + schedule[k - 7] + sigma1;
    }
    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
    for (int k = 0; k < 64; ++k) {
        const uint32_t sum1 = RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25);
        const uint32_t choice = (e & f) ^ (~e & g);
        const uint32_t first = h + sum1 + choice + RoundConstants[k] + schedule[k];
        const uint32_t sum0 = RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22);
        const uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const uint32_t second = sum0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + first;
        d = c;
        c = b;
        b = a;
        a = first + second;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    state_[4] += e;
    state_[5] += f;
    state_[6] += g;
    state_[7] += h;
}

void Sha256::Add(const void* data, std::size_t count)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    totalBytes_ += count;
    while (count > 0) {
        const std::size_t taken = std::min(count, block_.size() - blockFill_);
        std::memcpy(block_.data() + blockFill_, bytes, taken);
        blockFill_ += taken;
        bytes += taken;
        count -= taken;
        if (blockFill_ == block_.size()) {
            Compress(block_.data());
            blockFill_ = 0;
        }
    }
}

std::string Sha256::HexDigest()
{
    // A one bit, zeros up to 8 bytes before a block's end, then the length in bits.
    const uint64_t bits = totalBytes_ * 8;
    const uint8_t one = 0x80;
    Add(&one, 1);
    const uint8_t zero = 0;
    while (blockFill_ != block_.size() - 8)
        Add(&zero, 1);
    uint8_t length[8];
    for (int k = 0; k < 8; ++k)
        length[k] = static_cast<uint8_t>(bits >> (56 - 8 * k));
    Add(length, sizeof length);

    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(64);
    for (const uint32_t word : state_)
        for (int shift = 28; shift >= 0; shift -= 4)
            hex += digits[(word >> shift) & 0xF];
    return hex;
}

std::string Sha256Hex(const void* data, std::size_t count)
{
    Sha256 hash;
    hash.Add(data, count);
    return hash.HexDigest();
}

}  // namespace tessel
