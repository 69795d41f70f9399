// A batch of the command-line renderer against an output folder that fails
// it: each failing entry is one line, the run goes on, and every bitmap that
// stood in the folder before is left byte for byte.
#include "PlantedLinks.h"
#include "ScopedReadOnly.h"
#include "TestSupport.h"

#include "ArchiveWriter.h"
#include "Cli.h"
#include "ScenarioWriter.h"
#include "TestEra.h"

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

class CliFileSystem : public ::testing::Test {
protected:
    void SetUp() override
    {
        ArchiveWriter archive;
        archive.Era(0, MakeTestEra(21));
        archive.WriteTo(dir.File("MAINDAT.WAR"));
        for (const char* name : {"a", "b", "c"}) {
            ScenarioContent content;
            content.Units = {{static_cast<uint16_t>(name[0] - 'a'), 4, 1, 2, 0}};
            WriteScenario(content).WriteTo(Scenario(name));
        }
        fs::create_directories(dir.File("out"));
    }

    std::string Scenario(const std::string& name) const { return dir.File(name + ".pud"); }
    // What the run shows for a scenario: the file name given.
    static std::string Shown(const std::string& name) { return name + ".pud"; }
    std::string Output(const std::string& name) const { return dir.File("out/" + name + ".bmp"); }

    // One worker, so that the entries meet the file system in order.
    int RenderAll(std::string& errors, const std::string& outputFolder) const
    {
        std::ostringstream out, err;
        cli::Console console{out, err, false};
        const int status = cli::RunCli({"render", "--no-settings", "-q", "-j", "1", "-a", dir.File("MAINDAT.WAR"),
                                        "-o", outputFolder, Scenario("a"), Scenario("b"), Scenario("c")},
                                       console);
        errors = err.str();
        return status;
    }

    TempDir dir;
};

TEST_F(CliFileSystem, ADiskThatFillsUpMidBatchFailsTheRestAndKeepsTheirEarlierBitmaps)
{
    const std::vector<uint8_t> earlierB(5000, 0xB0);
    const std::vector<uint8_t> earlierC(9, 0xC0);
    WriteFileBytes(Output("b"), earlierB);
    WriteFileBytes(Output("c"), earlierC);

    // a's 160 x 160 bitmap fits; b runs out within its rows; nothing is left
    // for c's header.
    std::string errors;
    int status;
    {
        ScopedWriteLimit fullDisk(26678 + 2000);
        status = RenderAll(errors, dir.File("out"));
    }
    EXPECT_EQ(status, 1);
    EXPECT_EQ(errors, Shown("b") + ": Error writing BMP file: Disk full\n" + Shown("c") +
                          ": Error writing BMP header : Disk full\n");
    EXPECT_EQ(ReadFileBytes(Output("a")).size(), 26678u);
    EXPECT_EQ(ReadFileBytes(Output("b")), earlierB);
    EXPECT_EQ(ReadFileBytes(Output("c")), earlierC);
    EXPECT_EQ(FolderEntries(dir.File("out")), (std::vector<std::string>{"a.bmp", "b.bmp", "c.bmp"}));
}

TEST_F(CliFileSystem, AnOutputPathThatIsAFolderFailsThatEntryAlone)
{
    fs::create_directories(Output("b"));
    WriteFileBytes(Output("b") + "/inside.txt", {1, 2});

    std::string errors;
    EXPECT_EQ(RenderAll(errors, dir.File("out")), 1);
    EXPECT_EQ(errors, Shown("b") + ": Error opening output file \"" + Output("b") + "\" : File access denied\n");
    EXPECT_TRUE(FileExists(Output("a")));
    EXPECT_TRUE(FileExists(Output("c")));
    EXPECT_EQ(ReadFileBytes(Output("b") + "/inside.txt"), (std::vector<uint8_t>{1, 2}));
}

TEST_F(CliFileSystem, AReadOnlyOutputFolderFailsEveryEntryAndChangesNothing)
{
    const std::vector<uint8_t> earlier(300, 0xA0);
    WriteFileBytes(Output("a"), earlier);
    ScopedReadOnly locked(dir.File("out"));
    if (!locked.Active())
        GTEST_SKIP() << locked.Why();

    std::string errors;
    EXPECT_EQ(RenderAll(errors, dir.File("out")), 1);
    std::string expected;
    for (const char* name : {"a", "b", "c"})
        expected += Shown(name) + ": Error opening output file \"" + Output(name) + "\" : File access denied\n";
    EXPECT_EQ(errors, expected);
    EXPECT_EQ(ReadFileBytes(Output("a")), earlier);
    EXPECT_EQ(FolderEntries(dir.File("out")), std::vector<std::string>{"a.bmp"});
}

// Replacing goes through a rename, which needs only the folder's permission:
// the file's own must still keep it, as when it is opened for writing.
TEST_F(CliFileSystem, AReadOnlyOutputFileFailsAsOpeningItWouldAndStaysAsItWas)
{
    fs::permissions(dir.File("out"), fs::perms::all);
    RunWithoutPrivileges(dir, [&] {
        const std::vector<uint8_t> earlier(300, 0xB0);
        WriteFileBytes(Output("b"), earlier);
        fs::permissions(Output("b"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

        std::string errors;
        EXPECT_EQ(RenderAll(errors, dir.File("out")), 1);
        EXPECT_EQ(errors, Shown("b") + ": Error opening output file \"" + Output("b") + "\" : File access denied\n");
        EXPECT_EQ(ReadFileBytes(Output("b")), earlier);
        EXPECT_EQ(FolderEntries(dir.File("out")), (std::vector<std::string>{"a.bmp", "b.bmp", "c.bmp"}));
    });
}

// Root rendering into a shared folder such as /tmp must not replace the file
// that another user's link there points to.
TEST_F(CliFileSystem, ALinkAnotherUserPlantedInASharedOutputFolderFailsThatEntryAndKeepsItsTarget)
{
    PlantedLinks planted(dir.File("out"));
    if (!planted.Active())
        GTEST_SKIP() << planted.Why();
    WriteText(dir.File("victim.conf"), "keep");
    planted.Plant(Output("b"), dir.File("victim.conf"));

    std::string errors;
    EXPECT_EQ(RenderAll(errors, dir.File("out")), 1);
    EXPECT_EQ(errors, Shown("b") + ": Error opening output file \"" + Output("b") + "\" : File access denied\n");
    EXPECT_EQ(ReadText(dir.File("victim.conf")), "keep");
    EXPECT_TRUE(fs::is_symlink(Output("b")));
    EXPECT_EQ(FolderEntries(dir.File("out")), (std::vector<std::string>{"a.bmp", "b.bmp", "c.bmp"}));

    // The gallery's minimaps go the same way.
    fs::create_directories(dir.File("site/minimaps"));
    ASSERT_TRUE(planted.Share(dir.File("site/minimaps")));
    planted.Plant(dir.File("site/minimaps/b.png"), dir.File("victim.conf"));
    std::ostringstream out, err;
    cli::Console console{out, err, false};
    EXPECT_EQ(cli::RunCli({"gallery", "--no-settings", "-q", "-j", "1", "-a", dir.File("MAINDAT.WAR"), "-o",
                           dir.File("site"), Scenario("a"), Scenario("b"), Scenario("c")},
                          console),
              1);
    EXPECT_NE(err.str().find(Shown("b") + ": Error opening output file"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("File access denied"), std::string::npos) << err.str();
    EXPECT_EQ(ReadText(dir.File("victim.conf")), "keep");
}

TEST_F(CliFileSystem, AnOutputFolderThatIsAFileFailsEveryEntryAndKeepsTheFile)
{
    WriteFileBytes(dir.File("taken"), {4, 2});
    std::string errors;
    EXPECT_EQ(RenderAll(errors, dir.File("taken")), 1);
    std::string expected;
    for (const char* name : {"a", "b", "c"})
        expected += Shown(name) + ": Error opening output file \"" + dir.File("taken/" + std::string(name) +
                                                                               ".bmp") + "\" : Invalid filename\n";
    EXPECT_EQ(errors, expected);
    EXPECT_EQ(ReadFileBytes(dir.File("taken")), (std::vector<uint8_t>{4, 2}));
}

}  // namespace
}  // namespace tessel::test
