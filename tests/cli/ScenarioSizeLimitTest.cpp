// Files larger than the scenario limit fail in every command with the
// reader's message and status 1, while the costliest file at the limit is
// read and rendered. The large files are sparse: a few kilobytes on disk.
#include "CliRun.h"
#include "TestSupport.h"

#include "HostileScenarios.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

constexpr int64_t ScenarioLimit = 4 * 1024 * 1024;
const std::string TooLarge = "Invalid PUD (file larger than 4 MiB).";

class ScenarioSizeLimit : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir.File("maps"));
        hostile::WriteStackedUnits(AtLimit(), ScenarioLimit, 256);
        hostile::WriteEmptyChunksAfterMap(OverLimit(), ScenarioLimit + 1);
        hostile::WriteZeroUnits(TwoGigabytes(), int64_t{1} << 31);
    }

    std::string AtLimit() const { return dir.File("maps/at_limit.pud"); }
    std::string OverLimit() const { return dir.File("maps/over_limit.pud"); }
    std::string TwoGigabytes() const { return dir.File("maps/units_of_2_gb.pud"); }

    CliRun Run(const std::string& command, std::vector<std::string> extra) const
    {
        std::vector<std::string> args{command, "--builtin-tileset"};
        if (command != "info")
            args.insert(args.end(), {"--no-settings", "-q", "-j", "1", "--size", "256"});
        args.insert(args.end(), extra.begin(), extra.end());
        return RunTesselCli(args);
    }

    TempDir dir;
};

TEST_F(ScenarioSizeLimit, RenderFailsEachLargerFileOnItsOwnLine)
{
    const CliRun run = Run("render", {"-o", dir.File("out"), dir.File("maps")});
    EXPECT_EQ(run.Status, 1);
    // Maps are named by their path below the folder given.
    EXPECT_NE(run.Error.find("over_limit.pud: Error: " + TooLarge + "\n"), std::string::npos) << run.Error;
    EXPECT_NE(run.Error.find("units_of_2_gb.pud: Error: " + TooLarge + "\n"), std::string::npos) << run.Error;
    EXPECT_EQ(FolderEntries(dir.File("out")), std::vector<std::string>{"at_limit.bmp"});
}

TEST_F(ScenarioSizeLimit, InfoGivesTheMessageAsTextAndAsJson)
{
    const CliRun text = Run("info", {"--long", OverLimit(), AtLimit()});
    EXPECT_EQ(text.Status, 1);
    const std::string expected = OverLimit() + ": " + TooLarge + "\n" + AtLimit() + ": era 0 (forest), 256 x 256";
    EXPECT_EQ(text.Out.rfind(expected, 0), 0u) << text.Out;

    const CliRun json = Run("info", {"--json", TwoGigabytes()});
    EXPECT_EQ(json.Status, 1);
    EXPECT_EQ(nlohmann::json::parse(json.Out), (nlohmann::json{{"path", TwoGigabytes()}, {"error", TooLarge}}));
}

TEST_F(ScenarioSizeLimit, TheGalleryListsEachLargerFileAsFailed)
{
    const CliRun run = Run("gallery", {"-o", dir.File("site"), dir.File("maps")});
    EXPECT_EQ(run.Status, 1);
    std::map<std::string, nlohmann::json> maps;
    for (const nlohmann::json& map : nlohmann::json::parse(ReadText(dir.File("site/maps.json"))))
        maps[map["path"]] = map;
    ASSERT_EQ(maps.size(), 3u);
    EXPECT_EQ(maps["over_limit.pud"]["error"], "Error: " + TooLarge);
    EXPECT_EQ(maps["units_of_2_gb.pud"]["error"], "Error: " + TooLarge);
    EXPECT_EQ(maps["at_limit.pud"]["side"], 256);
    EXPECT_TRUE(maps["at_limit.pud"].contains("minimap"));
    EXPECT_NE(run.Error.find("over_limit.pud: Error: " + TooLarge + "\n"), std::string::npos) << run.Error;
}

}  // namespace
}  // namespace tessel::test
