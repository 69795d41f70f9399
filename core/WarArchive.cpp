#include "WarArchive.h"

#include "Buffer.h"
#include "ByteOrder.h"
#include "ErrorBox.h"
#include "Exceptions.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tessel {

namespace {

constexpr std::size_t StoredPieceSize = 1024;
constexpr std::size_t InputBlockSize = 4096;
constexpr std::size_t WindowMask = WarWindowSize - 1;
// One flag byte and eight two-byte references: the most input a group takes.
constexpr std::size_t LargestGroup = 1 + 8 * 2;
constexpr std::size_t LongestReference = 18;

// The distance from the entry's position to the nearest larger position in
// the table, or to the end of the file.
int64_t EntryRoom(InputFile& archive, uint16_t count, int32_t position)
{
    int64_t room = archive.Size() - position;
    std::vector<uint8_t> table = AllocateBuffer<uint8_t>(std::size_t{count} * 4);
    archive.Seek(WarHeaderSize);
    archive.ReadExact(table.data(), table.size());
    for (uint16_t k = 0; k < count; ++k) {
        // Signed comparison: absent entries (-1) never count as larger.
        const int32_t other = ReadI32LE(table.data() + 4 * std::size_t{k});
        if (other > position)
            room = std::min<int64_t>(room, int64_t{other} - position);
    }
    return room;
}

void ReadStoredEntry(InputFile& archive, uint8_t* buffer, uint32_t length)
{
    uint8_t staging[StoredPieceSize];
    std::size_t done = 0;
    while (length - done >= StoredPieceSize) {
        archive.ReadExact(staging, StoredPieceSize);
        std::memcpy(buffer + done, staging, StoredPieceSize);
        done += StoredPieceSize;
    }
    if (done < length) {
        archive.ReadExact(staging, length - done);
        std::memcpy(buffer + done, staging, length - done);
    }
}

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

std::vector<uint8_t> ReadWarEntry(InputFile& archive, int32_t entry, uint32_t& size)
{
    size = 0;
    std::string failure;
    try {
        uint8_t field[4];
        archive.Seek(4);
        archive.ReadExact(field, 2);
        const uint16_t count = ReadU16LE(field);
        if (entry >= count)
            return {};

        archive.Seek(WarHeaderSize + 4 * int64_t{entry});
        archive.ReadExact(field, 4);
        const int32_t position = ReadI32LE(field);
        if (position == WarAbsentEntry)
            return {};
        if (EntryRoom(archive, count, position) < 4)
            return {};

        archive.Seek(position);
        archive.ReadExact(field, 4);
        const uint32_t header = ReadU32LE(field);
        const uint32_t length = header & WarLengthMask;
        // A request for 0 bytes yields no block, which counts as exhausted memory.
        if (length == 0)
            throw Exception("Out of memory.");
        // Stored data must lie in the file: a damaged length fails here, as
        // its read would, before megabytes are requested for it.
        const bool compressed = (header & WarCompressedFlag) != 0;
        if (!compressed && int64_t{length} > archive.Size() - (int64_t{position} + 4))
            throw EInOutError(io_error::ReadBeyondEnd);
        std::vector<uint8_t> buffer = AllocateBuffer<uint8_t>(length);

        archive.Seek(int64_t{position} + 4);
        if (compressed)
            ExpandWarEntry(archive, buffer.data(), length);
        else
            ReadStoredEntry(archive, buffer.data(), length);
        size = length;
        return buffer;
    } catch (const Exception& error) {
        failure = error.Message();
    } catch (const std::bad_alloc&) {
        failure = EOutOfMemory().Message();
    }
    // Shown once the buffer is gone.
    ErrorBox("Error extracting entry #" + std::to_string(entry) + ": " + failure);
    return {};
}

}  // namespace tessel
