// The chunks of a scenario file: their tags, the search for one, and reads
// of their data that check every stated length against the file first.
// The minimap reader and the catalogue reader both read through these.
#pragma once

#include "system/FileLayer.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tessel {

// The largest scenario file read: 16 times the largest of about 900 real
// community maps (258 KB). Every buffer a scenario asks for, and the time
// its units take to paint, are bounded through it.
inline constexpr int64_t MaximumScenarioSize = int64_t{4} * 1024 * 1024;
// The message for a larger file; it names the limit above.
inline constexpr const char* ScenarioTooLargeText = "Invalid PUD (file larger than 4 MiB).";
static_assert(MaximumScenarioSize == int64_t{4} << 20, "ScenarioTooLargeText names the limit");

// A four-character chunk tag, compared byte for byte.
using ChunkTag = std::array<char, 4>;

namespace chunk_tag {
// What a minimap needs.
inline constexpr ChunkTag Era{'E', 'R', 'A', ' '};
inline constexpr ChunkTag EraX{'E', 'R', 'A', 'X'};
inline constexpr ChunkTag Dimensions{'D', 'I', 'M', ' '};
inline constexpr ChunkTag UnitTypeData{'U', 'D', 'T', 'A'};
inline constexpr ChunkTag TileMap{'M', 'T', 'X', 'M'};
inline constexpr ChunkTag Units{'U', 'N', 'I', 'T'};
// What a catalogue shows besides.
inline constexpr ChunkTag Version{'V', 'E', 'R', ' '};
inline constexpr ChunkTag Description{'D', 'E', 'S', 'C'};
inline constexpr ChunkTag Owners{'O', 'W', 'N', 'R'};
inline constexpr ChunkTag Races{'S', 'I', 'D', 'E'};
inline constexpr ChunkTag StartingGold{'S', 'G', 'L', 'D'};
inline constexpr ChunkTag StartingLumber{'S', 'L', 'B', 'R'};
inline constexpr ChunkTag StartingOil{'S', 'O', 'I', 'L'};
}  // namespace chunk_tag

// Every tag above: those whose first chunk a ChunkIndex keeps.
inline constexpr std::array<ChunkTag, 13> IndexedChunkTags{
    chunk_tag::Era,          chunk_tag::EraX,           chunk_tag::Dimensions,  chunk_tag::UnitTypeData,
    chunk_tag::TileMap,      chunk_tag::Units,          chunk_tag::Version,     chunk_tag::Description,
    chunk_tag::Owners,       chunk_tag::Races,          chunk_tag::StartingGold, chunk_tag::StartingLumber,
    chunk_tag::StartingOil};

// Searches the chunks from the start of the file. Returns the stated data
// length of the first chunk with tag, the file positioned at its data; -1
// when none is found. A failure while walking the headers counts as "not
// found": this never raises.
int32_t FindChunk(InputFile& file, const ChunkTag& tag);

// The chunks of one open scenario file, found in a single walk over their
// headers that goes only as far as the searches so far have needed: each
// search gives what FindChunk gives, without starting again from byte 0.
// The file's size is taken once, here; a file larger than
// MaximumScenarioSize is refused with EPUDEx ScenarioTooLargeText before
// any of it is read, and nothing past that size is read later.
class ChunkIndex {
public:
    explicit ChunkIndex(InputFile& file);

    InputFile& File() const { return file_; }
    // As FindChunk: the stated length of the first chunk with tag, the file
    // positioned at its data; -1 when none is found. Never raises. A tag
    // outside IndexedChunkTags is searched for on its own.
    int32_t Find(const ChunkTag& tag);
    // ReadChunkWord and ReadChunkData at the file's position, checked
    // against the size taken at the start.
    uint16_t ReadWord();
    std::vector<uint8_t> ReadData(int32_t count);

private:
    struct FirstChunk {
        bool Found = false;
        int64_t DataPosition = 0;
        int32_t Length = 0;
    };

    // Reads the next header and keeps it where it is the first of its tag;
    // a negative length, a header cut short or a failed read ends the walk.
    void Step();

    InputFile& file_;
    int64_t size_ = 0;
    int64_t next_ = 0;  // where the next header begins
    bool ended_ = false;
    std::array<FirstChunk, IndexedChunkTags.size()> first_{};
};

// Reads count bytes in pieces of at most 2048; a short read raises
// "Read beyond end of file".
void ReadInBlocks(InputFile& file, uint8_t* buffer, int32_t count);

// The 16-bit word at the file's position.
uint16_t ReadChunkWord(InputFile& file);

// Reads count chunk bytes at the file's position into a new buffer of
// exactly that length. A count beyond the bytes the file still holds raises
// "Read beyond end of file" before any memory is requested; one beyond
// MaximumScenarioSize, which no scenario that is read can hold, raises
// EOutOfMemory.
std::vector<uint8_t> ReadChunkData(InputFile& file, int32_t count);

// The first length bytes of the first chunk with tag, for data that may be
// missing: none when there is no such chunk, when it states fewer than
// length bytes, or when the file ends or fails before them.
std::optional<std::vector<uint8_t>> ReadOptionalChunk(ChunkIndex& chunks, const ChunkTag& tag, int32_t length);

}  // namespace tessel
