// render and gallery with --update: a second run makes only what changed,
// whatever changed (the scenario, the settings, the archive, the image
// itself), and a state file that is damaged or cannot be written never
// skips a map that needs making. Without the flag, nothing differs.
#include "CliRun.h"
#include "ScenarioFiles.h"
#include "ZipFiles.h"

#include "ArchiveWriter.h"
#include "TestEra.h"
#include "UpdateState.h"

#include <chrono>
#include <filesystem>
#include <regex>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

struct Counts {
    int Written = -1, Skipped = -1, Failed = -1;
    bool operator==(const Counts&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Counts& counts)
{
    return out << "written " << counts.Written << ", skipped " << counts.Skipped << ", failed " << counts.Failed;
}

class CliUpdate : public ::testing::Test {
protected:
    void SetUp() override
    {
        Map("maps/a.pud", MapWithOneUnit(0));
        Map("maps/sub/b.pud", MapWithOneUnit(1));
        Map("maps/c.pud", MapWithOneUnit(2));
    }

    // Scenarios an hour old, as a collection that was not just copied.
    void Map(const std::string& relative, const ScenarioContent& content) const
    {
        WriteScenarioFile(dir, relative, WriteScenario(content));
        MakeOld(relative);
    }
    void MakeOld(const std::string& relative, std::chrono::minutes age = std::chrono::minutes(60)) const
    {
        fs::last_write_time(dir.File(relative), fs::file_time_type::clock::now() - age);
    }

    CliRun Run(const std::string& command, std::vector<std::string> options, const std::string& input = "maps",
               const std::string& output = "out") const
    {
        std::vector<std::string> args{command, "--no-settings", "-o", dir.File(output)};
        if (std::find(options.begin(), options.end(), "-a") == options.end())
            args.push_back("--builtin-tileset");
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(dir.File(input));
        return RunTesselCli(args);
    }

    // The counts of render's summary under --update.
    static Counts Summary(const CliRun& run)
    {
        static const std::regex line(R"(^written (\d+), skipped (\d+) \(up to date\), failed (\d+), \d+\.\d\d s\n$)");
        std::smatch match;
        if (!std::regex_match(run.Out, match, line))
            return {};
        return {std::stoi(match[1]), std::stoi(match[2]), std::stoi(match[3])};
    }

    Counts Update(std::vector<std::string> options = {}, const std::string& input = "maps") const
    {
        options.push_back("--update");
        return Summary(Run("render", options, input));
    }

    std::string State() const { return ReadText(dir.File(std::string("out/") + cli::UpdateStateFileName)); }

    TempDir dir;
};

TEST_F(CliUpdate, ASecondRunSkipsEveryMapAndLeavesItsImagesAlone)
{
    EXPECT_EQ(Update(), (Counts{3, 0, 0}));
    const auto stamp = *cli::StampOfFile(dir.File("out/sub/b.bmp"));
    const std::vector<uint8_t> bytes = ReadFileBytes(dir.File("out/sub/b.bmp"));
    EXPECT_EQ(Update(), (Counts{0, 3, 0}));
    EXPECT_EQ(cli::StampOfFile(dir.File("out/sub/b.bmp")), stamp);
    EXPECT_EQ(ReadFileBytes(dir.File("out/sub/b.bmp")), bytes);
    EXPECT_EQ(Update(), (Counts{0, 3, 0}));
}

TEST_F(CliUpdate, AChangedScenarioOrAMissingImageIsMadeAgainAlone)
{
    ASSERT_EQ(Update(), (Counts{3, 0, 0}));
    Map("maps/sub/b.pud", MapWithOneUnit(3));
    MakeOld("maps/sub/b.pud", std::chrono::minutes(30));
    EXPECT_EQ(Update(), (Counts{1, 2, 0}));
    ASSERT_EQ(Run("render", {"-q"}, "maps/sub/b.pud", "fresh").Status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("out/sub/b.bmp")), ReadFileBytes(dir.File("fresh/b.bmp")));

    // The same bytes, a new time: made again too.
    MakeOld("maps/a.pud", std::chrono::minutes(20));
    EXPECT_EQ(Update(), (Counts{1, 2, 0}));
    fs::remove(dir.File("out/c.bmp"));
    EXPECT_EQ(Update(), (Counts{1, 2, 0}));
    EXPECT_TRUE(FileExists(dir.File("out/c.bmp")));
    // A scenario newer than its image (a clock set back, a copy that kept
    // its time) is made again, at every run while it stays newer.
    MakeOld("maps/c.pud", std::chrono::minutes(-10));
    EXPECT_EQ(Update(), (Counts{1, 2, 0}));
    EXPECT_EQ(Update(), (Counts{1, 2, 0}));
    MakeOld("maps/c.pud", std::chrono::minutes(10));
    EXPECT_EQ(Update(), (Counts{1, 2, 0}));
    EXPECT_EQ(Update(), (Counts{0, 3, 0}));
}

TEST_F(CliUpdate, EverySettingThatChangesTheImagesMakesThemAgain)
{
    const std::vector<std::vector<std::string>> settings{
        {}, {"--size", "64"}, {"--size128", "100"}, {"--no-units"}, {"-f", "png"}, {"--size32", "100", "-f", "png"},
    };
    for (const auto& options : settings) {
        SCOPED_TRACE(::testing::PrintToString(options));
        EXPECT_EQ(Update(options), (Counts{3, 0, 0}));
        EXPECT_EQ(Update(options), (Counts{0, 3, 0}));
    }
    // An archive instead of the built-in tileset; the archive replaced.
    ArchiveWriter().Era(0, MakeTestEra(5)).Era(1, MakeTestEra(6)).Era(2, MakeTestEra(7)).WriteTo(dir.File("MAIN.WAR"));
    MakeOld("MAIN.WAR");
    const std::vector<std::string> archive{"-a", dir.File("MAIN.WAR")};
    EXPECT_EQ(Update(archive), (Counts{3, 0, 0}));
    EXPECT_EQ(Update(archive), (Counts{0, 3, 0}));
    ArchiveWriter().Era(0, MakeTestEra(8)).Era(1, MakeTestEra(9)).Era(2, MakeTestEra(10)).WriteTo(dir.File("MAIN.WAR"));
    EXPECT_EQ(Update(archive), (Counts{3, 0, 0}));
}

// An image that a run without --update wrote over is no longer the one
// the state knows: it is made again, not taken for up to date.
TEST_F(CliUpdate, ARunWithoutTheFlagWritesAsBeforeAndLeavesTheStateAlone)
{
    ASSERT_EQ(Update({"--size", "64"}), (Counts{3, 0, 0}));
    const std::string state = State();
    const CliRun plain = Run("render", {});
    EXPECT_EQ(plain.Status, 0);
    EXPECT_TRUE(std::regex_match(plain.Out, std::regex(R"(^written 3, failed 0, \d+\.\d\d s\n$)"))) << plain.Out;
    EXPECT_EQ(State(), state);
    EXPECT_EQ(ReadFileBytes(dir.File("out/a.bmp")).size(), 1078u + 160u * 160u);
    EXPECT_EQ(Update({"--size", "64"}), (Counts{3, 0, 0}));
    EXPECT_EQ(ReadFileBytes(dir.File("out/a.bmp")).size(), 1078u + 64u * 64u);

    ASSERT_EQ(Run("render", {"-q"}, "maps", "never").Status, 0);
    ASSERT_EQ(Run("gallery", {"-q"}, "maps", "never-site").Status, 0);
    EXPECT_FALSE(FileExists(dir.File(std::string("never/") + cli::UpdateStateFileName)));
    EXPECT_FALSE(FileExists(dir.File(std::string("never-site/") + cli::UpdateStateFileName)));
}

TEST_F(CliUpdate, ADamagedStateMakesEverythingAgainAndIsWrittenAnew)
{
    ASSERT_EQ(Update(), (Counts{3, 0, 0}));
    const std::string state = State();
    const std::string path = dir.File(std::string("out/") + cli::UpdateStateFileName);
    for (const std::string& damaged : {state.substr(0, state.size() - 3), std::string("\x89PNG\r\n"), std::string(),
                                       state + "image\tz.bmp\n"}) {
        SCOPED_TRACE(damaged);
        WriteText(path, damaged);
        EXPECT_EQ(Update(), (Counts{3, 0, 0}));
        EXPECT_EQ(Update(), (Counts{0, 3, 0}));
    }
    // A state that cannot be written: the images are, and the run says so.
    fs::remove(path);
    fs::create_directory(path);
    const CliRun run = Run("render", {"--update"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(Summary(run), (Counts{3, 0, 0}));
    EXPECT_EQ(run.Error.rfind("tessel-cli: cannot write \"" + path + "\": ", 0), 0u) << run.Error;
}

TEST_F(CliUpdate, TheGalleryListsEveryMapAndSkipsOnlyTheImages)
{
    WriteScenarioFile(dir, "maps/broken.pud", ScenarioWithoutDim());
    MakeOld("maps/broken.pud");
    const CliRun first = Run("gallery", {"--update"}, "maps", "site");
    EXPECT_EQ(first.Status, 1);
    EXPECT_EQ(first.Out.rfind("gallery of 3 maps, skipped 0 (up to date), failed 1, ", 0), 0u) << first.Out;
    const std::string maps = ReadText(dir.File("site/maps.json"));
    const std::string page = ReadText(dir.File("site/index.html"));
    const auto stamp = cli::StampOfFile(dir.File("site/minimaps/sub/b.png"));
    const auto previewStamp = cli::StampOfFile(dir.File("site/previews/sub/b.png"));
    const auto copyStamp = cli::StampOfFile(dir.File("site/minimaps/sub/b.pud"));
    ASSERT_TRUE(previewStamp && copyStamp);
    fs::remove(dir.File("site/maps.json"));
    fs::remove(dir.File("site/index.html"));

    const CliRun second = Run("gallery", {"--update"}, "maps", "site");
    EXPECT_EQ(second.Status, 1);
    EXPECT_EQ(second.Out.rfind("gallery of 3 maps, skipped 3 (up to date), failed 1, ", 0), 0u) << second.Out;
    EXPECT_EQ(second.Error, first.Error);
    EXPECT_EQ(ReadText(dir.File("site/maps.json")), maps);
    EXPECT_EQ(ReadText(dir.File("site/index.html")), page);
    EXPECT_EQ(cli::StampOfFile(dir.File("site/minimaps/sub/b.png")), stamp);
    // The larger picture and the scenario's copy are kept too.
    EXPECT_EQ(cli::StampOfFile(dir.File("site/previews/sub/b.png")), previewStamp);
    EXPECT_EQ(cli::StampOfFile(dir.File("site/minimaps/sub/b.pud")), copyStamp);
}

// A zip's entries have no times of their own: the archive's stands for
// each of them.
TEST_F(CliUpdate, AZipsEntriesAreMadeAgainWhenTheZipChanges)
{
    const auto writeZip = [&] {
        WriteZip(dir.File("pack.zip"), {{"maps/a.pud", WriteScenario(MapWithOneUnit(0)).Bytes()},
                                        {"b.pud", WriteScenario(MapWithOneUnit(1)).Bytes()}});
        MakeOld("pack.zip");
    };
    writeZip();
    EXPECT_EQ(Update({}, "pack.zip"), (Counts{2, 0, 0}));
    EXPECT_EQ(Update({}, "pack.zip"), (Counts{0, 2, 0}));
    EXPECT_TRUE(FileExists(dir.File("out/pack/maps/a.bmp")));
    MakeOld("pack.zip", std::chrono::minutes(30));
    EXPECT_EQ(Update({}, "pack.zip"), (Counts{2, 0, 0}));
    EXPECT_EQ(Update({}, "pack.zip"), (Counts{0, 2, 0}));
}

}  // namespace
}  // namespace tessel::test
