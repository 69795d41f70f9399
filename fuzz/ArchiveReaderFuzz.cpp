// Feeds arbitrary bytes to the archive reader as MAINDAT.WAR, loads each of
// the four eras and looks up pixels of tiles all over the code range, with
// ColorOfTile and in the era's decoded pictures.
#include "FuzzSupport.h"

#include "archive/WarArchive.h"
#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "era/TerrainData.h"
#include "era/TilePictures.h"

using namespace tessel;

namespace {

// Every fifth tile code, past the highest one, and the corners and block
// edges of the 32 x 32 picture: the decoded pictures must show what
// ColorOfTile shows.
void LookUpPixels(const TTerrainData& terrain)
{
    static constexpr uint32_t Offsets[] = {0, 7, 8, 15, 16, 23, 24, 31};
    const TilePictures pictures(terrain);
    for (uint32_t tile = 0; tile <= 2600; tile += 5)
        for (uint32_t y : Offsets)
            for (uint32_t x : Offsets)
                FUZZ_CHECK(pictures.Color(static_cast<TileCode>(tile), x, y) ==
                           terrain.ColorOfTile(static_cast<TileCode>(tile), x, y));
    FUZZ_CHECK(pictures.Color(0xFFFF, 31, 31) == terrain.ColorOfTile(0xFFFF, 31, 31));
}

// Era entries may state up to 16 MB each, which is legal and tested
// elsewhere, but makes a run take seconds: such inputs are passed over.
constexpr uint32_t LongestEntryFuzzed = 256 * 1024;

bool StatesALongEraEntry(const uint8_t* data, std::size_t size)
{
    if (size < WarHeaderSize)
        return false;
    const uint16_t count = ReadU16LE(data + 4);
    for (int32_t first : EraFirstEntries) {
        for (int32_t entry = first; entry < first + 4 && entry < count; ++entry) {
            const std::size_t slot = WarHeaderSize + 4 * static_cast<std::size_t>(entry);
            if (slot + 4 > size)
                continue;
            const auto position = static_cast<uint32_t>(ReadI32LE(data + slot));
            if (std::size_t{position} + 4 <= size && (ReadU32LE(data + position) & WarLengthMask) > LongestEntryFuzzed)
                return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::SwallowErrorBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (StatesALongEraEntry(data, size))
        return 0;
    static fuzz::MemoryFile input;
    input.Replace(data, size);

    for (int32_t era = 0; era < 4; ++era) {
        TTerrainData terrain;
        try {
            terrain.LoadFromMaindat(input.Path(), era);
        } catch (const Exception&) {
            FUZZ_CHECK(terrain.Palette.empty() && terrain.MMI.empty() && terrain.MMT.empty() && terrain.TMI.empty());
            continue;
        }
        FUZZ_CHECK(terrain.Palette.size() == terrain.PaletteSize && terrain.MMI.size() == terrain.MMISize &&
                   terrain.MMT.size() == terrain.MMTSize && terrain.TMI.size() == terrain.TMISize);
        LookUpPixels(terrain);
    }
    return 0;
}
