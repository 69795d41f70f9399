#include "ScenarioWriter.h"

#include "base/ByteOrder.h"
#include "scenario/ScenarioInfo.h"
#include "system/FileLayer.h"

#include <algorithm>
#include <utility>

namespace tessel {

namespace {

constexpr std::size_t SizeEntryBytes = 4;
constexpr int UnitTypeCount = 256;  // every value of the record's type byte

std::size_t SizeEntryOffset(uint8_t type)
{
    return static_cast<std::size_t>(UnitSizeTableOffset) + SizeEntryBytes * type;
}

void PutSizeEntry(std::vector<uint8_t>& data, uint8_t type, uint16_t width, uint16_t height)
{
    const std::size_t offset = SizeEntryOffset(type);
    WriteU16LE(&data[offset], width);
    WriteU16LE(&data[offset + 2], height);
}

}  // namespace

ScenarioWriter& ScenarioWriter::Chunk(const ChunkTag& tag, std::vector<uint8_t> data)
{
    const auto length = static_cast<int32_t>(data.size());  // taken before data is moved away
    return ChunkWithStatedLength(tag, length, std::move(data));
}

ScenarioWriter& ScenarioWriter::ChunkWithStatedLength(const ChunkTag& tag, int32_t statedLength,
                                                      std::vector<uint8_t> data)
{
    uint8_t header[8];
    std::copy(tag.begin(), tag.end(), header);  // tag
    WriteU32LE(header + 4, static_cast<uint32_t>(statedLength));  // data length
    bytes_.insert(bytes_.end(), header, header + sizeof header);
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
}

ScenarioWriter& ScenarioWriter::Raw(std::vector<uint8_t> bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

std::vector<uint8_t> ScenarioWriter::Bytes() const { return bytes_; }

void ScenarioWriter::WriteTo(const std::string& path) const
{
    ReplacingOutputFile file(path);
    file.Write(bytes_.data(), bytes_.size());
    file.Commit();
}

std::vector<uint8_t> EraChunkData(uint16_t era)
{
    std::vector<uint8_t> data(2);
    WriteU16LE(data.data(), era);
    return data;
}

std::vector<uint8_t> DimensionsChunkData(uint16_t width, uint16_t height)
{
    std::vector<uint8_t> data(4);
    WriteU16LE(data.data(), width);
    WriteU16LE(data.data() + 2, height);
    return data;
}

std::vector<uint8_t> TileMapChunkData(const std::vector<TileCode>& tiles)
{
    std::vector<uint8_t> data(2 * tiles.size());
    for (std::size_t i = 0; i < tiles.size(); ++i)
        WriteU16LE(&data[2 * i], tiles[i]);
    return data;
}

std::vector<uint8_t> UnitsChunkData(const std::vector<UnitPlacement>& units)
{
    std::vector<uint8_t> data(UnitRecordSize * units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        uint8_t* record = &data[UnitRecordSize * i];
        WriteU16LE(record, units[i].X);
        WriteU16LE(record + 2, units[i].Y);
        record[4] = units[i].Type;
        record[5] = units[i].Owner;
        WriteU16LE(record + 6, units[i].Value);
    }
    return data;
}

std::vector<uint8_t> VersionChunkData(uint16_t version) { return EraChunkData(version); }

std::vector<uint8_t> DescriptionChunkData(const std::string& text)
{
    std::vector<uint8_t> data(DescriptionLength);
    std::copy_n(text.begin(), std::min(text.size(), data.size()), data.begin());
    return data;
}

std::vector<uint8_t> SlotBytesChunkData(const SlotBytes& slots) { return {slots.begin(), slots.end()}; }

std::vector<uint8_t> SlotWordsChunkData(const SlotWords& slots)
{
    std::vector<uint8_t> data(2 * slots.size());
    for (std::size_t i = 0; i < slots.size(); ++i)
        WriteU16LE(&data[2 * i], slots[i]);
    return data;
}

// The data grows beyond length when an entry set in sizes needs it.
std::vector<uint8_t> UnitDataChunkData(const std::vector<UnitSize>& sizes, std::size_t length)
{
    for (const UnitSize& size : sizes)
        length = std::max(length, SizeEntryOffset(size.Type) + SizeEntryBytes);
    std::vector<uint8_t> data(length);
    for (int type = 0; type < UnitTypeCount; ++type) {
        if (SizeEntryOffset(static_cast<uint8_t>(type)) + SizeEntryBytes <= length)
            PutSizeEntry(data, static_cast<uint8_t>(type), 1, 1);
    }
    for (const UnitSize& size : sizes)
        PutSizeEntry(data, size.Type, size.Width, size.Height);
    return data;
}

ScenarioWriter WriteScenario(const ScenarioContent& content)
{
    const ScenarioMetadata& meta = content.Metadata;
    ScenarioWriter writer;
    if (meta.Version)
        writer.Chunk(chunk_tag::Version, VersionChunkData(*meta.Version));
    if (meta.Description)
        writer.Chunk(chunk_tag::Description, DescriptionChunkData(*meta.Description));
    if (meta.Owners)
        writer.Chunk(chunk_tag::Owners, SlotBytesChunkData(*meta.Owners));
    writer.Chunk(chunk_tag::Era, EraChunkData(content.Era));
    if (content.EraX)
        writer.Chunk(chunk_tag::EraX, EraChunkData(*content.EraX));
    writer.Chunk(chunk_tag::Dimensions, DimensionsChunkData(content.Side, content.Side));
    writer.Chunk(chunk_tag::UnitTypeData, UnitDataChunkData(content.UnitSizes));
    const std::pair<ChunkTag, const std::optional<SlotWords>*> resources[] = {{chunk_tag::StartingGold, &meta.Gold},
                                                                             {chunk_tag::StartingLumber, &meta.Lumber},
                                                                             {chunk_tag::StartingOil, &meta.Oil}};
    if (meta.Races)
        writer.Chunk(chunk_tag::Races, SlotBytesChunkData(*meta.Races));
    for (const auto& [tag, slots] : resources) {
        if (*slots)
            writer.Chunk(tag, SlotWordsChunkData(**slots));
    }
    const std::size_t cells = static_cast<std::size_t>(content.Side) * content.Side;
    writer.Chunk(chunk_tag::TileMap,
                 TileMapChunkData(content.Tiles.empty() ? std::vector<TileCode>(cells) : content.Tiles));
    if (!content.Units.empty())
        writer.Chunk(chunk_tag::Units, UnitsChunkData(content.Units));
    return writer;
}

}  // namespace tessel
