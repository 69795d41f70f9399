#include "ArchiveWriter.h"
#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "era/TerrainData.h"
#include "TestEra.h"
#include "TestSupport.h"

#include <algorithm>
#include <array>
#include <set>

namespace tessel {
namespace {

using Bytes = std::vector<uint8_t>;
using Texts = std::vector<std::string>;
using Sizes = std::array<std::size_t, 4>;  // palette, MMI, MMT, TMI

// Each era has its own seed and picture count, so all sixteen tables differ.
EraTables TablesOfEra(int32_t era) { return MakeTestEra(static_cast<uint8_t>(10 + era), 13 + era); }

// All four eras, with a small decoy in every other entry up to 441, so that
// reading a neighbouring entry cannot pass unnoticed.
ArchiveWriter FourEraArchive()
{
    ArchiveWriter archive;
    std::set<int32_t> eraEntries;
    for (int32_t era = 0; era < 4; ++era) {
        archive.Era(era, TablesOfEra(era));
        for (int32_t k = 0; k < 4; ++k)
            eraEntries.insert(EraFirstEntries[static_cast<std::size_t>(era)] + k);
    }
    for (int32_t entry = 0; entry <= 441; ++entry) {
        if (!eraEntries.count(entry))
            archive.Entry(entry, Bytes(16, static_cast<uint8_t>(entry)), false);
    }
    return archive;
}

void ExpectEmpty(const TTerrainData& terrain)
{
    EXPECT_TRUE(terrain.Palette.empty() && terrain.MMI.empty() && terrain.MMT.empty() && terrain.TMI.empty())
        << "buffers remain";
}

Sizes SizesOf(const TTerrainData& terrain)
{
    return {terrain.PaletteSize, terrain.MMISize, terrain.MMTSize, terrain.TMISize};
}
Sizes SizesOf(const EraTables& era) { return {era.Palette.size(), era.MMI.size(), era.MMT.size(), era.TMI.size()}; }

void ExpectEra(const TTerrainData& terrain, int32_t era)
{
    const EraTables expected = TablesOfEra(era);
    EXPECT_EQ(terrain.Palette, expected.Palette) << "era " << era;
    EXPECT_EQ(terrain.MMI, expected.MMI) << "era " << era;
    EXPECT_EQ(terrain.MMT, expected.MMT) << "era " << era;
    EXPECT_EQ(terrain.TMI, expected.TMI) << "era " << era;
    EXPECT_EQ(SizesOf(terrain), SizesOf(expected)) << "era " << era;
}

class TerrainLoad : public ::testing::Test {
protected:
    void SetUp() override { FourEraArchive().WriteTo(path); }

    // The message of a load that must fail with an Error; the boxes it shows go to boxes.
    template <class Error = Exception>
    std::string FailureOf(const std::string& archive, int32_t era)
    {
        test::ErrorBoxRecorder recorder;
        try {
            terrain.LoadFromMaindat(archive, era);
        } catch (const Error& error) {
            boxes = recorder.Texts();
            return error.Message();
        }
        ADD_FAILURE() << "the load did not fail";
        return {};
    }

    test::TempDir dir;
    const std::string path = dir.File("MAINDAT.WAR");
    TTerrainData terrain;
    Texts boxes;
};

TEST_F(TerrainLoad, ReadsEachEraFromItsOwnFourEntries)
{
    // Eras 0 to 3 start at entries 2, 18, 10 and 438.
    for (int32_t era : {3, 1, 0, 2}) {
        test::ErrorBoxRecorder recorder;
        terrain.LoadFromMaindat(path, era);
        ExpectEra(terrain, era);
        EXPECT_TRUE(recorder.Texts().empty());
    }
}

// The era is checked before the archive is opened.
TEST_F(TerrainLoad, InvalidEraOrMissingArchiveFailsAndDropsTheEarlierBuffers)
{
    for (int32_t era : {4, -1}) {
        terrain.LoadFromMaindat(path, 0);
        EXPECT_EQ(FailureOf(dir.File("missing.war"), era), "Invalid era (" + std::to_string(era) + ").");
        ExpectEmpty(terrain);
    }
    terrain.LoadFromMaindat(path, 0);
    EXPECT_EQ(FailureOf<EInOutError>(dir.File("missing.war"), 0), "File not found");
    ExpectEmpty(terrain);
}

TEST_F(TerrainLoad, FileThatIsNotAnArchiveIsNamedInDoubleQuotes)
{
    const std::string expected = "\"" + path + "\" is not a valid MAINDAT.WAR file.";
    // signature (4 bytes), entry count (2), tag (2)
    for (const Bytes& file : {Bytes{25, 0, 0, 0, 0, 0, 0xE8}, Bytes{24, 0, 0, 0, 0, 0, 0xE8, 0x03},
                              Bytes{25, 0, 0, 0, 0, 0, 0xE7, 0x03}}) {
        terrain.LoadFromMaindat(path, 0);
        test::WriteFileBytes(path, file);
        EXPECT_EQ(FailureOf(path, 0), expected) << file.size() << " bytes, first " << int{file[0]};
        EXPECT_TRUE(boxes.empty());
        ExpectEmpty(terrain);
        FourEraArchive().WriteTo(path);
    }
}

TEST_F(TerrainLoad, DamagedMmtEntryShowsItsBoxBeforeTheLoadFailsAndLeavesTheObjectEmpty)
{
    terrain.LoadFromMaindat(path, 3);
    const EraTables era = TablesOfEra(2);
    // Era 2's MMT is entry 12: stored, and claiming far more bytes than the file has.
    ArchiveWriter()
        .Entry(10, era.Palette, true)
        .Entry(11, era.MMI, true)
        .RawEntry(12, 0x00FFFFFF, Bytes(10, 1))
        .Entry(13, era.TMI, true)
        .WriteTo(path);

    EXPECT_EQ(FailureOf(path, 2), "Cannot read MMT from maindat.war");
    EXPECT_EQ(boxes, Texts{"Error extracting entry #12: Read beyond end of file"});
    ExpectEmpty(terrain);
    // the TMI was not come to
    EXPECT_EQ(SizesOf(terrain), (Sizes{era.Palette.size(), era.MMI.size(), 0, TablesOfEra(3).TMI.size()}));
}

TEST_F(TerrainLoad, MissingEntryOrEmptyTableFailsWithoutABoxAndKeepsTheSizesItDidNotComeTo)
{
    terrain.LoadFromMaindat(path, 3);
    const Sizes earlier = SizesOf(TablesOfEra(3));
    const EraTables era = TablesOfEra(0);
    ArchiveWriter().Entry(3, era.MMI, true).Entry(4, era.MMT, true).Entry(5, era.TMI, true).WriteTo(path);
    EXPECT_EQ(FailureOf(path, 0), "Cannot read palette from maindat.war");
    EXPECT_TRUE(boxes.empty());
    ExpectEmpty(terrain);
    EXPECT_EQ(SizesOf(terrain), (Sizes{0, earlier[1], earlier[2], earlier[3]}));

    ArchiveWriter().Era(0, era).EntryCount(5).WriteTo(path);  // entry 5, the TMI, is absent
    EXPECT_EQ(FailureOf(path, 0), "Cannot read TMI from maindat.war");
    EXPECT_TRUE(boxes.empty());
    ExpectEmpty(terrain);

    test::WriteFileBytes(path, {25, 0, 0, 0, 0, 0, 0xE8, 0x03});  // signature 25, no entries, tag 1000
    EXPECT_EQ(FailureOf(path, 0), "Cannot read palette from maindat.war");
    EXPECT_TRUE(boxes.empty());
}

// Tables set by hand: the lookup needs no archive.
class TileColors : public ::testing::Test {
protected:
    // Tile code tile shows picture.
    void SetPicture(TileCode tile, uint16_t picture)
    {
        const std::size_t byte = 2 * (21 * static_cast<std::size_t>(tile >> 4) + (tile & 15u));
        if (terrain.TMI.size() < byte + 2)
            terrain.TMI.resize(byte + 2);
        WriteU16LE(terrain.TMI.data() + byte, picture);
    }
    // Every block word of picture is word.
    void SetBlockWords(uint16_t picture, uint16_t word)
    {
        terrain.MMI.resize(std::max<std::size_t>(terrain.MMI.size(), 32 * std::size_t{picture + 1u}));
        for (std::size_t k = 0; k < 16; ++k)
            WriteU16LE(terrain.MMI.data() + 32 * picture + 2 * k, word);
    }

    TTerrainData terrain;
};

TEST_F(TileColors, FlipBitsTurnTheBlockUpsideDownAndMirrorIt)
{
    SetPicture(1, 1);
    terrain.MMT.resize(128);
    for (std::size_t k = 0; k < 64; ++k)
        terrain.MMT[64 + k] = static_cast<uint8_t>(100 + k);  // block 1: byte k is 100 + k

    // Pixel (1, 2) of a block, and the same place in the block at row 2, column 1.
    for (const auto& [word, expected] : {std::pair{4 * 1 + 0, 100 + 8 * 2 + 1},    // as stored
                                         std::pair{4 * 1 + 1, 100 + 8 * 5 + 1},    // upside down: row 7 - 2
                                         std::pair{4 * 1 + 2, 100 + 8 * 2 + 6},    // mirrored: column 7 - 1
                                         std::pair{4 * 1 + 3, 100 + 8 * 5 + 6}}) { // both
        SetBlockWords(1, static_cast<uint16_t>(word));
        EXPECT_EQ(terrain.ColorOfTile(1, 1, 2), expected) << "block word " << word;
        EXPECT_EQ(terrain.ColorOfTile(1, 8 + 1, 16 + 2), expected) << "block word " << word;
    }
}

TEST_F(TileColors, BlockWordsRunRowByRowFromTheTopLeft)
{
    SetPicture(1, 1);
    terrain.MMI.resize(64);
    terrain.MMT.resize(16 * 64);
    for (uint16_t k = 0; k < 16; ++k) {
        WriteU16LE(terrain.MMI.data() + 32 + 2 * k, static_cast<uint16_t>(4 * k));  // word k: block k
        std::fill_n(terrain.MMT.begin() + 64 * k, 64, static_cast<uint8_t>(k + 1));
    }
    EXPECT_EQ(terrain.ColorOfTile(1, 0, 0), 1);    // word 0
    EXPECT_EQ(terrain.ColorOfTile(1, 31, 0), 4);   // word 3, top right
    EXPECT_EQ(terrain.ColorOfTile(1, 0, 31), 13);  // word 12, bottom left
    EXPECT_EQ(terrain.ColorOfTile(1, 31, 31), 16);
    EXPECT_EQ(terrain.ColorOfTile(1, 15, 8), 6);   // word 5
}

TEST_F(TileColors, LastTileCodeIsLookedUpAndHigherOnesAndPictureZeroAreZero)
{
    SetPicture(2527, 1);  // record 157, word 15
    SetPicture(2528, 1);  // record 158: beyond the tile code bound
    SetPicture(5, 0);
    SetBlockWords(0, 4 * 0);
    SetBlockWords(1, 4 * 0);
    terrain.MMT.assign(64, 9);
    EXPECT_EQ(terrain.ColorOfTile(2527, 5, 5), 9);
    EXPECT_EQ(terrain.ColorOfTile(2528, 5, 5), 0);
    EXPECT_EQ(terrain.ColorOfTile(65535, 5, 5), 0);
    EXPECT_EQ(terrain.ColorOfTile(5, 0, 0), 0);
}

TEST_F(TileColors, ReadsBeyondShortTablesAreZero)
{
    SetPicture(17, 1);
    SetBlockWords(1, 4 * 1);  // block 1
    terrain.MMT.assign(128, 9);
    EXPECT_EQ(terrain.ColorOfTile(17, 0, 0), 9) << "all tables long enough";

    terrain.TMI.pop_back();  // tile 17's word now lacks a byte
    EXPECT_EQ(terrain.ColorOfTile(17, 0, 0), 0);
    SetPicture(17, 1);

    terrain.MMI.resize(32 + 2 * 15 + 1);  // word 15 lacks a byte
    EXPECT_EQ(terrain.ColorOfTile(17, 0, 0), 9);
    EXPECT_EQ(terrain.ColorOfTile(17, 31, 31), 0);
    SetPicture(17, 40);  // a record far past the end
    EXPECT_EQ(terrain.ColorOfTile(17, 0, 0), 0);
    SetPicture(17, 1);
    SetBlockWords(1, 4 * 1);

    terrain.MMT.resize(64 + 63);  // block 1 lacks its last byte
    EXPECT_EQ(terrain.ColorOfTile(17, 6, 7), 9);
    EXPECT_EQ(terrain.ColorOfTile(17, 7, 7), 0);
}

}  // namespace
}  // namespace tessel
