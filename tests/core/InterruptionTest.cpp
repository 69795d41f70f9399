// What a signal does to a program, on its own: the watch removes the
// temporary files before it calls back, no output completes afterwards,
// and the process ends with 128 plus the signal's number. Each case runs in
// a child process, since a signal and the registry's exit state are the
// whole process's.
#include "TestSupport.h"

#include "system/FileLayer.h"
#include "system/Interruption.h"
#include "system/TemporaryFiles.h"

#include <chrono>
#include <csignal>
#include <future>
#include <sys/wait.h>
#include <unistd.h>

namespace tessel::test {
namespace {

// The status of a child process that ran body, or -1 when a signal ended it.
int ExitStatusOf(const std::function<void()>& body)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        body();
        std::_Exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST(Interruption, TheWatchRemovesTheTemporaryFilesBeforeItCallsBack)
{
    TempDir dir;
    const std::string thumbnail = dir.File("thumbnail.png");
    WriteText(thumbnail, "");
    RunInChildProcess([&] {
        InPlaceOutputFile inPlace(thumbnail);
        inPlace.Write("half an image", 13);
        ReplacingOutputFile minimap(dir.File("minimap.bmp"));
        minimap.Write("BM", 2);
        minimap.Flush();
        ASSERT_EQ(FolderEntries(dir.Path()).size(), 2u);

        std::promise<std::pair<int, std::vector<std::string>>> called;
        const InterruptionWatch watch([&](int signal) { called.set_value({signal, FolderEntries(dir.Path())}); });
        ::kill(::getpid(), SIGTERM);
        auto seen = called.get_future();
        ASSERT_EQ(seen.wait_for(std::chrono::seconds(30)), std::future_status::ready) << "the watch never called back";
        const auto [signal, entries] = seen.get();
        EXPECT_EQ(signal, SIGTERM);
        EXPECT_EQ(entries, std::vector<std::string>{"thumbnail.png"});
        EXPECT_EQ(ReadText(thumbnail), "");
        EXPECT_THROW(minimap.Commit(), Exception);
        EXPECT_THROW(inPlace.Commit(), Exception);
    });
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"thumbnail.png"});
}

TEST(Interruption, AProgramEndsWith128PlusTheSignalsNumberWithoutRunningWhatIsLeftAtExit)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        SCOPED_TRACE(signal);
        EXPECT_EQ(ExitStatusOf([signal] {
                      std::atexit([] { std::_Exit(99); });
                      EndAfterSignal(signal);
                  }),
                  ExitOnSignal + signal);
    }
    EXPECT_EQ(ExitOnSignal, 128);
}

TEST(Interruption, EachCommittedFileOfEitherKindIsCountedOnce)
{
    TempDir dir;
    WriteText(dir.File("in-place.png"), "");
    const uint64_t before = CommittedFileCount();
    {
        ReplacingOutputFile replaced(dir.File("new.bmp"));
        replaced.Write("new", 3);
        replaced.Commit();
    }
    EXPECT_EQ(CommittedFileCount(), before + 1);
    {
        InPlaceOutputFile inPlace(dir.File("in-place.png"));
        inPlace.Write("png", 3);
        inPlace.Commit();
    }
    EXPECT_EQ(CommittedFileCount(), before + 2);
    { ReplacingOutputFile abandoned(dir.File("abandoned.bmp")); }
    EXPECT_EQ(CommittedFileCount(), before + 2);
}

}  // namespace
}  // namespace tessel::test
