// tessel-thumbnailer stopped by a signal while it writes, as file managers
// stop a thumbnailer that takes too long: nothing of the image stays behind
// and the status is 128 + the signal's number. The thumbnailer runs in a
// child process, held by a write hook right after it has written a part.
#include "TestSupport.h"

#include "ScenarioWriter.h"
#include "system/FaultInjection.h"
#include "Thumbnailer.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessel::test {
namespace {

class ThumbnailerSignal : public ::testing::Test {
protected:
    void SetUp() override { WriteScenario(ScenarioContent{}).WriteTo(dir.File("map.pud")); }

    std::string Output() const { return dir.File("out/thumbnail.png"); }

    // Starts the thumbnailer in a child process and returns once it has
    // written its first bytes and waits there; -1 when it ended before.
    pid_t StartHeldInTheMiddleOfItsWrite()
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return -1;
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(ready[0]);
            fault_injection::RunAfterEachWrite([&] {
                [[maybe_unused]] const ssize_t told = ::write(ready[1], "w", 1);
                for (;;)
                    ::pause();
            });
            std::ostringstream out, err;
            std::_Exit(thumbnailer::RunThumbnailerProcess({"-s", "256", dir.File("map.pud"), Output()}, "", out, err));
        }
        ::close(ready[1]);
        char written = 0;
        const bool held = child > 0 && ::read(ready[0], &written, 1) == 1;
        ::close(ready[0]);
        if (!held && child > 0)
            ::waitpid(child, nullptr, 0);
        return held ? child : -1;
    }

    static int ExitStatus(pid_t child)
    {
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempDir dir;
};

TEST_F(ThumbnailerSignal, ASignalWhileWritingLeavesNoImageAndEndsWith128PlusTheSignal)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) {
        for (const bool inPlace : {false, true}) {
            SCOPED_TRACE(::testing::Message() << strsignal(signal) << (inPlace ? ", in place" : ", a new file"));
            std::filesystem::remove_all(dir.File("out"));
            std::filesystem::create_directory(dir.File("out"));
            if (inPlace)
                WriteText(Output(), "");
            const pid_t child = StartHeldInTheMiddleOfItsWrite();
            ASSERT_GT(child, 0) << "the thumbnailer ended before it wrote";
            // The middle of the write: a part of the image stands in the folder.
            const std::vector<std::string> during = FolderEntries(dir.File("out"));
            const std::size_t writtenBefore = during.empty() ? 0 : ReadFileBytes(dir.File("out/" + during[0])).size();
            ::kill(child, signal);
            EXPECT_EQ(ExitStatus(child), 128 + signal);

            ASSERT_EQ(during.size(), 1u);
            EXPECT_GT(writtenBefore, 0u);
            if (inPlace) {
                EXPECT_EQ(FolderEntries(dir.File("out")), std::vector<std::string>{"thumbnail.png"});
                EXPECT_EQ(ReadFileBytes(Output()), std::vector<uint8_t>{});
            } else {
                EXPECT_EQ(during[0].rfind(".tessel-", 0), 0u) << during[0];
                EXPECT_EQ(FolderEntries(dir.File("out")), std::vector<std::string>{});
            }
        }
    }
}

}  // namespace
}  // namespace tessel::test
