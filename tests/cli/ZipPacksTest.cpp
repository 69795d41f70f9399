// Map packs: zip archives given or found in a folder are read as folders
// named after them; hostile names, sizes and entry counts cost nothing and
// write nothing outside the output folder; what is not a zip says so.
#include "CliRun.h"
#include "ScenarioFiles.h"
#include "ZipFiles.h"

#include "JsonLines.h"
#include "scenario/ScenarioChunks.h"
#include "ZipInputs.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

using cli::JsonObject;
using Bytes = std::vector<uint8_t>;

Bytes MapBytes(uint16_t era) { return WriteScenario(MapWithOneUnit(era)).Bytes(); }

class ZipPacks : public ::testing::Test {
protected:
    CliRun Run(const std::string& command, const std::string& output, const std::vector<std::string>& paths,
               std::vector<std::string> extra = {}) const
    {
        std::vector<std::string> args{command, "--no-settings", "--builtin-tileset", "-q", "-o", dir.File(output)};
        args.insert(args.end(), extra.begin(), extra.end());
        for (const std::string& path : paths)
            args.push_back(dir.File(path));
        return RunTesselCli(args);
    }

    CliRun Info(const std::vector<std::string>& paths, bool json = false) const
    {
        std::vector<std::string> args{"info"};
        if (json)
            args.push_back("--json");
        for (const std::string& path : paths)
            args.push_back(dir.File(path));
        return RunTesselCli(args);
    }

    // Every file below the test's folder, by its path there.
    std::set<std::string> AllFiles() const
    {
        std::set<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
            if (!entry.is_directory())
                files.insert(fs::relative(entry.path(), dir.Path()).generic_string());
        return files;
    }

    // The image that render makes of bytes as a file of its own.
    Bytes ImageOfFile(const Bytes& bytes) const
    {
        WriteFileBytes(dir.File("alone.pud"), bytes);
        EXPECT_EQ(Run("render", "alone", {"alone.pud"}).Status, 0);
        const Bytes image = ReadFileBytes(dir.File("alone/alone.bmp"));
        fs::remove_all(dir.File("alone"));
        fs::remove(dir.File("alone.pud"));
        return image;
    }

    TempDir dir;
};

TEST(ZipNames, OnlyPlainRelativePathsAreSafe)
{
    for (const char* safe : {"a.pud", "maps/a.pud", "a b/c-d/e.PUD", "..a/b..pud", ".hidden/a.pud", "ü/ß.pud"})
        EXPECT_TRUE(cli::IsSafeEntryName(safe)) << safe;
    for (const char* unsafe : {"", "/a.pud", "../a.pud", "maps/../../a.pud", "maps/..", "./a.pud", "a/./b.pud",
                               "a//b.pud", "a\\b.pud", "..\\a.pud", "C:\\a.pud", "C:a.pud", "c:/a.pud", "a/b:c.pud",
                               "\\\\server\\share\\a.pud", "maps/"})
        EXPECT_FALSE(cli::IsSafeEntryName(unsafe)) << unsafe;
}

TEST(ZipNames, AnArchivesFolderIsItsNameWithoutZipButNeverEmptyOrAParent)
{
    EXPECT_EQ(cli::ZipFolderName("pack.zip"), "pack");
    EXPECT_EQ(cli::ZipFolderName("Pack.ZIP"), "Pack");
    EXPECT_EQ(cli::ZipFolderName("a.zip.zip"), "a.zip");
    EXPECT_EQ(cli::ZipFolderName(".zip"), ".zip");
    EXPECT_EQ(cli::ZipFolderName("..zip"), "..zip");
    EXPECT_EQ(cli::ZipFolderName("...zip"), "...zip");
    EXPECT_EQ(cli::ZipFolderName("....zip"), "...");
}

TEST_F(ZipPacks, AZipGivenIsAFolderNamedAfterItAndItsImagesAreThoseOfTheFiles)
{
    // Zips inside the zip are not followed.
    WriteZip(dir.File("inner.zip"), {{"c.pud", MapBytes(3)}});
    WriteZip(dir.File("pack.zip"), {{"maps/a.pud", MapBytes(1)},
                                    {"b.pud", MapBytes(2), true},
                                    {"readme.txt", {'h', 'i'}},
                                    {"maps/", {}},
                                    {"inner.zip", ReadFileBytes(dir.File("inner.zip"))}});
    const CliRun run = Run("render", "out", {"pack.zip"});
    EXPECT_EQ(run.Status, 0) << run.Error;
    EXPECT_EQ(run.Error, "");
    EXPECT_EQ(FolderEntries(dir.File("out")), (std::vector<std::string>{"pack"}));
    EXPECT_EQ(FolderEntries(dir.File("out/pack")), (std::vector<std::string>{"b.bmp", "maps"}));
    EXPECT_EQ(FolderEntries(dir.File("out/pack/maps")), (std::vector<std::string>{"a.bmp"}));
    EXPECT_EQ(ReadFileBytes(dir.File("out/pack/maps/a.bmp")), ImageOfFile(MapBytes(1)));
    EXPECT_EQ(ReadFileBytes(dir.File("out/pack/b.bmp")), ImageOfFile(MapBytes(2)));
}

TEST_F(ZipPacks, AZipFoundInAFolderStandsBesideItsFilesAndEveryCommandNamesItsMapsAlike)
{
    WriteScenarioFile(dir, "coll/x.pud", WriteScenario(MapWithOneUnit(0)));
    fs::create_directories(dir.File("coll/sub"));
    WriteZip(dir.File("coll/sub/Pack.ZIP"), {{"maps/a.pud", MapBytes(1)}, {"notes/readme.txt", {'x'}}});
    const CliRun render = Run("render", "out", {"coll"});
    EXPECT_EQ(render.Status, 0) << render.Error;
    EXPECT_TRUE(FileExists(dir.File("out/x.bmp")));
    EXPECT_EQ(ReadFileBytes(dir.File("out/sub/Pack/maps/a.bmp")), ImageOfFile(MapBytes(1)));

    const CliRun gallery = Run("gallery", "site", {"coll"});
    EXPECT_EQ(gallery.Status, 0) << gallery.Error;
    std::vector<std::string> shown;
    for (const JsonObject& map : JsonObject::parse(ReadText(dir.File("site/maps.json"))))
        shown.push_back(map["path"].get<std::string>() + " " + map["minimap"].get<std::string>());
    EXPECT_EQ(shown, (std::vector<std::string>{"sub/Pack/maps/a.pud minimaps/sub/Pack/maps/a.png",
                                               "x.pud minimaps/x.png"}));
    EXPECT_TRUE(FileExists(dir.File("site/minimaps/sub/Pack/maps/a.png")));

    const CliRun info = Info({"coll"}, true);
    EXPECT_EQ(info.Status, 0);
    std::vector<std::string> paths;
    for (std::size_t start = 0, end; (end = info.Out.find('\n', start)) != std::string::npos; start = end + 1)
        paths.push_back(JsonObject::parse(info.Out.substr(start, end - start))["path"]);
    EXPECT_EQ(paths, (std::vector<std::string>{dir.File("coll/sub/Pack.ZIP/maps/a.pud"), dir.File("coll/x.pud")}));
    EXPECT_EQ(Info({"coll/sub/Pack.ZIP"}).Out.rfind(dir.File("coll/sub/Pack.ZIP/maps/a.pud") + ": era 1 (winter)", 0),
              0u);
}

// A pack written anew between two runs of one process is read anew, though
// its path and its entries' names stay.
TEST_F(ZipPacks, APackReplacedSinceTheLastRunIsReadAsItIsNow)
{
    for (const uint16_t era : {1, 2, 3}) {
        WriteZip(dir.File("pack.zip"), {{"a.pud", MapBytes(era)}});
        const CliRun info = Info({"pack.zip"});
        EXPECT_EQ(info.Out.rfind(dir.File("pack.zip/a.pud") + ": era " + std::to_string(era) + " ", 0), 0u)
            << info.Out;
    }
}

// A pack and a folder of one name, or a pack given twice, share names: the
// later maps are numbered as any others.
TEST_F(ZipPacks, MapsOfAPackThatShareANameWithOthersAreNumbered)
{
    WriteScenarioFile(dir, "coll/pack/maps/a.pud", WriteScenario(MapWithOneUnit(0)));
    WriteZip(dir.File("coll/pack.zip"), {{"maps/a.pud", MapBytes(1)}});
    const CliRun run = Run("render", "out", {"coll"});
    EXPECT_EQ(run.Status, 0) << run.Error;
    EXPECT_EQ(FolderEntries(dir.File("out/pack/maps")), (std::vector<std::string>{"a-2.bmp", "a.bmp"}));
    EXPECT_EQ(ReadFileBytes(dir.File("out/pack/maps/a-2.bmp")), ImageOfFile(MapBytes(0)));
    EXPECT_EQ(ReadFileBytes(dir.File("out/pack/maps/a.bmp")), ImageOfFile(MapBytes(1)));

    fs::create_directories(dir.File("other"));
    fs::copy_file(dir.File("coll/pack.zip"), dir.File("other/pack.zip"));
    const CliRun twice = Run("gallery", "site", {"coll/pack.zip", "other/pack.zip"});
    EXPECT_EQ(twice.Status, 0) << twice.Error;
    std::vector<std::string> shown;
    for (const JsonObject& map : JsonObject::parse(ReadText(dir.File("site/maps.json"))))
        shown.push_back(map["path"]);
    EXPECT_EQ(shown, (std::vector<std::string>{"pack/maps/a.pud", "pack/maps/a-2.pud"}));
}

// Whatever names a zip holds, nothing is written outside the output folder:
// each refused name is a failure line, the other maps are rendered.
TEST_F(ZipPacks, NamesThatWouldLeaveTheOutputFolderAreRefusedOneByOne)
{
    const std::vector<std::string> hostile{"../evil.pud",       "../../evil.pud", "/tmp/abs.pud",
                                           "maps/../../x.pud",  "C:\\win.pud",    "C:evil.pud",
                                           "a\\..\\..\\b.pud", "./dot.pud",      "a//b.pud"};
    std::vector<ZipItem> items{{"good/ok.pud", MapBytes(0)}};
    for (const std::string& name : hostile)
        items.push_back({name, MapBytes(1)});
    fs::create_directories(dir.File("deep/er"));
    WriteZip(dir.File("deep/er/pack.zip"), items);
    const std::set<std::string> before = AllFiles();

    for (const std::string command : {"render", "gallery"}) {
        SCOPED_TRACE(command);
        const CliRun run = Run(command, "deep/er/out-" + command, {"deep/er/pack.zip"});
        EXPECT_EQ(run.Status, 1);
        for (const std::string& name : hostile)
            EXPECT_NE(run.Error.find("pack.zip/" + name + ": Error: " + cli::UnsafeEntryNameText + "\n"),
                      std::string::npos)
                << name;
    }
    std::set<std::string> made;
    for (const std::string& file : AllFiles())
        if (before.count(file) == 0)
            made.insert(file);
    EXPECT_EQ(made, (std::set<std::string>{"deep/er/out-render/pack/good/ok.bmp",
                                           "deep/er/out-gallery/minimaps/pack/good/ok.png",
                                           "deep/er/out-gallery/minimaps/pack/good/ok.pud",
                                           "deep/er/out-gallery/previews/pack/good/ok.png",
                                           "deep/er/out-gallery/index.html", "deep/er/out-gallery/gallery.css",
                                           "deep/er/out-gallery/gallery.js", "deep/er/out-gallery/maps.json",
                                           "deep/er/out-gallery/cards/1.js"}));
    const std::string maps = ReadText(dir.File("deep/er/out-gallery/maps.json"));
    EXPECT_NE(maps.find("\"pack.zip/../evil.pud\""), std::string::npos);
    EXPECT_EQ(maps.find(dir.Path()), std::string::npos);
}

TEST_F(ZipPacks, EntriesBeyondTheScenarioLimitAreRefusedAsSuchFilesAre)
{
    Bytes atLimit = MapBytes(0);
    atLimit.resize(static_cast<std::size_t>(MaximumScenarioSize));
    Bytes overLimit = atLimit;
    overLimit.push_back(0);
    WriteZip(dir.File("pack.zip"), {{"at.pud", atLimit}, {"over.pud", overLimit}, {"huge.pud", Bytes(64 << 20)}});
    for (const std::string command : {"render", "gallery"}) {
        SCOPED_TRACE(command);
        const CliRun run = Run(command, "out-" + command, {"pack.zip"});
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Error, std::string("pack/huge.pud: Error: ") + ScenarioTooLargeText + "\npack/over.pud: Error: " +
                                 ScenarioTooLargeText + "\n");
    }
    EXPECT_TRUE(FileExists(dir.File("out-render/pack/at.bmp")));
    const CliRun info = Info({"pack.zip"});
    EXPECT_EQ(info.Status, 1);
    EXPECT_NE(info.Out.find("pack.zip/over.pud: " + std::string(ScenarioTooLargeText) + "\n"), std::string::npos);
}

// A stated size that lies is never believed beyond the limit: the entry
// fails, as too large or as a damaged archive, and leaves no image.
TEST_F(ZipPacks, AnEntryWhoseStatedSizeLiesFailsWithoutAnImage)
{
    for (const bool stored : {false, true}) {
        SCOPED_TRACE(stored ? "stored" : "deflated");
        WriteZip(dir.File("liar.zip"), {{"big.pud", Bytes(static_cast<std::size_t>(MaximumScenarioSize) + 4096, 7),
                                         stored}});
        SetStatedSize(dir.File("liar.zip"), 1000);
        const CliRun run = Run("render", "out", {"liar.zip"});
        EXPECT_EQ(run.Status, 1);
        const bool tooLarge = run.Error == "liar/big.pud: Error: " + std::string(ScenarioTooLargeText) + "\n";
        const bool damaged = run.Error.rfind("liar/big.pud: Error: Invalid zip archive (", 0) == 0;
        EXPECT_TRUE(tooLarge || damaged) << run.Error;
        EXPECT_FALSE(FileExists(dir.File("out/liar/big.bmp")));
    }
}

TEST_F(ZipPacks, AZipOfMoreEntriesThanTheLimitIsRefusedWhole)
{
    for (const uint64_t count : {cli::MaximumZipEntries, cli::MaximumZipEntries + 1}) {
        SCOPED_TRACE(count);
        std::vector<ZipItem> items{{"a.pud", MapBytes(0)}};
        for (uint64_t k = 1; k < count; ++k)
            items.push_back({"readme" + std::to_string(k) + ".txt", {}, true});
        WriteZip(dir.File("many.zip"), items);
        const CliRun run = Run("render", "out", {"many.zip"});
        if (count <= cli::MaximumZipEntries) {
            EXPECT_EQ(run.Status, 0) << run.Error;
        } else {
            EXPECT_EQ(run.Status, 1);
            EXPECT_EQ(run.Error, "many.zip: Error: Invalid zip archive (more than " +
                                     std::to_string(cli::MaximumZipEntries) + " entries).\n");
        }
    }
}

TEST_F(ZipPacks, WhatIsNotAReadableZipSaysSoInEveryCommand)
{
    fs::create_directories(dir.File("messy"));
    WriteText(dir.File("messy/pack.zip"), "these are not the maps you are looking for");
    WriteFileBytes(dir.File("messy/renamed.zip"), MapBytes(0));
    WriteZip(dir.File("messy/readmes.zip"), {{"readme.txt", {'x'}}});
    WriteZip(dir.File("messy/crc.zip"), {{"a.pud", MapBytes(0), true}});
    Bytes damaged = ReadFileBytes(dir.File("messy/crc.zip"));
    const Bytes stored = MapBytes(0);
    const auto data = std::search(damaged.begin(), damaged.end(), stored.begin(), stored.end());
    ASSERT_NE(data, damaged.end());
    *(data + 40) ^= 0xFF;
    WriteFileBytes(dir.File("messy/crc.zip"), damaged);

    const CliRun info = Info({"messy/pack.zip", "messy/renamed.zip", "messy/readmes.zip", "messy/none.zip"});
    EXPECT_EQ(info.Status, 1);
    EXPECT_EQ(info.Error, dir.File("messy/pack.zip") + ": Error: Invalid zip archive (Not a zip archive).\n" +
                              dir.File("messy/renamed.zip") + ": Error: Invalid zip archive (Not a zip archive).\n" +
                              dir.File("messy/readmes.zip") + ": no scenario files found\n" +
                              dir.File("messy/none.zip") + ": Error: File not found\n");
    EXPECT_EQ(info.Out.find("ERA"), std::string::npos);

    const CliRun render = Run("render", "out", {"messy"});
    EXPECT_EQ(render.Status, 1);
    EXPECT_EQ(render.Error, "pack.zip: Error: Invalid zip archive (Not a zip archive).\n"
                            "renamed.zip: Error: Invalid zip archive (Not a zip archive).\n"
                            "crc/a.pud: Error: Invalid zip archive (CRC error).\n");
    const CliRun gallery = Run("gallery", "site", {"messy/pack.zip"});
    EXPECT_EQ(gallery.Status, 1);
    EXPECT_EQ(gallery.Error, "pack.zip: Error: Invalid zip archive (Not a zip archive).\n");
    EXPECT_NE(ReadText(dir.File("site/maps.json")).find("Invalid zip archive"), std::string::npos);
}

}  // namespace
}  // namespace tessel::test
