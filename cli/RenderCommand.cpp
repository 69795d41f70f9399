#include "RenderCommand.h"

#include "BuiltinTileset.h"
#include "EraCache.h"
#include "ErrorBox.h"
#include "MakeMinimap.h"
#include "PngWriter.h"
#include "Progress.h"
#include "ScenarioDiscovery.h"
#include "Settings.h"
#include "SignalWatcher.h"
#include "FileLayer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <system_error>
#include <filesystem>
#include <map>
#include <optional>
#include <thread>

namespace fs = std::filesystem;

namespace tessel::cli {

TMinimapSettings RenderSettings(const RenderOptions& options)
{
    TMinimapSettings settings;
    if (!options.NoSettings) {
        const std::string file = options.SettingsFile.value_or(DesktopSettingsFile());
        std::error_code error;
        if (options.SettingsFile && !fs::is_regular_file(file, error))
            throw UsageError("settings file \"" + file + "\" not found");
        LoadSettings(file, settings);
    }
    for (std::size_t index = 0; index < 4; ++index)
        if (options.ImageSizes[index])
            settings.ImageSizes[index] = *options.ImageSizes[index];
    if (options.Units)
        settings.DspUnits = *options.Units;
    if (options.Archive)
        settings.MainDat = *options.Archive;
    return settings;
}

namespace {

struct Job {
    ScenarioInput Input;
    std::string Output;
    // Set for a job whose output path an earlier job already takes.
    std::string CollidesWith;
};

struct Outcome {
    bool Written = false;
    std::vector<std::string> Lines;
};

std::vector<Job> PlanJobs(const std::vector<ScenarioInput>& inputs, const RenderOptions& options)
{
    const char* extension = options.Format == ImageFormat::Png ? ".png" : ".bmp";
    std::vector<Job> jobs;
    std::map<std::string, std::string> claimed;  // output path -> scenario that writes it
    for (const ScenarioInput& input : inputs) {
        Job job{input, OutputPathFor(input, options.OutputDirectory, extension), {}};
        const std::string key = fs::path(job.Output).lexically_normal().string();
        auto [it, isNew] = claimed.emplace(key, input.Path);
        if (!isNew)
            job.CollidesWith = it->second;
        jobs.push_back(std::move(job));
    }
    return jobs;
}

Outcome RunJob(const Job& job, const TMinimapSettings& settings, const MinimapBackend& backend)
{
    Outcome outcome;
    if (!job.CollidesWith.empty()) {
        outcome.Lines.push_back(job.Input.Path + ": Error: output file \"" + job.Output +
                                "\" is already written for \"" + job.CollidesWith + "\"");
        return outcome;
    }
    ScopedErrorBoxHandler collect(
        [&](const std::string& text) { outcome.Lines.push_back(job.Input.Path + ": " + text); });
    if (!job.Input.SubFolder.empty()) {
        std::error_code ignored;  // a folder that cannot be made shows when the file is opened
        fs::create_directories(fs::path(job.Output).parent_path(), ignored);
    }
    outcome.Written = MakeMinimap(job.Input.Path, job.Output, settings, backend);
    return outcome;
}

std::function<void(const std::string&)>& JobHook()
{
    static std::function<void(const std::string&)> hook;
    return hook;
}

// A job whose failure escapes MakeMinimap's own reports (an allocation in
// the collecting of its lines, say) fails alone, with a line of its own.
Outcome RunGuardedJob(const Job& job, const TMinimapSettings& settings, const MinimapBackend& backend)
{
    try {
        if (JobHook())
            JobHook()(job.Input.Path);
        return RunJob(job, settings, backend);
    } catch (const std::exception& error) {
        return {false, {job.Input.Path + ": Error: " + error.what()}};
    } catch (...) {
        return {false, {job.Input.Path + ": Error: unknown failure"}};
    }
}

// The built-in tileset is ready in microseconds: it needs no cache.
MinimapBackend BackendFor(const RenderOptions& options, bool builtinTileset, EraCache& cache)
{
    MinimapBackend backend = builtinTileset ? BuiltinTilesetBackend() : DefaultMinimapBackend();
    if (!builtinTileset && !options.NoCache)
        backend.LoadTerrain = [&cache](const std::string& archive, int32_t era) { return cache.Get(archive, era); };
    if (options.Format == ImageFormat::Png)
        backend.WriteImage = WritePngFile;
    return backend;
}

}  // namespace

int RunRender(const RenderOptions& options, Console& console)
{
    const auto started = std::chrono::steady_clock::now();
    const TMinimapSettings settings = RenderSettings(options);
    const bool builtinTileset = options.BuiltinTileset || settings.MainDat.empty();
    if (!options.BuiltinTileset && settings.MainDat.empty())
        console.Err << NoArchiveNotice << '\n';

    std::vector<std::string> problems;
    const std::vector<Job> jobs = PlanJobs(DiscoverScenarios(options.Paths, problems), options);
    for (const std::string& problem : problems)
        console.Err << problem << '\n';
    {
        std::error_code ignored;  // a folder that cannot be made shows when the first file is opened
        fs::create_directories(options.OutputDirectory, ignored);
    }

    EraCache cache;
    const MinimapBackend backend = BackendFor(options, builtinTileset, cache);

    // Workers take jobs in order; outcomes are reported in job order, so the
    // output is the same for any number of workers.
    std::vector<std::optional<Outcome>> outcomes(jobs.size());
    std::mutex outcomesMutex;
    std::condition_variable outcomeReady;
    std::atomic<std::size_t> nextJob{0};
    int interruption = 0;  // the signal that ended the run; under outcomesMutex
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t workerCount =
        std::min<std::size_t>(options.Jobs > 0 ? static_cast<std::size_t>(options.Jobs) : cores, jobs.size());

    // A signal removes every temporary file at once; from then on no output
    // is completed. Failures that come after it may be its doing and are not
    // recorded; every minimap written before it is, and the report below
    // waits for the last of them.
    const uint64_t committedBefore = CommittedFileCount();
    uint64_t committedByRun = 0;  // final once interruption is set
    std::size_t writtenRecorded = 0;
    std::optional<SignalWatcher> watcher;

    // Workers start on their jobs only once all threads are running, so that
    // a thread that cannot be created ends the run before any work is done.
    std::atomic<bool> mayStart{false};
    std::atomic<bool> cancelled{false};
    std::vector<std::jthread> workers;
    try {
        watcher.emplace([&](int signal) {
            RemoveTemporaryFilesForExit();
            std::lock_guard lock(outcomesMutex);
            committedByRun = CommittedFileCount() - committedBefore;
            interruption = signal;
            outcomeReady.notify_all();
        });
        for (std::size_t w = 0; w < workerCount; ++w)
            workers.emplace_back([&] {
                mayStart.wait(false);
                if (cancelled)
                    return;
                for (std::size_t index; (index = nextJob.fetch_add(1)) < jobs.size();) {
                    Outcome outcome = RunGuardedJob(jobs[index], settings, backend);
                    std::lock_guard lock(outcomesMutex);
                    if (interruption != 0 && !outcome.Written)
                        return;
                    writtenRecorded += outcome.Written ? 1 : 0;
                    outcomes[index] = std::move(outcome);
                    outcomeReady.notify_all();
                    if (interruption != 0)
                        return;
                }
            });
    } catch (const std::system_error& error) {
        cancelled = true;
        mayStart = true;
        mayStart.notify_all();
        throw std::runtime_error(std::string("cannot start a thread: ") + error.what());
    }
    mayStart = true;
    mayStart.notify_all();

    Progress progress(console, jobs.size(), !options.Quiet && console.ErrIsTerminal);
    std::size_t written = 0;
    std::size_t failed = problems.size();
    const auto report = [&](const Outcome& outcome) {
        if (outcome.Written)
            ++written;
        else
            ++failed;
        if (!outcome.Lines.empty()) {
            progress.Clear();
            for (const std::string& line : outcome.Lines)
                console.Err << line << '\n';
        }
    };
    for (std::size_t index = 0; index < jobs.size(); ++index) {
        std::unique_lock lock(outcomesMutex);
        while (!outcomes[index] && interruption == 0) {
            outcomeReady.wait_for(lock, std::chrono::milliseconds(200));
            progress.Show(index, failed);
        }
        if (interruption != 0) {
            // Also the outcomes that finished ahead of their turn.
            outcomeReady.wait_for(lock, std::chrono::seconds(2), [&] { return writtenRecorded >= committedByRun; });
            for (; index < jobs.size(); ++index)
                if (outcomes[index])
                    report(*outcomes[index]);
            break;
        }
        Outcome outcome = std::move(*outcomes[index]);
        outcomes[index].reset();
        lock.unlock();
        report(outcome);
        progress.Show(index + 1, failed);
    }
    progress.Clear();

    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
    if (!options.Quiet) {
        char summary[128];
        std::snprintf(summary, sizeof summary, "written %zu, failed %zu, %.2f s", written, failed, seconds.count());
        console.Out << summary << '\n';
    }
    const int status = failed == 0 ? ExitSuccess : ExitSomeFailed;
    std::unique_lock lock(outcomesMutex);
    if (interruption != 0) {
        // Workers may be deep in a large image: the process ends without
        // waiting for them, and without running anything at exit that they
        // might still use.
        console.Out.flush();
        console.Err.flush();
        std::_Exit(ExitOnSignal + interruption);
    }
    lock.unlock();
    workers.clear();
    return status;
}

void SetJobHookForTesting(std::function<void(const std::string& scenarioPath)> hook) { JobHook() = std::move(hook); }

}  // namespace tessel::cli
