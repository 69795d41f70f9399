#include "CliRun.h"
#include "TestSupport.h"

#include "ArchiveWriter.h"
#include "base/Sha256.h"
#include "GalleryMapFiles.h"
#include "minimap/MinimapRenderer.h"
#include "scenario/ScenarioInfo.h"
#include "ScenarioJson.h"
#include "ScenarioWriter.h"
#include "TestEra.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

using cli::JsonObject;

// The width that a PNG file's header states (big-endian, bytes 16 to 19).
uint32_t PngWidth(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    if (bytes.size() < 24)
        return 0;
    return uint32_t{bytes[16]} << 24 | uint32_t{bytes[17]} << 16 | uint32_t{bytes[18]} << 8 | bytes[19];
}

ScenarioContent Map(uint16_t era, uint16_t side, const std::string& description, int players)
{
    ScenarioContent content;
    content.Era = era;
    content.Side = side;
    content.Metadata.Version = 0x11;
    content.Metadata.Description = description;
    SlotBytes owners{};
    owners.fill(0x03);
    for (int slot = 0; slot < players; ++slot)
        owners[static_cast<std::size_t>(slot)] = 0x05;
    content.Metadata.Owners = owners;
    content.Units = {{2, 3, unit_type::GoldMine, 15, 20}, {4, 5, unit_type::HumanStart, 0, 0}};
    return content;
}

class GalleryCommand : public testing::Test {
protected:
    void SetUp() override
    {
        ArchiveWriter archive;
        for (int era = 0; era < 4; ++era)
            archive.Era(era, MakeTestEra(static_cast<uint8_t>(era)));
        archive.WriteTo(Archive());
    }

    std::string Archive() const { return dir.File("MAINDAT.WAR"); }

    std::string Write(const std::string& relative, const ScenarioWriter& writer) const
    {
        const std::string path = dir.File(relative);
        fs::create_directories(fs::path(path).parent_path());
        writer.WriteTo(path);
        return path;
    }

    CliRun Gallery(std::vector<std::string> extra) const
    {
        std::vector<std::string> args{"gallery", "--no-settings", "-q", "-a", Archive(), "-o", dir.File("site")};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunTesselCli(args);
    }

    JsonObject Maps() const { return JsonObject::parse(ReadText(dir.File("site/maps.json"))); }

    TempDir dir;
};

TEST_F(GalleryCommand, WritesThePageTheDataAndAMinimapPerMapKeepingSubFolders)
{
    Write("maps/top.pud", WriteScenario(Map(0, 32, "Top of the list", 2)));
    const std::string deep = Write("maps/deep/er/Deep Map.PUD", WriteScenario(Map(1, 64, "\x84lpine", 4)));
    Write("maps/notes.txt", WriteScenario(Map(0, 32, "", 1)));

    const CliRun run = Gallery({"--title", "Tom & Jerry's maps", dir.File("maps")});
    EXPECT_EQ(run.Status, 0) << run.Error;
    EXPECT_EQ(run.Error, "");
    for (const char* file : {"index.html", "gallery.css", "gallery.js", "maps.json", "cards/1.js"})
        EXPECT_TRUE(FileExists(dir.File("site/") + file)) << file;
    EXPECT_EQ(FolderEntries(dir.File("site/minimaps")), (std::vector<std::string>{"deep", "top.png", "top.pud"}));
    EXPECT_EQ(PngWidth(dir.File("site/minimaps/deep/er/Deep Map.png")), 160u);
    EXPECT_NE(ReadText(dir.File("site/index.html")).find("<h1>Tom &amp; Jerry&#39;s maps</h1>"), std::string::npos);

    // The data of each map is what the catalogue reader finds, with the
    // path below the searched folder and the image's URL.
    const JsonObject maps = Maps();
    ASSERT_EQ(maps.size(), 2u);
    TScenarioInfo info;
    info.LoadFromFile(deep);
    JsonObject expected = cli::ScenarioJson("deep/er/Deep Map.PUD", info);
    expected["minimap"] = "minimaps/deep/er/Deep%20Map.png";
    expected["preview"] = "previews/deep/er/Deep%20Map.png";
    expected["scenario"] = "minimaps/deep/er/Deep%20Map.pud";
    const std::vector<uint8_t> bytes = ReadFileBytes(deep);
    expected["sha256"] = Sha256Hex(bytes.data(), bytes.size());
    EXPECT_EQ(maps[0], expected);
    EXPECT_EQ(maps[0]["description"], "\xC3\xA4lpine");
    EXPECT_EQ(maps[1]["path"], "top.pud");
    EXPECT_EQ(maps[1]["players"], 2);
    EXPECT_EQ(maps[1]["gold"], 50000);
}

TEST_F(GalleryCommand, FailedMapsAreListedWithTheirMessageAndFailTheRun)
{
    Write("maps/good.pud", WriteScenario(Map(0, 32, "", 2)));
    Write("maps/no_dim.pud", ScenarioWriter().Chunk(chunk_tag::Era, EraChunkData(0)));
    Write("maps/era_7.pud", WriteScenario(Map(7, 32, "", 2)));
    const std::string twin = Write("more/good.pud", WriteScenario(Map(1, 32, "", 2)));

    const CliRun run = Gallery({dir.File("maps"), twin});
    EXPECT_EQ(run.Status, 1);
    const JsonObject maps = Maps();
    ASSERT_EQ(maps.size(), 4u);
    std::map<std::string, std::string> errors;
    for (const JsonObject& map : maps)
        if (map.contains("error"))
            errors[map["path"]] = map["error"];
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors["no_dim.pud"], "Error: Invalid PUD (no DIM chunk).");
    EXPECT_NE(errors["era_7.pud"].find("Error: "), std::string::npos);
    // A map of the same name, given by itself, is kept under a numbered name.
    const auto twinMap =
        std::find_if(maps.begin(), maps.end(), [](const JsonObject& map) { return map["path"] == "good-2.pud"; });
    ASSERT_NE(twinMap, maps.end());
    EXPECT_EQ((*twinMap)["era"], 1);
    EXPECT_EQ((*twinMap)["minimap"], "minimaps/good-2.png");
    // A map that the reader takes but that cannot be rendered keeps its data.
    const auto era7 =
        std::find_if(maps.begin(), maps.end(), [](const JsonObject& map) { return map["path"] == "era_7.pud"; });
    ASSERT_NE(era7, maps.end());
    EXPECT_EQ((*era7)["era"], 7);

    // Each failure is also a line of its own, as render prints it.
    EXPECT_EQ(run.Error, "era_7.pud: Error: Invalid era (7).\nno_dim.pud: Error: Invalid PUD (no DIM chunk).\n");
    EXPECT_TRUE(FileExists(dir.File("site/minimaps/good.png")));
    EXPECT_TRUE(FileExists(dir.File("site/minimaps/good-2.png")));
}

// A folder that cannot be read, or that holds no scenario, fails the run;
// the page once showed every map as found and nothing missing.
TEST_F(GalleryCommand, FoldersThatCannotBeReadOrHoldNoScenarioAreListedWithTheFailures)
{
    Write("maps/good.pud", WriteScenario(Map(0, 32, "", 2)));
    Write("maps/locked/hidden.pud", WriteScenario(Map(0, 32, "", 2)));
    fs::create_directories(dir.File("empty"));
    fs::permissions(dir.File("maps/locked"), fs::perms::none);
    fs::permissions(dir.Path(), fs::perms::all);
    RunWithoutPrivileges(dir, [&] {
        const CliRun run = Gallery({dir.File("maps"), dir.File("empty")});
        EXPECT_EQ(run.Status, 1);
        const JsonObject maps = Maps();
        std::map<std::string, std::string> errors;
        for (const JsonObject& map : maps)
            if (map.contains("error"))
                errors[map["path"]] = map["error"];
        EXPECT_EQ(errors, (std::map<std::string, std::string>{{"maps/locked", "Error: File access denied"},
                                                              {"empty", "no scenario files found"}}));
        EXPECT_EQ(maps.size(), 3u);
    });
}

TEST_F(GalleryCommand, ImagesAre160PixelsUnlessTheCommandLineSaysOtherwise)
{
    Write("maps/a.pud", WriteScenario(Map(0, 32, "", 2)));
    Write("maps/b.pud", WriteScenario(Map(0, 64, "", 2)));
    const std::string settings = dir.File("tessel.ini");
    std::ofstream(settings) << "[Settings]\nSize32=40\nSize64=50\nMainDat=" << Archive() << "\n";

    const struct {
        std::vector<std::string> options;
        uint32_t side32, side64;
    } cases[] = {
        {{"--settings", settings}, 160, 160},
        {{"--settings", settings, "--size", "96"}, 96, 96},
        {{"--settings", settings, "--size64", "72"}, 160, 72},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"gallery", "-q", "-o", dir.File("site")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(dir.File("maps"));
        const CliRun run = RunTesselCli(args);
        EXPECT_EQ(run.Status, 0) << run.Error;
        EXPECT_EQ(PngWidth(dir.File("site/minimaps/a.png")), c.side32);
        EXPECT_EQ(PngWidth(dir.File("site/minimaps/b.png")), c.side64);
    }
}

// A collector without the game still gets a gallery.
TEST_F(GalleryCommand, WithoutAnArchiveTheBuiltInTilesetDrawsTheMinimaps)
{
    Write("maps/a.pud", WriteScenario(Map(3, 32, "", 2)));
    CliRun run = RunTesselCli({"gallery", "--no-settings", "-o", dir.File("site"), dir.File("maps")});
    EXPECT_EQ(run.Status, 0) << run.Error;
    EXPECT_EQ(run.Error, "no game archive set: using the built-in tileset (see --archive)\n");
    EXPECT_EQ(PngWidth(dir.File("site/minimaps/a.png")), 160u);

    run = RunTesselCli({"gallery", "--builtin-tileset", "-a", Archive(), "-o", dir.File("site"), dir.File("maps")});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Error.find("--archive and --builtin-tileset exclude each other"), std::string::npos);
}

TEST_F(GalleryCommand, TheDataIsTheSameForAnyNumberOfWorkers)
{
    for (int k = 0; k < 12; ++k)
        Write("maps/m" + std::to_string(k) + ".pud", WriteScenario(Map(static_cast<uint16_t>(k % 4), 32, "", k % 8)));
    Write("maps/broken.pud", ScenarioWriter());
    ASSERT_EQ(Gallery({"-j", "1", dir.File("maps")}).Status, 1);
    const JsonObject one = Maps();
    ASSERT_EQ(Gallery({"-j", "4", dir.File("maps")}).Status, 1);
    EXPECT_EQ(Maps(), one);
}

// Each card opens a picture of twice its side and offers the scenario file
// itself; both lie inside the site, so that a copy of the site works.
TEST_F(GalleryCommand, EachMapHasALargerPictureAndACopyOfItsScenarioInsideTheSite)
{
    const std::string top = Write("maps/top.pud", WriteScenario(Map(0, 32, "", 2)));
    const std::string deep = Write("maps/sub/Deep Map.PUD", WriteScenario(Map(1, 64, "", 4)));
    ASSERT_EQ(Gallery({dir.File("maps")}).Status, 0);
    EXPECT_EQ(PngWidth(dir.File("site/previews/top.png")), 320u);
    EXPECT_EQ(PngWidth(dir.File("site/previews/sub/Deep Map.png")), 320u);
    EXPECT_EQ(ReadFileBytes(dir.File("site/minimaps/top.pud")), ReadFileBytes(top));
    EXPECT_EQ(ReadFileBytes(dir.File("site/minimaps/sub/Deep Map.pud")), ReadFileBytes(deep));
    const JsonObject maps = Maps();
    ASSERT_EQ(maps.size(), 2u);
    EXPECT_EQ(maps[0]["preview"], "previews/sub/Deep%20Map.png");
    EXPECT_EQ(maps[0]["scenario"], "minimaps/sub/Deep%20Map.pud");
    const std::vector<uint8_t> bytes = ReadFileBytes(top);
    EXPECT_EQ(maps[1]["sha256"], Sha256Hex(bytes.data(), bytes.size()));

    // Twice the side that --size gives, per map size too.
    ASSERT_EQ(Gallery({"--size", "96", "--size64", "50", dir.File("maps")}).Status, 0);
    EXPECT_EQ(PngWidth(dir.File("site/previews/top.png")), 192u);
    EXPECT_EQ(PngWidth(dir.File("site/previews/sub/Deep Map.png")), 100u);

    // Cards as large as the largest picture open their own image.
    fs::remove_all(dir.File("site/previews"));
    ASSERT_EQ(Gallery({"--size", "1024", dir.File("maps")}).Status, 0);
    EXPECT_EQ(Maps()[1]["preview"], "minimaps/top.png");
    EXPECT_FALSE(FileExists(dir.File("site/previews/top.png")));
    EXPECT_NE(ReadText(dir.File("site/cards/1.js")).find(R"("previews":false)"), std::string::npos);
}

TEST(GalleryMapFiles, TheLargerPictureDoublesEachSideUpToItsLargest)
{
    TMinimapSettings card;
    card.ImageSizes = {160, 1, 600, 512};
    EXPECT_EQ(cli::PreviewSettings(card).ImageSizes, (std::array<int32_t, 4>{320, 2, 1024, 1024}));
    card.ImageSizes = {1024, 1025, 40000, MaximumImageSide};
    EXPECT_EQ(cli::PreviewSettings(card).ImageSizes, card.ImageSizes);
    EXPECT_EQ(cli::ScenarioCopyName("sub/x-2.png"), "sub/x-2.pud");
    EXPECT_EQ(cli::ScenarioCopyName("a.b/c"), "a.b/c.pud");
    EXPECT_EQ(cli::ScenarioCopyName("v1.2/map.v3.png"), "v1.2/map.v3.pud");
}

// Byte-identical files share their SHA-256; the first in name order is the
// original, each later one a copy of it; a file that differs in one byte
// is none.
TEST_F(GalleryCommand, ByteIdenticalMapsAreCopiesOfTheFirstInNameOrder)
{
    const ScenarioWriter original = WriteScenario(Map(0, 32, "Twins", 2));
    Write("maps/b/twin.pud", original);
    Write("maps/a/twin.pud", original);
    Write("maps/c/Twin copy.pud", original);
    Write("maps/other.pud", WriteScenario(Map(0, 32, "Twins!", 2)));
    ASSERT_EQ(Gallery({dir.File("maps")}).Status, 0);

    std::map<std::string, std::string> hashes;
    for (const JsonObject& map : Maps())
        hashes[map["path"]] = map["sha256"];
    EXPECT_EQ(hashes["a/twin.pud"], hashes["b/twin.pud"]);
    EXPECT_EQ(hashes["a/twin.pud"], hashes["c/Twin copy.pud"]);
    EXPECT_NE(hashes["a/twin.pud"], hashes["other.pud"]);
    EXPECT_EQ(hashes["a/twin.pud"].size(), 64u);

    const std::string part = ReadText(dir.File("site/cards/1.js"));
    const JsonObject table = JsonObject::parse(part.substr(part.find('{'), part.rfind('}') - part.find('{') + 1));
    EXPECT_EQ(table["copies"], 2);
    EXPECT_EQ(table["previews"], true);
    std::map<std::string, JsonObject> copyOf;
    for (const JsonObject& record : table["cards"])
        copyOf[record[0]] = record[10];
    EXPECT_EQ(copyOf, (std::map<std::string, JsonObject>{{"a/twin.pud", nullptr},
                                                         {"b/twin.pud", "a/twin.pud"},
                                                         {"c/Twin copy.pud", "a/twin.pud"},
                                                         {"other.pud", nullptr}}));
    EXPECT_NE(ReadText(dir.File("site/index.html")).find("Hide copies (2)"), std::string::npos);
}

// A scenario that lies where another one's copy would go is never written
// over: that map offers no copy, and the one there keeps its bytes.
TEST_F(GalleryCommand, NoCopyIsWrittenOverAScenarioOfTheRun)
{
    const std::string first = Write("in/a.pud", WriteScenario(Map(0, 32, "first", 2)));
    const std::string there = Write("site/minimaps/a.pud", WriteScenario(Map(1, 32, "already there", 2)));
    const std::vector<uint8_t> before = ReadFileBytes(there);
    const CliRun run = Gallery({first, there});
    EXPECT_EQ(run.Status, 0) << run.Error;
    EXPECT_EQ(ReadFileBytes(there), before);
    const JsonObject maps = Maps();
    ASSERT_EQ(maps.size(), 2u);
    EXPECT_EQ(maps[0]["path"], "a.pud");
    EXPECT_EQ(maps[0]["scenario"], nullptr);
    EXPECT_EQ(maps[1]["path"], "a-2.pud");
    EXPECT_EQ(maps[1]["scenario"], "minimaps/a-2.pud");
    EXPECT_EQ(ReadFileBytes(dir.File("site/minimaps/a-2.pud")), before);
}

// A site written into the folder it shows: the next run does not take the
// copies of the scenarios that the first left there for maps of its own.
TEST_F(GalleryCommand, ASiteInsideTheCollectionDoesNotShowItsOwnCopiesNextTime)
{
    Write("maps/a.pud", WriteScenario(Map(0, 32, "", 2)));
    Write("maps/sub/b.pud", WriteScenario(Map(1, 32, "", 2)));
    Write("maps/minimaps2/c.pud", WriteScenario(Map(2, 32, "", 2)));
    const std::vector<std::string> args{"gallery", "--no-settings", "-q", "-a", Archive(), "-o", dir.File("maps/site"),
                                        dir.File("maps")};
    ASSERT_EQ(RunTesselCli(args).Status, 0);
    ASSERT_TRUE(FileExists(dir.File("maps/site/minimaps/sub/b.pud")));
    ASSERT_EQ(RunTesselCli(args).Status, 0);
    std::vector<std::string> paths;
    for (const JsonObject& map : JsonObject::parse(ReadText(dir.File("maps/site/maps.json"))))
        paths.push_back(map["path"]);
    EXPECT_EQ(paths, (std::vector<std::string>{"a.pud", "minimaps2/c.pud", "sub/b.pud"}));

    EXPECT_TRUE(cli::LiesInFolder(dir.File("maps/site/minimaps/sub/b.pud"), dir.File("maps/site/minimaps")));
    EXPECT_TRUE(cli::LiesInFolder(dir.File("maps/site/./minimaps/../minimaps/a.pud"), dir.File("maps/site/minimaps/")));
    EXPECT_FALSE(cli::LiesInFolder(dir.File("maps/minimaps2/c.pud"), dir.File("maps/minimaps")));
    EXPECT_FALSE(cli::LiesInFolder(dir.File("maps/site/minimaps"), dir.File("maps/site/minimaps")));
    EXPECT_FALSE(cli::LiesInFolder(dir.File("maps/a.pud"), dir.File("maps/site/minimaps")));
}

TEST(GalleryOptions, UsageErrorsAndHelp)
{
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"gallery", "maps"}, "gallery needs an output folder: -o DIR"},
        {{"gallery", "-o", "site"}, "gallery needs at least one scenario file or folder"},
        {{"gallery", "-o", "site", "-f", "bmp", "maps"}, "unknown option -f"},
        {{"gallery", "-o", "site", "--title"}, "option --title needs a value"},
        {{"gallery", "-o", "site", "--size", "0", "maps"}, "--size takes an image side from 1 to 65532"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunTesselCli(c.args);
        EXPECT_EQ(run.Status, 2);
        EXPECT_NE(run.Error.find(c.says), std::string::npos) << run.Error;
        EXPECT_NE(run.Error.find("Try 'tessel-cli gallery --help'."), std::string::npos) << run.Error;
    }
    const CliRun help = RunTesselCli({"gallery", "--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Out.rfind("Usage: tessel-cli gallery", 0), 0u);
}

}  // namespace
}  // namespace tessel::test
