#include "ArchiveWriter.h"

#include "archive/WarArchive.h"
#include "base/ByteOrder.h"
#include "era/TerrainData.h"
#include "system/FileLayer.h"

#include <algorithm>

namespace tessel {

namespace {

uint16_t CountCovering(uint16_t count, int32_t index)
{
    return static_cast<uint16_t>(std::max<int32_t>(count, index + 1));
}

}  // namespace

ArchiveWriter& ArchiveWriter::Signature(uint32_t signature)
{
    signature_ = signature;
    return *this;
}

ArchiveWriter& ArchiveWriter::Tag(uint16_t tag)
{
    tag_ = tag;
    return *this;
}

ArchiveWriter& ArchiveWriter::EntryCount(uint16_t count)
{
    count_ = count;
    return *this;
}

ArchiveWriter& ArchiveWriter::Entry(int32_t index, std::vector<uint8_t> data, bool compress)
{
    const auto length = static_cast<uint32_t>(data.size()) & WarLengthMask;
    if (compress)
        return RawEntry(index, length | WarCompressedFlag, CompressWarData(data));
    return RawEntry(index, length, std::move(data));
}

ArchiveWriter& ArchiveWriter::RawEntry(int32_t index, uint32_t header, std::vector<uint8_t> data)
{
    std::vector<uint8_t> bytes(4);
    WriteU32LE(bytes.data(), header);
    bytes.insert(bytes.end(), data.begin(), data.end());
    entries_[index] = std::move(bytes);
    count_ = CountCovering(count_, index);
    return *this;
}

ArchiveWriter& ArchiveWriter::Position(int32_t index, int32_t position)
{
    positions_[index] = position;
    count_ = CountCovering(count_, index);
    return *this;
}

ArchiveWriter& ArchiveWriter::Era(int32_t era, const EraTables& tables, bool compress)
{
    const int32_t first = EraFirstEntries.at(static_cast<std::size_t>(era));
    Entry(first, tables.Palette, compress);
    Entry(first + 1, tables.MMI, compress);
    Entry(first + 2, tables.MMT, compress);
    return Entry(first + 3, tables.TMI, compress);
}

ArchiveWriter& ArchiveWriter::Trailer(std::vector<uint8_t> bytes)
{
    trailer_ = std::move(bytes);
    return *this;
}

std::vector<uint8_t> ArchiveWriter::Bytes() const
{
    const std::size_t tableEnd = WarHeaderSize + 4 * std::size_t{count_};
    std::vector<uint8_t> out(tableEnd);
    WriteU32LE(out.data(), signature_);
    WriteU16LE(out.data() + 4, count_);
    WriteU16LE(out.data() + 6, tag_);
    for (uint16_t k = 0; k < count_; ++k)
        WriteU32LE(out.data() + WarHeaderSize + 4 * std::size_t{k}, static_cast<uint32_t>(WarAbsentEntry));

    // Entries follow the table in index order; entries beyond the count are
    // still laid out, just not listed.
    for (const auto& [index, bytes] : entries_) {
        if (index >= 0 && index < count_)
            WriteU32LE(out.data() + WarHeaderSize + 4 * std::size_t(index), static_cast<uint32_t>(out.size()));
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    for (const auto& [index, position] : positions_) {
        if (index >= 0 && index < count_)
            WriteU32LE(out.data() + WarHeaderSize + 4 * std::size_t(index), static_cast<uint32_t>(position));
    }
    out.insert(out.end(), trailer_.begin(), trailer_.end());
    return out;
}

void ArchiveWriter::WriteTo(const std::string& path) const
{
    const std::vector<uint8_t> bytes = Bytes();
    ReplacingOutputFile file(path);
    file.Write(bytes.data(), bytes.size());
    file.Commit();
}

TTerrainData TerrainOf(const EraTables& tables)
{
    TTerrainData terrain;
    terrain.Palette = tables.Palette;
    terrain.MMI = tables.MMI;
    terrain.MMT = tables.MMT;
    terrain.TMI = tables.TMI;
    terrain.PaletteSize = static_cast<uint32_t>(tables.Palette.size());
    terrain.MMISize = static_cast<uint32_t>(tables.MMI.size());
    terrain.MMTSize = static_cast<uint32_t>(tables.MMT.size());
    terrain.TMISize = static_cast<uint32_t>(tables.TMI.size());
    return terrain;
}

EraTables TablesOf(const TTerrainData& terrain) { return {terrain.Palette, terrain.MMI, terrain.MMT, terrain.TMI}; }

}  // namespace tessel
