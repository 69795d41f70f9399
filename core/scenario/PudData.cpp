#include "scenario/PudData.h"

#include "base/Buffer.h"
#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "scenario/OwnerColors.h"

namespace tessel {

namespace {

// What a unit type without a stored size entry covers.
constexpr uint16_t MissingSizeWidth = 1;
constexpr uint16_t MissingSizeHeight = 1;

void ReadChunks(TPUDData& pud, ChunkIndex& chunks)
{
    int32_t length = chunks.Find(chunk_tag::Era);
    if (length < 2)
        throw EPUDEx("Invalid PUD (no ERA chunk).");
    pud.Era = chunks.ReadWord();

    // Swamp maps keep their era in ERAX; ERA then names an older tileset.
    length = chunks.Find(chunk_tag::EraX);
    if (length >= 2)
        pud.Era = chunks.ReadWord();

    length = chunks.Find(chunk_tag::Dimensions);
    if (length < 2)
        throw EPUDEx("Invalid PUD (no DIM chunk).");
    pud.MapSize = chunks.ReadWord();  // the width; maps are square

    length = chunks.Find(chunk_tag::UnitTypeData);
    if (length < MinimumUnitDataLength)
        throw EPUDEx("Invalid PUD (missing or invalid UDTA chunk).");
    pud.UnitData = chunks.ReadData(length);

    length = chunks.Find(chunk_tag::TileMap);
    const int64_t side = pud.MapSize;
    const int64_t tileBytes = 2 * side * side;
    if (length != tileBytes)
        throw EPUDEx("Invalid PUD (missing or invalid MTXM chunk).");
    if (tileBytes == 0)  // a map of side 0 has no tile map to hold
        throw EPUDEx("Out of memory.");
    // Both buffers are bounded by the chunk just read, and so by the file.
    const std::vector<uint8_t> storedTiles = chunks.ReadData(length);
    pud.TileMap = AllocateBuffer<TileCode>(static_cast<std::size_t>(side * side));
    for (std::size_t i = 0; i < pud.TileMap.size(); ++i)
        pud.TileMap[i] = ReadU16LE(&storedTiles[2 * i]);

    length = chunks.Find(chunk_tag::Units);
    if (length > 0) {
        pud.Units = chunks.ReadData(length);
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
    LoadFromOpenFile(file);
    try {
        file.Close();
    } catch (...) {
        ReleaseBuffers();
        throw;
    }
}

void TPUDData::LoadFromOpenFile(InputFile& file)
{
    ReleaseBuffers();
    ChunkIndex chunks(file);
    LoadFromChunks(chunks);
}

void TPUDData::LoadFromChunks(ChunkIndex& chunks)
{
    ReleaseBuffers();
    try {
        ReadChunks(*this, chunks);
    } catch (...) {
        // Nothing of a failed file stays, so two files are never mixed.
        ReleaseBuffers();
        throw;
    }
}

int32_t TPUDData::FindChunk(InputFile& file, const ChunkTag& tag) const { return tessel::FindChunk(file, tag); }

void TPUDData::RaiseUnitOutOfRange() { throw EPUDEx("Unit out of range."); }

void TPUDData::GetUnitProps(int32_t index, uint16_t& x, uint16_t& y, uint16_t& width, uint16_t& height,
                            uint8_t& unitType, uint8_t& owner, uint8_t& color) const
{
    const UnitRecord unit = Unit(index);
    x = unit.X;
    y = unit.Y;
    unitType = unit.Type;
    owner = unit.Owner;
    color = UnitColor(unitType, owner);

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

}  // namespace tessel
