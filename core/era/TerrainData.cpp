#include "era/TerrainData.h"

#include "archive/ArchiveMessages.h"
#include "archive/WarArchive.h"
#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "system/FileLayer.h"

namespace tessel {

namespace {

void TestArchiveHeader(InputFile& archive, const std::string& path)
{
    bool valid = archive.Size() >= WarHeaderSize;
    if (valid) {
        uint8_t header[WarHeaderSize];
        archive.Seek(0);
        archive.ReadExact(header, sizeof header);
        valid = ReadU32LE(header) == WarSignature && ReadU16LE(header + 6) == WarArchiveTag;
    }
    if (!valid)
        throw Exception(NotAnArchiveText(path));
}

void ReadRequiredEntry(InputFile& archive, int32_t entry, std::vector<uint8_t>& buffer, uint32_t& size,
                       const char* table)
{
    buffer = ReadWarEntry(archive, entry, size);
    if (buffer.empty())
        throw Exception(UnreadableTableText(table));
}

}  // namespace

void TTerrainData::LoadFromMaindat(const std::string& path, int32_t era)
{
    ReleaseBuffers();
    CheckEra(era);

    InputFile archive(path);
    try {
        TestArchiveHeader(archive, path);
        const int32_t first = EraFirstEntries[static_cast<std::size_t>(era)];
        ReadRequiredEntry(archive, first, Palette, PaletteSize, "palette");
        ReadRequiredEntry(archive, first + 1, MMI, MMISize, "MMI");
        ReadRequiredEntry(archive, first + 2, MMT, MMTSize, "MMT");
        ReadRequiredEntry(archive, first + 3, TMI, TMISize, "TMI");
    } catch (...) {
        ReleaseBuffers();
        archive.Close();
        throw;
    }
    try {
        archive.Close();
    } catch (...) {
        ReleaseBuffers();
        throw;
    }
}

void TTerrainData::ReleaseBuffers()
{
    // Swapping with empty vectors gives the memory back, which clear() does not.
    std::vector<uint8_t>().swap(Palette);
    std::vector<uint8_t>().swap(MMI);
    std::vector<uint8_t>().swap(MMT);
    std::vector<uint8_t>().swap(TMI);
}

}  // namespace tessel
