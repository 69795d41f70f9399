#include "TestSupport.h"

#include "ArchiveWriter.h"
#include "base/ByteOrder.h"
#include "minimap/MakeMinimap.h"
#include "minimap/MinimapRenderer.h"
#include "ScenarioWriter.h"
#include "TestEra.h"

#include <filesystem>

namespace tessel::test {
namespace {

// A folder with an archive of all four eras and a settings record that
// points at it.
class MakeMinimapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ArchiveWriter archive;
        for (int era = 0; era < 4; ++era)
            archive.Era(era, MakeTestEra(static_cast<uint8_t>(era + 1)));
        archive.WriteTo(ArchivePath());
        settings.MainDat = ArchivePath();
        settings.ImageSizes = {160, 160, 160, 160};
        settings.DspUnits = true;
    }

    std::string ArchivePath() const { return dir.File("MAINDAT.WAR"); }

    std::string WriteMap(const std::string& name, const ScenarioContent& content) const
    {
        const std::string path = dir.File(name);
        WriteScenario(content).WriteTo(path);
        return path;
    }

    static ScenarioContent SmallMap(uint16_t era = 0)
    {
        ScenarioContent content;
        content.Era = era;
        content.Side = 32;
        content.Tiles.resize(32 * 32);
        for (std::size_t k = 0; k < content.Tiles.size(); ++k)
            content.Tiles[k] = static_cast<TileCode>(k % 300);
        content.Units = {{3, 4, 10, 2, 0}, {20, 20, 11, 5, 0}};
        return content;
    }

    bool Make(const std::string& scenario, const std::string& output) const
    {
        return MakeMinimap(scenario, output, settings, DefaultMinimapBackend());
    }

    TempDir dir;
    TMinimapSettings settings;
};

TEST_F(MakeMinimapTest, WritesTheRenderedRasterAsABitmap)
{
    const std::string scenarioPath = WriteMap("map.pud", SmallMap(1));
    const std::string output = dir.File("map.bmp");
    ErrorBoxRecorder boxes;
    ASSERT_TRUE(Make(scenarioPath, output));
    EXPECT_TRUE(boxes.Texts().empty());

    TPUDData scenario;
    scenario.LoadFromFile(scenarioPath);
    TTerrainData terrain;
    terrain.LoadFromMaindat(ArchivePath(), 1);
    const MinimapRaster raster = RenderMinimap(scenario, terrain, settings);
    const BitmapPalette palette = MakeBitmapPalette(terrain);

    const auto bytes = ReadFileBytes(output);
    ASSERT_EQ(bytes.size(), 26678u);
    for (int k = 0; k < 256; ++k) {
        EXPECT_EQ(bytes[54 + 4 * k], palette[3 * k + 2]);
        EXPECT_EQ(bytes[54 + 4 * k + 2], palette[3 * k]);
    }
    // The last raster row (the map's bottom edge) comes first in the file.
    for (int fileRow = 0; fileRow < 160; ++fileRow)
        ASSERT_TRUE(std::equal(bytes.begin() + 1078 + fileRow * 160, bytes.begin() + 1078 + (fileRow + 1) * 160,
                               raster.Pixels.begin() + (159 - fileRow) * 160))
            << "file row " << fileRow;
}

// The raster rows of a bitmap written by MakeMinimap, row 0 first.
std::vector<uint8_t> BitmapRaster(const std::string& path, int side)
{
    const auto bytes = ReadFileBytes(path);
    const int stride = (side + 3) & ~3;
    EXPECT_EQ(bytes.size(), 1078u + static_cast<std::size_t>(stride) * side);
    std::vector<uint8_t> raster;
    for (int row = side - 1; row >= 0 && bytes.size() >= 1078u + static_cast<std::size_t>(stride) * side; --row)
        raster.insert(raster.end(), bytes.begin() + 1078 + row * stride, bytes.begin() + 1078 + row * stride + side);
    return raster;
}

// Counts that fill the painter's 64-bit words exactly once lost every unit.
TEST_F(MakeMinimapTest, UnitsShowAsWhenPaintedOneAfterAnotherForCountsAroundMultiplesOf64)
{
    for (const int count : {63, 64, 65, 4096}) {
        SCOPED_TRACE(::testing::Message() << count << " units");
        ScenarioContent content = SmallMap();
        content.UnitSizes = {{10, 2, 2}, {11, 4, 3}, {12, 1, 1}};
        content.Units.clear();
        for (int k = 0; k < count; ++k)
            content.Units.push_back({static_cast<uint16_t>((k * 7) % 30), static_cast<uint16_t>((k * 13) % 29),
                                     static_cast<uint8_t>(10 + k % 3), static_cast<uint8_t>(k % 16), 0});
        const std::string scenarioPath = WriteMap("units.pud", content);
        const std::string output = dir.File("units.bmp");
        ASSERT_TRUE(Make(scenarioPath, output));

        // The terrain alone, then each unit's rectangle in turn.
        TPUDData scenario;
        scenario.LoadFromFile(scenarioPath);
        ASSERT_EQ(scenario.UnitCount, count);
        TTerrainData terrain;
        terrain.LoadFromMaindat(ArchivePath(), 0);
        TMinimapSettings terrainOnly = settings;
        terrainOnly.DspUnits = false;
        std::vector<uint8_t> expected = RenderMinimap(scenario, terrain, terrainOnly).Pixels;
        constexpr int n = 160, w = 32 * 32;
        for (int32_t index = 0; index < scenario.UnitCount; ++index) {
            uint16_t x, y, width, height;
            uint8_t type, owner, color;
            scenario.GetUnitProps(index, x, y, width, height, type, owner, color);
            const int left = x * 32 * n / w, top = y * 32 * n / w;
            const int right = left + (width * 32 - 1) * n / w, bottom = top + (height * 32 - 1) * n / w;
            for (int row = std::max(top, 0); row <= std::min(bottom, n - 1); ++row)
                for (int column = std::max(left, 0); column <= std::min(right, n - 1); ++column)
                    expected[static_cast<std::size_t>(row) * n + column] = color;
        }
        EXPECT_TRUE(BitmapRaster(output, n) == expected);
    }
}

// A backend that keeps each era's decoded pictures, as the command-line
// renderer does, writes the bitmap that a call decoding nothing ahead
// writes: below and above the image side from which a call decodes itself.
TEST_F(MakeMinimapTest, PicturesKeptByTheBackendGiveTheSameBitmap)
{
    const std::string map = WriteMap("map.pud", SmallMap(2));
    MinimapBackend keeping = DefaultMinimapBackend();
    std::vector<int32_t> erasAsked;
    keeping.LoadPictures = [&](const std::string& archive, int32_t era) {
        erasAsked.push_back(era);
        TTerrainData terrain;
        terrain.LoadFromMaindat(archive, era);
        return std::make_shared<const TilePictures>(terrain);
    };
    for (const int32_t side : {40, 149, 150, 161}) {
        SCOPED_TRACE(::testing::Message() << "side " << side);
        settings.ImageSizes = {side, side, side, side};
        ASSERT_TRUE(Make(map, dir.File("fresh.bmp")));
        ASSERT_TRUE(MakeMinimap(map, dir.File("kept.bmp"), settings, keeping));
        EXPECT_EQ(ReadFileBytes(dir.File("kept.bmp")), ReadFileBytes(dir.File("fresh.bmp")));
    }
    EXPECT_EQ(erasAsked, (std::vector<int32_t>{2, 2, 2, 2}));
}

TEST_F(MakeMinimapTest, WithoutAnArchivePathItAsksForOneAndOpensNothing)
{
    settings.MainDat.clear();
    ErrorBoxRecorder boxes;
    EXPECT_FALSE(Make(dir.File("never-opened.pud"), dir.File("never-written.bmp")));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "You have to locate your MAINDAT.WAR file first. Click \"Options\"."});
    EXPECT_FALSE(FileExists(dir.File("never-written.bmp")));
}

// Every failure before the raster is complete leaves the output path alone.
TEST_F(MakeMinimapTest, FailuresAreReportedOnceAndLeaveTheOutputAsItWas)
{
    const std::string output = dir.File("kept.bmp");
    const std::vector<uint8_t> earlier{1, 2, 3};
    WriteFileBytes(output, earlier);

    ScenarioWriter noDim;
    noDim.Chunk(chunk_tag::Era, EraChunkData(0));
    noDim.WriteTo(dir.File("nodim.pud"));

    ScenarioContent badEra = SmallMap();
    badEra.Era = 7;

    struct Case {
        std::string scenario;
        std::string box;
    };
    const std::vector<Case> cases = {
        {dir.File("missing.pud"), "Error: File not found"},
        {dir.File("nodim.pud"), "Error: Invalid PUD (no DIM chunk)."},
        {WriteMap("era7.pud", badEra), "Error: Invalid era (7)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        ErrorBoxRecorder boxes;
        EXPECT_FALSE(Make(c.scenario, output));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.box});
        EXPECT_EQ(ReadFileBytes(output), earlier);
    }
}

TEST_F(MakeMinimapTest, TheScenarioIsReadBeforeTheArchiveIsOpened)
{
    settings.MainDat = dir.File("no-archive-here.war");
    ErrorBoxRecorder boxes;
    EXPECT_FALSE(Make(dir.File("missing.pud"), dir.File("x.bmp")));
    EXPECT_FALSE(Make(WriteMap("good.pud", SmallMap()), dir.File("x.bmp")));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Error: File not found", "Error: File not found"}));
    EXPECT_FALSE(FileExists(dir.File("x.bmp")));
}

TEST_F(MakeMinimapTest, ADamagedEntryIsReportedByTheEntryReaderBeforeTheLoadFails)
{
    // Era 0's MMT entry (4) states an expanded length of 0.
    const EraTables tables = MakeTestEra(1);
    ArchiveWriter damaged;
    damaged.Entry(2, tables.Palette, true).Entry(3, tables.MMI, true).Entry(5, tables.TMI, true);
    damaged.RawEntry(4, /*header: L = 0, stored*/ 0, std::vector<uint8_t>(16, 0));
    damaged.WriteTo(ArchivePath());

    ErrorBoxRecorder boxes;
    EXPECT_FALSE(Make(WriteMap("map.pud", SmallMap(0)), dir.File("x.bmp")));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Error extracting entry #4: Out of memory.",
                                                       "Error: Cannot read MMT from maindat.war"}));
    EXPECT_FALSE(FileExists(dir.File("x.bmp")));
}

TEST_F(MakeMinimapTest, ImageSideZeroOrOutOfRangeCreatesNoFile)
{
    const std::string scenario = WriteMap("map.pud", SmallMap());
    ErrorBoxRecorder boxes;
    settings.ImageSizes[0] = 0;
    EXPECT_FALSE(Make(scenario, dir.File("zero.bmp")));
    settings.ImageSizes[0] = -5;
    EXPECT_FALSE(Make(scenario, dir.File("negative.bmp")));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Error: Out of memory.", "Error: Invalid image size (-5)."}));
    EXPECT_FALSE(FileExists(dir.File("zero.bmp")));
    EXPECT_FALSE(FileExists(dir.File("negative.bmp")));
}

TEST_F(MakeMinimapTest, ReadOnlyInputsRender)
{
    const std::string scenario = WriteMap("locked.pud", SmallMap());
    std::filesystem::permissions(scenario, std::filesystem::perms::owner_read);
    std::filesystem::permissions(ArchivePath(), std::filesystem::perms::owner_read);
    ErrorBoxRecorder boxes;
    EXPECT_TRUE(Make(scenario, dir.File("locked.bmp")));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(MakeMinimapTest, AFullDiskKeepsTheEarlierBitmap)
{
    const std::string scenario = WriteMap("map.pud", SmallMap());
    const std::string output = dir.File("map.bmp");
    ASSERT_TRUE(Make(scenario, output));
    const auto earlier = ReadFileBytes(output);

    settings.DspUnits = false;  // a different picture, had it been written
    ErrorBoxRecorder boxes;
    {
        ScopedWriteLimit limit(5000);
        EXPECT_FALSE(Make(scenario, output));
    }
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Error writing BMP file: Disk full"});
    EXPECT_EQ(ReadFileBytes(output), earlier);
}

TEST_F(MakeMinimapTest, TheProcessWideSettingsAreReadAtEveryCall)
{
    const std::string scenario = WriteMap("map.pud", SmallMap());
    const TMinimapSettings saved = MinimapSettings;
    MinimapSettings = settings;
    MinimapSettings.ImageSizes[0] = 40;
    const bool made = MakeMinimap(scenario, dir.File("small.bmp"));
    MinimapSettings = saved;
    ASSERT_TRUE(made);
    EXPECT_EQ(ReadFileBytes(dir.File("small.bmp")).size(), 1078u + 40u * 40u);
}

}  // namespace
}  // namespace tessel::test
