// What the web page asks of the core, built natively: rasters equal to the
// bitmaps MakeMinimap writes, the messages it shows, and the eras of the
// chosen archive kept between maps without changing what any map shows.
#include "TestSupport.h"

#include "ArchiveWriter.h"
#include "DemoData.h"
#include "PageMinimaps.h"
#include "ScenarioWriter.h"
#include "TestEra.h"
#include "minimap/MakeMinimap.h"
#include "tileset/BuiltinTileset.h"

namespace tessel::test {
namespace {

using web::MinimapRequest;
using web::PageMinimap;
using web::PageMinimaps;

// The palette indexes and the colour table of a bitmap file as written.
struct BitmapContent {
    int32_t Side = 0;
    std::vector<uint8_t> Pixels;  // row 0 (the top) first
    BitmapPalette Palette{};
};

BitmapContent ReadBitmap(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    BitmapContent bitmap;
    bitmap.Side = static_cast<int32_t>(bytes.at(18) | bytes.at(19) << 8);
    const std::size_t stride = BmpStride(static_cast<uint16_t>(bitmap.Side));
    for (int32_t y = 0; y < bitmap.Side; ++y)
        for (int32_t x = 0; x < bitmap.Side; ++x)
            bitmap.Pixels.push_back(bytes.at(BmpPixelOffset + (bitmap.Side - 1 - y) * stride + x));
    for (std::size_t color = 0; color < 256; ++color)
        for (std::size_t channel = 0; channel < 3; ++channel)
            bitmap.Palette[3 * color + channel] = bytes.at(BmpFileHeaderSize + BmpInfoHeaderSize + 4 * color + 2 - channel);
    return bitmap;
}

class PageMinimapsTest : public testing::Test {
protected:
    std::string WriteArchive(const std::string& name, uint8_t seed) const
    {
        ArchiveWriter archive;
        for (int32_t era = 0; era < 4; ++era)
            archive.Era(era, MakeTestEra(static_cast<uint8_t>(seed + era), 32));
        archive.WriteTo(dir.File(name));
        return dir.File(name);
    }

    std::string WriteDemoMap(std::size_t index) const
    {
        const DemoScenario demo = MakeDemoScenarios().at(index);
        WriteScenario(demo.Content).WriteTo(dir.File(demo.FileName));
        return dir.File(demo.FileName);
    }

    // What MakeMinimap writes and shows for the request, with the backend
    // that reads the archive afresh for every map.
    std::pair<bool, std::vector<std::string>> MadeByMakeMinimap(const MinimapRequest& request,
                                                                const std::string& output) const
    {
        TMinimapSettings settings;
        settings.ImageSizes.fill(request.Side);
        settings.DspUnits = request.Units;
        settings.MainDat = request.ArchivePath;
        ErrorBoxRecorder boxes;
        const bool made = MakeMinimap(request.ScenarioPath, output, settings,
                                      request.ArchivePath.empty() ? BuiltinTilesetBackend() : DefaultMinimapBackend());
        return {made, boxes.Texts()};
    }

    TempDir dir;
    PageMinimaps minimaps;
};

// Sides across the map sides and the image-size boundaries, with and without
// units, with the built-in tileset and with an archive.
TEST_F(PageMinimapsTest, RendersTheRasterAndPaletteOfTheBitmapThatMakeMinimapWrites)
{
    const std::string archive = WriteArchive("MAINDAT.WAR", 5);
    for (std::size_t map = 0; map < MakeDemoScenarios().size(); ++map) {
        const std::string scenario = WriteDemoMap(map);
        for (const int32_t side : {1, 31, 32, 33, 100, 256})
            for (const bool units : {true, false})
                for (const std::string& archivePath : {std::string(), archive}) {
                    const MinimapRequest request{scenario, side, units, archivePath};
                    SCOPED_TRACE(scenario + " at " + std::to_string(side) + (units ? " with units" : "") +
                                 (archivePath.empty() ? "" : " from the archive"));
                    const PageMinimap rendered = minimaps.Render(request);
                    ASSERT_TRUE(rendered.Made);
                    EXPECT_TRUE(rendered.Messages.empty());
                    ASSERT_TRUE(MadeByMakeMinimap(request, dir.File("expected.bmp")).first);
                    const BitmapContent expected = ReadBitmap(dir.File("expected.bmp"));
                    EXPECT_EQ(rendered.Side, expected.Side);
                    EXPECT_EQ(rendered.Pixels, expected.Pixels);
                    EXPECT_EQ(rendered.Palette, expected.Palette);

                    const PageMinimap written = minimaps.WriteBitmap(request, dir.File("page.bmp"));
                    EXPECT_TRUE(written.Made);
                    EXPECT_EQ(ReadFileBytes(dir.File("page.bmp")), ReadFileBytes(dir.File("expected.bmp")));
                }
    }
}

TEST_F(PageMinimapsTest, AMapThatFailsGivesTheMessagesMakeMinimapShowsAndNoImage)
{
    const std::string noDimension = dir.File("no_dim.pud");
    ScenarioWriter().Chunk(chunk_tag::Era, EraChunkData(0)).WriteTo(noDimension);
    const std::string map = WriteDemoMap(0);
    const std::string archive = WriteArchive("MAINDAT.WAR", 9);
    const MinimapRequest requests[] = {
        {noDimension, 256, true, ""},
        {dir.File("missing.pud"), 256, true, ""},
        {map, -5, true, ""},
        {map, 0, true, ""},
        {map, 256, true, dir.File("missing.war")},
        {noDimension, 256, true, archive},
    };
    for (const MinimapRequest& request : requests) {
        SCOPED_TRACE(request.ScenarioPath + " at " + std::to_string(request.Side));
        const auto [made, boxes] = MadeByMakeMinimap(request, dir.File("expected.bmp"));
        ASSERT_FALSE(made);
        const PageMinimap rendered = minimaps.Render(request);
        EXPECT_FALSE(rendered.Made);
        EXPECT_EQ(rendered.Messages, boxes);
        EXPECT_TRUE(rendered.Pixels.empty());
        const PageMinimap written = minimaps.WriteBitmap(request, dir.File("page.bmp"));
        EXPECT_FALSE(written.Made);
        EXPECT_EQ(written.Messages, boxes);
        EXPECT_FALSE(FileExists(dir.File("page.bmp")));
    }
    EXPECT_EQ(minimaps.Render(requests[0]).Messages, std::vector<std::string>{"Error: Invalid PUD (no DIM chunk)."});
}

TEST_F(PageMinimapsTest, AnArchiveIsReadOnceUntilItIsForgottenOrAnotherIsChosen)
{
    const std::string map = WriteDemoMap(0);
    const std::string first = WriteArchive("MAINDAT.WAR", 1);
    const PageMinimap drawn = minimaps.Render({map, 64, true, first});
    ASSERT_TRUE(drawn.Made);

    // The file changes under the same path: the eras already read stay.
    WriteArchive("MAINDAT.WAR", 40);
    EXPECT_EQ(minimaps.Render({map, 64, true, first}).Palette, drawn.Palette);
    minimaps.ForgetArchive();
    const PageMinimap redrawn = minimaps.Render({map, 64, true, first});
    EXPECT_NE(redrawn.Palette, drawn.Palette);
    ASSERT_TRUE(MadeByMakeMinimap({map, 64, true, first}, dir.File("expected.bmp")).first);
    EXPECT_EQ(redrawn.Palette, ReadBitmap(dir.File("expected.bmp")).Palette);

    // Another path is another archive.
    const std::string second = WriteArchive("other.war", 1);
    EXPECT_EQ(minimaps.Render({map, 64, true, second}).Palette, drawn.Palette);
}

// The forest palette entry has the length 0: every forest map shows both
// boxes, as when the archive is read afresh for it; the other eras draw.
TEST_F(PageMinimapsTest, AnEraThatCannotBeReadFailsEveryMapOfItWithTheSameMessages)
{
    ArchiveWriter writer;
    for (int32_t era = 1; era < 4; ++era)
        writer.Era(era, MakeTestEra(static_cast<uint8_t>(era), 16));
    writer.RawEntry(EraFirstEntries[0], 0, {});
    const std::string archive = dir.File("MAINDAT.WAR");
    writer.WriteTo(archive);

    std::size_t forestMaps = 0;
    for (std::size_t map = 0; map < MakeDemoScenarios().size(); ++map) {
        const MinimapRequest request{WriteDemoMap(map), 128, true, archive};
        const auto [made, boxes] = MadeByMakeMinimap(request, dir.File("expected.bmp"));
        for (int time = 0; time < 2; ++time) {
            const PageMinimap rendered = minimaps.Render(request);
            EXPECT_EQ(rendered.Made, made) << request.ScenarioPath;
            EXPECT_EQ(rendered.Messages, boxes) << request.ScenarioPath;
        }
        if (!made) {
            ++forestMaps;
            EXPECT_EQ(boxes, (std::vector<std::string>{"Error extracting entry #2: Out of memory.",
                                                       "Error: Cannot read palette from maindat.war"}));
        }
    }
    EXPECT_EQ(forestMaps, 2u);
}

TEST_F(PageMinimapsTest, AnEraOutsideZeroToThreeFailsAsMakeMinimapFailsIt)
{
    ScenarioContent content = MakeDemoScenarios().front().Content;
    const std::string archive = WriteArchive("MAINDAT.WAR", 3);
    for (const uint16_t era : {4, 7, 65535}) {
        content.Era = era;
        const std::string map = dir.File("era.pud");
        WriteScenario(content).WriteTo(map);
        for (const std::string& archivePath : {std::string(), archive}) {
            const MinimapRequest request{map, 64, true, archivePath};
            const PageMinimap rendered = minimaps.Render(request);
            EXPECT_FALSE(rendered.Made);
            EXPECT_EQ(rendered.Messages, MadeByMakeMinimap(request, dir.File("expected.bmp")).second);
        }
    }
}

TEST_F(PageMinimapsTest, FactsAreThoseOfTheCatalogueReaderAndNoneForAFileItRefuses)
{
    const std::string map = WriteDemoMap(1);
    const std::optional<TScenarioInfo> facts = web::ScenarioFacts(map);
    ASSERT_TRUE(facts.has_value());
    TScenarioInfo info;
    info.LoadFromFile(map);
    EXPECT_EQ(facts->MapSize, info.MapSize);
    EXPECT_EQ(facts->Era, info.Era);
    EXPECT_EQ(facts->Players, info.Players);
    EXPECT_EQ(facts->Description, info.Description);
    EXPECT_EQ(facts->Gold, info.Gold);

    const std::string broken = dir.File("broken.pud");
    WriteFileBytes(broken, {1, 2, 3});
    EXPECT_FALSE(web::ScenarioFacts(broken).has_value());
    EXPECT_FALSE(web::ScenarioFacts(dir.File("missing.pud")).has_value());
}

}  // namespace
}  // namespace tessel::test
