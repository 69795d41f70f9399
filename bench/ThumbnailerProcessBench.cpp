// Whole tessel-thumbnailer processes, start-up included, as a file manager
// runs them: a demo map of 128 tiles with its units, at 128 and 256
// pixels, with no settings file (so the built-in tileset). Wall time per
// process, which a file manager waits for (the goal is at most 5 ms at 256
// pixels), and the process's own processor time (child_cpu_ms), which a
// busy machine does not inflate.
#include "DemoData.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class Scratch {
public:
    Scratch()
    {
        std::string pattern = (fs::temp_directory_path() / "tessel-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a scratch folder");
        folder_ = pattern;
        for (const tessel::DemoScenario& demo : tessel::MakeDemoScenarios())
            if (demo.Content.Side == 128 && map_.empty()) {
                map_ = (folder_ / demo.FileName).string();
                tessel::WriteScenario(demo.Content).WriteTo(map_);
            }
    }
    ~Scratch() { fs::remove_all(folder_); }

    std::string Map() const { return map_; }
    std::string Output() const { return (folder_ / "thumbnail.png").string(); }
    std::string Config() const { return folder_.string(); }  // holds no tessel.ini

private:
    fs::path folder_;
    std::string map_;
};

void BM_ThumbnailerProcess(benchmark::State& state)
{
    static const Scratch scratch;
    std::vector<std::string> args{TESSEL_THUMBNAILER, "-s", std::to_string(state.range(0)), scratch.Map(),
                                  scratch.Output()};
    std::vector<std::string> environment{"XDG_CONFIG_HOME=" + scratch.Config(), "PATH=/usr/bin:/bin"};
    std::vector<char*> argv, envp;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    for (std::string& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    double childSeconds = 0;
    for (auto _ : state) {
        pid_t pid;
        int status = 0;
        rusage usage{};
        if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0 ||
            ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the thumbnailer failed");
            break;
        }
        for (const timeval& time : {usage.ru_utime, usage.ru_stime})
            childSeconds += static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    }
    state.counters["child_cpu_ms"] = benchmark::Counter(childSeconds * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ThumbnailerProcess)->Arg(128)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace
