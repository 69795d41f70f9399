#include "TestSupport.h"

#include "base/Exceptions.h"
#include "PlantedLinks.h"
#include "system/FileLayer.h"
#include "system/SystemErrors.h"
#include "system/TemporaryFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tessel::test {
namespace {

int ErrorNumberOfOpening(const std::string& path)
{
    try {
        InputFile file(path);
    } catch (const EInOutError& error) {
        return error.ErrorCode();
    }
    return 0;
}

TEST(FileLayer, OpeningMapsMissingFilesFoldersAndDirectoriesToTheirNumbers)
{
    TempDir dir;
    EXPECT_EQ(ErrorNumberOfOpening(dir.File("missing.pud")), io_error::FileNotFound);
    EXPECT_EQ(ErrorNumberOfOpening(dir.File("no-such-folder/a.pud")), io_error::InvalidFilename);
    EXPECT_EQ(ErrorNumberOfOpening(dir.Path()), io_error::AccessDenied);
    EXPECT_EQ(InOutErrorText(io_error::AccessDenied), "File access denied");
    EXPECT_EQ(InOutErrorText(io_error::ReadBeyondEnd), "Read beyond end of file");
    EXPECT_EQ(InOutErrorText(io_error::InvalidNumericInput), "Invalid numeric input");
    EXPECT_EQ(InOutErrorText(32), "I/O error 32");
}

// Linux numbers some system errors like our own errors: EIO is 5, yet a
// failing disk must not read "File access denied".
TEST(FileLayer, SystemErrorsKeepTheirOwnNumberAndOnlyMappedOnesTakeOurs)
{
    TempDir dir;
    const struct {
        int errnoValue;
        int number;
        std::string message;
        bool system;
    } cases[] = {
        {EIO, EIO, "I/O error 5", true},
        {ENETDOWN, ENETDOWN, "I/O error 100", true},
        {ENETUNREACH, ENETUNREACH, "I/O error 101", true},
        {EISCONN, EISCONN, "I/O error 106", true},
        {ENXIO, ENXIO, "I/O error 6", true},
        {ENOENT, io_error::FileNotFound, "File not found", false},
        {ENOTDIR, io_error::InvalidFilename, "Invalid filename", false},
        {EMFILE, io_error::TooManyOpenFiles, "Too many open files", false},
        {EACCES, io_error::AccessDenied, "File access denied", false},
        {EROFS, io_error::AccessDenied, "File access denied", false},
        {ENOSPC, io_error::DiskFull, "Disk full", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.errnoValue);
        const EInOutError error = InOutErrorFromSystem(c.errnoValue, dir.File("x.bmp"));
        EXPECT_EQ(error.Message(), c.message);
        EXPECT_EQ(error.ErrorCode(), c.number);
        EXPECT_EQ(error.IsSystemError(), c.system);
    }
}

// A pipe named as a scenario, archive or settings file once left the open
// waiting for a writer forever.
TEST(FileLayer, PipesAndDevicesAreRefusedAsInputWithoutWaiting)
{
    TempDir dir;
    const std::string pipe = dir.File("pipe.pud");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    {
        // With a writer at the other end, the open itself cannot wait.
        const int writer = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK);
        ASSERT_GE(writer, 0);
        EXPECT_EQ(ErrorNumberOfOpening(pipe), io_error::AccessDenied);
        ::close(writer);
    }
    ASSERT_FALSE(HasFailure()) << "opening a pipe without a writer would wait";
    EXPECT_EQ(ErrorNumberOfOpening(pipe), io_error::AccessDenied);
    EXPECT_EQ(ErrorNumberOfOpening("/dev/null"), io_error::AccessDenied);
}

TEST(FileLayer, ReadOnlyFilesOpenForReading)
{
    TempDir dir;
    const std::string path = dir.File("locked.pud");
    WriteFileBytes(path, {1, 2, 3});
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    InputFile file(path);
    uint8_t bytes[3];
    file.ReadExact(bytes, 3);
    EXPECT_EQ(bytes[2], 3);
}

TEST(FileLayer, ShortReadsFailOnlyWhenAllBytesWereAsked)
{
    TempDir dir;
    const std::string path = dir.File("five.bin");
    WriteFileBytes(path, {1, 2, 3, 4, 5});
    InputFile file(path);
    EXPECT_EQ(file.Size(), 5);

    uint8_t bytes[8]{};
    file.Seek(3);
    EXPECT_EQ(file.ReadUpTo(bytes, 8), 2u);
    EXPECT_EQ(bytes[0], 4);
    EXPECT_EQ(file.Position(), 5);

    file.Seek(100);  // past the end is allowed; reading there gives nothing
    EXPECT_EQ(file.ReadUpTo(bytes, 8), 0u);

    file.Seek(2);
    try {
        file.ReadExact(bytes, 4);
        FAIL() << "a short block read must raise";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), io_error::ReadBeyondEnd);
    }
}

TEST(FileLayer, ReplacingFileTouchesTheDestinationOnlyOnCommit)
{
    TempDir dir;
    const std::string path = dir.File("out.bmp");
    WriteFileBytes(path, {9, 9});
    {
        ReplacingOutputFile file(path);
        file.Write("abc", 3);
        EXPECT_EQ(file.Position(), 3);
        EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{9, 9}));
    }
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"out.bmp"}) << "temporary file left behind";
    EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{9, 9}));

    ReplacingOutputFile file(path);
    file.Write("abc", 3);
    file.Commit();
    EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{'a', 'b', 'c'}));
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"out.bmp"});
}

TEST(FileLayer, ReplacingFileRefusesFoldersAndMissingDirectories)
{
    TempDir dir;
    try {
        ReplacingOutputFile file(dir.Path());
        FAIL() << "a folder cannot be replaced";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), io_error::AccessDenied);
    }
    try {
        ReplacingOutputFile file(dir.File("missing/out.bmp"));
        FAIL() << "a file cannot be created in a missing folder";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), io_error::InvalidFilename);
    }
}

int ErrorNumberOfReplacing(const std::string& path)
{
    try {
        ReplacingOutputFile file(path);
        file.Write("new", 3);
        file.Commit();
    } catch (const EInOutError& error) {
        return error.ErrorCode();
    }
    return 0;
}

// A rename needs only the folder's permission: the file's own must still
// decide, as when it is opened for writing.
TEST(FileLayer, AnExistingFileThatCannotBeOpenedForWritingStaysAsItWas)
{
    TempDir dir;
    RunWithoutPrivileges(dir, [&] {
        const std::string path = dir.File("locked.bmp");
        WriteFileBytes(path, {7});
        std::filesystem::permissions(path, std::filesystem::perms::owner_read);
        EXPECT_EQ(ErrorNumberOfReplacing(path), io_error::AccessDenied);
        EXPECT_EQ(ReadFileBytes(path), std::vector<uint8_t>{7});
        EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"locked.bmp"});
    });
}

TEST(FileLayer, PipesAndDevicesAreNeverReplaced)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("pipe.bmp").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/null", dir.File("null.bmp"));
    for (const char* name : {"pipe.bmp", "null.bmp"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ErrorNumberOfReplacing(dir.File(name)), io_error::AccessDenied);
    }
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("pipe.bmp")));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"null.bmp", "pipe.bmp"}));
}

TEST(FileLayer, ASymbolicLinkIsWrittenThroughToItsTarget)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("real"));
    WriteFileBytes(dir.File("real/old.bmp"), {1});
    std::filesystem::create_symlink("real/old.bmp", dir.File("link.bmp"));
    std::filesystem::create_symlink(dir.File("real/new.bmp"), dir.File("dangling.bmp"));
    std::filesystem::create_symlink("loop.bmp", dir.File("loop.bmp"));
    EXPECT_EQ(ErrorNumberOfReplacing(dir.File("loop.bmp")), io_error::InvalidFilename);

    for (const char* link : {"link.bmp", "dangling.bmp"}) {
        SCOPED_TRACE(link);
        EXPECT_EQ(ErrorNumberOfReplacing(dir.File(link)), 0);
        EXPECT_TRUE(std::filesystem::is_symlink(dir.File(link)));
    }
    EXPECT_EQ(ReadText(dir.File("real/old.bmp")), "new");
    EXPECT_EQ(ReadText(dir.File("real/new.bmp")), "new");
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"dangling.bmp", "link.bmp", "loop.bmp", "real"}));
    EXPECT_EQ(FolderEntries(dir.File("real")), (std::vector<std::string>{"new.bmp", "old.bmp"}));
}

int ErrorNumberOfWritingInPlace(const std::string& path)
{
    try {
        InPlaceOutputFile file(path);
        file.Write("new", 3);
        file.Commit();
    } catch (const EInOutError& error) {
        return error.ErrorCode();
    }
    return 0;
}

// In a shared folder another user's link to a file of ours must not make
// us replace that file, nor create the file a dangling one names; the
// system decides, as it would for any program opening the link for writing.
TEST(FileLayer, ALinkPlantedByAnotherUserInASharedFolderIsRefusedAndItsTargetKept)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("shared"));
    PlantedLinks planted(dir.File("shared"));
    if (!planted.Active())
        GTEST_SKIP() << planted.Why();
    WriteText(dir.File("victim.conf"), "keep");
    const std::string toFile = dir.File("shared/thumb.bmp");
    const std::string dangling = dir.File("shared/new.bmp");
    planted.Plant(toFile, dir.File("victim.conf"));
    planted.Plant(dangling, dir.File("created.conf"));
    for (const std::string& link : {toFile, dangling}) {
        SCOPED_TRACE(link);
        EXPECT_EQ(ErrorNumberOfReplacing(link), io_error::AccessDenied);
        EXPECT_EQ(ErrorNumberOfWritingInPlace(link), io_error::AccessDenied);
    }
    EXPECT_EQ(ReadText(dir.File("victim.conf")), "keep");
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"shared", "victim.conf"}));
    EXPECT_EQ(FolderEntries(dir.File("shared")), (std::vector<std::string>{"new.bmp", "thumb.bmp"}));

    // The user's own links in the same folder are written through as ever.
    WriteText(dir.File("mine.conf"), "old");
    std::filesystem::create_symlink(dir.File("mine.conf"), dir.File("shared/mine.bmp"));
    std::filesystem::create_symlink(dir.File("made.conf"), dir.File("shared/made.bmp"));
    EXPECT_EQ(ErrorNumberOfReplacing(dir.File("shared/mine.bmp")), 0);
    EXPECT_EQ(ErrorNumberOfReplacing(dir.File("shared/made.bmp")), 0);
    EXPECT_EQ(ReadText(dir.File("mine.conf")), "new");
    EXPECT_EQ(ReadText(dir.File("made.conf")), "new");
}

TEST(FileLayer, TheTemporaryNameIsShortWhateverTheLengthOfTheOutputName)
{
    TempDir dir;
    const std::string name = std::string(246, 'n') + ".bmp";
    ASSERT_EQ(name.size(), 250u);
    EXPECT_EQ(ErrorNumberOfReplacing(dir.File(name)), 0);  // created
    EXPECT_EQ(ErrorNumberOfReplacing(dir.File(name)), 0);  // replaced
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{name});
}

struct stat StatOf(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

// As rewriting the file in place would: its mode, and its owner where the
// system allows; meanwhile the new bytes are never more open than the old.
TEST(FileLayer, TheReplacementKeepsTheModeAndOwnerAndIsNeverMoreOpenMeanwhile)
{
    TempDir dir;
    ScopedUmask openToAll(0);
    const std::string path = dir.File("settings.ini");
    const bool mayGiveAway = !PermissionsAreEnforced();
    for (const mode_t mode : {0600, 0640, 0755}) {
        SCOPED_TRACE(::testing::Message() << std::oct << mode);
        WriteText(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        if (mayGiveAway) {
            ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
        }

        ReplacingOutputFile file(path);
        file.Write("new", 3);
        file.Flush();
        const auto entries = FolderEntries(dir.Path());
        ASSERT_EQ(entries.size(), 2u);
        const std::string temporary = dir.File(entries[0] == "settings.ini" ? entries[1] : entries[0]);
        EXPECT_EQ(StatOf(temporary).st_mode & 0777 & ~mode, 0u);
        file.Commit();

        const struct stat info = StatOf(path);
        EXPECT_EQ(info.st_mode & 0777, mode);
        if (mayGiveAway) {
            EXPECT_EQ(info.st_uid, 65534u);
            EXPECT_EQ(info.st_gid, 65534u);
        }
        EXPECT_EQ(ReadText(path), "new");
    }
}

// What a process ending on a signal relies on: no temporary file is left,
// and none is made or renamed afterwards.
TEST(FileLayer, AfterTheTemporaryFilesAreRemovedForTheExitNoneIsMadeOrRenamed)
{
    TempDir dir;
    WriteText(dir.File("kept.bmp"), "old");
    RunInChildProcess([&] {
        ReplacingOutputFile pending(dir.File("kept.bmp"));
        pending.Write("new", 3);
        pending.Flush();
        ReplacingOutputFile other(dir.File("other.bmp"));
        ASSERT_EQ(FolderEntries(dir.Path()).size(), 3u);

        RemoveTemporaryFilesForExit();
        EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"kept.bmp"});
        EXPECT_THROW(pending.Commit(), Exception);
        EXPECT_THROW(ReplacingOutputFile(dir.File("late.bmp")), Exception);
    });
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"kept.bmp"});
    EXPECT_EQ(ReadText(dir.File("kept.bmp")), "old");
}

TEST(FileLayer, AFileWrittenInPlaceAndNotCommittedIsLeftEmptyOnlyOnceWrittenTo)
{
    TempDir dir;
    const std::string path = dir.File("thumbnail.png");
    WriteText(path, "old");
    { InPlaceOutputFile untouched(path); }
    EXPECT_EQ(ReadText(path), "old");
    {
        InPlaceOutputFile abandoned(path);
        abandoned.Write("n", 1);
    }
    EXPECT_EQ(ReadText(path), "");

    WriteText(path, "old content");
    {
        InPlaceOutputFile full(path);
        ScopedWriteLimit limit(2);
        try {
            full.Write("abcd", 4);
            ADD_FAILURE() << "the write past the limit must fail";
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.Message(), "Disk full");
        }
    }
    EXPECT_EQ(ReadText(path), "");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"thumbnail.png"});
}

// Never created and never anything but a regular file the process may open
// for writing; a pipe is refused without waiting for a reader.
TEST(FileLayer, OnlyAnExistingRegularFileThatOpensForWritingIsWrittenInPlace)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("pipe.png").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/null", dir.File("null.png"));
    std::filesystem::create_directory(dir.File("folder.png"));
    const struct {
        const char* Name;
        int Number;
    } cases[] = {
        {"missing.png", io_error::FileNotFound}, {"pipe.png", io_error::AccessDenied},
        {"null.png", io_error::AccessDenied},    {"folder.png", io_error::AccessDenied},
        {"none/x.png", io_error::InvalidFilename},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ErrorNumberOfWritingInPlace(dir.File(c.Name)), c.Number);
    }
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"folder.png", "null.png", "pipe.png"}));

    RunWithoutPrivileges(dir, [&] {
        const std::string locked = dir.File("locked.png");
        WriteText(locked, "old");
        std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
        EXPECT_EQ(ErrorNumberOfWritingInPlace(locked), io_error::AccessDenied);
        EXPECT_EQ(ReadText(locked), "old");
    });
}

// A process ending on a signal leaves no part of an image in a file it was
// writing in place, and writes nothing more.
TEST(FileLayer, TheExitEmptiesFilesWrittenInPlaceAndStopsFurtherWrites)
{
    TempDir dir;
    WriteText(dir.File("written.png"), "old");
    WriteText(dir.File("untouched.png"), "old");
    RunInChildProcess([&] {
        InPlaceOutputFile written(dir.File("written.png"));
        written.Write("new image", 9);
        InPlaceOutputFile untouched(dir.File("untouched.png"));

        RemoveTemporaryFilesForExit();
        EXPECT_EQ(ReadText(dir.File("written.png")), "");
        EXPECT_THROW(written.Write("more", 4), Exception);
        EXPECT_THROW(written.Commit(), Exception);
        EXPECT_THROW(untouched.Write("late", 4), Exception);
    });
    EXPECT_EQ(ReadText(dir.File("written.png")), "");
    EXPECT_EQ(ReadText(dir.File("untouched.png")), "old");
}

TEST(FileLayer, WriteLimitFailsLikeAFullDisk)
{
    TempDir dir;
    ReplacingOutputFile file(dir.File("full.bin"));
    ScopedWriteLimit limit(4);
    file.Write("ab", 2);
    try {
        file.Write("cdef", 4);
        FAIL() << "the write past the limit must fail";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Message(), "Disk full");
    }
}

}  // namespace
}  // namespace tessel::test
