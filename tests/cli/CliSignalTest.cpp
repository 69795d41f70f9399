// tessel-cli render ended by a signal, run as a child process on large
// images: the temporary files go, the finished minimaps stay whole, the
// summary so far is printed and the status is 128 + the signal's number.
#include "TestSupport.h"

#include "ArchiveWriter.h"
#include "ScenarioWriter.h"
#include "TestEra.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;

extern char** environ;

namespace tessel::test {
namespace {

class CliSignal : public ::testing::Test {
protected:
    void SetUp() override
    {
        ArchiveWriter().Era(0, MakeTestEra(5)).WriteTo(dir.File("MAINDAT.WAR"));
        for (int k = 0; k < 12; ++k) {
            const std::string folder = dir.File(k % 2 == 0 ? "maps" : "maps/deeper");
            fs::create_directories(folder);
            WriteScenario(ScenarioContent{}).WriteTo(folder + "/map" + std::to_string(k) + ".pud");
        }
    }

    // Starts tessel-cli render on every map at the image side given, with
    // the signals at their defaults unless ignoredSignal is set.
    pid_t StartRender(int side, int ignoredSignal = 0) { return StartCli("render", side, ignoredSignal); }

    // The same with command (render or gallery) on the folder given; the
    // standard output and error go to stdout.txt and stderr.txt, or both
    // into outputPipe.
    pid_t StartCli(const std::string& command, int side, int ignoredSignal = 0, const std::string& folder = "maps",
                   int outputPipe = -1)
    {
        const std::vector<std::string> args{TESSEL_CLI_PROGRAM, command, "--no-settings", "-j", "2", "--size",
                                            std::to_string(side), "-a", dir.File("MAINDAT.WAR"), "-o",
                                            dir.File("out"), dir.File(folder)};
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);

        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        if (outputPipe >= 0) {
            posix_spawn_file_actions_adddup2(&files, outputPipe, 1);
            posix_spawn_file_actions_adddup2(&files, outputPipe, 2);
        } else {
            posix_spawn_file_actions_addopen(&files, 1, dir.File("stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                             0644);
            posix_spawn_file_actions_addopen(&files, 2, dir.File("stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                             0644);
        }
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attributes, &signals);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
            if (signal != ignoredSignal)
                sigaddset(&signals, signal);
        posix_spawnattr_setsigdefault(&attributes, &signals);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

        // An ignored signal stays ignored across exec, as under nohup.
        struct sigaction ignore {}, previous {};
        ignore.sa_handler = SIG_IGN;
        if (ignoredSignal != 0)
            sigaction(ignoredSignal, &ignore, &previous);
        pid_t child = -1;
        const int failure = posix_spawn(&child, argv[0], &files, &attributes, argv.data(), environ);
        if (ignoredSignal != 0)
            sigaction(ignoredSignal, &previous, nullptr);
        posix_spawn_file_actions_destroy(&files);
        posix_spawnattr_destroy(&attributes);
        EXPECT_EQ(failure, 0) << "cannot start " << argv[0];
        return failure == 0 ? child : -1;
    }

    // Every file below out, by kind.
    struct OutputTree {
        std::vector<std::string> Finished;  // whole bitmaps of the side asked for
        std::vector<std::string> Others;    // temporary, partial or anything else
    };

    OutputTree Outputs(int side) const
    {
        OutputTree tree;
        const std::uintmax_t whole = 1078u + std::uintmax_t(side) * side;  // side is a multiple of 4
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(dir.File("out"), error);
             !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
            if (it->is_directory())
                continue;
            const std::string name = it->path().filename().string();
            std::error_code sizeError;
            const bool finished = name.front() != '.' && it->path().extension() == ".bmp" &&
                                  it->file_size(sizeError) == whole && !sizeError;
            (finished ? tree.Finished : tree.Others).push_back(it->path().string());
        }
        return tree;
    }

    // Waits until ready() holds or the child has ended; false on timeout.
    template <class Ready>
    bool WaitFor(pid_t child, Ready ready)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(240);
        while (std::chrono::steady_clock::now() < deadline) {
            if (ready())
                return true;
            // The child ended: it stays waitable for Status (waitpid takes no WNOWAIT).
            siginfo_t ended{};
            if (::waitid(P_PID, static_cast<id_t>(child), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                ended.si_pid == child)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    static int Status(pid_t child)
    {
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempDir dir;
};

TEST_F(CliSignal, ASignalMidRunRemovesTemporaryFilesKeepsFinishedMinimapsAndPrintsTheSummary)
{
    constexpr int side = 8000;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        fs::remove_all(dir.File("out"));
        const pid_t child = StartRender(side);
        ASSERT_GT(child, 0);
        // Mid-run: a minimap finished and another one half written.
        const bool midRun = WaitFor(child, [&] {
            const OutputTree tree = Outputs(side);
            return !tree.Finished.empty() && !tree.Others.empty();
        });
        ::kill(child, signal);
        const int status = Status(child);
        ASSERT_TRUE(midRun) << "the run ended or stalled before the signal";

        EXPECT_EQ(status, 128 + signal);
        const OutputTree tree = Outputs(side);
        EXPECT_EQ(tree.Others, std::vector<std::string>{});
        EXPECT_FALSE(tree.Finished.empty());
        EXPECT_LT(tree.Finished.size(), 12u);
        for (const std::string& path : tree.Finished) {
            const auto header = ReadFileBytes(path);
            EXPECT_EQ(header[0], 'B');
            EXPECT_EQ(header[1], 'M');
        }
        EXPECT_EQ(ReadText(dir.File("stdout.txt")).rfind("written " + std::to_string(tree.Finished.size()) +
                                                              ", failed 0, ",
                                                          0),
                  0u)
            << ReadText(dir.File("stdout.txt"));
        EXPECT_EQ(ReadText(dir.File("stderr.txt")), "");
    }
}

// A gallery ended by a signal keeps the minimaps written so far, leaves no
// temporary file and writes no page.
TEST_F(CliSignal, ASignalEndsAGalleryWithoutItsPage)
{
    // Varied terrain, so that each large image takes a while to compress.
    ScenarioContent varied;
    varied.Tiles.resize(32 * 32);
    for (std::size_t k = 0; k < varied.Tiles.size(); ++k)
        varied.Tiles[k] = static_cast<TileCode>((k * 37) % 2600);
    for (int k = 0; k < 12; ++k)
        WriteScenario(varied).WriteTo(dir.File(k % 2 == 0 ? "maps" : "maps/deeper") + "/map" + std::to_string(k) +
                                      ".pud");
    constexpr int side = 8000;
    const pid_t child = StartCli("gallery", side);
    ASSERT_GT(child, 0);
    const auto finished = [&] {
        std::vector<std::string> images;
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(dir.File("out/minimaps"), error);
             !error && it != fs::recursive_directory_iterator(); it.increment(error))
            if (it->path().extension() == ".png" && it->path().filename().string().front() != '.')
                images.push_back(it->path().string());
        return images;
    };
    const bool midRun = WaitFor(child, [&] { return !finished().empty(); });
    ::kill(child, SIGTERM);
    const int status = Status(child);
    ASSERT_TRUE(midRun) << "the run ended or stalled before the signal";

    EXPECT_EQ(status, 128 + SIGTERM);
    EXPECT_FALSE(FileExists(dir.File("out/index.html")));
    std::vector<std::string> temporary;
    for (const auto& entry : fs::recursive_directory_iterator(dir.File("out")))
        if (entry.path().extension() == ".tmp")
            temporary.push_back(entry.path().string());
    EXPECT_EQ(temporary, std::vector<std::string>{});
    EXPECT_LT(finished().size(), 12u);
    EXPECT_EQ(ReadText(dir.File("stdout.txt")).rfind("gallery of " + std::to_string(finished().size()) +
                                                          " maps, failed 0, ",
                                                      0),
              0u)
        << ReadText(dir.File("stdout.txt"));
    EXPECT_EQ(ReadText(dir.File("stderr.txt")), "tessel-cli: interrupted before the gallery's page was complete\n");
}

// As in "tessel-cli render ... 2>&1 | head -1": the next message meets a
// closed pipe. That ends the run as SIGINT would, where the signal's own
// default would end the process at once and leave temporary files.
TEST_F(CliSignal, AClosedPipeOnTheMessagesEndsTheRunLikeASignal)
{
    // Scenarios that fail, a line each, between large ones, so that lines
    // keep coming while minimaps are written.
    fs::create_directories(dir.File("mixed"));
    for (int k = 0; k < 12; ++k) {
        const std::string name = dir.File("mixed/m" + std::string(k < 10 ? "0" : "") + std::to_string(k) + ".pud");
        if (k % 2 == 0)
            WriteFileBytes(name, std::vector<uint8_t>(100, 0x41));
        else
            WriteScenario(ScenarioContent{}).WriteTo(name);
    }
    constexpr int side = 8000;
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    const pid_t child = StartCli("render", side, 0, "mixed", ends[1]);
    ::close(ends[1]);
    ASSERT_GT(child, 0);
    std::string firstLine;
    for (char c; ::read(ends[0], &c, 1) == 1 && c != '\n';)
        firstLine += c;
    const bool midRun = WaitFor(child, [&] {
        const OutputTree tree = Outputs(side);
        return !tree.Finished.empty() && !tree.Others.empty();
    });
    ::close(ends[0]);
    const int status = Status(child);
    ASSERT_TRUE(midRun) << "the run ended or stalled before the pipe was closed";

    EXPECT_NE(firstLine.find("m00.pud: Error"), std::string::npos) << firstLine;
    EXPECT_EQ(status, 128 + SIGPIPE);
    const OutputTree tree = Outputs(side);
    EXPECT_EQ(tree.Others, std::vector<std::string>{});
    EXPECT_FALSE(tree.Finished.empty());
    EXPECT_LT(tree.Finished.size(), 6u);
}

// Under nohup a hang-up must not end the run. The images are large enough
// for the run to outlast many looks at its temporary files.
TEST_F(CliSignal, ASignalTheProcessIgnoresLetsTheRunFinish)
{
    constexpr int side = 4000;
    const pid_t child = StartRender(side, SIGHUP);
    ASSERT_GT(child, 0);
    const bool midRun = WaitFor(child, [&] { return !Outputs(side).Others.empty(); });
    ::kill(child, SIGHUP);
    EXPECT_EQ(Status(child), 0);
    EXPECT_TRUE(midRun);
    EXPECT_EQ(Outputs(side).Finished.size(), 12u);
    EXPECT_EQ(Outputs(side).Others, std::vector<std::string>{});
}

}  // namespace
}  // namespace tessel::test
