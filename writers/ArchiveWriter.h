// Writes game archives: header, entry table (with absent entries), stored and
// compressed entries, for tests, fuzz seeds and the demo.
#pragma once

#include "era/TerrainData.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessel {

// The four entries of one era, as they stand expanded.
struct EraTables {
    std::vector<uint8_t> Palette;  // 768 bytes: red, green, blue 0..63
    std::vector<uint8_t> MMI;
    std::vector<uint8_t> MMT;
    std::vector<uint8_t> TMI;
};

class ArchiveWriter {
public:
    ArchiveWriter& Signature(uint32_t signature);
    ArchiveWriter& Tag(uint16_t tag);
    // Entries 0 .. count-1 exist in the table; unset ones are absent (-1).
    ArchiveWriter& EntryCount(uint16_t count);

    // An entry with a correct header; compressed with CompressWarData when
    // compress is set. Grows the entry count to cover index.
    ArchiveWriter& Entry(int32_t index, std::vector<uint8_t> data, bool compress);
    // An entry whose 4 header bytes and data are given as they are.
    ArchiveWriter& RawEntry(int32_t index, uint32_t header, std::vector<uint8_t> data);
    // Table position of index given as is (for entries that point anywhere).
    ArchiveWriter& Position(int32_t index, int32_t position);
    // The four entries of era at its entry numbers.
    ArchiveWriter& Era(int32_t era, const EraTables& tables, bool compress = true);
    // Bytes appended after the last entry.
    ArchiveWriter& Trailer(std::vector<uint8_t> bytes);

    std::vector<uint8_t> Bytes() const;
    void WriteTo(const std::string& path) const;

private:
    uint32_t signature_ = 25;
    uint16_t tag_ = 1000;
    uint16_t count_ = 0;
    std::map<int32_t, std::vector<uint8_t>> entries_;  // header + data
    std::map<int32_t, int32_t> positions_;
    std::vector<uint8_t> trailer_;
};

// The archive's LZ format: flag bytes least significant bit first (1 =
// literal), references of absolute 12-bit window position and length 3..18,
// a window of 4096 zero bytes written from position 0.
std::vector<uint8_t> CompressWarData(const std::vector<uint8_t>& data);

// Appends items of the LZ format to out, a flag byte before every eight.
class LzStreamWriter {
public:
    explicit LzStreamWriter(std::vector<uint8_t>& out);
    void Literal(uint8_t byte);
    // windowPosition 0 .. 4095, count 3 .. 18.
    void Reference(std::size_t windowPosition, std::size_t count);

private:
    void StartItem(bool literal);

    std::vector<uint8_t>& out_;
    std::size_t flagIndex_ = 0;
    int items_ = 8;
};

// A terrain holding tables as if an archive had been loaded, for tests and
// benchmarks that skip the archive.
TTerrainData TerrainOf(const EraTables& tables);
// The tables a terrain holds, ready to be packed into an archive.
EraTables TablesOf(const TTerrainData& terrain);

}  // namespace tessel
