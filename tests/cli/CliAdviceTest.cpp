#include "CliRun.h"
#include "ScenarioFiles.h"

#include "Cli.h"
#include "minimap/MinimapSettings.h"
#include "RenderJobs.h"

#include <gtest/gtest.h>

namespace tessel::test {
namespace {

// A mistyped command points at the list of commands, not at the help of
// the command that does not exist, and names the command it resembles.
TEST(CliAdvice, AnUnknownCommandPointsAtTheMainHelpAndTheNearestCommand)
{
    const struct {
        std::string typed;
        std::string advice;
    } cases[] = {
        {"renders", "Did you mean 'render'?\n"},
        {"rnder", "Did you mean 'render'?\n"},
        {"Info", "Did you mean 'info'?\n"},
        {"galery", "Did you mean 'gallery'?\n"},
        {"demos", "Did you mean 'demo'?\n"},
        {"paint", ""},
        {"x", ""},
        {"renderer-of-maps", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const CliRun run = RunTesselCli({c.typed, "x"});
        EXPECT_EQ(run.Status, 2);
        EXPECT_EQ(run.Error, "tessel-cli: unknown command \"" + c.typed + "\"\n" + c.advice + "Try 'tessel-cli --help'.\n");
    }
}

TEST(CliAdvice, TheNearestCommandIsWithinTwoSlipsAndFewerForShortOnes)
{
    EXPECT_EQ(cli::NearestCommand("render"), "render");
    EXPECT_EQ(cli::NearestCommand("rendr"), "render");
    EXPECT_EQ(cli::NearestCommand("rendering"), std::nullopt);  // three letters more
    EXPECT_EQ(cli::NearestCommand("gallary"), "gallery");
    EXPECT_EQ(cli::NearestCommand("galleries"), std::nullopt);
    EXPECT_EQ(cli::NearestCommand("inf"), "info");
    EXPECT_EQ(cli::NearestCommand("if"), "info");
    EXPECT_EQ(cli::NearestCommand("xy"), std::nullopt);
    EXPECT_EQ(cli::NearestCommand(""), std::nullopt);
    EXPECT_EQ(cli::NearestCommand(std::string(100000, 'r')), std::nullopt);
}

TEST(CliAdvice, RenderHelpStatesTheDefaultImageSide)
{
    const CliRun run = RunTesselCli({"render", "--help"});
    EXPECT_EQ(run.Status, 0);
    const std::string side = std::to_string(TMinimapSettings().ImageSizes[0]);
    EXPECT_NE(run.Out.find("for every map size (default: " + side), std::string::npos) << run.Out;
}

// -q leaves nothing on the terminal when all goes well, the notice that
// the built-in tileset draws included; without -q the notice stays.
TEST(CliAdvice, QuietRunsWithoutAnArchiveSayNothing)
{
    TempDir dir;
    const std::string map = WriteScenarioFile(dir, "maps/a.pud", WriteScenario(MapWithOneUnit()));
    for (const std::string command : {"render", "gallery"}) {
        SCOPED_TRACE(command);
        const CliRun quiet = RunTesselCli({command, "-q", "--no-settings", "-o", dir.File("out-" + command), map});
        EXPECT_EQ(quiet.Status, 0) << quiet.Error;
        EXPECT_EQ(quiet.Error, "");
        EXPECT_EQ(quiet.Out, "");
        const CliRun told = RunTesselCli({command, "--no-settings", "-o", dir.File("out-" + command), map});
        EXPECT_EQ(told.Error, std::string(cli::NoArchiveNotice) + "\n");
    }
}

}  // namespace
}  // namespace tessel::test
