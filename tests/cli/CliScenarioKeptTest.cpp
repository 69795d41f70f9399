// render and gallery never replace a scenario of their run with a minimap:
// an output that is the scenario itself (by the same name, a symbolic link
// or a hard link), or another scenario of the run, fails that map alone.
#include "CliRun.h"
#include "ScenarioFiles.h"

#include "JsonLines.h"
#include "system/FaultInjection.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

class CliScenarioKept : public ::testing::Test {
protected:
    std::string Map(const std::string& relative) const
    {
        return WriteScenarioFile(dir, relative, WriteScenario(MapWithOneUnit()));
    }

    CliRun Run(const std::string& command, std::vector<std::string> extra) const
    {
        std::vector<std::string> args{command, "--no-settings", "--builtin-tileset", "-q"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunTesselCli(args);
    }

    TempDir dir;
};

// cp map.pud map.png; tessel-cli render -f png map.png
TEST_F(CliScenarioKept, ARenderWhoseOutputIsTheScenarioItselfFailsAndKeepsIt)
{
    for (const std::string format : {"png", "bmp"}) {
        SCOPED_TRACE(format);
        const std::string scenario = Map("maps/map." + format);
        const std::vector<uint8_t> bytes = ReadFileBytes(scenario);
        Map("maps/other.pud");
        const CliRun run = Run("render", {"-f", format, "-o", dir.File("maps"), scenario, dir.File("maps/other.pud")});
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Error, "map." + format + ": Error: the minimap would replace the scenario file itself\n");
        EXPECT_EQ(ReadFileBytes(scenario), bytes);
        EXPECT_TRUE(FileExists(dir.File("maps/other." + format)));  // the run goes on
        fs::remove_all(dir.File("maps"));
    }
    // As typed in the scenario's folder, into the current folder.
    const std::vector<uint8_t> bytes = ReadFileBytes(Map("here/map.png"));
    RunInChildProcess([&] {
        fs::current_path(dir.File("here"));
        const CliRun run = Run("render", {"-f", "png", "map.png"});
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Error, "map.png: Error: the minimap would replace the scenario file itself\n");
    });
    EXPECT_EQ(ReadFileBytes(dir.File("here/map.png")), bytes);
}

TEST_F(CliScenarioKept, AnOutputThatLinksToTheScenarioIsTheScenarioToo)
{
    const std::string hard = Map("maps/hard.pud");
    const std::string soft = Map("maps/soft.pud");
    Map("maps/plain.pud");
    fs::create_directories(dir.File("out"));
    fs::create_hard_link(hard, dir.File("out/hard.bmp"));
    fs::create_symlink("../maps/soft.pud", dir.File("out/soft.bmp"));
    const std::vector<uint8_t> bytes = ReadFileBytes(hard);

    const CliRun run = Run("render", {"-o", dir.File("out"), dir.File("maps")});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Error, "hard.pud: Error: the minimap would replace the scenario file itself\n"
                       "soft.pud: Error: the minimap would replace the scenario file itself\n");
    EXPECT_EQ(ReadFileBytes(hard), bytes);
    EXPECT_EQ(ReadFileBytes(soft), bytes);
    EXPECT_TRUE(fs::is_symlink(dir.File("out/soft.bmp")));
    EXPECT_TRUE(FileExists(dir.File("out/plain.bmp")));
}

// The scenario x.png is kept; x.pud, whose minimap would take its place,
// fails, and x.png's own minimap takes a numbered name.
TEST_F(CliScenarioKept, AnOutputThatIsAnotherScenarioOfTheRunFailsThatMap)
{
    const std::string first = Map("maps/x.pud");
    const std::string second = Map("out/x.png");
    const std::vector<uint8_t> bytes = ReadFileBytes(second);
    const CliRun run = Run("render", {"-f", "png", "-o", dir.File("out"), first, second});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Error, "x.pud: Error: the minimap would replace the scenario file \"x.png\"\n");
    EXPECT_EQ(ReadFileBytes(second), bytes);
    EXPECT_EQ(DecodePng(dir.File("out/x-2.png")).Width, 160u);
}

TEST_F(CliScenarioKept, AGalleryWhoseMinimapIsAScenarioListsItAsFailedAndKeepsIt)
{
    const std::string scenario = Map("site/minimaps/x.png");
    const std::vector<uint8_t> bytes = ReadFileBytes(scenario);
    const CliRun run = Run("gallery", {"-o", dir.File("site"), scenario});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Error, "x.png: Error: the minimap would replace the scenario file itself\n");
    EXPECT_EQ(ReadFileBytes(scenario), bytes);
    const cli::JsonObject maps = cli::JsonObject::parse(ReadText(dir.File("site/maps.json")));
    EXPECT_EQ(maps, cli::JsonObject::parse(
                        R"([{"path":"x.png","error":"Error: the minimap would replace the scenario file itself"}])"));
}

// A link made after the run was planned is still found when the image is
// about to be written.
TEST_F(CliScenarioKept, ALinkMadeWhileTheRunGoesOnIsRefusedWhenTheImageIsWritten)
{
    const std::string scenario = Map("maps/late.pud");
    const std::vector<uint8_t> bytes = ReadFileBytes(scenario);
    fs::create_directories(dir.File("out"));
    RunInChildProcess([&] {
        fault_injection::RunAtEachJobStart([&](const std::string&) { fs::create_hard_link(scenario, dir.File("out/late.bmp")); });
        const CliRun run = Run("render", {"-o", dir.File("out"), scenario});
        fault_injection::RunAtEachJobStart({});
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Error, "late.pud: Error: the minimap would replace the scenario file itself\n");
        EXPECT_EQ(ReadFileBytes(scenario), bytes);
    });
}

}  // namespace
}  // namespace tessel::test
