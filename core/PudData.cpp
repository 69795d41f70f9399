#include "PudData.h"

#include "Buffer.h"
#include "ByteOrder.h"
#include "Exceptions.h"

#include <cstring>
#include <exception>

namespace tessel {

const std::array<uint8_t, 16> OwnerColors{208, 212, 216, 220, 224, 228, 232, 12,
                                          12,  12,  12,  12,  12,  12,  12,  12};

namespace {

constexpr int32_t ChunkHeaderSize = 8;
constexpr int32_t ReadPieceSize = 2048;

// The neutral resources take a fixed colour whatever owner they are given.
constexpr uint8_t GoldMineType = 92;
constexpr uint8_t OilPatchType = 93;
constexpr uint8_t GoldMineColor = 12;
constexpr uint8_t OilPatchColor = 0;
// Owners beyond the colour table.
constexpr uint8_t UnknownOwnerColor = 0;

// What a unit type without a stored size entry covers.
constexpr uint16_t MissingSizeWidth = 1;
constexpr uint16_t MissingSizeHeight = 1;

uint16_t ReadWord(InputFile& file)
{
    uint8_t bytes[2];
    file.ReadExact(bytes, sizeof bytes);
    return ReadU16LE(bytes);
}

// A stated chunk length is checked against the bytes the file still holds
// before a buffer of that length is requested, so that a damaged length
// never asks for gigabytes.
void RequireRemaining(InputFile& file, int64_t count)
{
    if (count > file.Size() - file.Position())
        throw EInOutError(io_error::ReadBeyondEnd);
}

// Reads count chunk bytes into a new buffer of exactly that length.
std::vector<uint8_t> ReadChunkData(InputFile& file, int32_t count)
{
    RequireRemaining(file, count);
    std::vector<uint8_t> data = AllocateBuffer<uint8_t>(static_cast<std::size_t>(count));
    ReadInBlocks(file, data.data(), count);
    return data;
}

void ReadChunks(TPUDData& pud, InputFile& file)
{
    int32_t length = pud.FindChunk(file, chunk_tag::Era);
    if (length < 2)
        throw EPUDEx("Invalid PUD (no ERA chunk).");
    pud.Era = ReadWord(file);

    // Swamp maps keep their era in ERAX; ERA then names an older tileset.
    length = pud.FindChunk(file, chunk_tag::EraX);
    if (length >= 2)
        pud.Era = ReadWord(file);

    length = pud.FindChunk(file, chunk_tag::Dim);
    if (length < 2)
        throw EPUDEx("Invalid PUD (no DIM chunk).");
    pud.MapSize = ReadWord(file);  // the width; maps are square

    length = pud.FindChunk(file, chunk_tag::UnitTypeData);
    if (length < MinimumUnitDataLength)
        throw EPUDEx("Invalid PUD (missing or invalid UDTA chunk).");
    pud.UnitData = ReadChunkData(file, length);

    length = pud.FindChunk(file, chunk_tag::TileMap);
    const int64_t side = pud.MapSize;
    const int64_t tileBytes = 2 * side * side;
    if (length != tileBytes)
        throw EPUDEx("Invalid PUD (missing or invalid MTXM chunk).");
    if (tileBytes == 0)  // a map of side 0 has no tile map to hold
        throw EPUDEx("Out of memory.");
    const std::vector<uint8_t> storedTiles = ReadChunkData(file, length);
    pud.TileMap = AllocateBuffer<TileCode>(static_cast<std::size_t>(side * side));
    for (std::size_t i = 0; i < pud.TileMap.size(); ++i)
        pud.TileMap[i] = ReadU16LE(&storedTiles[2 * i]);

    length = pud.FindChunk(file, chunk_tag::Units);
    if (length > 0) {
        pud.Units = ReadChunkData(file, length);
        pud.UnitCount = length / UnitRecordSize;
    }
}

}  // namespace

void TPUDData::ReleaseBuffers()
{
    std::vector<TileCode>().swap(TileMap);
    std::vector<uint8_t>().swap(UnitData);
    std::vector<uint8_t>().swap(Units);
    UnitCount = 0;
}

void TPUDData::LoadFromFile(const std::string& fileName)
{
    ReleaseBuffers();
    InputFile file(fileName);
    try {
        ReadChunks(*this, file);
        file.Close();
    } catch (...) {
        // Nothing of a failed file stays, so two files are never mixed.
        ReleaseBuffers();
        throw;
    }
}

int32_t TPUDData::FindChunk(InputFile& file, const ChunkTag& tag) const
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

void TPUDData::GetUnitProps(int32_t index, uint16_t& x, uint16_t& y, uint16_t& width, uint16_t& height,
                            uint8_t& unitType, uint8_t& owner, uint8_t& color) const
{
    if (index < 0 || index >= UnitCount)
        throw EPUDEx("Unit out of range.");
    // UnitCount is a public field: never trust it beyond the stored records.
    const std::size_t recordStart = static_cast<std::size_t>(index) * UnitRecordSize;
    if (recordStart + UnitRecordSize > Units.size())
        throw EPUDEx("Unit out of range.");

    const uint8_t* record = Units.data() + recordStart;
    x = ReadU16LE(record);
    y = ReadU16LE(record + 2);
    unitType = record[4];
    owner = record[5];

    if (unitType == GoldMineType)
        color = GoldMineColor;
    else if (unitType == OilPatchType)
        color = OilPatchColor;
    else if (owner >= OwnerColors.size())
        color = UnknownOwnerColor;
    else
        color = OwnerColors[owner];

    // Short UDTA chunks lack the entries of high unit types.
    const std::size_t entry = UnitSizeTableOffset + 4 * static_cast<std::size_t>(unitType);
    if (entry + 4 <= UnitData.size()) {
        width = ReadU16LE(&UnitData[entry]);
        height = ReadU16LE(&UnitData[entry + 2]);
    } else {
        width = MissingSizeWidth;
        height = MissingSizeHeight;
    }
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

}  // namespace tessel
