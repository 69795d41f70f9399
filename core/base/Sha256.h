// SHA-256 of a byte sequence, as a lowercase hexadecimal text: the
// fingerprint that tells byte-identical files apart from different ones.
// Plain C++20, the same on every platform.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tessel {

class Sha256 {
public:
    Sha256();
    // Adds count bytes; may be called any number of times.
    void Add(const void* data, std::size_t count);
    // The digest of everything added, as 64 lowercase hexadecimal digits.
    // Ends the hash: add nothing after it.
    std::string HexDigest();

private:
    void Compress(const uint8_t* block);

    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> block_{};
    std::size_t blockFill_ = 0;
    uint64_t totalBytes_ = 0;
};

// The digest of count bytes at data.
std::string Sha256Hex(const void* data, std::size_t count);

}  // namespace tessel
