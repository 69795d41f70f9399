// What the file system can do to a run: folders that take no files, inputs
// that vanish or turn into folders between two entries of a batch, and
// settings in a folder that cannot change. Each failure gives its message,
// the next entry goes on, and no file that stood before is damaged.
#include "ScopedReadOnly.h"
#include "TestSupport.h"

#include "ArchiveWriter.h"
#include "base/Exceptions.h"
#include "minimap/MakeMinimap.h"
#include "ScenarioWriter.h"
#include "settings/Settings.h"
#include "TestEra.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

class FileSystemFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        ArchiveWriter archive;
        for (int era = 0; era < 4; ++era)
            archive.Era(era, MakeTestEra(static_cast<uint8_t>(era + 5)));
        archiveBytes = archive.Bytes();
        WriteFileBytes(ArchivePath(), archiveBytes);
        settings.MainDat = ArchivePath();
        fs::create_directories(dir.File("out"));
    }

    std::string ArchivePath() const { return dir.File("MAINDAT.WAR"); }
    std::string Output(const std::string& name) const { return dir.File("out/" + name); }

    std::string Scenario(const std::string& name) const
    {
        ScenarioContent content;
        content.Units = {{2, 3, 1, 4, 0}};
        const std::string path = dir.File(name);
        WriteScenario(content).WriteTo(path);
        return path;
    }

    bool Make(const std::string& scenario, const std::string& output) const
    {
        return MakeMinimap(scenario, output, settings, DefaultMinimapBackend());
    }

    TempDir dir;
    std::vector<uint8_t> archiveBytes;
    TMinimapSettings settings;
};

TEST_F(FileSystemFailure, AReadOnlyOutputFolderRefusesTheBitmapAndKeepsTheEarlierOne)
{
    const std::string scenario = Scenario("map.pud");
    const std::string output = Output("map.bmp");
    const std::vector<uint8_t> earlier(700, 0x3C);
    WriteFileBytes(output, earlier);

    ScopedReadOnly locked(dir.File("out"));
    if (!locked.Active())
        GTEST_SKIP() << locked.Why();
    ErrorBoxRecorder boxes;
    EXPECT_FALSE(Make(scenario, output));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Error opening output file \"" + output + "\" : File access denied"});
    EXPECT_EQ(ReadFileBytes(output), earlier);
    EXPECT_EQ(FolderEntries(dir.File("out")), std::vector<std::string>{"map.bmp"});
}

// A batch calls MakeMinimap once per entry; the archive is opened afresh by
// each call, so what happened to it in between shows in that entry alone.
TEST_F(FileSystemFailure, AnArchiveThatVanishesOrTurnsIntoAFolderFailsOnlyTheEntriesMadeMeanwhile)
{
    const std::string first = Scenario("a.pud");
    const std::string second = Scenario("b.pud");
    const std::string third = Scenario("c.pud");
    const std::string fourth = Scenario("d.pud");
    const std::vector<uint8_t> earlier{7, 7, 7};
    WriteFileBytes(Output("b.bmp"), earlier);

    ErrorBoxRecorder boxes;
    EXPECT_TRUE(Make(first, Output("a.bmp")));
    fs::remove(ArchivePath());
    EXPECT_FALSE(Make(second, Output("b.bmp")));
    fs::create_directory(ArchivePath());
    EXPECT_FALSE(Make(third, Output("c.bmp")));
    fs::remove(ArchivePath());
    WriteFileBytes(ArchivePath(), archiveBytes);
    EXPECT_TRUE(Make(fourth, Output("d.bmp")));

    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Error: File not found", "Error: File access denied"}));
    EXPECT_EQ(ReadFileBytes(Output("b.bmp")), earlier);
    EXPECT_EQ(FolderEntries(dir.File("out")), (std::vector<std::string>{"a.bmp", "b.bmp", "d.bmp"}));
    EXPECT_EQ(ReadFileBytes(Output("a.bmp")), ReadFileBytes(Output("d.bmp")));
}

TEST_F(FileSystemFailure, AScenarioThatVanishesOrIsAFolderFailsAloneAndTheNextOneRenders)
{
    const std::string vanished = Scenario("gone.pud");
    fs::remove(vanished);
    const std::string folder = dir.File("folder.pud");
    fs::create_directory(folder);
    const std::string good = Scenario("good.pud");

    ErrorBoxRecorder boxes;
    EXPECT_FALSE(Make(vanished, Output("gone.bmp")));
    EXPECT_FALSE(Make(folder, Output("folder.bmp")));
    EXPECT_TRUE(Make(good, Output("good.bmp")));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Error: File not found", "Error: File access denied"}));
    EXPECT_EQ(FolderEntries(dir.File("out")), std::vector<std::string>{"good.bmp"});
}

TEST_F(FileSystemFailure, AScenarioInAFolderThatIsAFileIsAnInvalidFilename)
{
    WriteFileBytes(dir.File("plain"), {1});
    ErrorBoxRecorder boxes;
    EXPECT_FALSE(Make(dir.File("plain/map.pud"), Output("map.bmp")));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Error: Invalid filename"});
    EXPECT_EQ(ReadFileBytes(dir.File("plain")), std::vector<uint8_t>{1});
}

// Saves replace the whole file through a temporary one beside it: in a
// folder that takes no new file, or over a file that cannot be replaced,
// the save ends silently and the old text stays byte for byte.
TEST_F(FileSystemFailure, SettingsThatCannotBeReplacedKeepTheirOldTextByteForByte)
{
    const std::string configFolder = dir.File("config");
    fs::create_directories(configFolder);
    const std::string file = configFolder + "/Minimaps.ini";
    const std::string old = "; kept\r\n[Settings]\r\nSize32=77\r\nMainDat=/games/MAINDAT.WAR\r\n\r\n[Other]\r\nx=1";
    WriteFileBytes(file, std::vector<uint8_t>(old.begin(), old.end()));
    TMinimapSettings changed;
    changed.ImageSizes = {1, 2, 3, 4};
    changed.MainDat = "/elsewhere/MAINDAT.WAR";

    for (const std::string& locked : {configFolder, file}) {
        SCOPED_TRACE(locked);
        ScopedReadOnly readOnly(locked);
        if (!readOnly.Active())
            GTEST_SKIP() << readOnly.Why();
        if (locked == file && !readOnly.Immutable())
            GTEST_SKIP() << "a read-only file mode does not keep a rename from replacing " << file;
        EXPECT_THROW(WriteSettingText(file, "Settings", "MainDat", "/x"), Exception);
        SaveSettings(file, changed);
        SaveLastDirectory(file, "/maps/a.pud");
        const auto bytes = ReadFileBytes(file);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), old);
        EXPECT_EQ(FolderEntries(configFolder), std::vector<std::string>{"Minimaps.ini"});
    }
    // Once writable again, the same save goes through.
    SaveSettings(file, changed);
    EXPECT_EQ(ReadSettingNumber(file, "Settings", "Size32", 0), 1);
}

}  // namespace
}  // namespace tessel::test
