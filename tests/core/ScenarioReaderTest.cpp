#include "TestSupport.h"

#include "Exceptions.h"
#include "FileLayer.h"
#include "PudData.h"
#include "ScenarioWriter.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <new>
#include <optional>
#include <ostream>

// Records the largest single request of the whole test program, so that a
// test can show that a damaged chunk length never reaches the allocator.
// Kept out of line so that the compiler never pairs an inlined malloc with
// an inlined free across them.
namespace {
std::atomic<std::size_t> largestRequest{0};
}

[[gnu::noinline]] void* operator new(std::size_t size)
{
    std::size_t seen = largestRequest.load();
    while (size > seen && !largestRequest.compare_exchange_weak(seen, size)) {
    }
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}

[[gnu::noinline]] void operator delete(void* block) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace tessel::test {
namespace {

constexpr ChunkTag JunkTag{'J', 'U', 'N', 'K'};  // a chunk the reader never looks for

// The chunks of a valid 2 x 2 scenario of era 1.
std::vector<uint8_t> EraData() { return EraChunkData(1); }
std::vector<uint8_t> DimData() { return DimChunkData(2, 2); }
std::vector<uint8_t> UdtaData() { return UnitDataChunkData(); }
std::vector<uint8_t> MtxmData() { return TileMapChunkData({10, 11, 12, 13}); }
std::vector<uint8_t> UnitData() { return UnitsChunkData({{1, 0, 2, 3, 0}}); }

ScenarioWriter ValidUpToUdta()
{
    ScenarioWriter writer;
    writer.Chunk(chunk_tag::Era, EraData()).Chunk(chunk_tag::Dim, DimData()).Chunk(chunk_tag::UnitTypeData, UdtaData());
    return writer;
}

ScenarioWriter ValidWithoutUnits()
{
    ScenarioWriter writer = ValidUpToUdta();
    writer.Chunk(chunk_tag::TileMap, MtxmData());
    return writer;
}

bool HoldsNothing(const TPUDData& pud)
{
    return pud.TileMap.empty() && pud.UnitData.empty() && pud.Units.empty() && pud.UnitCount == 0;
}

testing::AssertionResult Loads(TPUDData& pud, const std::string& path)
{
    try {
        pud.LoadFromFile(path);
    } catch (const Exception& error) {
        return testing::AssertionFailure() << "failed with \"" << error.Message() << "\"";
    }
    return testing::AssertionSuccess();
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

testing::AssertionResult FailsAsScenario(const std::string& path, const std::string& message)
{
    return FailsWith<EPUDEx>(path, message);
}

testing::AssertionResult FailsAsInputOutput(const std::string& path, const std::string& message)
{
    return FailsWith<EInOutError>(path, message);
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

class ScenarioReader : public testing::Test {
protected:
    std::string Write(const std::string& name, const ScenarioWriter& writer)
    {
        const std::string path = dir_.File(name);
        writer.WriteTo(path);
        return path;
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
    const std::string path = Write("era_2_side_3_two_units.pud", WriteScenario(content));

    TPUDData pud;
    ASSERT_TRUE(Loads(pud, path));
    EXPECT_EQ(pud.Era, 2);
    EXPECT_EQ(pud.MapSize, 3);
    EXPECT_EQ(pud.TileMap, content.Tiles);
    EXPECT_EQ(pud.UnitData.size(), 2888u);
    EXPECT_EQ(pud.Units.size(), 16u);
    ASSERT_EQ(pud.UnitCount, 2);
    EXPECT_EQ(PropsOf(pud, 0), (UnitProps{5, 6, 2, 3, 4, 1, 212}));
    EXPECT_EQ(PropsOf(pud, 1), (UnitProps{0xFFFF, 0x0102, 1, 1, 7, 15, 12}));
}

TEST_F(ScenarioReader, ChunksLoadTheSameInAnyOrderAmongOtherChunks)
{
    ScenarioWriter writer;
    writer.Chunk(JunkTag, {1, 2, 3})
        .Chunk(chunk_tag::Units, UnitData())
        .Chunk(chunk_tag::TileMap, MtxmData())
        .Chunk(JunkTag, {})
        .Chunk(chunk_tag::UnitTypeData, UdtaData())
        .Chunk(chunk_tag::Dim, DimData())
        .Chunk(chunk_tag::EraX, EraChunkData(3))
        .Chunk(chunk_tag::Era, EraData());
    TPUDData pud;
    ASSERT_TRUE(Loads(pud, Write("chunks_in_reverse_order.pud", writer)));
    EXPECT_EQ(pud.Era, 3);
    EXPECT_EQ(pud.MapSize, 2);
    EXPECT_EQ(pud.TileMap, (std::vector<TileCode>{10, 11, 12, 13}));
    EXPECT_EQ(pud.UnitCount, 1);
    EXPECT_EQ(PropsOf(pud, 0), (UnitProps{1, 0, 1, 1, 2, 3, 220}));
}

TEST_F(ScenarioReader, TheFirstOfTwoChunksWithOneTagWins)
{
    ScenarioWriter writer;
    writer.Chunk(chunk_tag::Era, EraChunkData(2))
        .Chunk(chunk_tag::Era, EraChunkData(0))
        .Chunk(chunk_tag::Dim, DimChunkData(2, 2))
        .Chunk(chunk_tag::Dim, DimChunkData(3, 3))
        .Chunk(chunk_tag::UnitTypeData, UdtaData())
        .Chunk(chunk_tag::TileMap, MtxmData())
        .Chunk(chunk_tag::TileMap, TileMapChunkData(std::vector<TileCode>(9)))
        .Chunk(chunk_tag::Units, UnitData())
        .Chunk(chunk_tag::Units, UnitsChunkData({{}, {}, {}}));
    TPUDData pud;
    ASSERT_TRUE(Loads(pud, Write("every_chunk_twice.pud", writer)));
    EXPECT_EQ(pud.Era, 2);
    EXPECT_EQ(pud.MapSize, 2);
    EXPECT_EQ(pud.TileMap, (std::vector<TileCode>{10, 11, 12, 13}));
    EXPECT_EQ(pud.UnitCount, 1);
}

// Swamp maps keep their era in ERAX only; short ERAX chunks say nothing.
TEST_F(ScenarioReader, AnEraxOfTwoBytesOrMoreReplacesTheEra)
{
    const struct {
        const char* name;
        std::optional<std::vector<uint8_t>> erax;
        uint16_t era;
    } cases[] = {
        {"no_erax.pud", std::nullopt, 1},
        {"erax_of_0_bytes.pud", std::vector<uint8_t>{}, 1},
        {"erax_of_1_byte.pud", std::vector<uint8_t>{3}, 1},
        {"erax_of_2_bytes.pud", std::vector<uint8_t>{3, 0}, 3},
        {"erax_of_4_bytes.pud", std::vector<uint8_t>{0x34, 0x12, 9, 9}, 0x1234},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScenarioWriter writer = ValidWithoutUnits();
        if (c.erax)
            writer.Chunk(chunk_tag::EraX, *c.erax);
        TPUDData pud;
        ASSERT_TRUE(Loads(pud, Write(c.name, writer)));
        EXPECT_EQ(pud.Era, c.era);
    }
}

TEST_F(ScenarioReader, AnEraOfLessThanTwoBytesOrNoneFailsTheFirstCheck)
{
    ScenarioWriter eraOf1Byte;
    eraOf1Byte.Chunk(chunk_tag::Era, {1}).Chunk(chunk_tag::Dim, DimData());
    EXPECT_TRUE(FailsAsScenario(Write("era_of_1_byte.pud", eraOf1Byte), NoEra));

    ScenarioWriter eraxWithoutEra;
    eraxWithoutEra.Chunk(chunk_tag::EraX, EraChunkData(3))
        .Chunk(chunk_tag::Dim, DimData())
        .Chunk(chunk_tag::UnitTypeData, UdtaData())
        .Chunk(chunk_tag::TileMap, MtxmData());
    EXPECT_TRUE(FailsAsScenario(Write("erax_without_era.pud", eraxWithoutEra), NoEra));

    EXPECT_TRUE(FailsAsScenario(Write("empty.pud", ScenarioWriter()), NoEra));
    EXPECT_TRUE(FailsAsScenario(Write("text.pud", ScenarioWriter().Raw({'h', 'e', 'l', 'l', 'o', ' ', 'p', 'u', 'd', '\n'})),
                                NoEra));
}

TEST_F(ScenarioReader, ADimOfLessThanTwoBytesOrNoneFails)
{
    ScenarioWriter noDim;
    noDim.Chunk(chunk_tag::Era, EraData()).Chunk(chunk_tag::UnitTypeData, UdtaData()).Chunk(chunk_tag::TileMap, MtxmData());
    EXPECT_TRUE(FailsAsScenario(Write("no_dim.pud", noDim), NoDim));

    ScenarioWriter dimOf1Byte;
    dimOf1Byte.Chunk(chunk_tag::Era, EraData()).Chunk(chunk_tag::Dim, {2});
    EXPECT_TRUE(FailsAsScenario(Write("dim_of_1_byte.pud", dimOf1Byte), NoDim));
}

TEST_F(ScenarioReader, TagsMatchOnlyByteForByte)
{
    for (const ChunkTag& lookalike : {ChunkTag{'d', 'i', 'm', ' '}, ChunkTag{'D', 'I', 'M', 'X'},
                                      ChunkTag{'D', 'I', 'M', '\0'}, ChunkTag{'D', 'i', 'm', ' '}}) {
        SCOPED_TRACE(std::string(lookalike.data(), 4));
        ScenarioWriter writer;
        writer.Chunk(chunk_tag::Era, EraData())
            .Chunk(lookalike, DimData())
            .Chunk(chunk_tag::UnitTypeData, UdtaData())
            .Chunk(chunk_tag::TileMap, MtxmData());
        EXPECT_TRUE(FailsAsScenario(Write("dim_tag_lookalike.pud", writer), NoDim));
    }
}

TEST_F(ScenarioReader, UnitDataNeedsTheWholeSizeTable)
{
    auto withUdta = [](std::size_t length) {
        ScenarioWriter writer;
        writer.Chunk(chunk_tag::Era, EraData())
            .Chunk(chunk_tag::Dim, DimData())
            .Chunk(chunk_tag::UnitTypeData, std::vector<uint8_t>(length))
            .Chunk(chunk_tag::TileMap, MtxmData());
        return writer;
    };
    EXPECT_TRUE(FailsAsScenario(Write("udta_of_2887_bytes.pud", withUdta(2887)), BadUdta));

    TPUDData pud;
    ASSERT_TRUE(Loads(pud, Write("udta_of_2888_bytes.pud", withUdta(2888))));
    EXPECT_EQ(pud.UnitData.size(), 2888u);

    // Data beyond the 2048-byte read pieces must land in place.
    std::vector<uint8_t> pattern(5000);
    for (std::size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<uint8_t>(i * 7 + i / 251);
    ScenarioWriter patterned;
    patterned.Chunk(chunk_tag::Era, EraData())
        .Chunk(chunk_tag::Dim, DimData())
        .Chunk(chunk_tag::UnitTypeData, pattern)
        .Chunk(chunk_tag::TileMap, MtxmData());
    ASSERT_TRUE(Loads(pud, Write("udta_of_5000_patterned_bytes.pud", patterned)));
    EXPECT_EQ(pud.UnitData, pattern);

    ScenarioWriter noUdta;
    noUdta.Chunk(chunk_tag::Era, EraData()).Chunk(chunk_tag::Dim, DimData()).Chunk(chunk_tag::TileMap, MtxmData());
    EXPECT_TRUE(FailsAsScenario(Write("no_udta.pud", noUdta), BadUdta));
}

TEST_F(ScenarioReader, TheTileMapMustHoldExactlyTheSquareOfTheSide)
{
    auto withMtxm = [](uint16_t width, uint16_t height, std::vector<uint8_t> mtxm) {
        ScenarioWriter writer;
        writer.Chunk(chunk_tag::Era, EraData())
            .Chunk(chunk_tag::Dim, DimChunkData(width, height))
            .Chunk(chunk_tag::UnitTypeData, UdtaData())
            .Chunk(chunk_tag::TileMap, std::move(mtxm));
        return writer;
    };
    EXPECT_TRUE(FailsAsScenario(Write("map_64_by_32.pud", withMtxm(64, 32, std::vector<uint8_t>(2 * 64 * 32))), BadMtxm));
    EXPECT_TRUE(FailsAsScenario(Write("mtxm_2_bytes_short.pud", withMtxm(32, 32, std::vector<uint8_t>(2046))), BadMtxm));
    EXPECT_TRUE(FailsAsScenario(Write("mtxm_2_bytes_long.pud", withMtxm(32, 32, std::vector<uint8_t>(2050))), BadMtxm));

    TPUDData pud;
    ASSERT_TRUE(Loads(pud, Write("map_32_by_32.pud", withMtxm(32, 32, std::vector<uint8_t>(2048)))));
    EXPECT_EQ(pud.TileMap.size(), 32u * 32u);

    ScenarioWriter noMtxm = ValidUpToUdta();
    EXPECT_TRUE(FailsAsScenario(Write("no_mtxm.pud", noMtxm), BadMtxm));
}

// 2 x side x side wraps in 32 bits: side 46341 gives 9266 and side 65535
// gives -262142. Neither may pass for a tile map of that side.
TEST_F(ScenarioReader, AHugeSideIsNotMatchedByAWrappedTileMapLength)
{
    ScenarioWriter side46341;
    side46341.Chunk(chunk_tag::Era, EraData())
        .Chunk(chunk_tag::Dim, DimChunkData(46341, 46341))
        .Chunk(chunk_tag::UnitTypeData, UdtaData())
        .Chunk(chunk_tag::TileMap, std::vector<uint8_t>(9266));
    EXPECT_TRUE(FailsAsScenario(Write("side_46341_mtxm_of_9266_bytes.pud", side46341), BadMtxm));

    ScenarioWriter side65535;
    side65535.Chunk(chunk_tag::Era, EraData())
        .Chunk(chunk_tag::Dim, DimChunkData(65535, 65535))
        .Chunk(chunk_tag::UnitTypeData, UdtaData())
        .ChunkWithStatedLength(chunk_tag::TileMap, -262142, {});
    EXPECT_TRUE(FailsAsScenario(Write("side_65535_mtxm_of_minus_262142.pud", side65535), BadMtxm));
}

TEST_F(ScenarioReader, ASideOfZeroFailsForWantOfATileMap)
{
    auto withMtxm = [](std::optional<std::vector<uint8_t>> mtxm) {
        ScenarioWriter writer;
        writer.Chunk(chunk_tag::Era, EraData())
            .Chunk(chunk_tag::Dim, DimChunkData(0, 0))
            .Chunk(chunk_tag::UnitTypeData, UdtaData());
        if (mtxm)
            writer.Chunk(chunk_tag::TileMap, *mtxm);
        return writer;
    };
    EXPECT_TRUE(FailsAsScenario(Write("side_0_mtxm_of_0_bytes.pud", withMtxm(std::vector<uint8_t>{})), "Out of memory."));
    EXPECT_TRUE(FailsAsScenario(Write("side_0_no_mtxm.pud", withMtxm(std::nullopt)), BadMtxm));
    EXPECT_TRUE(FailsAsScenario(Write("side_0_mtxm_of_2_bytes.pud", withMtxm(std::vector<uint8_t>(2))), BadMtxm));
}

TEST_F(ScenarioReader, UnitsCountOnlyWholeRecords)
{
    const struct {
        const char* name;
        std::optional<std::vector<uint8_t>> unit;
        std::size_t bytesKept;
        int32_t count;
    } cases[] = {
        {"no_unit.pud", std::nullopt, 0, 0},
        {"unit_of_0_bytes.pud", std::vector<uint8_t>{}, 0, 0},
        {"unit_of_7_bytes.pud", std::vector<uint8_t>(7, 1), 7, 0},
        {"unit_of_12_bytes.pud", std::vector<uint8_t>(12, 1), 12, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScenarioWriter writer = ValidWithoutUnits();
        if (c.unit)
            writer.Chunk(chunk_tag::Units, *c.unit);
        TPUDData pud;
        ASSERT_TRUE(Loads(pud, Write(c.name, writer)));
        EXPECT_EQ(pud.Units.size(), c.bytesKept);
        EXPECT_EQ(pud.UnitCount, c.count);
    }
}

TEST_F(ScenarioReader, ANegativeLengthEndsTheSearchForOtherTags)
{
    ScenarioWriter beforeEverything;
    beforeEverything.ChunkWithStatedLength(JunkTag, -1, {}).Chunk(chunk_tag::Era, EraData());
    EXPECT_TRUE(FailsAsScenario(Write("negative_chunk_first.pud", beforeEverything), NoEra));

    ScenarioWriter beforeDim;
    beforeDim.Chunk(chunk_tag::Era, EraData())
        .ChunkWithStatedLength(JunkTag, -8, {})
        .Chunk(chunk_tag::Dim, DimData())
        .Chunk(chunk_tag::UnitTypeData, UdtaData())
        .Chunk(chunk_tag::TileMap, MtxmData());
    EXPECT_TRUE(FailsAsScenario(Write("negative_chunk_before_dim.pud", beforeDim), NoDim));

    ScenarioWriter beforeUnits = ValidWithoutUnits();
    beforeUnits.ChunkWithStatedLength(JunkTag, -1, {}).Chunk(chunk_tag::Units, UnitData());
    TPUDData pud;
    ASSERT_TRUE(Loads(pud, Write("negative_chunk_before_unit.pud", beforeUnits)));
    EXPECT_EQ(pud.UnitCount, 0);
    EXPECT_TRUE(pud.Units.empty());
}

TEST_F(ScenarioReader, ASoughtChunkWithANegativeLengthIsFoundButUnusable)
{
    const struct {
        ChunkTag tag;
        std::string message;
    } required[] = {{chunk_tag::Era, NoEra}, {chunk_tag::Dim, NoDim}, {chunk_tag::UnitTypeData, BadUdta},
                    {chunk_tag::TileMap, BadMtxm}};
    const std::vector<uint8_t> valid[] = {EraData(), DimData(), UdtaData(), MtxmData()};
    for (std::size_t broken = 0; broken < std::size(required); ++broken) {
        SCOPED_TRACE(required[broken].message);
        // The chunks in the order they are checked, the broken one followed
        // by a valid one of its tag that must not be reached.
        ScenarioWriter writer;
        for (std::size_t i = 0; i < std::size(required); ++i) {
            if (i == broken)
                writer.ChunkWithStatedLength(required[i].tag, -2, {});
            writer.Chunk(required[i].tag, valid[i]);
        }
        EXPECT_TRUE(FailsAsScenario(Write("negative_required_chunk.pud", writer), required[broken].message));
    }

    ScenarioWriter negativeErax = ValidWithoutUnits();
    negativeErax.ChunkWithStatedLength(chunk_tag::EraX, -2, {3, 0});
    TPUDData pud;
    ASSERT_TRUE(Loads(pud, Write("negative_erax.pud", negativeErax)));
    EXPECT_EQ(pud.Era, 1);

    ScenarioWriter negativeUnit = ValidWithoutUnits();
    negativeUnit.ChunkWithStatedLength(chunk_tag::Units, -8, UnitData());
    ASSERT_TRUE(Loads(pud, Write("negative_unit.pud", negativeUnit)));
    EXPECT_EQ(pud.UnitCount, 0);
    EXPECT_TRUE(pud.Units.empty());
}

TEST_F(ScenarioReader, APartialHeaderAtTheEndEndsASearchWithoutError)
{
    for (std::size_t cut = 1; cut < 8; ++cut) {
        SCOPED_TRACE(cut);
        // the first bytes of a UNIT header: tag, then a length of 8
        std::vector<uint8_t> header{'U', 'N', 'I', 'T', 8, 0, 0, 0};
        header.resize(cut);
        ScenarioWriter writer = ValidWithoutUnits();
        writer.Raw(header);
        TPUDData pud;
        ASSERT_TRUE(Loads(pud, Write("partial_unit_header.pud", writer)));
        EXPECT_EQ(pud.Era, 1);
        EXPECT_EQ(pud.UnitCount, 0);
    }
}

TEST_F(ScenarioReader, AChunkRunningPastTheEndHidesWhatFollowsFromOtherSearches)
{
    ScenarioWriter writer;
    writer.Chunk(chunk_tag::Era, EraData())
        .ChunkWithStatedLength(JunkTag, 1000, {})
        .Chunk(chunk_tag::Dim, DimData())
        .Chunk(chunk_tag::UnitTypeData, UdtaData())
        .Chunk(chunk_tag::TileMap, MtxmData());
    EXPECT_TRUE(FailsAsScenario(Write("overlong_chunk_before_dim.pud", writer), NoDim));
}

TEST_F(ScenarioReader, ASoughtChunkRunningPastTheEndFailsWhenItsDataIsRead)
{
    ScenarioWriter udta;
    udta.Chunk(chunk_tag::Era, EraData())
        .Chunk(chunk_tag::Dim, DimData())
        .ChunkWithStatedLength(chunk_tag::UnitTypeData, 2889, UdtaData());
    EXPECT_TRUE(FailsAsInputOutput(Write("udta_1_byte_short.pud", udta), ReadBeyondEnd));

    ScenarioWriter mtxm = ValidUpToUdta();
    mtxm.ChunkWithStatedLength(chunk_tag::TileMap, 8, {1, 0, 2, 0, 3, 0});
    EXPECT_TRUE(FailsAsInputOutput(Write("mtxm_2_bytes_short_of_its_length.pud", mtxm), ReadBeyondEnd));

    ScenarioWriter unit = ValidWithoutUnits();
    unit.ChunkWithStatedLength(chunk_tag::Units, 16, UnitData());
    EXPECT_TRUE(FailsAsInputOutput(Write("unit_8_bytes_short.pud", unit), ReadBeyondEnd));

    // The 16-bit chunks fail only when fewer than 2 data bytes remain.
    ScenarioWriter eraCut = ValidWithoutUnits();
    eraCut.ChunkWithStatedLength(chunk_tag::EraX, 2, {3});
    EXPECT_TRUE(FailsAsInputOutput(Write("erax_cut_after_1_byte.pud", eraCut), ReadBeyondEnd));

    ScenarioWriter dimCut;
    dimCut.Chunk(chunk_tag::Era, EraData()).ChunkWithStatedLength(chunk_tag::Dim, 4, {2});
    EXPECT_TRUE(FailsAsInputOutput(Write("dim_cut_after_1_byte.pud", dimCut), ReadBeyondEnd));

    ScenarioWriter eraxWithTwoOfFour = ValidWithoutUnits();
    eraxWithTwoOfFour.ChunkWithStatedLength(chunk_tag::EraX, 4, {3, 0});
    TPUDData pud;
    ASSERT_TRUE(Loads(pud, Write("erax_of_4_with_2_bytes_left.pud", eraxWithTwoOfFour)));
    EXPECT_EQ(pud.Era, 3);
}

TEST_F(ScenarioReader, AHugeStatedLengthFailsWithoutAllocatingIt)
{
    ScenarioWriter udta;
    udta.Chunk(chunk_tag::Era, EraData())
        .Chunk(chunk_tag::Dim, DimData())
        .ChunkWithStatedLength(chunk_tag::UnitTypeData, 0x7FFFFFFF, UdtaData());
    ScenarioWriter unit = ValidWithoutUnits();
    unit.ChunkWithStatedLength(chunk_tag::Units, 0x7FFFFFFF, UnitData());
    const std::string udtaPath = Write("udta_stating_2_gb.pud", udta);
    const std::string unitPath = Write("unit_stating_2_gb.pud", unit);

    largestRequest = 0;
    EXPECT_TRUE(FailsAsInputOutput(udtaPath, ReadBeyondEnd));
    EXPECT_TRUE(FailsAsInputOutput(unitPath, ReadBeyondEnd));
    EXPECT_LT(largestRequest.load(), 1u << 20);
}

TEST_F(ScenarioReader, AFailedLoadLeavesNothingOfTheFileBefore)
{
    ScenarioContent content;
    content.Units = {{1, 1, 1, 1, 0}, {2, 2, 2, 2, 0}};
    const std::string good = Write("side_32_two_units.pud", WriteScenario(content));
    ScenarioWriter bad = ValidUpToUdta();
    bad.Chunk(chunk_tag::TileMap, std::vector<uint8_t>(6)).Chunk(chunk_tag::Units, UnitData());
    const std::string broken = Write("mtxm_of_6_bytes_for_side_2.pud", bad);
    const std::string withoutUnits = Write("side_2_no_units.pud", ValidWithoutUnits());

    TPUDData pud;
    ASSERT_TRUE(Loads(pud, good));
    EXPECT_THROW(pud.LoadFromFile(broken), EPUDEx);
    EXPECT_TRUE(HoldsNothing(pud));

    ASSERT_TRUE(Loads(pud, good));
    EXPECT_THROW(pud.LoadFromFile(dir_.File("missing.pud")), EInOutError);
    EXPECT_TRUE(HoldsNothing(pud));

    ASSERT_TRUE(Loads(pud, good));
    ASSERT_TRUE(Loads(pud, withoutUnits));
    EXPECT_EQ(pud.MapSize, 2);
    EXPECT_EQ(pud.TileMap.size(), 4u);
    EXPECT_TRUE(pud.Units.empty());
    EXPECT_EQ(pud.UnitCount, 0);
}

TEST_F(ScenarioReader, FilesAreOpenedForReadingOnly)
{
    const std::string path = Write("read_only.pud", ValidWithoutUnits());
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    TPUDData pud;
    EXPECT_TRUE(Loads(pud, path));
    EXPECT_EQ(pud.MapSize, 2);
}

TEST_F(ScenarioReader, PathsThatNameNoFileFailWithTheOpeningError)
{
    EXPECT_TRUE(FailsAsInputOutput(dir_.Path(), "File access denied"));
    EXPECT_TRUE(FailsAsInputOutput(dir_.File("missing.pud"), "File not found"));
}

TEST(FindChunk, ReturnsTheStatedLengthAndStandsAtTheData)
{
    TempDir dir;
    const std::string path = dir.File("junk_then_negative_dim.pud");
    ScenarioWriter writer;
    writer.Chunk(JunkTag, {9, 9, 9}).ChunkWithStatedLength(chunk_tag::Dim, -5, {0x42});
    writer.WriteTo(path);

    InputFile file(path);
    TPUDData pud;
    EXPECT_EQ(pud.FindChunk(file, chunk_tag::Dim), -5);
    EXPECT_EQ(file.Position(), 8 + 3 + 8);
    EXPECT_EQ(pud.FindChunk(file, JunkTag), 3);
    EXPECT_EQ(file.Position(), 8);
    EXPECT_EQ(pud.FindChunk(file, chunk_tag::Era), -1);
}

TEST(ReadInBlocks, FillsTheBufferAcrossPiecesAndFailsAtTheEnd)
{
    TempDir dir;
    const std::string path = dir.File("4100_counting_bytes.bin");
    std::vector<uint8_t> bytes(4100);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i % 251);
    WriteFileBytes(path, bytes);

    InputFile file(path);
    std::vector<uint8_t> buffer(4100, 0xEE);
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
    // Loads a scenario with the given units and UDTA data.
    TPUDData LoadUnits(const std::vector<UnitPlacement>& units, std::vector<uint8_t> udta)
    {
        ScenarioWriter writer;
        writer.Chunk(chunk_tag::Era, EraData())
            .Chunk(chunk_tag::Dim, DimData())
            .Chunk(chunk_tag::UnitTypeData, std::move(udta))
            .Chunk(chunk_tag::TileMap, MtxmData())
            .Chunk(chunk_tag::Units, UnitsChunkData(units));
        TPUDData pud;
        EXPECT_TRUE(Loads(pud, Write("units.pud", writer)));
        return pud;
    }
};

TEST_F(UnitProperties, AnIndexOutsideTheUnitsIsRefusedWithoutWritingOutputs)
{
    const TPUDData pud = LoadUnits({{}, {}}, UdtaData());
    ASSERT_EQ(pud.UnitCount, 2);
    for (int32_t index : {-1, 2, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(index);
        UnitProps props;
        try {
            pud.GetUnitProps(index, props.X, props.Y, props.Width, props.Height, props.Type, props.Owner, props.Color);
            ADD_FAILURE() << "no error";
        } catch (const EPUDEx& error) {
            EXPECT_EQ(error.Message(), "Unit out of range.");
        }
        EXPECT_EQ(props, UnitProps{});
    }

    const TPUDData neverLoaded;
    EXPECT_THROW(PropsOf(neverLoaded, 0), EPUDEx);
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
    const TPUDData pud = LoadUnits(units, UdtaData());
    ASSERT_EQ(pud.UnitCount, static_cast<int32_t>(std::size(cases)));
    for (int32_t i = 0; i < pud.UnitCount; ++i) {
        SCOPED_TRACE(testing::Message() << "type " << int(cases[i].type) << " owner " << int(cases[i].owner));
        EXPECT_EQ(PropsOf(pud, i).Color, cases[i].color);
    }
}

TEST_F(UnitProperties, SizesComeFromTheTableInTheUnitData)
{
    std::vector<uint8_t> udta(2888);
    // type 0: width 0x0201, height 0x0403 at bytes 2448 .. 2451
    udta[2448] = 0x01;
    udta[2449] = 0x02;
    udta[2450] = 0x03;
    udta[2451] = 0x04;
    // type 109: width 5, height 6 at bytes 2884 .. 2887, the last byte of the least UDTA
    udta[2884] = 5;
    udta[2886] = 6;
    // type 1 keeps a 0 x 0 entry, as some real maps hold
    const TPUDData pud = LoadUnits({{0, 0, 0, 0, 0}, {0, 0, 109, 0, 0}, {0, 0, 1, 0, 0}}, udta);
    EXPECT_EQ(PropsOf(pud, 0).Width, 0x0201);
    EXPECT_EQ(PropsOf(pud, 0).Height, 0x0403);
    EXPECT_EQ(PropsOf(pud, 1).Width, 5);
    EXPECT_EQ(PropsOf(pud, 1).Height, 6);
    EXPECT_EQ(PropsOf(pud, 2).Width, 0);
    EXPECT_EQ(PropsOf(pud, 2).Height, 0);
}

TEST_F(UnitProperties, ATypeBeyondTheStoredTableCoversOneTile)
{
    // UDTA of 2895 bytes: the entry of type 110 (2888 .. 2891) is stored,
    // that of type 111 (2892 .. 2895) lacks its last byte.
    std::vector<uint8_t> udta(2895);
    udta[2888] = 3;
    udta[2890] = 4;
    udta[2892] = 7;
    udta[2894] = 7;
    const TPUDData pud = LoadUnits({{1, 2, 110, 0, 0}, {1, 2, 111, 0, 0}, {1, 2, 255, 0, 0}}, udta);
    EXPECT_EQ(PropsOf(pud, 0), (UnitProps{1, 2, 3, 4, 110, 0, 208}));
    EXPECT_EQ(PropsOf(pud, 1), (UnitProps{1, 2, 1, 1, 111, 0, 208}));
    EXPECT_EQ(PropsOf(pud, 2), (UnitProps{1, 2, 1, 1, 255, 0, 208}));
}

}  // namespace
}  // namespace tessel::test
