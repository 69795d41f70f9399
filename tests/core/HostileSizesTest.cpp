// Inputs that state sizes far beyond what they hold, or ask for the largest
// images: each fails with its message, or renders, without asking for more
// memory than the file or the stated entry needs and without work that
// grows with units times area.
#include "AllocationProbe.h"
#include "TestSupport.h"

#include "ArchiveWriter.h"
#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "HostileScenarios.h"
#include "image/BmpWriter.h"
#include "minimap/MakeMinimap.h"
#include "minimap/MinimapRenderer.h"
#include "scenario/OwnerColors.h"
#include "scenario/ScenarioInfo.h"
#include "ScenarioWriter.h"
#include "TestEra.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sys/mman.h>

namespace tessel::test {
namespace {

constexpr std::size_t Megabyte = 1024 * 1024;
// The largest scenario file that is read, and the message for a larger one.
constexpr int64_t ScenarioLimit = 4 * Megabyte;
const std::string TooLarge = "Invalid PUD (file larger than 4 MiB).";
constexpr int64_t TwoGigabytes = int64_t{1} << 31;

// The message of a failed load, or "loaded".
std::string FailureOf(const std::function<void()>& load)
{
    try {
        load();
    } catch (const Exception& error) {
        return error.Message();
    }
    return "loaded";
}

std::string LoadFailure(const std::string& path)
{
    return FailureOf([&] { TPUDData().LoadFromFile(path); });
}

// The same through the catalogue reader.
std::string CatalogueFailure(const std::string& path)
{
    return FailureOf([&] { TScenarioInfo().LoadFromFile(path); });
}

// The bytes this process has read through system calls so far (the rchar
// line of /proc/self/io); none where the system does not tell.
std::optional<int64_t> BytesReadByProcess()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    int64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return std::nullopt;
}

ScenarioWriter HeadChunks(uint16_t side)
{
    return ScenarioWriter().Chunk(chunk_tag::Era, EraChunkData(0)).Chunk(chunk_tag::Dimensions, DimensionsChunkData(side, side));
}

TEST(HostileSizes, ScenarioChunksStatingGigabytesFailWithoutAskingForThem)
{
    TempDir dir;
    const std::vector<uint8_t> tiles32 = TileMapChunkData(std::vector<TileCode>(32 * 32, 1));
    const struct {
        const char* name;
        ScenarioWriter writer;
        const char* message;
    } cases[] = {
        {"udta_stating_2_gb.pud",
         HeadChunks(32).ChunkWithStatedLength(chunk_tag::UnitTypeData, 0x7FFFFFFF, UnitDataChunkData()),
         "Read beyond end of file"},
        {"unit_stating_2_gb.pud",
         HeadChunks(32)
             .Chunk(chunk_tag::UnitTypeData, UnitDataChunkData())
             .Chunk(chunk_tag::TileMap, tiles32)
             .ChunkWithStatedLength(chunk_tag::Units, 0x7FFFFFF8, UnitsChunkData({{1, 1, 0, 0, 0}})),
         "Read beyond end of file"},
        // 2 x 32767 x 32767 = 2147352578 bytes: the exact length, but not there.
        {"mtxm_of_side_32767_holding_4_bytes.pud",
         HeadChunks(32767)
             .Chunk(chunk_tag::UnitTypeData, UnitDataChunkData())
             .ChunkWithStatedLength(chunk_tag::TileMap, 2147352578, {0, 0, 0, 0}),
         "Read beyond end of file"},
        // Side 65535 needs an 8 GB MTXM, which no 32-bit length can state.
        {"side_65535.pud",
         HeadChunks(65535)
             .Chunk(chunk_tag::UnitTypeData, UnitDataChunkData())
             .ChunkWithStatedLength(chunk_tag::TileMap, 0x7FFFFFFE, {0, 0, 0, 0}),
         "Invalid PUD (missing or invalid MTXM chunk)."},
    };
    for (const auto& c : cases) {
        const std::string path = dir.File(c.name);
        c.writer.WriteTo(path);
        AllocationProbe probe;
        EXPECT_EQ(LoadFailure(path), c.message) << c.name;
        EXPECT_LT(probe.LargestRequest(), Megabyte) << c.name;
    }
}

// The costly files of a review, each a few kilobytes on disk: before the
// limit, the first asked for 4 GB, the second for 6.8 GB, and the third
// took seconds to walk. Refused at once now, by both readers, and without
// a buffer of any size.
TEST(HostileSizes, AScenarioLargerThanTheLimitIsRefusedBeforeAnyOfItIsRead)
{
    TempDir dir;
    const struct {
        const char* name;
        std::function<void(const std::string&)> write;
    } cases[] = {
        {"side_32767_with_its_2_gb_mtxm.pud", [](const std::string& path) { hostile::WriteMapOfSide(path, 32767); }},
        {"unit_chunk_of_2_gb_zeros.pud", [](const std::string& path) { hostile::WriteZeroUnits(path, TwoGigabytes); }},
        {"2_gb_of_empty_chunks.pud",
         [](const std::string& path) { hostile::WriteEmptyChunksAfterMap(path, TwoGigabytes); }},
        {"24_mb_of_units.pud", [](const std::string& path) { hostile::WriteZeroUnits(path, 24 * Megabyte); }},
        {"one_byte_over_the_limit.pud",
         [](const std::string& path) { hostile::WriteEmptyChunksAfterMap(path, ScenarioLimit + 1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(c.name);
        c.write(path);
        // A refused request fails as exhausted memory would, so a reader
        // that still asks for gigabytes fails here without taking them.
        AllocationProbe probe(/*ceiling=*/64 * Megabyte);
        EXPECT_EQ(LoadFailure(path), TooLarge);
        EXPECT_EQ(CatalogueFailure(path), TooLarge);
        EXPECT_LT(probe.LargestRequest(), 256 * 1024u);
    }
}

// The same kinds of file at exactly the limit are read, each buffer no
// larger than the file.
TEST(HostileSizes, TheCostliestScenariosAtTheLimitLoadWithBuffersNoLargerThanTheFile)
{
    TempDir dir;
    const std::string largest = dir.File("largest_map.pud");
    const uint16_t side = hostile::WriteLargestMap(largest, ScenarioLimit);
    EXPECT_EQ(side, 1447);
    const std::string units = dir.File("units_to_the_limit.pud");
    hostile::WriteZeroUnits(units, ScenarioLimit);
    const std::string empty = dir.File("empty_chunks_to_the_limit.pud");
    hostile::WriteEmptyChunksAfterMap(empty, ScenarioLimit);

    AllocationProbe probe;
    TPUDData scenario;
    scenario.LoadFromFile(largest);
    EXPECT_EQ(scenario.MapSize, side);
    EXPECT_EQ(scenario.TileMap.size(), std::size_t{side} * side);
    scenario.LoadFromFile(units);
    EXPECT_EQ(scenario.UnitCount, (ScenarioLimit - hostile::SmallMapSize() - 8) / 8);
    TScenarioInfo info;
    info.LoadFromFile(empty);
    EXPECT_EQ(info.MapSize, 32);
    EXPECT_EQ(info.UnitCount, 0);
    EXPECT_FALSE(info.Version);
    EXPECT_LE(probe.LargestRequest(), std::size_t{ScenarioLimit});
}

// Every chunk search once started again at byte 0: a file of empty chunks
// was walked once for each chunk that it lacks, nine times by the
// catalogue reader. One walk now serves every search.
TEST(HostileSizes, TheChunksOfAFileAreWalkedOnceForAllSearches)
{
    TempDir dir;
    const std::string path = dir.File("empty_chunks_to_the_limit.pud");
    hostile::WriteEmptyChunksAfterMap(path, ScenarioLimit);
    const std::optional<int64_t> before = BytesReadByProcess();
    if (!before)
        GTEST_SKIP() << "the system does not count the bytes a process reads (/proc/self/io)";
    TScenarioInfo info;
    info.LoadFromFile(path);
    const int64_t read = *BytesReadByProcess() - *before;
    EXPECT_GE(read, ScenarioLimit);
    EXPECT_LT(read, ScenarioLimit + ScenarioLimit / 4);
}

// A chunk longer than any scenario that is read can hold asks for no
// buffer, also in a file that no reader would open.
TEST(HostileSizes, AChunkLongerThanTheLimitIsExhaustedMemoryWithoutARequest)
{
    TempDir dir;
    const std::string path = dir.File("8_mb_of_zeros.bin");
    WriteFileBytes(path, {});
    std::filesystem::resize_file(path, 8 * Megabyte);
    InputFile file(path);
    AllocationProbe probe;
    EXPECT_THROW(ReadChunkData(file, static_cast<int32_t>(ScenarioLimit + 1)), EOutOfMemory);
    EXPECT_LT(probe.LargestRequest(), Megabyte);
    EXPECT_EQ(ReadChunkData(file, static_cast<int32_t>(ScenarioLimit)).size(), std::size_t{ScenarioLimit});
}

// UnitCount is a public field; a caller that sets it beyond the stored
// records gets "Unit out of range." at the first missing one, and the
// rectangles ask for room for the stored ones only.
TEST(HostileSizes, AUnitCountBeyondTheStoredRecordsAsksForNoRoomForThem)
{
    TPUDData scenario;
    scenario.MapSize = 32;
    scenario.Units = UnitsChunkData({{1, 1, 0, 0, 0}});
    scenario.UnitCount = 0x7FFFFFFF;
    AllocationProbe probe(/*ceiling=*/64 * Megabyte);
    try {
        UnitRectangles(scenario, 256);
        ADD_FAILURE() << "no failure";
    } catch (const EPUDEx& error) {
        EXPECT_EQ(error.Message(), "Unit out of range.");
    }
    EXPECT_LT(probe.LargestRequest(), 1024u);
}

// The painter's hardest file at the limit: half a million units stacked
// over every row but the first column, under one small unit per row. Each
// row shows the small unit, then the topmost of the stack.
TEST(HostileSizes, HalfAMillionStackedUnitsAtTheLimitShowTheTopmostOnes)
{
    TempDir dir;
    constexpr uint16_t side = 256;
    const std::string path = dir.File("stacked.pud");
    const int32_t units = hostile::WriteStackedUnits(path, ScenarioLimit, side);
    ASSERT_GT(units, 500000);
    TPUDData scenario;
    scenario.LoadFromFile(path);
    ASSERT_EQ(scenario.UnitCount, units);
    const TTerrainData terrain;  // no pictures: the terrain is colour 0
    TMinimapSettings settings;
    settings.ImageSizes.fill(side);
    settings.DspUnits = true;

    AllocationProbe probe;
    const MinimapRaster raster = RenderMinimap(scenario, terrain, settings);
    // One painted rectangle for each unit record, and nothing larger.
    EXPECT_LE(probe.LargestRequest(), static_cast<std::size_t>(units) * sizeof(PaintedRectangle));
    const uint8_t stackTop = OwnerColors[static_cast<std::size_t>(units - side - 1) % 8];
    for (int row = 0; row < side; ++row) {
        const uint8_t* line = raster.Pixels.data() + static_cast<std::size_t>(row) * side;
        ASSERT_EQ(line[0], 0) << "row " << row;
        ASSERT_EQ(line[1], OwnerColors[7]) << "row " << row;
        ASSERT_TRUE(std::all_of(line + 2, line + side, [&](uint8_t c) { return c == stackTop; })) << "row " << row;
    }
}

TEST(HostileSizes, ArchiveEntriesStating16MegabytesAskOnlyForWhatTheyCanHold)
{
    TempDir dir;
    const EraTables tables = MakeTestEra(4);
    constexpr uint32_t longest = 0x00FFFFFF;
    // Era 0 with the MMT, entry 4, as given.
    auto writeArchive = [&](const std::string& name, uint32_t mmtHeader, std::vector<uint8_t> mmt) {
        ArchiveWriter archive;
        archive.Entry(2, tables.Palette, true).Entry(3, tables.MMI, true).Entry(5, tables.TMI, true);
        archive.RawEntry(4, mmtHeader, std::move(mmt)).WriteTo(dir.File(name));
        return dir.File(name);
    };
    // Stored data must lie in the file: 10 bytes cannot hold 16 MB.
    const std::string stored = writeArchive("stored.war", longest, std::vector<uint8_t>(10, 1));
    {
        ErrorBoxRecorder boxes;
        AllocationProbe probe;
        TTerrainData terrain;
        EXPECT_THROW(terrain.LoadFromMaindat(stored, 0), Exception);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Error extracting entry #4: Read beyond end of file"});
        EXPECT_LT(probe.LargestRequest(), Megabyte);
    }
    // A compressed stream of three bytes may expand to 16 MB: that much, and
    // no more, is asked for.
    const std::string compressed = writeArchive("compressed.war", 0x20000000 | longest, {0xFF, 9, 8});
    AllocationProbe probe;
    TTerrainData terrain;
    terrain.LoadFromMaindat(compressed, 0);
    EXPECT_EQ(terrain.MMTSize, longest);
    EXPECT_EQ(terrain.MMT[0], 9);
    EXPECT_EQ(terrain.MMT[1], 8);
    EXPECT_EQ(probe.LargestRequest(), std::size_t{longest});
}

// Every unit is 65535 tiles square and starts at tile column 1, on rows
// that step down the map: a plain painter would fill most of the image once
// per unit, 10^11 pixel writes in all.
TEST(HostileSizes, AHundredThousandHugeUnitsPaintEachPixelOnce)
{
    TempDir dir;
    constexpr int unitCount = 100000;
    constexpr int side = 1024;  // 32 pixels per tile on a 32-tile map
    ScenarioContent content;
    content.Tiles.resize(32 * 32);
    for (std::size_t k = 0; k < content.Tiles.size(); ++k)
        content.Tiles[k] = static_cast<TileCode>(k);
    content.UnitSizes = {{1, 65535, 65535}};
    for (int k = 0; k < unitCount; ++k)
        content.Units.push_back({1, static_cast<uint16_t>(k % 32), 1, static_cast<uint8_t>(k % 8), 0});
    WriteScenario(content).WriteTo(dir.File("crowded.pud"));
    ArchiveWriter().Era(0, MakeTestEra(2)).WriteTo(dir.File("MAINDAT.WAR"));

    TPUDData scenario;
    scenario.LoadFromFile(dir.File("crowded.pud"));
    ASSERT_EQ(scenario.UnitCount, unitCount);
    TTerrainData terrain;
    terrain.LoadFromMaindat(dir.File("MAINDAT.WAR"), 0);
    TMinimapSettings settings;
    settings.ImageSizes[0] = side;
    settings.DspUnits = false;
    const MinimapRaster bare = RenderMinimap(scenario, terrain, settings);
    settings.DspUnits = true;
    AllocationProbe probe;
    const MinimapRaster painted = RenderMinimap(scenario, terrain, settings);
    EXPECT_LT(probe.LargestRequest(), 2 * Megabyte);

    for (int row = 0; row < side; ++row) {
        // The last unit whose top (32 pixels per tile row) is at or above row.
        int top = unitCount - 1;
        while (top % 32 > row / 32)
            --top;
        const uint8_t color = OwnerColors[static_cast<std::size_t>(top % 8)];
        const uint8_t* line = painted.Pixels.data() + static_cast<std::size_t>(row) * side;
        const uint8_t* terrainLine = bare.Pixels.data() + static_cast<std::size_t>(row) * side;
        ASSERT_TRUE(std::equal(line, line + 32, terrainLine)) << "tile column 0 of row " << row;
        ASSERT_TRUE(std::all_of(line + 32, line + side, [&](uint8_t c) { return c == color; })) << "row " << row;
    }
}

// Side 65533 is refused before any raster is asked for. The raster of side
// 65532 (4294443024 bytes) overflows 32-bit signed arithmetic; it is asked
// for in one block, refused here so that no 4 GB are touched.
TEST(HostileSizes, TheLargestImageAsksForItsWholeRasterInOneBlockAndALargerOneIsRefused)
{
    TempDir dir;
    TMinimapSettings settings;
    settings.MainDat = dir.File("MAINDAT.WAR");
    ArchiveWriter().Era(0, MakeTestEra(1)).WriteTo(settings.MainDat);
    WriteScenario(ScenarioContent{}).WriteTo(dir.File("map.pud"));
    auto make = [&](int32_t side) {
        settings.ImageSizes[0] = side;
        return MakeMinimap(dir.File("map.pud"), dir.File("map.bmp"), settings, DefaultMinimapBackend());
    };
    ErrorBoxRecorder boxes;
    {
        AllocationProbe probe;
        EXPECT_FALSE(make(65533));
        EXPECT_LT(probe.LargestRequest(), Megabyte);
    }
    {
        AllocationProbe probe(/*ceiling=*/Megabyte * 64);
        EXPECT_FALSE(make(65532));
        EXPECT_EQ(probe.LargestRequest(), std::size_t{65532} * 65532);
    }
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Error: Invalid image size (65533).", "Error: Out of memory"}));
    EXPECT_FALSE(FileExists(dir.File("map.bmp")));
}

// A 65532-square raster mapped but never touched beyond its last row: the
// writer's header holds the 32-bit sizes, and the first row in the file is
// the raster's last. A full disk stops the write right after it.
TEST(HostileSizes, A65532SquareBitmapStartsWithTheRastersLastRow)
{
    constexpr std::size_t side = 65532;
    const std::size_t bytes = side * side;
    struct Mapping {
        void* start;
        std::size_t length;
        ~Mapping()
        {
            if (start != MAP_FAILED)
                ::munmap(start, length);
        }
    } mapping{::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0),
              bytes};
    if (mapping.start == MAP_FAILED)
        GTEST_SKIP() << "cannot reserve 4 GB of address space";
    auto* raster = static_cast<uint8_t*>(mapping.start);
    uint8_t* lastRow = raster + (side - 1) * side;
    for (std::size_t column = 0; column < side; ++column)
        lastRow[column] = static_cast<uint8_t>(column % 251 + 1);

    TempDir dir;
    const std::string path = dir.File("huge.bmp");
    BitmapPalette palette{};
    ErrorBoxRecorder boxes;
    std::vector<uint8_t> written;
    {
        ReplacingOutputFile file(path);
        ScopedWriteLimit limit(BmpPixelOffset + side + 100);
        EXPECT_FALSE(WriteBmpImage(raster, side, side, file, palette));
        file.Flush();  // what the disk took before it was full
        const auto entries = FolderEntries(dir.Path());
        ASSERT_EQ(entries.size(), 1u);  // the temporary file, still open
        written = ReadFileBytes(dir.File(entries[0]));
    }
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Error writing BMP file: Disk full"});
    EXPECT_TRUE(FolderEntries(dir.Path()).empty());

    ASSERT_EQ(written.size(), BmpPixelOffset + side + 100);
    EXPECT_EQ(ReadU32LE(&written[2]), 4294444102u);   // file size: 65532 x 65532 + 1078
    EXPECT_EQ(ReadU32LE(&written[18]), side);         // width
    EXPECT_EQ(ReadU32LE(&written[22]), side);         // height
    EXPECT_EQ(ReadU32LE(&written[34]), 4294443024u);  // image size
    EXPECT_TRUE(std::equal(lastRow, lastRow + side, written.begin() + BmpPixelOffset));
    EXPECT_TRUE(std::all_of(written.end() - 100, written.end(), [](uint8_t b) { return b == 0; }));
}

}  // namespace
}  // namespace tessel::test
