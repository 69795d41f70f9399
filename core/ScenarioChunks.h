// The chunks of a scenario file: their tags, the search for one, and reads
// of their data that check every stated length against the file first.
// The minimap reader and the catalogue reader both read through these.
#pragma once

#include "FileLayer.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tessel {

// A four-character chunk tag, compared byte for byte.
using ChunkTag = std::array<char, 4>;

namespace chunk_tag {
// What a minimap needs.
inline constexpr ChunkTag Era{'E', 'R', 'A', ' '};
inline constexpr ChunkTag EraX{'E', 'R', 'A', 'X'};
inline constexpr ChunkTag Dim{'D', 'I', 'M', ' '};
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

// Searches the chunks from the start of the file. Returns the stated data
// length of the first chunk with tag, the file positioned at its data; -1
// when none is found. A failure while walking the headers counts as "not
// found": this never raises.
int32_t FindChunk(InputFile& file, const ChunkTag& tag);

// Reads count bytes in pieces of at most 2048; a short read raises
// "Read beyond end of file".
void ReadInBlocks(InputFile& file, uint8_t* buffer, int32_t count);

// The 16-bit word at the file's position.
uint16_t ReadChunkWord(InputFile& file);

// Reads count chunk bytes at the file's position into a new buffer of
// exactly that length. A count beyond the bytes the file still holds raises
// "Read beyond end of file" before any memory is requested.
std::vector<uint8_t> ReadChunkData(InputFile& file, int32_t count);

// The first length bytes of the first chunk with tag, for data that may be
// missing: none when there is no such chunk, when it states fewer than
// length bytes, or when the file ends or fails before them.
std::optional<std::vector<uint8_t>> ReadOptionalChunk(InputFile& file, const ChunkTag& tag, int32_t length);

}  // namespace tessel
