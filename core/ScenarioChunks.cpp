#include "ScenarioChunks.h"

#include "Buffer.h"
#include "ByteOrder.h"
#include "Exceptions.h"

#include <cstring>
#include <exception>

namespace tessel {

namespace {

constexpr int32_t ChunkHeaderSize = 8;
constexpr int32_t ReadPieceSize = 2048;

// A stated chunk length is checked against the bytes the file still holds
// before a buffer of that length is requested, so that a damaged length
// never asks for gigabytes.
void RequireRemaining(InputFile& file, int64_t count)
{
    if (count > file.Size() - file.Position())
        throw EInOutError(io_error::ReadBeyondEnd);
}

}  // namespace

int32_t FindChunk(InputFile& file, const ChunkTag& tag)
{
    // Any failure while walking the headers means the chunk is not there.
    try {
        const int64_t size = file.Size();
        int64_t position = 0;
        file.Seek(position);
        while (position < size) {
            uint8_t header[ChunkHeaderSize];
            file.ReadExact(header, sizeof header);
            const int32_t length = ReadI32LE(header + 4);
            if (std::memcmp(header, tag.data(), tag.size()) == 0)
                return length;
            if (length < 0)
                return -1;
            position += ChunkHeaderSize + static_cast<int64_t>(length);
            file.Seek(position);
        }
    } catch (const std::exception&) {
    }
    return -1;
}

void ReadInBlocks(InputFile& file, uint8_t* buffer, int32_t count)
{
    while (count >= ReadPieceSize) {
        file.ReadExact(buffer, ReadPieceSize);
        buffer += ReadPieceSize;
        count -= ReadPieceSize;
    }
    if (count > 0)
        file.ReadExact(buffer, static_cast<std::size_t>(count));
}

uint16_t ReadChunkWord(InputFile& file)
{
    uint8_t bytes[2];
    file.ReadExact(bytes, sizeof bytes);
    return ReadU16LE(bytes);
}

std::vector<uint8_t> ReadChunkData(InputFile& file, int32_t count)
{
    RequireRemaining(file, count);
    std::vector<uint8_t> data = AllocateBuffer<uint8_t>(static_cast<std::size_t>(count));
    ReadInBlocks(file, data.data(), count);
    return data;
}

std::optional<std::vector<uint8_t>> ReadOptionalChunk(InputFile& file, const ChunkTag& tag, int32_t length)
{
    if (FindChunk(file, tag) < length)
        return std::nullopt;
    try {
        return ReadChunkData(file, length);
    } catch (const EInOutError&) {
        // cut short by the end of the file, or unreadable: not there
        return std::nullopt;
    }
}

}  // namespace tessel
