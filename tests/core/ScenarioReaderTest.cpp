#include "TestSupport.h"

#include "base/Exceptions.h"
#include "scenario/PudData.h"
#include "ScenarioWriter.h"
#include "system/FileLayer.h"

#include <initializer_list>
#include <iterator>
#include <optional>
#include <ostream>

namespace tessel::test {
namespace {

using Bytes = std::vector<uint8_t>;
namespace tag = chunk_tag;

constexpr ChunkTag JunkTag{'J', 'U', 'N', 'K'};  // a chunk the reader never looks for
const Bytes OneUnit = UnitsChunkData({{1, 0, 2, 3, 0}});

// The chunks of a valid 2 x 2 scenario of era 1, in the order they are
// checked, written after head; a case gives other data or drops one.
struct Chunks {
    std::optional<Bytes> Era = EraChunkData(1);
    std::optional<Bytes> Dim = DimensionsChunkData(2, 2);
    std::optional<Bytes> Udta = UnitDataChunkData();
    std::optional<Bytes> Mtxm = TileMapChunkData({10, 11, 12, 13});
    std::optional<Bytes> Unit = std::nullopt;

    ScenarioWriter Writer(ScenarioWriter head = {}) const
    {
        const std::pair<ChunkTag, const std::optional<Bytes>*> chunks[] = {
            {tag::Era, &Era}, {tag::Dimensions, &Dim}, {tag::UnitTypeData, &Udta}, {tag::TileMap, &Mtxm}, {tag::Units, &Unit}};
        for (const auto& [chunkTag, data] : chunks) {
            if (*data)
                head.Chunk(chunkTag, **data);
        }
        return head;
    }
};

bool HoldsNothing(const TPUDData& pud)
{
    return pud.TileMap.empty() && pud.UnitData.empty() && pud.Units.empty() && pud.UnitCount == 0;
}

// A load that fails with an Error of message, leaving no buffers behind.
template <class Error>
testing::AssertionResult FailsWith(const std::string& path, const std::string& message)
{
    TPUDData pud;
    try {
        pud.LoadFromFile(path);
    } catch (const Error& error) {
        if (error.Message() != message)
            return testing::AssertionFailure() << "failed with \"" << error.Message() << "\"";
        if (!HoldsNothing(pud))
            return testing::AssertionFailure() << "buffers remain after the failure";
        return testing::AssertionSuccess();
    } catch (const Exception& error) {
        return testing::AssertionFailure() << "failed with the wrong kind of error: \"" << error.Message() << "\"";
    }
    return testing::AssertionFailure() << "loaded";
}

const std::string NoEra = "Invalid PUD (no ERA chunk).";
const std::string NoDim = "Invalid PUD (no DIM chunk).";
const std::string BadUdta = "Invalid PUD (missing or invalid UDTA chunk).";
const std::string BadMtxm = "Invalid PUD (missing or invalid MTXM chunk).";
const std::string ReadBeyondEnd = "Read beyond end of file";

struct UnitProps {
    uint16_t X = 0xEEEE, Y = 0xEEEE, Width = 0xEEEE, Height = 0xEEEE;
    uint8_t Type = 0xEE, Owner = 0xEE, Color = 0xEE;
    bool operator==(const UnitProps&) const = default;
};

void PrintTo(const UnitProps& p, std::ostream* out)
{
    *out << "{X " << p.X << ", Y " << p.Y << ", " << p.Width << " x " << p.Height << ", type " << int(p.Type)
         << ", owner " << int(p.Owner) << ", colour " << int(p.Color) << "}";
}

UnitProps PropsOf(const TPUDData& pud, int32_t index)
{
    UnitProps props;
    pud.GetUnitProps(index, props.X, props.Y, props.Width, props.Height, props.Type, props.Owner, props.Color);
    return props;
}

struct Damaged {
    const char* name;  // what the file holds
    ScenarioWriter writer;
    std::string message;
};

class ScenarioReader : public testing::Test {
protected:
    std::string Write(const std::string& name, const ScenarioWriter& writer)
    {
        const std::string path = dir_.File(name);
        writer.WriteTo(path);
        return path;
    }

    TPUDData Load(const std::string& name, const ScenarioWriter& writer)
    {
        TPUDData pud;
        EXPECT_NO_THROW(pud.LoadFromFile(Write(name, writer))) << name;
        return pud;
    }

    template <class Error>
    void ExpectEachFails(std::initializer_list<Damaged> cases)
    {
        for (const Damaged& c : cases)
            EXPECT_TRUE(FailsWith<Error>(Write(c.name, c.writer), c.message)) << c.name;
    }

    TempDir dir_;
};

TEST_F(ScenarioReader, LoadsEveryFieldOfAWrittenScenario)
{
    ScenarioContent content;
    content.Era = 2;
    content.Side = 3;
    content.Tiles = {0x0000, 0x0011, 0x0122, 0x1233, 0xABCD, 0xFFFF, 7, 8, 9};
    content.UnitSizes = {{4, 2, 3}};
    content.Units = {{5, 6, 4, 1, 0}, {0xFFFF, 0x0102, 7, 15, 0}};
    const TPUDData pud = Load("era_2_side_3_two_units.pud", WriteScenario(content));
    EXPECT_EQ(pud.Era, 2);
    EXPECT_EQ(pud.MapSize, 3);
    EXPECT_EQ(pud.TileMap, content.Tiles);
    EXPECT_EQ(pud.UnitData.size(), 2888u);
    EXPECT_EQ(pud.Units.size(), 16u);
    ASSERT_EQ(pud.UnitCount, 2);
    EXPECT_EQ(PropsOf(pud, 0), (UnitProps{5, 6, 2, 3, 4, 1, 212}));
    EXPECT_EQ(PropsOf(pud, 1), (UnitProps{0xFFFF, 0x0102, 1, 1, 7, 15, 12}));
}

TEST_F(ScenarioReader, ChunksAreFoundInAnyOrderAmongOthersAndTheFirstOfATagWins)
{
    const Chunks valid;
    ScenarioWriter writer;
    writer.Chunk(JunkTag, {1, 2, 3})
        .Chunk(tag::Units, OneUnit)
        .Chunk(tag::TileMap, *valid.Mtxm)
        .Chunk(JunkTag, {})
        .Chunk(tag::UnitTypeData, *valid.Udta)
        .Chunk(tag::Dimensions, *valid.Dim)
        .Chunk(tag::EraX, EraChunkData(3))
        .Chunk(tag::Era, *valid.Era);
    // Second chunks of every tag, which make a valid 3 x 3 map of era 0 with three units.
    const Bytes threeUnits = UnitsChunkData({{}, {}, {}});
    writer = Chunks{.Era = EraChunkData(2), .Dim = DimensionsChunkData(3, 3), .Mtxm = Bytes(18), .Unit = threeUnits}
                 .Writer(writer);
    writer.Chunk(tag::EraX, EraChunkData(0));
    const TPUDData pud = Load("chunks_in_reverse_order_then_again.pud", writer);
    EXPECT_EQ(pud.Era, 3);
    EXPECT_EQ(pud.MapSize, 2);
    EXPECT_EQ(pud.TileMap, (std::vector<TileCode>{10, 11, 12, 13}));
    EXPECT_EQ(pud.UnitCount, 1);
    EXPECT_EQ(PropsOf(pud, 0), (UnitProps{1, 0, 1, 1, 2, 3, 220}));
}

// Swamp maps keep their era in ERAX only.
TEST_F(ScenarioReader, AnEraxOfTwoBytesOrMoreReplacesTheEra)
{
    const struct {
        const char* name;
        int32_t statedLength;
        Bytes data;
        uint16_t era;
    } cases[] = {
        {"erax_of_0_bytes.pud", 0, {}, 1},
        {"erax_of_1_byte.pud", 1, {3}, 1},
        {"erax_of_2_bytes.pud", 2, {3, 0}, 3},
        {"erax_of_4_bytes.pud", 4, {0x34, 0x12, 9, 9}, 0x1234},
        {"erax_of_4_with_2_bytes_left.pud", 4, {3, 0}, 3},
        {"erax_of_minus_2_bytes.pud", -2, {3, 0}, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Load(c.name, Chunks{}.Writer().ChunkWithStatedLength(tag::EraX, c.statedLength, c.data)).Era, c.era)
            << c.name;
}

// Checked in order: ERA, DIM, UDTA, then MTXM against the side.
TEST_F(ScenarioReader, EachRequiredChunkMissingOrOfTheWrongSizeFailsWithItsOwnMessage)
{
    const Bytes side0 = DimensionsChunkData(0, 0);
    ExpectEachFails<EPUDEx>({
        {"empty.pud", ScenarioWriter(), NoEra},
        {"text.pud", ScenarioWriter().Raw({'h', 'e', 'l', 'l', 'o', ' ', 'p', 'u', 'd', '\n'}), NoEra},
        {"era_of_1_byte_then_dim_only.pud", ScenarioWriter().Chunk(tag::Era, {1}).Chunk(tag::Dimensions, {2, 0}), NoEra},
        {"erax_without_era.pud", Chunks{.Era = std::nullopt}.Writer().Chunk(tag::EraX, EraChunkData(3)), NoEra},
        {"no_dim.pud", Chunks{.Dim = std::nullopt}.Writer(), NoDim},
        {"dim_of_1_byte_then_nothing.pud", ScenarioWriter().Chunk(tag::Era, {1, 0}).Chunk(tag::Dimensions, {2}), NoDim},
        // tags match only byte for byte, all four bytes
        {"dim_in_small_letters.pud", Chunks{.Dim = std::nullopt}.Writer().Chunk({'D', 'i', 'm', ' '}, {2, 0}), NoDim},
        {"dim_as_dimx.pud", Chunks{.Dim = std::nullopt}.Writer().Chunk({'D', 'I', 'M', 'X'}, {2, 0}), NoDim},
        {"udta_of_2887_bytes.pud", Chunks{.Udta = Bytes(2887)}.Writer(), BadUdta},
        {"no_udta.pud", Chunks{.Udta = std::nullopt}.Writer(), BadUdta},
        {"mtxm_2_bytes_short.pud", Chunks{.Mtxm = Bytes(6)}.Writer(), BadMtxm},
        {"mtxm_2_bytes_long.pud", Chunks{.Mtxm = Bytes(10)}.Writer(), BadMtxm},
        {"map_64_by_32.pud", Chunks{.Dim = DimensionsChunkData(64, 32), .Mtxm = Bytes(2 * 64 * 32)}.Writer(), BadMtxm},
        {"no_mtxm.pud", Chunks{.Mtxm = std::nullopt}.Writer(), BadMtxm},
        // 2 x side x side wrapped to 32 bits: 9266 for side 46341, -262142 for side 65535
        {"side_46341_mtxm_of_9266_bytes.pud", Chunks{.Dim = DimensionsChunkData(46341, 46341), .Mtxm = Bytes(9266)}.Writer(),
         BadMtxm},
        {"side_65535_mtxm_of_minus_262142.pud",
         Chunks{.Dim = DimensionsChunkData(65535, 65535), .Mtxm = std::nullopt}.Writer().ChunkWithStatedLength(
             tag::TileMap, -262142, {}),
         BadMtxm},
        {"side_0_mtxm_of_0_bytes.pud", Chunks{.Dim = side0, .Mtxm = Bytes()}.Writer(), "Out of memory."},
        {"side_0_no_mtxm.pud", Chunks{.Dim = side0, .Mtxm = std::nullopt}.Writer(), BadMtxm},
        {"side_0_mtxm_of_2_bytes.pud", Chunks{.Dim = side0, .Mtxm = Bytes(2)}.Writer(), BadMtxm},
    });
}

TEST_F(ScenarioReader, ANegativeOrOverlongLengthEndsTheSearchForOtherTags)
{
    const Chunks withoutEra{.Era = std::nullopt};
    const ScenarioWriter era = ScenarioWriter().Chunk(tag::Era, EraChunkData(1));
    ExpectEachFails<EPUDEx>({
        {"negative_chunk_first.pud", Chunks{}.Writer(ScenarioWriter().ChunkWithStatedLength(JunkTag, -1, {})), NoEra},
        {"negative_chunk_before_dim.pud", withoutEra.Writer(ScenarioWriter(era).ChunkWithStatedLength(JunkTag, -8, {})),
         NoDim},
        {"overlong_chunk_before_dim.pud",
         withoutEra.Writer(ScenarioWriter(era).ChunkWithStatedLength(JunkTag, 1000, {})), NoDim},
    });
}

TEST_F(ScenarioReader, ASoughtChunkWithANegativeLengthIsFoundButUnusable)
{
    const ChunkTag tags[] = {tag::Era, tag::Dimensions, tag::UnitTypeData, tag::TileMap};
    const std::string messages[] = {NoEra, NoDim, BadUdta, BadMtxm};
    const Chunks valid;
    const Bytes data[] = {*valid.Era, *valid.Dim, *valid.Udta, *valid.Mtxm};
    for (std::size_t broken = 0; broken < std::size(tags); ++broken) {
        // The broken chunk is followed by a valid one of its tag that must not be reached.
        ScenarioWriter writer;
        for (std::size_t i = 0; i < std::size(tags); ++i) {
            if (i == broken)
                writer.ChunkWithStatedLength(tags[i], -2, {});
            writer.Chunk(tags[i], data[i]);
        }
        EXPECT_TRUE(FailsWith<EPUDEx>(Write("negative_required_chunk.pud", writer), messages[broken])) << broken;
    }
}

TEST_F(ScenarioReader, UnitsCountOnlyWholeRecordsOfAChunkTheSearchReaches)
{
    const struct {
        const char* name;
        ScenarioWriter writer;
        std::size_t bytesKept;
        int32_t count;
    } cases[] = {
        {"no_unit.pud", Chunks{}.Writer(), 0, 0},
        {"unit_of_0_bytes.pud", Chunks{.Unit = Bytes()}.Writer(), 0, 0},
        {"unit_of_7_bytes.pud", Chunks{.Unit = Bytes(7, 1)}.Writer(), 7, 0},
        {"unit_of_12_bytes.pud", Chunks{.Unit = Bytes(12, 1)}.Writer(), 12, 1},
        {"unit_of_minus_8_bytes.pud", Chunks{}.Writer().ChunkWithStatedLength(tag::Units, -8, OneUnit), 0, 0},
        {"negative_chunk_before_unit.pud",
         Chunks{}.Writer().ChunkWithStatedLength(JunkTag, -1, {}).Chunk(tag::Units, OneUnit), 0, 0},
    };
    for (const auto& c : cases) {
        const TPUDData pud = Load(c.name, c.writer);
        EXPECT_EQ(pud.Units.size(), c.bytesKept) << c.name;
        EXPECT_EQ(pud.UnitCount, c.count) << c.name;
    }
}

TEST_F(ScenarioReader, APartialHeaderAtTheEndEndsASearchWithoutError)
{
    for (std::size_t cut = 1; cut < 8; ++cut) {
        // the first bytes of a UNIT header: tag, then a length of 8
        Bytes header{'U', 'N', 'I', 'T', 8, 0, 0, 0};
        header.resize(cut);
        const TPUDData pud = Load("unit_header_cut_to_" + std::to_string(cut) + ".pud", Chunks{}.Writer().Raw(header));
        EXPECT_EQ(pud.Era, 1);
        EXPECT_EQ(pud.UnitCount, 0);
    }
}

// The 16-bit chunks fail only when fewer than 2 data bytes remain.
TEST_F(ScenarioReader, ASoughtChunkRunningPastTheEndFailsWhenItsDataIsRead)
{
    const ScenarioWriter era = ScenarioWriter().Chunk(tag::Era, EraChunkData(1));
    ExpectEachFails<EInOutError>({
        {"udta_1_byte_short.pud",
         Chunks{.Udta = std::nullopt, .Mtxm = std::nullopt}.Writer().ChunkWithStatedLength(tag::UnitTypeData, 2889,
                                                                                           UnitDataChunkData()),
         ReadBeyondEnd},
        {"mtxm_2_bytes_short_of_its_length.pud",
         Chunks{.Mtxm = std::nullopt}.Writer().ChunkWithStatedLength(tag::TileMap, 8, {1, 0, 2, 0, 3, 0}),
         ReadBeyondEnd},
        {"unit_8_bytes_short.pud", Chunks{}.Writer().ChunkWithStatedLength(tag::Units, 16, OneUnit), ReadBeyondEnd},
        {"erax_cut_after_1_byte.pud", Chunks{}.Writer().ChunkWithStatedLength(tag::EraX, 2, {3}), ReadBeyondEnd},
        {"dim_cut_after_1_byte.pud", ScenarioWriter(era).ChunkWithStatedLength(tag::Dimensions, 4, {2}), ReadBeyondEnd},
    });
}

TEST_F(ScenarioReader, ANewLoadKeepsNothingOfTheFileBeforeEvenWhenItFails)
{
    const std::string good = Write("side_2_one_unit.pud", Chunks{.Unit = OneUnit}.Writer());
    TPUDData pud;
    ASSERT_NO_THROW(pud.LoadFromFile(good));
    EXPECT_THROW(pud.LoadFromFile(dir_.File("missing.pud")), EInOutError);
    EXPECT_TRUE(HoldsNothing(pud));

    ASSERT_NO_THROW(pud.LoadFromFile(good));
    ASSERT_NO_THROW(pud.LoadFromFile(Write("side_2_no_units.pud", Chunks{}.Writer())));
    EXPECT_TRUE(pud.Units.empty());
    EXPECT_EQ(pud.UnitCount, 0);
}

TEST(FindChunk, ReturnsTheStatedLengthAndStandsAtTheData)
{
    TempDir dir;
    const std::string path = dir.File("junk_then_negative_dim.pud");
    ScenarioWriter().Chunk(JunkTag, {9, 9, 9}).ChunkWithStatedLength(tag::Dimensions, -5, {0x42}).WriteTo(path);

    InputFile file(path);
    TPUDData pud;
    EXPECT_EQ(pud.FindChunk(file, tag::Dimensions), -5);
    EXPECT_EQ(file.Position(), 8 + 3 + 8);
    EXPECT_EQ(pud.FindChunk(file, JunkTag), 3);
    EXPECT_EQ(file.Position(), 8);
    EXPECT_EQ(pud.FindChunk(file, tag::Era), -1);
}

TEST(ReadInBlocks, FillsTheBufferAcrossPiecesAndFailsAtTheEnd)
{
    TempDir dir;
    const std::string path = dir.File("4100_counting_bytes.bin");
    Bytes bytes(4100);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i % 251);
    WriteFileBytes(path, bytes);

    InputFile file(path);
    Bytes buffer(4100, 0xEE);
    ReadInBlocks(file, buffer.data(), 0);
    ReadInBlocks(file, buffer.data(), -3);
    EXPECT_EQ(file.Position(), 0);
    EXPECT_EQ(buffer[0], 0xEE);

    ReadInBlocks(file, buffer.data(), 4100);
    EXPECT_EQ(buffer, bytes);

    file.Seek(4099);
    try {
        ReadInBlocks(file, buffer.data(), 2);
        ADD_FAILURE() << "read past the end";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), io_error::ReadBeyondEnd);
    }
}

class UnitProperties : public ScenarioReader {
protected:
    TPUDData LoadUnits(const std::vector<UnitPlacement>& units, Bytes udta = UnitDataChunkData())
    {
        return Load("units.pud", Chunks{.Udta = std::move(udta), .Unit = UnitsChunkData(units)}.Writer());
    }
};

TEST_F(UnitProperties, AnIndexOutsideTheUnitsIsRefusedWithoutWritingOutputs)
{
    const TPUDData pud = LoadUnits({{}, {}});
    ASSERT_EQ(pud.UnitCount, 2);
    for (int32_t index : {-1, 2, INT32_MIN, INT32_MAX}) {
        UnitProps props;
        try {
            pud.GetUnitProps(index, props.X, props.Y, props.Width, props.Height, props.Type, props.Owner, props.Color);
            ADD_FAILURE() << "no error for " << index;
        } catch (const EPUDEx& error) {
            EXPECT_EQ(error.Message(), "Unit out of range.");
        }
        EXPECT_EQ(props, UnitProps{}) << index;
    }
    EXPECT_THROW(PropsOf(TPUDData(), 0), EPUDEx);
}

TEST_F(UnitProperties, ColoursFollowTheOwnerExceptForTheNeutralResources)
{
    const struct {
        uint8_t type, owner, color;
    } cases[] = {
        {92, 3, 12}, {92, 200, 12}, {93, 0, 0},  {93, 5, 0},   {1, 0, 208},  {1, 1, 212},
        {1, 6, 232}, {1, 7, 12},    {1, 15, 12}, {1, 16, 0},   {1, 255, 0},  {91, 2, 216},
    };
    std::vector<UnitPlacement> units;
    for (const auto& c : cases)
        units.push_back({0, 0, c.type, c.owner, 0});
    const TPUDData pud = LoadUnits(units);
    ASSERT_EQ(pud.UnitCount, static_cast<int32_t>(std::size(cases)));
    for (int32_t i = 0; i < pud.UnitCount; ++i)
        EXPECT_EQ(PropsOf(pud, i).Color, cases[i].color) << "type " << int{cases[i].type} << ", owner "
                                                         << int{cases[i].owner};
}

// Type t's entry is width, height at bytes 2448 + 4t; a type whose entry is
// not wholly stored covers one tile.
TEST_F(UnitProperties, SizesComeFromTheTableInTheUnitDataOrAreOneTile)
{
    Bytes udta(2888);
    udta[2448] = 0x01;  // type 0: width 0x0201, height 0x0403
    udta[2449] = 0x02;
    udta[2450] = 0x03;
    udta[2451] = 0x04;
    udta[2884] = 5;  // type 109, ending the least UDTA: 5 x 6
    udta[2886] = 6;
    // type 1 keeps a 0 x 0 entry, as some real maps hold
    TPUDData pud = LoadUnits({{1, 2, 0, 0, 0}, {1, 2, 109, 0, 0}, {1, 2, 1, 0, 0}}, udta);
    EXPECT_EQ(PropsOf(pud, 0), (UnitProps{1, 2, 0x0201, 0x0403, 0, 0, 208}));
    EXPECT_EQ(PropsOf(pud, 1), (UnitProps{1, 2, 5, 6, 109, 0, 208}));
    EXPECT_EQ(PropsOf(pud, 2), (UnitProps{1, 2, 0, 0, 1, 0, 208}));

    udta.resize(2895);  // type 110 stored as 3 x 4, type 111 lacking its last byte
    udta[2888] = 3;
    udta[2890] = 4;
    udta[2892] = 7;
    udta[2894] = 7;
    pud = LoadUnits({{1, 2, 110, 0, 0}, {1, 2, 111, 0, 0}, {1, 2, 255, 0, 0}}, udta);
    EXPECT_EQ(PropsOf(pud, 0), (UnitProps{1, 2, 3, 4, 110, 0, 208}));
    EXPECT_EQ(PropsOf(pud, 1), (UnitProps{1, 2, 1, 1, 111, 0, 208}));
    EXPECT_EQ(PropsOf(pud, 2), (UnitProps{1, 2, 1, 1, 255, 0, 208}));
}

}  // namespace
}  // namespace tessel::test
