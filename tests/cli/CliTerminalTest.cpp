// Names reach the terminal with their control characters escaped: a name
// holding an escape sequence must not retitle or clear the user's terminal,
// and one holding a line break must not forge further lines.
#include "CliRun.h"
#include "ScenarioFiles.h"

#include "JsonLines.h"

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

const std::string Retitles = "\x1b]2;owned\x07";  // sets the terminal's title
const std::string Clears = "\x1b[2J";             // clears the screen

class CliTerminal : public ::testing::Test {
protected:
    std::string Good(const std::string& relative) const
    {
        return WriteScenarioFile(dir, relative, WriteScenario(MapWithOneUnit()));
    }

    std::string Broken(const std::string& relative) const
    {
        return WriteScenarioFile(dir, relative, ScenarioWithoutDim());
    }

    CliRun Run(const std::string& command, std::vector<std::string> extra) const
    {
        std::vector<std::string> args{command, "--no-settings", "--builtin-tileset"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunTesselCli(args);
    }

    TempDir dir;
};

TEST_F(CliTerminal, InfoShowsNamesWithControlsEscapedAndJsonKeepsThemAsTheyAre)
{
    Good("maps/" + Retitles + ".pud");
    Broken("maps/two\nlines.pud");
    fs::create_directories(dir.File("empty" + Clears));

    const CliRun text = RunTesselCli({"info", "--long", dir.File("maps"), dir.File("empty" + Clears)});
    EXPECT_EQ(text.Status, 1);
    const std::string maps = dir.File("maps/");
    std::vector<std::string> lines;
    std::istringstream in(text.Out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 12u) << text.Out;  // the first map's eleven lines, then the failure
    EXPECT_EQ(lines.front(), "\"" + maps + "\\033]2;owned\\a.pud\": era 0 (forest), 32 x 32 tiles, 1 unit");
    EXPECT_EQ(lines.back(), "\"" + maps + "two\\nlines.pud\": Invalid PUD (no DIM chunk).");
    EXPECT_EQ(text.Error, "\"" + dir.File("empty") + "\\033[2J\": no scenario files found\n");

    const CliRun json = RunTesselCli({"info", "--json", dir.File("maps")});
    const std::string first = json.Out.substr(0, json.Out.find('\n'));
    EXPECT_EQ(cli::JsonObject::parse(first)["path"], maps + Retitles + ".pud");
    EXPECT_NE(first.find("\\u001b]2;owned\\u0007.pud"), std::string::npos) << first;
}

TEST_F(CliTerminal, RenderAndGalleryShowFailedNamesFolderNamesAndTheirPageEscaped)
{
    Broken("maps/" + Retitles + ".pud");
    Broken("maps/two\nlines.pud");
    Good("maps/plain.pud");
    fs::create_directories(dir.File("empty" + Clears));
    const std::string lines = "\"empty\\033[2J\": no scenario files found\n"
                              "\"maps/\\033]2;owned\\a.pud\": Error: Invalid PUD (no DIM chunk).\n"
                              "\"maps/two\\nlines.pud\": Error: Invalid PUD (no DIM chunk).\n";

    const CliRun render = Run("render", {"-q", "-o", dir.File("out"), dir.File("maps"), dir.File("empty" + Clears)});
    EXPECT_EQ(render.Status, 1);
    EXPECT_EQ(render.Error, lines);

    const std::string site = dir.File("site" + Clears);
    const CliRun gallery = Run("gallery", {"-o", site, dir.File("maps"), dir.File("empty" + Clears)});
    EXPECT_EQ(gallery.Status, 1);
    EXPECT_EQ(gallery.Error, lines);
    EXPECT_NE(gallery.Out.find("\nOpen \"" + dir.File("site") + "\\033[2J/index.html\"\n"), std::string::npos)
        << gallery.Out;
    // The page's data keeps the names as they are.
    const cli::JsonObject maps = cli::JsonObject::parse(ReadText(site + "/maps.json"));
    std::vector<std::string> paths;
    for (const cli::JsonObject& map : maps)
        paths.push_back(map["path"]);
    EXPECT_EQ(paths, (std::vector<std::string>{"empty" + Clears, "maps/" + Retitles + ".pud", "maps/plain.pud",
                                               "maps/two\nlines.pud"}));
}

// A message may name a file too: the output that could not be written.
TEST_F(CliTerminal, AMessageThatHoldsANameIsEscapedAsAWhole)
{
    Good("maps/" + Clears + ".pud");
    fs::create_directories(dir.File("out/" + Clears + ".bmp"));
    const CliRun run = Run("render", {"-q", "-o", dir.File("out"), dir.File("maps")});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Error, "\"\\033[2J.pud\": \"Error opening output file \\\"" + dir.File("out/") +
                           "\\033[2J.bmp\\\" : File access denied\"\n");
}

TEST_F(CliTerminal, UsageErrorsShowWhatWasTypedEscaped)
{
    const CliRun option = RunTesselCli({"render", "--bogus" + Clears, "a.pud"});
    EXPECT_EQ(option.Status, 2);
    EXPECT_EQ(option.Error, "tessel-cli: \"unknown option --bogus\\033[2J\"\nTry 'tessel-cli render --help'.\n");

    const CliRun command = RunTesselCli({"pa\nint" + Retitles});
    EXPECT_EQ(command.Status, 2);
    EXPECT_EQ(command.Error, "tessel-cli: \"unknown command \\\"pa\\nint\\033]2;owned\\a\\\"\"\n"
                           "Try 'tessel-cli --help'.\n");
}

}  // namespace
}  // namespace tessel::test
