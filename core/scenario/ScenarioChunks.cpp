#include "scenario/ScenarioChunks.h"

#include "base/Buffer.h"
#include "base/ByteOrder.h"
#include "base/Exceptions.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace tessel {

namespace {

constexpr int32_t ChunkHeaderSize = 8;
constexpr int32_t ReadPieceSize = 2048;

// A stated chunk length is checked against the bytes the file still holds
// before a buffer of that length is requested, so that a damaged length
// never asks for gigabytes.
void RequireRemaining(int64_t size, int64_t position, int64_t count)
{
    if (count > size - position)
        throw EInOutError(io_error::ReadBeyondEnd);
}

struct ChunkHeader {
    ChunkTag Tag;
    int32_t Length;
};

ChunkHeader ReadChunkHeader(InputFile& file, int64_t position)
{
    uint8_t bytes[ChunkHeaderSize];
    file.Seek(position);
    file.ReadExact(bytes, sizeof bytes);
    ChunkHeader header{};
    std::memcpy(header.Tag.data(), bytes, header.Tag.size());
    header.Length = ReadI32LE(bytes + 4);
    return header;
}

// Tags as 32-bit numbers, so that every header is compared with all the
// indexed tags in a few instructions.
uint32_t TagNumber(const ChunkTag& tag)
{
    uint32_t number = 0;
    std::memcpy(&number, tag.data(), sizeof number);
    return number;
}

std::optional<std::size_t> IndexedSlot(const ChunkTag& tag)
{
    static const auto numbers = [] {
        std::array<uint32_t, IndexedChunkTags.size()> result{};
        std::transform(IndexedChunkTags.begin(), IndexedChunkTags.end(), result.begin(), TagNumber);
        return result;
    }();
    const auto found = std::find(numbers.begin(), numbers.end(), TagNumber(tag));
    if (found == numbers.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - numbers.begin());
}

}  // namespace

int32_t FindChunk(InputFile& file, const ChunkTag& tag)
{
    // Any failure while walking the headers means the chunk is not there.
    try {
        const int64_t size = file.Size();
        int64_t position = 0;
        while (position < size) {
            const ChunkHeader header = ReadChunkHeader(file, position);
            if (header.Tag == tag)
                return header.Length;
            if (header.Length < 0)
                return -1;
            position += ChunkHeaderSize + static_cast<int64_t>(header.Length);
        }
    } catch (const std::exception&) {
    }
    return -1;
}

ChunkIndex::ChunkIndex(InputFile& file) : file_(file)
{
    try {
        size_ = file.Size();
    } catch (const std::exception&) {
        ended_ = true;  // as for FindChunk, whose walk fails at once
        return;
    }
    if (size_ > MaximumScenarioSize)
        throw EPUDEx(ScenarioTooLargeText);
}

void ChunkIndex::Step()
{
    // A header that would reach past the size taken at the start counts as
    // cut short, whatever the file has grown to since.
    if (next_ >= size_ || size_ - next_ < ChunkHeaderSize) {
        ended_ = true;
        return;
    }
    ChunkHeader header{};
    try {
        header = ReadChunkHeader(file_, next_);
    } catch (const std::exception&) {
        ended_ = true;
        return;
    }
    if (const auto slot = IndexedSlot(header.Tag); slot && !first_[*slot].Found)
        first_[*slot] = {true, next_ + ChunkHeaderSize, header.Length};
    if (header.Length < 0)
        ended_ = true;
    else
        next_ += ChunkHeaderSize + static_cast<int64_t>(header.Length);
}

int32_t ChunkIndex::Find(const ChunkTag& tag)
{
    const auto slot = IndexedSlot(tag);
    if (!slot)
        return FindChunk(file_, tag);
    const FirstChunk& first = first_[*slot];
    while (!first.Found && !ended_)
        Step();
    if (!first.Found)
        return -1;
    try {
        file_.Seek(first.DataPosition);
    } catch (const std::exception&) {
        return -1;
    }
    return first.Length;
}

uint16_t ChunkIndex::ReadWord()
{
    RequireRemaining(size_, file_.Position(), 2);
    return ReadChunkWord(file_);
}

std::vector<uint8_t> ChunkIndex::ReadData(int32_t count)
{
    RequireRemaining(size_, file_.Position(), count);
    return ReadChunkData(file_, count);
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
    RequireRemaining(file.Size(), file.Position(), count);
    // Only a file that no reader accepts could hold more.
    if (count > MaximumScenarioSize)
        throw EOutOfMemory();
    std::vector<uint8_t> data = AllocateBuffer<uint8_t>(static_cast<std::size_t>(count));
    ReadInBlocks(file, data.data(), count);
    return data;
}

std::optional<std::vector<uint8_t>> ReadOptionalChunk(ChunkIndex& chunks, const ChunkTag& tag, int32_t length)
{
    if (chunks.Find(tag) < length)
        return std::nullopt;
    try {
        return chunks.ReadData(length);
    } catch (const EInOutError&) {
        // cut short by the end of the file, or unreadable: not there
        return std::nullopt;
    }
}

}  // namespace tessel
