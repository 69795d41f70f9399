#include "CliRun.h"
#include "ScenarioFiles.h"

#include "InfoCommand.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace tessel::test {
namespace {

// Two human players, a computer, and rescue players in slots 4 and 10.
ScenarioContent SeatedMap()
{
    ScenarioContent content = MapWithOneUnit(1);
    content.Side = 64;
    content.Metadata.Description = "Snow \"fight\"";
    content.Metadata.Owners = SlotBytes{0x05, 0x05, 0x04, 0x06, 0x03, 0x03, 0x03, 0x03, 0x03, 0x07};
    content.Metadata.Races = SlotBytes{0, 1, 1, 0};
    content.Units.push_back({5, 5, unit_type::GoldMine, 15, 10});
    return content;
}

class InfoForms : public testing::Test {
protected:
    void SetUp() override
    {
        seated = WriteScenarioFile(dir, "maps/seated.pud", WriteScenario(SeatedMap()));
        ScenarioContent bare = MapWithOneUnit();
        bare.Metadata = ScenarioMetadata{};
        bare.Metadata.Gold = SlotWords{};
        plain = WriteScenarioFile(dir, "maps/sub/plain.pud", WriteScenario(bare));
        broken = WriteScenarioFile(dir, "maps/zz.pud", ScenarioWithoutDim());
    }

    TempDir dir;
    std::string seated, plain, broken;
};

// Several maps: a line each, in the order found, with what a curator
// looks for; a failure keeps its line.
TEST_F(InfoForms, SeveralMapsShowOneLineEach)
{
    const CliRun run = RunTesselCli({"info", dir.File("maps")});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(Lines(run.Out),
              (std::vector<std::string>{
                  seated + ": winter, 64 x 64 tiles, 2 units; seats 2 human, 1 computer, 2 rescue; gold 25000 in 1 mine; "
                           "\"Snow \"fight\"\"",
                  plain + ": forest, 32 x 32 tiles, 1 unit; seats unknown; gold 0 in 0 mines",
                  broken + ": Invalid PUD (no DIM chunk).",
              }));
    // The same with --short, also for one map.
    EXPECT_EQ(RunTesselCli({"info", "--short", dir.File("maps")}).Out, run.Out);
    EXPECT_EQ(RunTesselCli({"info", "-s", seated}).Out, Lines(run.Out)[0] + "\n");
}

TEST_F(InfoForms, OneMapOrLongShowsTheDetailedForm)
{
    const CliRun one = RunTesselCli({"info", seated});
    EXPECT_EQ(one.Status, 0);
    const std::vector<std::string> lines = Lines(one.Out);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], seated + ": era 1 (winter), 64 x 64 tiles, 2 units");
    EXPECT_EQ(lines[1], "  version unknown; 3 players; 1 gold mine holding 25000 gold; 0 oil patches");
    EXPECT_EQ(lines[5], "  slot 3: computer, orc; gold unknown, lumber unknown, oil unknown; start none");

    // A folder of one map is one map; --long shows every map in full.
    EXPECT_EQ(RunTesselCli({"info", dir.File("maps/sub")}).Out, RunTesselCli({"info", "--long", plain}).Out);
    const CliRun all = RunTesselCli({"info", "-l", seated, plain});
    EXPECT_EQ(all.Out, one.Out + RunTesselCli({"info", plain}).Out);
    // The last of --long and --short wins.
    EXPECT_EQ(RunTesselCli({"info", "-l", "-s", seated, plain}).Out, RunTesselCli({"info", seated, plain}).Out);
}

TEST_F(InfoForms, TheBuiltInTilesetsCountJoinsTheLine)
{
    const CliRun run = RunTesselCli({"info", "--builtin-tileset", seated, plain});
    const std::vector<std::string> lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], plain + ": forest, 32 x 32 tiles, 1 unit, 1024 without a picture; seats unknown; gold 0 in 0 mines");
}

TEST_F(InfoForms, JsonGivesSeatsApartAndWhetherTheFileFixesEachRace)
{
    const CliRun run = RunTesselCli({"info", "--json", seated, plain});
    const std::vector<std::string> lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 2u);
    const nlohmann::json map = nlohmann::json::parse(lines[0]);
    EXPECT_EQ(map["players"], 3);
    EXPECT_EQ(map["human_seats"], 2);
    EXPECT_EQ(map["computer_seats"], 1);
    EXPECT_EQ(map["rescue_slots"], 2);
    std::vector<nlohmann::json> fixed;
    for (const auto& slot : map["slots"])
        fixed.push_back(slot["race_fixed"]);
    // human, human, computer, rescue, then nobody
    EXPECT_EQ(fixed, (std::vector<nlohmann::json>{false, false, true, true, false, false, false, false}));
    EXPECT_EQ(map["slots"][1]["race"], "orc");  // offered first; the player still chooses

    const nlohmann::json bare = nlohmann::json::parse(lines[1]);
    for (const char* key : {"players", "human_seats", "computer_seats", "rescue_slots"})
        EXPECT_TRUE(bare[key].is_null()) << key;
    EXPECT_TRUE(bare["slots"][0]["race_fixed"].is_null());
}

}  // namespace
}  // namespace tessel::test
