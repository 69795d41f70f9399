#include "archive/WarArchive.h"

#include "archive/ArchiveMessages.h"
#include "archive/LzExpander.h"
#include "base/Buffer.h"
#include "base/ByteOrder.h"
#include "base/ErrorBox.h"
#include "base/Exceptions.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tessel {

namespace {

constexpr std::size_t StoredPieceSize = 1024;
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

}  // namespace

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
    ErrorBox(ExtractionFailureText(entry, failure));
    return {};
}

}  // namespace tessel
