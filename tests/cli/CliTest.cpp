#include "CliRun.h"
#include "TestSupport.h"

#include "ArchiveWriter.h"
#include "base/ByteOrder.h"
#include "Cli.h"
#include "EraCache.h"
#include "InfoCommand.h"
#include "RenderJobs.h"
#include "ScenarioWriter.h"
#include "system/FaultInjection.h"
#include "TestEra.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

// The lines that do not begin with a blank: in info's text form, the
// first line of each scenario.
std::vector<std::string> FirstLines(const std::string& text)
{
    std::vector<std::string> lines = Lines(text);
    std::erase_if(lines, [](const std::string& line) { return line.rfind(' ', 0) == 0; });
    return lines;
}

ScenarioContent MapOfEra(uint16_t era, uint16_t side)
{
    ScenarioContent content;
    content.Era = era;
    content.Side = side;
    content.Tiles.resize(static_cast<std::size_t>(side) * side);
    for (std::size_t k = 0; k < content.Tiles.size(); ++k)
        content.Tiles[k] = static_cast<TileCode>((k * 7) % 2600);
    content.Units = {{1, 1, 3, 0, 0}, {5, 6, 4, 1, 0}, {10, 2, 92, 15, 0}};
    content.UnitSizes = {{3, 2, 2}, {4, 3, 1}};
    return content;
}

// A folder holding an archive of the four eras and a settings-free command line.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ArchiveWriter archive;
        for (int era = 0; era < 4; ++era)
            archive.Era(era, MakeTestEra(static_cast<uint8_t>(10 + era)));
        archive.WriteTo(Archive());
        fs::create_directories(dir.File("maps"));
    }

    std::string Archive() const { return dir.File("MAINDAT.WAR"); }

    std::string Map(const std::string& relative, const ScenarioContent& content) const
    {
        const std::string path = dir.File(relative);
        fs::create_directories(fs::path(path).parent_path());
        WriteScenario(content).WriteTo(path);
        return path;
    }

    CliRun Render(std::vector<std::string> extra) const
    {
        std::vector<std::string> args{"render", "--no-settings", "-q", "-a", Archive(), "-o", dir.File("out")};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunTesselCli(args);
    }

    TempDir dir;
};

TEST(CliOptions, UsageErrorsExitWithStatusTwoAndSayWhy)
{
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{}, "Usage: tessel-cli"},
        {{"paint"}, "unknown command \"paint\""},
        {{"render"}, "render needs at least one scenario file or folder"},
        {{"render", "--bogus", "a.pud"}, "unknown option --bogus"},
        {{"render", "a.pud", "-o"}, "option -o needs a value"},
        {{"render", "--size", "0", "a.pud"}, "--size takes an image side from 1 to 65532, not \"0\""},
        {{"render", "--size64=70000", "a.pud"}, "--size64 takes an image side from 1 to 65532"},
        {{"render", "--format", "gif", "a.pud"}, "--format takes bmp or png, not \"gif\""},
        {{"render", "-j", "0", "a.pud"}, "--jobs takes a number from 1 to 1024"},
        {{"render", "--units=yes", "a.pud"}, "option --units takes no value"},
        {{"render", "--settings", "x.ini", "--no-settings", "a.pud"}, "exclude each other"},
        {{"render", "--builtin-tileset", "-a", "M.WAR", "a.pud"}, "--archive and --builtin-tileset exclude each other"},
        {{"info"}, "info needs at least one scenario file or folder"},
        {{"demo"}, "demo needs exactly one folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const CliRun run = RunTesselCli(c.args);
        EXPECT_EQ(run.Status, 2);
        EXPECT_NE(run.Error.find(c.says), std::string::npos) << run.Error;
    }
}

TEST(CliOptions, EveryCommandHasHelpAndTheProgramItsVersion)
{
    for (const std::string command : {"render", "info", "demo"}) {
        const CliRun run = RunTesselCli({command, "--help"});
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Out.rfind("Usage: tessel-cli " + command, 0), 0u) << run.Out;
    }
    const CliRun version = RunTesselCli({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out.rfind("tessel-cli 1.1", 0), 0u);
}

TEST_F(CliTest, WithoutAnArchiveTheBuiltInTilesetRendersAfterOneNotice)
{
    Map("maps/a.pud", MapOfEra(0, 32));
    Map("maps/b.pud", MapOfEra(3, 64));
    const std::string emptySetting = dir.File("tessel.ini");
    std::ofstream(emptySetting) << "[Settings]\nMainDat=\n";
    const CliRun chosen =
        RunTesselCli({"render", "-q", "--no-settings", "--builtin-tileset", "-o", dir.File("chosen"), dir.File("maps")});
    ASSERT_EQ(chosen.Status, 0) << chosen.Error;
    EXPECT_EQ(chosen.Error, "");

    for (const auto& settingsArgs : {std::vector<std::string>{"--no-settings"},
                                     std::vector<std::string>{"--settings", emptySetting}}) {
        SCOPED_TRACE(settingsArgs.back());
        std::vector<std::string> args{"render", "-o", dir.File("out"), dir.File("maps")};
        args.insert(args.begin() + 1, settingsArgs.begin(), settingsArgs.end());
        const CliRun run = RunTesselCli(args);
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Error, std::string(cli::NoArchiveNotice) + "\n");
        for (const std::string name : {"a.bmp", "b.bmp"})
            EXPECT_EQ(ReadFileBytes(dir.File("out/" + name)), ReadFileBytes(dir.File("chosen/" + name))) << name;
    }
    EXPECT_EQ(RunTesselCli({"render", "--builtin-tileset", "-a", Archive(), dir.File("maps")}).Status, 2);
}

TEST_F(CliTest, ANamedArchiveThatFailsKeepsItsMessagesAndNeverFallsBack)
{
    Map("maps/a.pud", MapOfEra(0, 32));
    const std::string missing = dir.File("MISSING.WAR");
    const std::string settings = dir.File("tessel.ini");
    std::ofstream(settings) << "[Settings]\nMainDat=" << missing << "\n";
    for (const auto& archiveArgs : {std::vector<std::string>{"--no-settings", "-a", missing},
                                    std::vector<std::string>{"--settings", settings}}) {
        SCOPED_TRACE(archiveArgs.back());
        std::vector<std::string> args{"render", "-o", dir.File("out"), dir.File("maps")};
        args.insert(args.begin() + 1, archiveArgs.begin(), archiveArgs.end());
        const CliRun run = RunTesselCli(args);
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(Lines(run.Error), std::vector<std::string>{"a.pud: Error: File not found"});
        EXPECT_FALSE(FileExists(dir.File("out/a.bmp")));
    }
}

TEST_F(CliTest, FoldersAreSearchedRecursivelyAndKeepTheirSubFolders)
{
    Map("maps/a.pud", MapOfEra(0, 32));
    Map("maps/deep/er/B.PUD", MapOfEra(1, 64));
    Map("maps/notes.txt", MapOfEra(0, 32));
    const std::string single = Map("single.Pud", MapOfEra(2, 96));

    const CliRun run = Render({dir.File("maps"), single});
    EXPECT_EQ(run.Status, 0) << run.Error;
    EXPECT_EQ(run.Error, "");
    EXPECT_TRUE(FileExists(dir.File("out/a.bmp")));
    EXPECT_TRUE(FileExists(dir.File("out/deep/er/B.bmp")));
    EXPECT_TRUE(FileExists(dir.File("out/single.bmp")));
    EXPECT_FALSE(FileExists(dir.File("out/notes.bmp")));
}

TEST_F(CliTest, ASecondInputForTheSameOutputGetsANumberedNameAndOverwritesNothing)
{
    const std::string first = Map("one/map.pud", MapOfEra(0, 32));
    const std::string second = Map("two/map.pud", MapOfEra(1, 64));

    const CliRun run = Render({first, second});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Error, "");
    EXPECT_EQ(FolderEntries(dir.File("out")), (std::vector<std::string>{"map-2.bmp", "map.bmp"}));
    // Each picture is its own map's: compare with a run of each alone.
    const auto written = ReadFileBytes(dir.File("out/map.bmp"));
    const auto writtenSecond = ReadFileBytes(dir.File("out/map-2.bmp"));
    ASSERT_EQ(Render({first}).Status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("out/map.bmp")), written);
    ASSERT_EQ(Render({second}).Status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("out/map.bmp")), writtenSecond);
    EXPECT_NE(written, writtenSecond);
}

TEST_F(CliTest, EachFailureIsOneLineAndTheRunGoesOn)
{
    ScenarioWriter noDim;
    noDim.Chunk(chunk_tag::Era, EraChunkData(0));
    noDim.WriteTo(dir.File("maps/a_broken.pud"));
    Map("maps/b_good.pud", MapOfEra(0, 32));
    Map("maps/c_era9.pud", MapOfEra(9, 32));

    const CliRun run = Render({"-j", "2", dir.File("maps"), dir.File("maps/missing.pud")});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(Lines(run.Error), (std::vector<std::string>{
                                  "a_broken.pud: Error: Invalid PUD (no DIM chunk).",
                                  "c_era9.pud: Error: Invalid era (9).",
                                  "missing.pud: Error: File not found",
                              }));
    EXPECT_TRUE(FileExists(dir.File("out/b_good.bmp")));
}

TEST_F(CliTest, ADamagedEntryIsReportedForEveryScenarioOfItsEraWithOrWithoutTheCache)
{
    const EraTables tables = MakeTestEra(3);
    ArchiveWriter damaged;
    damaged.Entry(2, tables.Palette, true).Entry(3, tables.MMI, true).Entry(5, tables.TMI, true);
    damaged.RawEntry(4, 0, std::vector<uint8_t>(8, 0));  // MMT of length 0
    damaged.WriteTo(Archive());
    Map("maps/a.pud", MapOfEra(0, 32));
    Map("maps/b.pud", MapOfEra(0, 64));
    const std::string a = "a.pud", b = "b.pud";

    const std::vector<std::string> expected{
        a + ": Error extracting entry #4: Out of memory.", a + ": Error: Cannot read MMT from maindat.war",
        b + ": Error extracting entry #4: Out of memory.", b + ": Error: Cannot read MMT from maindat.war"};
    for (const bool cached : {true, false}) {
        SCOPED_TRACE(cached ? "cached" : "no cache");
        std::vector<std::string> extra{dir.File("maps")};
        if (!cached)
            extra.push_back("--no-cache");
        const CliRun run = Render(extra);
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(Lines(run.Error), expected);
    }
}

TEST_F(CliTest, TheEraCacheGivesTheSameBytesAsLoadingEveryTime)
{
    for (uint16_t k = 0; k < 8; ++k)
        Map("maps/m" + std::to_string(k) + ".pud", MapOfEra(k % 4, static_cast<uint16_t>(32 * (1 + k % 4))));

    ASSERT_EQ(Render({"-j", "2", "-o", dir.File("cached"), dir.File("maps")}).Status, 0);
    ASSERT_EQ(Render({"-j", "1", "--no-cache", "-o", dir.File("fresh"), dir.File("maps")}).Status, 0);
    const auto names = FolderEntries(dir.File("cached"));
    ASSERT_EQ(names.size(), 8u);
    EXPECT_EQ(FolderEntries(dir.File("fresh")), names);
    for (const auto& name : names)
        EXPECT_EQ(ReadFileBytes(dir.File("cached/" + name)), ReadFileBytes(dir.File("fresh/" + name))) << name;
}

TEST_F(CliTest, TheEraCacheDecodesAnErasPicturesOnceAndNoneForAnEraThatFailed)
{
    cli::EraCache cache;
    const std::shared_ptr<const TTerrainData> terrain = cache.Get(Archive(), 1);
    const std::shared_ptr<const TilePictures> pictures = cache.GetPictures(Archive(), 1);
    ASSERT_TRUE(pictures);
    EXPECT_EQ(cache.GetPictures(Archive(), 1), pictures);
    for (const TileCode tile : {0, 1, 17, 2527, 2528})
        for (const uint32_t y : {0u, 13u, 31u})
            for (uint32_t x = 0; x < TileSide; ++x)
                ASSERT_EQ(pictures->Color(tile, x, y), terrain->ColorOfTile(tile, x, y)) << tile << " " << x << " " << y;

    const std::string missing = dir.File("missing.war");
    {
        ErrorBoxRecorder boxes;
        EXPECT_THROW(cache.Get(missing, 0), Exception);
    }
    EXPECT_EQ(cache.GetPictures(missing, 0), nullptr);
}

TEST_F(CliTest, APngHoldsTheBitmapsPaletteAndPixels)
{
    Map("maps/m.pud", MapOfEra(2, 32));
    ASSERT_EQ(Render({"--size", "161", dir.File("maps")}).Status, 0);
    ASSERT_EQ(Render({"--size", "161", "-f", "png", dir.File("maps")}).Status, 0);

    const auto bmp = ReadFileBytes(dir.File("out/m.bmp"));
    const DecodedPng png = DecodePng(dir.File("out/m.png"));
    ASSERT_EQ(png.Width, 161u);
    ASSERT_EQ(png.Height, 161u);
    // Pixels refer to the same colours: compare the colour each pixel shows.
    for (uint32_t row = 0; row < 161; ++row)
        for (uint32_t column = 0; column < 161; ++column) {
            const uint8_t bmpIndex = bmp[1078 + (160 - row) * 164 + column];
            const uint8_t pngIndex = png.Pixels[row * 161 + column];
            for (int channel = 0; channel < 3; ++channel)
                ASSERT_EQ(png.Palette[3 * pngIndex + channel], bmp[54 + 4 * bmpIndex + 2 - channel])
                    << "row " << row << " column " << column;
        }
}

TEST_F(CliTest, SettingsFileDefaultsYieldToFlags)
{
    Map("maps/m.pud", MapOfEra(0, 32));
    const std::string settings = dir.File("tessel.ini");
    std::ofstream(settings) << "[Settings]\nSize32=40\nDspUnits=0\nMainDat=" << Archive() << "\n";

    auto run = RunTesselCli({"render", "-q", "--settings", settings, "-o", dir.File("a"), dir.File("maps")});
    ASSERT_EQ(run.Status, 0) << run.Error;
    EXPECT_EQ(ReadFileBytes(dir.File("a/m.bmp")).size(), 1078u + 40u * 40u);

    run = RunTesselCli({"render", "-q", "--settings", settings, "--size32", "48", "-o", dir.File("b"), dir.File("maps")});
    ASSERT_EQ(run.Status, 0) << run.Error;
    EXPECT_EQ(ReadFileBytes(dir.File("b/m.bmp")).size(), 1078u + 48u * 48u);

    // Units off in the file, on by the flag: the pictures differ.
    run = RunTesselCli({"render", "-q", "--settings", settings, "--units", "-o", dir.File("c"), dir.File("maps")});
    ASSERT_EQ(run.Status, 0) << run.Error;
    EXPECT_NE(ReadFileBytes(dir.File("c/m.bmp")), ReadFileBytes(dir.File("a/m.bmp")));

    run = RunTesselCli({"render", "--settings", dir.File("nowhere.ini"), dir.File("maps")});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Error.find("nowhere.ini"), std::string::npos);
}

TEST_F(CliTest, AFolderWithoutScenariosIsAFailure)
{
    fs::create_directories(dir.File("empty/sub"));
    Map("empty/sub/notes.txt", MapOfEra(0, 32));
    for (const std::string command : {"render", "info"}) {
        SCOPED_TRACE(command);
        const CliRun run = command == "render" ? RunTesselCli({"render", "--no-settings", "-a", Archive(), "-o",
                                                               dir.File("out"), dir.File("empty")})
                                               : RunTesselCli({"info", dir.File("empty")});
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Error, (command == "info" ? dir.File("empty") : "empty") + ": no scenario files found\n");
        if (command == "render") {
            EXPECT_EQ(run.Out.rfind("written 0, failed 1, ", 0), 0u) << run.Out;
        }
    }
}

// Each folder that cannot be read is a failure line; the search goes on.
TEST_F(CliTest, AFolderThatCannotBeReadIsAFailureAndTheRestIsRendered)
{
    Map("maps/a.pud", MapOfEra(0, 32));
    Map("maps/locked/b.pud", MapOfEra(0, 32));
    Map("maps/z/c.pud", MapOfEra(0, 32));
    Map("locked/d.pud", MapOfEra(0, 32));
    fs::create_directories(dir.File("out"));
    fs::permissions(dir.File("out"), fs::perms::all);
    fs::permissions(dir.File("maps/locked"), fs::perms::none);
    fs::permissions(dir.File("locked"), fs::perms::none);
    RunWithoutPrivileges(dir, [&] {
        // Two folders: each one's outputs and names go below its own name.
        const CliRun render = Render({dir.File("maps"), dir.File("locked")});
        EXPECT_EQ(render.Status, 1);
        EXPECT_EQ(Lines(render.Error), (std::vector<std::string>{"maps/locked: Error: File access denied",
                                                                "locked: Error: File access denied"}));
        EXPECT_EQ(FolderEntries(dir.File("out")), std::vector<std::string>{"maps"});
        EXPECT_EQ(FolderEntries(dir.File("out/maps")), (std::vector<std::string>{"a.bmp", "z"}));

        const CliRun info = RunTesselCli({"info", "--long", dir.File("maps"), dir.File("locked")});
        EXPECT_EQ(info.Status, 1);
        EXPECT_EQ(Lines(info.Error), (std::vector<std::string>{dir.File("maps/locked") + ": Error: File access denied",
                                                              dir.File("locked") + ": Error: File access denied"}));
        EXPECT_EQ(FirstLines(info.Out), (std::vector<std::string>{
                                            dir.File("maps/a.pud") + ": era 0 (forest), 32 x 32 tiles, 3 units",
                                            dir.File("maps/z/c.pud") + ": era 0 (forest), 32 x 32 tiles, 3 units"}));
    });
}

// A failure that escapes a job on a worker fails that job alone; it never
// ends the program by std::terminate.
TEST_F(CliTest, AFailureEscapingAJobFailsThatScenarioAlone)
{
    for (const char* name : {"a", "b", "c", "d"})
        Map("maps/" + std::string(name) + ".pud", MapOfEra(0, 32));
    RunInChildProcess([&] {
        fault_injection::RunAtEachJobStart([](const std::string& scenario) {
            if (scenario.ends_with("b.pud"))
                throw std::runtime_error("worker failed");
            if (scenario.ends_with("c.pud"))
                throw 42;
        });
        const CliRun run = Render({"-j", "2", dir.File("maps")});
        fault_injection::RunAtEachJobStart({});
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(Lines(run.Error),
                  (std::vector<std::string>{"b.pud: Error: worker failed", "c.pud: Error: unknown failure"}));
        EXPECT_EQ(FolderEntries(dir.File("out")), (std::vector<std::string>{"a.bmp", "d.bmp"}));
    });
}

// With no thread to be had, the run ends at once with a line, before any work.
TEST_F(CliTest, AThreadThatCannotBeStartedEndsTheRunWithALine)
{
    Map("maps/a.pud", MapOfEra(0, 32));
    fs::create_directories(dir.File("out"));
    RunWithoutPrivileges(dir, [&] {
        const rlimit none{0, 0};
        ASSERT_EQ(::setrlimit(RLIMIT_NPROC, &none), 0);
        for (const char* jobs : {"1", "2"}) {
            const CliRun run = Render({"-j", jobs, dir.File("maps")});
            EXPECT_EQ(run.Status, 1);
            EXPECT_EQ(run.Error, "tessel-cli: cannot start a thread: Resource temporarily unavailable\n");
        }
        EXPECT_EQ(FolderEntries(dir.File("out")), std::vector<std::string>{});
    });
}

TEST_F(CliTest, TheSummaryLineCountsWrittenAndFailed)
{
    Map("maps/m.pud", MapOfEra(0, 32));
    const CliRun run = RunTesselCli({"render", "--no-settings", "-a", Archive(), "-o", dir.File("out"),
                                     dir.File("maps"), dir.File("missing.pud")});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out.rfind("written 1, failed 1, ", 0), 0u) << run.Out;
}

// File names are bytes: each line must still be valid JSON, with every byte
// sequence that is not UTF-8 shown as U+FFFD.
TEST_F(CliTest, InfoJsonIsValidWhateverBytesTheNamesHold)
{
    const std::string replacement = "\xEF\xBF\xBD";
    const struct {
        std::string name;
        std::string shown;
    } cases[] = {
        {"latin1-\xE9t\xE9.pud", "latin1-" + replacement + "t" + replacement + ".pud"},
        {"cut-\xC3.pud", "cut-" + replacement + ".pud"},
        {"bytes-\xFF\xFE.pud", "bytes-" + replacement + replacement + ".pud"},
        {"utf8-\xC3\xA9t\xC3\xA9.pud", "utf8-\xC3\xA9t\xC3\xA9.pud"},
        {"quote\"back\\slash\ttab.pud", "quote\"back\\slash\ttab.pud"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        const std::string path = Map("named/" + c.name, MapOfEra(1, 64));
        const CliRun run = RunTesselCli({"info", "--json", path});
        EXPECT_EQ(run.Status, 0);
        ASSERT_TRUE(nlohmann::json::accept(run.Out)) << run.Out;
        const auto line = nlohmann::json::parse(run.Out);
        EXPECT_EQ(line["path"], dir.File("named/" + c.shown));
        EXPECT_EQ(line["side"], 64);
    }
}

TEST_F(CliTest, InfoCountsTheTilesTheBuiltInTilesetHasNoPictureFor)
{
    ScenarioContent known = MapOfEra(1, 32);
    known.Tiles.assign(32 * 32, 0x0010);  // light water
    known.Tiles[3] = 0x0000;              // names no class
    known.Tiles[40] = 0x0A00;             // past the wall pieces
    known.Tiles[41] = 2600;               // past the highest tile code
    ScenarioContent unknownEra = known;
    unknownEra.Era = 7;
    const std::string knownPath = Map("maps/known.pud", known);
    const std::string unknownPath = Map("maps/unknown.pud", unknownEra);

    const CliRun text = RunTesselCli({"info", "--long", "--builtin-tileset", knownPath, unknownPath});
    EXPECT_EQ(text.Status, 0);
    EXPECT_EQ(FirstLines(text.Out),
              (std::vector<std::string>{
                  knownPath + ": era 1 (winter), 32 x 32 tiles, 3 units, 3 tiles without a picture in the built-in tileset",
                  unknownPath +
                      ": era 7 (unknown), 32 x 32 tiles, 3 units, 1024 tiles without a picture in the built-in tileset"}));
    const CliRun json = RunTesselCli({"info", "--json", "--builtin-tileset", knownPath});
    // The count stands where it always stood, before the catalogue's fields.
    EXPECT_EQ(json.Out.rfind("{\"path\":\"" + knownPath + "\"" +
                                 ",\"era\":1,\"era_name\":\"winter\",\"side\":32,\"units\":3,\"tiles_without_picture\":3,"
                                 "\"version\":null,",
                             0),
              0u)
        << json.Out;
}

TEST_F(CliTest, InfoShowsWhatAScenarioHoldsAndUnknownWhereAChunkIsMissing)
{
    ScenarioContent full = MapOfEra(2, 32);
    full.Metadata.Version = 0x13;
    full.Metadata.Description = "Isles \"of\" \x81" "ber";  // 0x81: u with diaeresis
    full.Metadata.Owners = SlotBytes{0x05, 0x04, 0x03, 0x06, 0x01, 0x03, 0x03, 0x03};
    full.Metadata.Races = SlotBytes{0, 1, 0, 2, 1};
    full.Metadata.Gold = SlotWords{5000, 2000};
    full.Metadata.Lumber = SlotWords{300};
    full.Metadata.Oil = SlotWords{0, 65535};
    full.Units.push_back({7, 9, unit_type::HumanStart, 0, 0});
    full.Units.push_back({1, 2, unit_type::GoldMine, 15, 30});
    full.Units.push_back({20, 21, unit_type::OrcStart, 4, 0});
    const std::string fullPath = Map("maps/full.pud", full);
    ScenarioContent bare = MapOfEra(0, 32);
    bare.Metadata.Gold = SlotWords{};
    const std::string barePath = Map("maps/bare.pud", bare);

    const CliRun text = RunTesselCli({"info", "--long", fullPath, barePath});
    EXPECT_EQ(text.Status, 0);
    std::vector<std::string> expected{
        fullPath + ": era 2 (wasteland), 32 x 32 tiles, 6 units",
        "  version 19; 3 players; 2 gold mines holding 75000 gold; 0 oil patches",
        "  description: \"Isles \"of\" \xC3\xBC" "ber\"",
        "  slot 1: human, human; gold 5000, lumber 300, oil 0; start 7,9",
        "  slot 2: computer, orc; gold 2000, lumber 0, oil 65535; start none",
        "  slot 3: nobody, human; gold 0, lumber 0, oil 0; start none",
        "  slot 4: rescue passive, neutral; gold 0, lumber 0, oil 0; start none",
        "  slot 5: computer, orc; gold 0, lumber 0, oil 0; start 20,21",
    };
    for (int slot = 6; slot <= 8; ++slot)
        expected.push_back("  slot " + std::to_string(slot) + ": nobody, human; gold 0, lumber 0, oil 0; start none");
    expected.push_back(barePath + ": era 0 (forest), 32 x 32 tiles, 3 units");
    expected.push_back("  version unknown; players unknown; 1 gold mine holding 0 gold; 0 oil patches");
    expected.push_back("  description: unknown");
    for (int slot = 1; slot <= 8; ++slot)
        expected.push_back("  slot " + std::to_string(slot) +
                           ": unknown, unknown; gold 0, lumber unknown, oil unknown; start none");
    EXPECT_EQ(Lines(text.Out), expected);

    const CliRun json = RunTesselCli({"info", "--json", barePath});
    const std::string unknownSlot =
        R"({"controller":null,"race":null,"race_fixed":null,"gold":0,"lumber":null,"oil":null,"start":null})";
    std::string slots;
    for (int slot = 0; slot < 8; ++slot)
        slots += (slot ? "," : "") + unknownSlot;
    EXPECT_EQ(json.Out, "{\"path\":\"" + barePath +
                            R"(","era":0,"era_name":"forest","side":32,"units":3,"version":null,"description":null,)"
                            R"("players":null,"human_seats":null,"computer_seats":null,"rescue_slots":null,)"
                            R"("gold_mines":1,"gold":0,"oil_patches":0,"slots":[)" +
                            slots + "]}\n");
}

TEST(CliInfo, JsonLinesMatchTheCorpusManifest)
{
    const std::string corpus = TESSEL_CORPUS_DIR;
    std::ifstream manifest(corpus + "/MANIFEST.tsv");
    if (!manifest)
        GTEST_SKIP() << "no scenario corpus at " << corpus << " (set the CMake cache variable TESSEL_CORPUS_DIR)";

    std::map<std::string, std::string> expected;  // path -> JSON line
    std::string line;
    std::getline(manifest, line);  // column names
    while (std::getline(manifest, line)) {
        std::vector<std::string> fields;
        std::istringstream row(line);
        for (std::string field; std::getline(row, field, '\t');)
            fields.push_back(field);
        ASSERT_GE(fields.size(), 5u) << line;
        const std::string path = corpus + "/" + fields[0];
        static const char* const names[] = {"forest", "winter", "wasteland", "swamp"};
        // A scenario's line begins with these fields, the catalogue's follow.
        expected[path] = fields[4].empty()
                             ? "{\"path\":\"" + path + "\",\"era\":" + fields[1] + ",\"era_name\":\"" +
                                   names[std::stoi(fields[1])] + "\",\"side\":" + fields[2] + ",\"units\":" + fields[3] + ","
                             : "{\"path\":\"" + path + "\",\"error\":\"" + fields[4] + "\"}";
    }
    std::vector<std::string> args{"info", "--json"};
    for (const auto& [path, json] : expected)
        args.push_back(path);
    const CliRun run = RunTesselCli(args);
    EXPECT_EQ(run.Status, 1);  // the corpus holds files that are not scenarios
    const std::vector<std::string> lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), expected.size());
    std::size_t k = 0;
    for (const auto& [path, json] : expected) {
        const std::string& line = lines[k++];
        EXPECT_EQ(line.substr(0, json.size()), json);
        EXPECT_TRUE(nlohmann::json::accept(line)) << line;
        if (json.back() == ',') {  // a scenario: the catalogue's fields follow
            EXPECT_EQ(line.substr(json.size(), 11), "\"version\":1") << line;
        }
    }
}

}  // namespace
}  // namespace tessel::test
