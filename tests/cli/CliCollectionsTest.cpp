// render and gallery over several collections at once: every map is kept,
// below its own collection's name, and shown by its path below what the
// command line gave, never by a path that names the user's folders.
#include "CliRun.h"
#include "ScenarioFiles.h"

#include "JsonLines.h"

#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

using cli::JsonObject;

// Two collections of the same layout, each map of its own era.
class CliCollections : public ::testing::Test {
protected:
    void SetUp() override
    {
        Map("coll_a/x.pud", MapWithOneUnit(0));
        Map("coll_a/sub/y.pud", MapWithOneUnit(1));
        Map("coll_b/x.pud", MapWithOneUnit(2));
        Map("coll_b/sub/y.pud", MapWithOneUnit(3));
    }

    std::string Map(const std::string& relative, const ScenarioContent& content) const
    {
        return WriteScenarioFile(dir, relative, WriteScenario(content));
    }

    CliRun Run(const std::string& command, const std::string& output, std::vector<std::string> paths) const
    {
        std::vector<std::string> args{command, "--no-settings", "--builtin-tileset", "-q", "-o", dir.File(output)};
        for (const std::string& path : paths)
            args.push_back(dir.File(path));
        return RunTesselCli(args);
    }

    TempDir dir;
};

TEST_F(CliCollections, RenderPutsEachFolderBelowItsOwnNameAndOneFolderKeepsItsLayout)
{
    const CliRun run = Run("render", "out", {"coll_a", "coll_b"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Error, "");
    EXPECT_EQ(FolderEntries(dir.File("out")), (std::vector<std::string>{"coll_a", "coll_b"}));
    for (const std::string collection : {"coll_a", "coll_b"}) {
        SCOPED_TRACE(collection);
        ASSERT_EQ(Run("render", "alone", {collection}).Status, 0);
        EXPECT_EQ(FolderEntries(dir.File("alone")), (std::vector<std::string>{"sub", "x.bmp"}));
        for (const std::string image : {"x.bmp", "sub/y.bmp"})
            EXPECT_EQ(ReadFileBytes(dir.File("out/" + collection + "/" + image)),
                      ReadFileBytes(dir.File("alone/" + image)))
                << image;
        fs::remove_all(dir.File("alone"));
    }
    EXPECT_NE(ReadFileBytes(dir.File("out/coll_a/x.bmp")), ReadFileBytes(dir.File("out/coll_b/x.bmp")));
}

TEST_F(CliCollections, FoldersOfOneNameAreNumberedInTheOrderGiven)
{
    Map("a/maps/x.pud", MapWithOneUnit(0));
    Map("b/maps/x.pud", MapWithOneUnit(1));
    Map("c/maps/x.pud", MapWithOneUnit(2));
    const CliRun run = Run("render", "out", {"b/maps", "a/maps/", "c/maps"});
    EXPECT_EQ(run.Status, 0) << run.Error;
    EXPECT_EQ(FolderEntries(dir.File("out")), (std::vector<std::string>{"maps", "maps-2", "maps-3"}));
    ASSERT_EQ(Run("render", "b", {"b/maps"}).Status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("out/maps/x.bmp")), ReadFileBytes(dir.File("b/x.bmp")));
}

// The failure lines say which collection a failure belongs to, and name
// neither the user's folders nor anything above the folders given.
TEST_F(CliCollections, FailuresAreShownByTheirPathBelowTheCollectionsName)
{
    WriteScenarioFile(dir, "coll_b/sub/broken.pud", ScenarioWithoutDim());
    fs::create_directories(dir.File("coll_c/nothing"));
    for (const std::string command : {"render", "gallery"}) {
        SCOPED_TRACE(command);
        const CliRun run = Run(command, "out-" + command, {"coll_a", "coll_b", "coll_c"});
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Error, "coll_c: no scenario files found\n"
                           "coll_b/sub/broken.pud: Error: Invalid PUD (no DIM chunk).\n");
    }
    const JsonObject maps = JsonObject::parse(ReadText(dir.File("out-gallery/maps.json")));
    std::map<std::string, std::string> failed;
    for (const JsonObject& map : maps)
        if (map.contains("error"))
            failed[map["path"]] = map["error"];
    EXPECT_EQ(failed, (std::map<std::string, std::string>{
                          {"coll_b/sub/broken.pud", "Error: Invalid PUD (no DIM chunk)."},
                          {"coll_c", "no scenario files found"},
                      }));
    for (const std::string file : {"maps.json", "index.html"})
        EXPECT_EQ(ReadText(dir.File("out-gallery/" + file)).find(dir.Path()), std::string::npos) << file;
}

TEST_F(CliCollections, ScenariosOfOneFolderThatWouldShareAnImageAreNumbered)
{
    Map("cased/x.PUD", MapWithOneUnit(0));
    Map("cased/x.pud", MapWithOneUnit(1));
    const CliRun run = Run("render", "out", {"cased"});
    EXPECT_EQ(run.Status, 0) << run.Error;
    EXPECT_EQ(FolderEntries(dir.File("out")), (std::vector<std::string>{"x-2.bmp", "x.bmp"}));
    ASSERT_EQ(Run("render", "alone", {"cased/x.pud"}).Status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("out/x-2.bmp")), ReadFileBytes(dir.File("alone/x.bmp")));
}

TEST_F(CliCollections, TheGalleryKeepsEveryMapWithAUniqueNameAndNoPathAsGiven)
{
    const std::string twin = Map("elsewhere/x.pud", MapWithOneUnit(3));
    const CliRun run = Run("gallery", "site", {"coll_a", "coll_b", "elsewhere/x.pud"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Error, "");

    const JsonObject maps = JsonObject::parse(ReadText(dir.File("site/maps.json")));
    std::vector<std::string> shown;
    for (const JsonObject& map : maps)
        shown.push_back(map["path"].get<std::string>() + " " + map["minimap"].get<std::string>());
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "coll_a/sub/y.pud minimaps/coll_a/sub/y.png",
                         "coll_a/x.pud minimaps/coll_a/x.png",
                         "coll_b/sub/y.pud minimaps/coll_b/sub/y.png",
                         "coll_b/x.pud minimaps/coll_b/x.png",
                         "x.pud minimaps/x.png",
                     }));
    for (const JsonObject& map : maps)
        EXPECT_TRUE(FileExists(dir.File("site/" + map["minimap"].get<std::string>()))) << map["minimap"];
    for (const std::string file : {"maps.json", "index.html"})
        EXPECT_EQ(ReadText(dir.File("site/" + file)).find(dir.Path()), std::string::npos) << file;
}

}  // namespace
}  // namespace tessel::test
