#include "TestSupport.h"

#include "ArchiveWriter.h"
#include "DemoData.h"
#include "minimap/MakeMinimap.h"
#include "PlantedLinks.h"
#include "PngWriter.h"
#include "ScenarioWriter.h"
#include "TestEra.h"
#include "Thumbnailer.h"
#include "tileset/BuiltinTileset.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

struct ThumbnailerRun {
    int Status;
    std::string Out;
    std::string Error;
};

ThumbnailerRun RunThumbnailer(const std::vector<std::string>& args, const std::string& settingsFile = "")
{
    std::ostringstream out, err;
    const int status = thumbnailer::RunThumbnailer(args, settingsFile, out, err);
    return {status, out.str(), err.str()};
}

// A demo map of 64 tiles: real terrain and units of several owners.
ScenarioContent MapWithUnits()
{
    for (const DemoScenario& demo : MakeDemoScenarios())
        if (demo.Content.Side == 64)
            return demo.Content;
    throw std::logic_error("no demo map of 64 tiles");
}

// The minimap as the renderer makes it, at side x side pixels, as a PNG.
DecodedPng Reference(const std::string& scenario, const std::string& output, int32_t side, bool units,
                     const std::string& archive = "")
{
    TMinimapSettings settings;
    settings.ImageSizes.fill(side);
    settings.DspUnits = units;
    settings.MainDat = archive;
    MinimapBackend backend = archive.empty() ? BuiltinTilesetBackend() : DefaultMinimapBackend();
    backend.WriteImage = WritePngFile;
    EXPECT_TRUE(MakeMinimap(scenario, output, settings, backend));
    return DecodePng(output);
}

void ExpectSamePicture(const DecodedPng& made, const DecodedPng& expected)
{
    ASSERT_EQ(made.Width, expected.Width);
    ASSERT_EQ(made.Height, expected.Height);
    EXPECT_TRUE(made.RgbPixels() == expected.RgbPixels());
}

class ThumbnailerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir.File("maps"));
        fs::create_directories(dir.File("out"));
        fs::create_directories(dir.File("reference"));
        WriteScenario(MapWithUnits()).WriteTo(Scenario());
    }

    std::string Scenario() const { return dir.File("maps/map.pud"); }
    std::string Output() const { return dir.File("out/thumbnail.png"); }

    TempDir dir;
};

TEST_F(ThumbnailerTest, WritesTheMinimapAtTheAskedSideCappedAt1024)
{
    const struct {
        std::vector<std::string> Options;
        int32_t Side;
    } cases[] = {
        {{"-s", "128"}, 128}, {{"--size", "256"}, 256}, {{"--size=48"}, 48}, {{}, 256},
        {{"-s", "1024"}, 1024}, {{"-s", "1025"}, 1024}, {{"-s", "2147483647"}, 1024},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Options));
        std::vector<std::string> args = c.Options;
        args.insert(args.end(), {Scenario(), Output()});
        const ThumbnailerRun run = RunThumbnailer(args);
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Error, "");
        EXPECT_EQ(run.Out, "");
        ExpectSamePicture(DecodePng(Output()), Reference(Scenario(), dir.File("reference/r.png"), c.Side, true));
        // Nothing but OUTPUT: no temporary file beside it or the scenario.
        EXPECT_EQ(FolderEntries(dir.File("maps")), std::vector<std::string>{"map.pud"});
        EXPECT_EQ(FolderEntries(dir.File("out")), std::vector<std::string>{"thumbnail.png"});
    }
}

TEST_F(ThumbnailerTest, TheSettingsChooseTheUnitsAndAnArchiveThatLoadsWhichItNeverWrites)
{
    const std::string archive = dir.File("MAINDAT.WAR");
    ArchiveWriter good;
    for (int32_t era = 0; era < 4; ++era)
        good.Era(era, MakeTestEra(static_cast<uint8_t>(era + 5)));
    good.WriteTo(archive);
    const std::string lacking = dir.File("LACKING.WAR");  // the map's era 1 is missing
    ArchiveWriter().Era(0, MakeTestEra(5)).WriteTo(lacking);

    const struct {
        std::string Name;
        std::string Settings;  // none: no settings file at all
        bool Units;
        std::string ExpectedArchive;  // empty: the built-in tileset
    } cases[] = {
        {"no settings file", "", true, ""},
        {"units off", "[Settings]\nDspUnits=0\n", false, ""},
        {"a readable archive", "[Settings]\nMainDat=" + archive + "\n", true, archive},
        {"a readable archive, units off", "[Settings]\r\nDspUnits=0\r\nMainDat=" + archive + "\r\n", false, archive},
        {"a missing archive", "[Settings]\nMainDat=" + dir.File("NONE.WAR") + "\n", true, ""},
        {"an archive without the map's era", "[Settings]\nMainDat=" + lacking + "\n", true, ""},
        {"a file that is no archive", "[Settings]\nMainDat=" + Scenario() + "\n", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string config = dir.File("config");
        fs::remove_all(config);
        fs::create_directories(config);
        const std::string settingsFile = (fs::path(config) / "tessel.ini").string();
        if (!c.Settings.empty())
            WriteText(settingsFile, c.Settings);

        const ThumbnailerRun run = RunThumbnailer({"-s", "96", Scenario(), Output()}, settingsFile);
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Error, "");
        ExpectSamePicture(DecodePng(Output()),
                          Reference(Scenario(), dir.File("reference/r.png"), 96, c.Units, c.ExpectedArchive));
        if (c.Settings.empty()) {
            EXPECT_TRUE(FolderEntries(config).empty()) << "no settings file is made";
        } else {
            EXPECT_EQ(ReadText(settingsFile), c.Settings);
            EXPECT_EQ(FolderEntries(config), std::vector<std::string>{"tessel.ini"});
        }
    }
}

TEST_F(ThumbnailerTest, AFailureIsOneLineWithStatusOneAndLeavesNoOutput)
{
    WriteFileBytes(dir.File("maps/garbage.pud"), std::vector<uint8_t>(300, 0x41));
    ScenarioContent unknownEra = MapWithUnits();
    unknownEra.Era = 7;
    WriteScenario(unknownEra).WriteTo(dir.File("maps/era7.pud"));
    fs::create_directory(dir.File("maps/folder.pud"));
    // Opened for reading, a pipe waits for a writer that never comes.
    ASSERT_EQ(::mkfifo(dir.File("maps/pipe.pud").c_str(), 0600), 0);
    const std::vector<uint8_t> scenarioBytes = ReadFileBytes(Scenario());

    const struct {
        std::string Name;
        std::vector<std::string> Args;
        std::string Says;
    } cases[] = {
        {"missing input", {"-s", "64", dir.File("maps/none.pud"), Output()}, "none.pud: Error: File not found"},
        {"not a scenario", {"-s", "64", dir.File("maps/garbage.pud"), Output()}, "garbage.pud: Error: "},
        {"a folder", {"-s", "64", dir.File("maps/folder.pud"), Output()}, "folder.pud: Error: File access denied"},
        {"a pipe", {"-s", "64", dir.File("maps/pipe.pud"), Output()}, "pipe.pud: Error: File access denied"},
        {"an era no tileset has", {"-s", "64", dir.File("maps/era7.pud"), Output()}, "Error: Invalid era (7)."},
        {"output folder missing", {"-s", "64", Scenario(), dir.File("out/none/t.png")}, "Error opening output file"},
        {"output is the scenario", {"-s", "64", Scenario(), dir.File("maps/../maps/map.pud")},
         "Error: OUTPUT is the scenario file itself"},
        {"a line break in a name", {"-s", "64", dir.File("maps/two\nlines.pud"), Output()},
         "two\\nlines.pud\": Error: File not found"},
        {"an escape sequence in a name", {"-s", "64", dir.File("maps/\x1b]2;owned\x07.pud"), Output()},
         "maps/\\033]2;owned\\a.pud\": Error: File not found"},
        {"an escape sequence in an option", {"-x\x1b[2J", Scenario(), Output()}, "\"unknown option -x\\033[2J\""},
        {"size 0", {"-s", "0", Scenario(), Output()}, "SIZE takes a number of pixels from 1, not \"0\""},
        {"size not a number", {"-s", "big", Scenario(), Output()}, "not \"big\""},
        {"size missing", {Scenario(), Output(), "-s"}, "option -s needs a value"},
        {"no output", {"-s", "64", Scenario()}, "INPUT and OUTPUT are needed"},
        {"three operands", {"-s", "64", Scenario(), Output(), Output()}, "INPUT and OUTPUT are needed"},
        {"unknown option", {"-x", Scenario(), Output()}, "unknown option -x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const ThumbnailerRun run = RunThumbnailer(c.Args);
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(run.Error.rfind("tessel-thumbnailer: ", 0), 0u) << run.Error;
        EXPECT_EQ(std::count(run.Error.begin(), run.Error.end(), '\n'), 1) << run.Error;
        EXPECT_EQ(run.Error.back(), '\n');
        EXPECT_NE(run.Error.find(c.Says), std::string::npos) << run.Error;
        EXPECT_TRUE(FolderEntries(dir.File("out")).empty());
        EXPECT_EQ(FolderEntries(dir.File("maps")), (std::vector<std::string>{"era7.pud", "folder.pud", "garbage.pud", "map.pud", "pipe.pud"}));
        EXPECT_EQ(ReadFileBytes(Scenario()), scenarioBytes);
    }
}

// What a thumbnail service such as tumbler does: it makes OUTPUT, keeps it
// open, and reads the thumbnail through that handle once the command ends.
class HeldOutput {
public:
    explicit HeldOutput(const std::string& path, const std::vector<uint8_t>& content = {})
    {
        WriteFileBytes(path, content);
        fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        EXPECT_GE(fd_, 0) << path;
        struct stat info {};
        EXPECT_EQ(::fstat(fd_, &info), 0);
        inode_ = info.st_ino;
    }
    ~HeldOutput() { ::close(fd_); }
    HeldOutput(const HeldOutput&) = delete;
    HeldOutput& operator=(const HeldOutput&) = delete;

    // What the handle reads from the start.
    std::vector<uint8_t> Read() const
    {
        std::vector<uint8_t> bytes(4 << 20);
        const ssize_t got = ::pread(fd_, bytes.data(), bytes.size(), 0);
        bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return bytes;
    }
    bool StillNamedBy(const std::string& path) const
    {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 && info.st_ino == inode_;
    }

private:
    int fd_ = -1;
    ino_t inode_ = 0;
};

TEST_F(ThumbnailerTest, AnOutputThatExistsIsWrittenInPlaceForTheHandleItsMakerHolds)
{
    const struct {
        std::string Name;
        std::vector<uint8_t> Before;
    } cases[] = {
        {"empty, as a service makes it", {}},
        {"holding more than the thumbnail", std::vector<uint8_t>(300000, 0x55)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const HeldOutput held(Output(), c.Before);
        const ThumbnailerRun run = RunThumbnailer({"-s", "128", Scenario(), Output()});
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Error, "");
        EXPECT_TRUE(held.StillNamedBy(Output()));
        EXPECT_EQ(held.Read(), ReadFileBytes(Output()));
        ExpectSamePicture(DecodePng(Output()), Reference(Scenario(), dir.File("reference/r.png"), 128, true));
        EXPECT_EQ(FolderEntries(dir.File("out")), std::vector<std::string>{"thumbnail.png"});
    }
}

// A failure before OUTPUT is touched leaves it as its maker made it; one
// after leaves it empty: never part of an image.
TEST_F(ThumbnailerTest, AFailureLeavesNoImageInAnOutputWrittenInPlace)
{
    WriteFileBytes(dir.File("maps/garbage.pud"), std::vector<uint8_t>(300, 0x41));
    for (const bool fullDisk : {false, true}) {
        SCOPED_TRACE(fullDisk ? "the disk fills up while writing" : "the scenario cannot be read");
        const HeldOutput held(Output());
        ThumbnailerRun run{};
        {
            ScopedWriteLimit limit(fullDisk ? 100 : -1);
            run = RunThumbnailer({"-s", "128", fullDisk ? Scenario() : dir.File("maps/garbage.pud"), Output()});
        }
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(std::count(run.Error.begin(), run.Error.end(), '\n'), 1) << run.Error;
        if (fullDisk) {
            EXPECT_NE(run.Error.find("Error writing PNG file: Disk full"), std::string::npos) << run.Error;
        }
        EXPECT_TRUE(held.StillNamedBy(Output()));
        EXPECT_EQ(held.Read(), std::vector<uint8_t>{});
        EXPECT_EQ(ReadFileBytes(Output()), std::vector<uint8_t>{});
        EXPECT_EQ(FolderEntries(dir.File("out")), std::vector<std::string>{"thumbnail.png"});
    }
}

// Thumbnailers run as root too; OUTPUT may be another user's link in /tmp.
TEST_F(ThumbnailerTest, AnOutputLinkAnotherUserPlantedInASharedFolderIsRefusedAndItsTargetKept)
{
    PlantedLinks planted(dir.File("out"));
    if (!planted.Active())
        GTEST_SKIP() << planted.Why();
    WriteText(dir.File("victim.conf"), "keep");
    for (const std::string& target : {dir.File("victim.conf"), dir.File("created.conf")}) {
        SCOPED_TRACE(target);
        const std::string link = Output();
        planted.Plant(link, target);
        const ThumbnailerRun run = RunThumbnailer({"-s", "64", Scenario(), link});
        EXPECT_EQ(run.Status, 1);
        EXPECT_NE(run.Error.find("File access denied"), std::string::npos) << run.Error;
        fs::remove(link);
    }
    EXPECT_EQ(ReadText(dir.File("victim.conf")), "keep");
    EXPECT_FALSE(FileExists(dir.File("created.conf")));
    EXPECT_TRUE(FolderEntries(dir.File("out")).empty());
}

TEST(Thumbnailer, ShowsItsUsageAndVersion)
{
    const ThumbnailerRun help = RunThumbnailer({"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Out.rfind("Usage: tessel-thumbnailer [-s SIZE] INPUT OUTPUT\n", 0), 0u);
    const ThumbnailerRun version = RunThumbnailer({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out.rfind("tessel-thumbnailer 1.", 0), 0u);
}

}  // namespace
}  // namespace tessel::test
