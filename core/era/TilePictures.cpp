// Guarantee: Color(tile, x, y) equals terrain.ColorOfTile(tile, x, y) for
// every tile code and every x and y from 0 to 31, 0 wherever ColorOfTile's
// reads would leave a buffer included, in at most 2529 pictures of 1 KB.
#include "era/TilePictures.h"

#include "base/Buffer.h"
#include "base/ByteOrder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tessel {

namespace {

constexpr std::size_t PictureBytes = TileSide * TileSide;
constexpr std::size_t BlockSide = 8;
static_assert(BlockSide == sizeof(uint64_t), "a block row is moved as one 64-bit word");
constexpr std::size_t BlocksPerRow = TileSide / BlockSide;
constexpr std::size_t TileCodeCount = std::size_t{1} << 16;
// Picture numbers are 16-bit: no record beyond this many is ever asked for.
constexpr std::size_t MostPictureRecords = std::size_t{1} << 16;

// target: the block's top left pixel in a picture.
void ClearBlock(uint8_t* target)
{
    for (std::size_t row = 0; row < BlockSide; ++row)
        std::fill_n(target + TileSide * row, BlockSide, 0);
}

// The eight bytes of a block row in the opposite order (compilers make this
// one byte-swap instruction).
uint64_t Reversed(uint64_t bytes)
{
    bytes = (bytes >> 32) | (bytes << 32);
    bytes = ((bytes & 0xFFFF0000FFFF0000u) >> 16) | ((bytes & 0x0000FFFF0000FFFFu) << 16);
    return ((bytes & 0xFF00FF00FF00FF00u) >> 8) | ((bytes & 0x00FF00FF00FF00FFu) << 8);
}

void DecodeBlock(const std::vector<uint8_t>& mmt, uint32_t blockWord, uint8_t* target)
{
    const std::size_t block = MmtBlockBytes * (blockWord >> 2);
    const bool upsideDown = (blockWord & 1) != 0;
    const bool mirrored = (blockWord & 2) != 0;
    const bool whole = block + MmtBlockBytes <= mmt.size();
    for (std::size_t row = 0; row < BlockSide; ++row) {
        const std::size_t source = block + BlockSide * (upsideDown ? BlockSide - 1 - row : row);
        uint8_t* line = target + TileSide * row;
        if (whole) {
            uint64_t bytes;
            std::memcpy(&bytes, mmt.data() + source, BlockSide);
            if (mirrored)
                bytes = Reversed(bytes);
            std::memcpy(line, &bytes, BlockSide);
        } else {
            // A block cut short by the end of the MMT: bytes past it are 0.
            for (std::size_t column = 0; column < BlockSide; ++column) {
                const std::size_t at = source + (mirrored ? BlockSide - 1 - column : column);
                line[column] = at < mmt.size() ? mmt[at] : 0;
            }
        }
    }
}

void DecodePicture(const TTerrainData& terrain, std::size_t picture, uint8_t* target)
{
    for (std::size_t blockRow = 0; blockRow < BlocksPerRow; ++blockRow)
        for (std::size_t blockColumn = 0; blockColumn < BlocksPerRow; ++blockColumn) {
            const std::size_t mmiByte = MmiRecordBytes * picture + 2 * (BlocksPerRow * blockRow + blockColumn);
            uint8_t* blockTarget = target + TileSide * BlockSide * blockRow + BlockSide * blockColumn;
            if (mmiByte + 2 > terrain.MMI.size())
                ClearBlock(blockTarget);
            else
                DecodeBlock(terrain.MMT, ReadU16LE(terrain.MMI.data() + mmiByte), blockTarget);
        }
}

}  // namespace

TilePictures::TilePictures(const TTerrainData& terrain)
{
    // Number 0 is the blank picture: no picture, and pictures whose MMI
    // record lies wholly past the buffer. The others are numbered as tiles
    // first use them, so that a picture shared by many tiles is decoded once.
    const std::size_t records =
        std::min((terrain.MMI.size() + MmiRecordBytes - 1) / MmiRecordBytes, MostPictureRecords);
    std::vector<uint32_t> numberOfRecord = AllocateBuffer<uint32_t>(records);
    std::vector<uint32_t> numberOfTile = AllocateBuffer<uint32_t>(std::size_t{HighestTileCode} + 1);
    uint32_t count = 1;
    for (uint32_t tile = 0; tile <= HighestTileCode; ++tile) {
        const uint16_t picture = terrain.PictureOfTile(static_cast<TileCode>(tile));
        if (picture == 0 || picture >= records)
            continue;
        if (numberOfRecord[picture] == 0)
            numberOfRecord[picture] = count++;
        numberOfTile[tile] = numberOfRecord[picture];
    }

    pictureCount_ = count;
    pixels_ = AllocateForOverwrite<uint8_t>(count * PictureBytes);
    std::fill_n(pixels_.get(), PictureBytes, 0);
    for (std::size_t picture = 1; picture < records; ++picture)
        if (numberOfRecord[picture] != 0)
            DecodePicture(terrain, picture, pixels_.get() + numberOfRecord[picture] * PictureBytes);

    pictureStarts_.reset(static_cast<uint32_t*>(std::calloc(TileCodeCount, sizeof(uint32_t))));
    if (!pictureStarts_)
        throw EOutOfMemory();
    for (std::size_t tile = 0; tile < numberOfTile.size(); ++tile)
        pictureStarts_[tile] = static_cast<uint32_t>(numberOfTile[tile] * PictureBytes);
}

void TilePictures::FreeBlock::operator()(void* block) const noexcept { std::free(block); }

}  // namespace tessel
