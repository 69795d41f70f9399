#include "TestSupport.h"

#include "ArchiveWriter.h"
#include "base/Exceptions.h"
#include "DemoData.h"
#include "minimap/MakeMinimap.h"
#include "PngWriter.h"
#include "scenario/ScenarioChunks.h"
#include "ScenarioWriter.h"
#include "TestEra.h"
#include "ThumbnailPixels.h"
#include "tileset/BuiltinTileset.h"

#include <stdexcept>

namespace tessel::test {
namespace {

using explorer::RenderThumbnailPixels;

ScenarioContent MapWithUnits()
{
    for (const DemoScenario& demo : MakeDemoScenarios())
        if (demo.Content.Side == 64)
            return demo.Content;
    throw std::logic_error("no demo map of 64 tiles");
}

// Red, green and blue of each thumbnail pixel, as DecodedPng::RgbPixels gives them.
std::vector<uint8_t> RgbOf(const explorer::ThumbnailPixels& thumbnail)
{
    std::vector<uint8_t> rgb;
    for (const uint32_t pixel : thumbnail.Pixels) {
        rgb.push_back(static_cast<uint8_t>(pixel >> 16));
        rgb.push_back(static_cast<uint8_t>(pixel >> 8));
        rgb.push_back(static_cast<uint8_t>(pixel));
    }
    return rgb;
}

class ThumbnailPixelsTest : public ::testing::Test {
protected:
    void SetUp() override { WriteScenario(MapWithUnits()).WriteTo(Scenario()); }

    std::string Scenario() const { return dir.File("map.pud"); }
    std::string Settings() const { return dir.File("tessel.ini"); }

    // The minimap with the built-in tileset (or the archive) as tessel-cli
    // writes it, read back.
    DecodedPng Reference(int32_t side, bool units, const std::string& archive = "") const
    {
        TMinimapSettings settings;
        settings.ImageSizes.fill(side);
        settings.DspUnits = units;
        settings.MainDat = archive;
        MinimapBackend backend = archive.empty() ? BuiltinTilesetBackend() : DefaultMinimapBackend();
        backend.WriteImage = WritePngFile;
        const std::string output = dir.File("reference-" + std::to_string(side) + (units ? "u" : "") + ".png");
        EXPECT_TRUE(MakeMinimap(Scenario(), output, settings, backend));
        return DecodePng(output);
    }

    TempDir dir;
};

TEST_F(ThumbnailPixelsTest, ShowsWhatTesselCliDrawsAtTheSideAskedFor)
{
    for (const int32_t side : {1, 31, 64, 256}) {
        const auto thumbnail = RenderThumbnailPixels(Scenario(), side, "");
        ASSERT_EQ(thumbnail.Side, side);
        ASSERT_EQ(thumbnail.Pixels.size(), static_cast<std::size_t>(side) * side);
        EXPECT_TRUE(RgbOf(thumbnail) == Reference(side, true).RgbPixels()) << side;
        // Opaque everywhere: the shell ignores alpha of an RGB thumbnail, other readers may not.
        for (const uint32_t pixel : thumbnail.Pixels)
            ASSERT_EQ(pixel >> 24, 0xFFu);
    }
}

TEST_F(ThumbnailPixelsTest, AskedSidesAreCappedAt1024)
{
    EXPECT_EQ(RenderThumbnailPixels(Scenario(), 1024, "").Side, 1024);
    const auto large = RenderThumbnailPixels(Scenario(), 4096, "");
    EXPECT_EQ(large.Side, 1024);
    EXPECT_EQ(large.Pixels.size(), 1024u * 1024u);
}

TEST_F(ThumbnailPixelsTest, ASideBelowOneIsRefused)
{
    for (const int32_t side : {0, -1, -1000}) {
        try {
            RenderThumbnailPixels(Scenario(), side, "");
            ADD_FAILURE() << "no failure for side " << side;
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), "Invalid image size (" + std::to_string(side) + ").");
        }
    }
}

TEST_F(ThumbnailPixelsTest, UnitsAreDrawnAsTheSettingsSay)
{
    WriteText(Settings(), "[Settings]\nDspUnits=0\n");
    const auto withoutUnits = RenderThumbnailPixels(Scenario(), 128, Settings());
    EXPECT_TRUE(RgbOf(withoutUnits) == Reference(128, false).RgbPixels());
    EXPECT_FALSE(RgbOf(withoutUnits) == Reference(128, true).RgbPixels()) << "the map has units to leave out";

    WriteText(Settings(), "[Settings]\nDspUnits=1\n");
    EXPECT_TRUE(RgbOf(RenderThumbnailPixels(Scenario(), 128, Settings())) == Reference(128, true).RgbPixels());
}

TEST_F(ThumbnailPixelsTest, TheArchiveOfTheSettingsGivesTheColoursWhenItCanBeRead)
{
    const std::string archive = dir.File("MAINDAT.WAR");
    ArchiveWriter writer;
    for (int32_t era = 0; era < 4; ++era)
        writer.Era(era, MakeTestEra(static_cast<uint8_t>(era + 5)));
    writer.WriteTo(archive);
    WriteText(Settings(), "[Settings]\nMainDat=" + archive + "\n");
    const auto thumbnail = RenderThumbnailPixels(Scenario(), 96, Settings());
    EXPECT_TRUE(RgbOf(thumbnail) == Reference(96, true, archive).RgbPixels());
    EXPECT_FALSE(RgbOf(thumbnail) == Reference(96, true).RgbPixels()) << "the archive's colours are its own";
}

TEST_F(ThumbnailPixelsTest, AnArchiveThatCannotBeReadGivesWayToTheBuiltinTileset)
{
    WriteText(dir.File("MAINDAT.WAR"), "not an archive");
    for (const std::string& archive : {dir.File("MAINDAT.WAR"), dir.File("missing.war")}) {
        WriteText(Settings(), "[Settings]\nMainDat=" + archive + "\n");
        EXPECT_TRUE(RgbOf(RenderThumbnailPixels(Scenario(), 64, Settings())) == Reference(64, true).RgbPixels())
            << archive;
    }
}

TEST_F(ThumbnailPixelsTest, DamagedAndOversizedScenariosFail)
{
    WriteText(Scenario(), "not a scenario");
    EXPECT_THROW(RenderThumbnailPixels(Scenario(), 64, ""), EPUDEx);

    std::vector<uint8_t> large = WriteScenario(MapWithUnits()).Bytes();
    large.resize(static_cast<std::size_t>(MaximumScenarioSize) + 1);
    WriteFileBytes(Scenario(), large);
    try {
        RenderThumbnailPixels(Scenario(), 64, "");
        ADD_FAILURE() << "a scenario over the size limit was read";
    } catch (const EPUDEx& error) {
        EXPECT_EQ(error.Message(), ScenarioTooLargeText);
    }
}

}  // namespace
}  // namespace tessel::test
