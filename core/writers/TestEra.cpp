#include "ArchiveWriter.h"

#include "ByteOrder.h"
#include "TerrainData.h"

#include <algorithm>

namespace tessel {

namespace {

constexpr std::size_t PaletteBytes = 768;
constexpr std::size_t TmiRecordBytes = 42;
constexpr std::size_t TmiGroups = (HighestTileCode + 1) / 16;
constexpr std::size_t MmiRecordBytes = 32;
constexpr std::size_t BlockBytes = 64;
constexpr std::size_t BlocksPerPicture = 16;

}  // namespace

EraTables MakeTestEra(uint8_t seed, int pictures)
{
    pictures = std::clamp(pictures, 1, MostTestPictures);
    EraTables era;

    era.Palette.resize(PaletteBytes);
    for (std::size_t k = 0; k < PaletteBytes; ++k)
        era.Palette[k] = static_cast<uint8_t>((k * 5 + seed) % 64);
    era.Palette[PaletteBytes - 1] = 63;

    era.TMI.resize(TmiGroups * TmiRecordBytes);
    for (std::size_t group = 0; group < TmiGroups; ++group) {
        uint8_t* record = era.TMI.data() + group * TmiRecordBytes;
        for (std::size_t word = 0; word < 16; ++word) {
            const std::size_t tile = 16 * group + word;
            const auto picture = static_cast<uint16_t>(tile == 0 ? 0 : tile % static_cast<std::size_t>(pictures) + 1);
            WriteU16LE(record + 2 * word, picture);
        }
        // The unused words hold a picture number that no table has, so a
        // reader that strides 32 bytes instead of 42 lands on 0 pixels.
        for (std::size_t word = 16; word < 21; ++word)
            WriteU16LE(record + 2 * word, 0xFFFF);
    }

    const auto pictureCount = static_cast<std::size_t>(pictures);
    era.MMI.resize((pictureCount + 1) * MmiRecordBytes);
    for (std::size_t picture = 1; picture <= pictureCount; ++picture) {
        for (std::size_t word = 0; word < BlocksPerPicture; ++word) {
            const std::size_t block = (picture - 1) * BlocksPerPicture + word;
            const std::size_t flips = (picture + word) % 4;
            WriteU16LE(era.MMI.data() + picture * MmiRecordBytes + 2 * word,
                       static_cast<uint16_t>((block << 2) | flips));
        }
    }

    const std::size_t blocks = pictureCount * BlocksPerPicture;
    era.MMT.resize(blocks * BlockBytes);
    for (std::size_t block = 0; block < blocks; ++block) {
        for (std::size_t k = 0; k < BlockBytes; ++k)
            era.MMT[block * BlockBytes + k] = static_cast<uint8_t>(k * 37 + block * 11 + seed);
    }
    return era;
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
