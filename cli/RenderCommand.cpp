#include "RenderCommand.h"

#include "JobsInOrder.h"
#include "Progress.h"
#include "RenderJobs.h"
#include "text/PathText.h"
#include "text/TerminalName.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace tessel::cli {

namespace {

// A job's outcome, and under --update whether its image was up to date
// (and so not written).
struct UpdatedOutcome : RenderOutcome {
    std::optional<ImageRecord> Scenario;
    bool Skipped = false;
};

}  // namespace

int RunRender(const RenderOptions& options, Console& console)
{
    const auto started = std::chrono::steady_clock::now();
    const TMinimapSettings settings = RenderSettings(options);
    const bool builtinTileset = UsesBuiltinTileset(options, settings, console);

    std::vector<FolderProblem> problems;
    const char* extension = options.Format == ImageFormat::Png ? ".png" : ".bmp";
    const std::vector<ScenarioInput> inputs = DiscoverScenarios(options.Paths, problems);
    const OutputPlan plan = PlanOutputs(options.Paths, inputs, problems, extension);
    const std::vector<RenderJob> jobs = PlanRenderJobs(plan, options.OutputDirectory);
    for (std::size_t k = 0; k < problems.size(); ++k)
        PrintFailureLine(console.Error, plan.ProblemNames[k], problems[k].Message);
    {
        std::error_code ignored;  // a folder that cannot be made shows when the first file is opened
        fs::create_directories(PathOfText(options.OutputDirectory), ignored);
    }

    EraCache cache;
    const MinimapBackend backend = RenderBackend(options, builtinTileset, cache);
    UpdateTracker update;
    if (options.Update)
        update = UpdateTracker(options.OutputDirectory,
                               UpdateSettingsKey("render", options, settings, builtinTileset));
    JobsInOrder<UpdatedOutcome> run(jobs.size(), WorkerCount(options.Jobs, jobs.size()), [&](std::size_t index) {
        UpdatedOutcome result;
        result.Scenario = update.ScenarioNow(jobs[index]);
        result.Skipped = update.UpToDate(plan.Maps[index].Image, result.Scenario, jobs[index].Output);
        if (!result.Skipped)
            static_cast<RenderOutcome&>(result) = RunRenderJob(jobs[index], settings, backend);
        return result;
    });

    Progress progress(console, jobs.size(), !options.Quiet && console.ErrorIsTerminal);
    std::size_t written = 0;
    std::size_t skipped = 0;
    std::size_t failed = problems.size();
    const int signal = run.ReportInOrder(
        [&](std::size_t index, const UpdatedOutcome& outcome) {
            outcome.Skipped ? ++skipped : outcome.Written ? ++written : ++failed;
            update.Finish(plan.Maps[index].Image, outcome.Scenario, outcome.Skipped || outcome.Written,
                          jobs[index].Output);
            if (!outcome.Messages.empty()) {
                progress.Clear();
                for (const std::string& message : outcome.Messages)
                    PrintFailureLine(console.Error, jobs[index].Name, message);
            }
            progress.Show(index + 1, failed);
        },
        [&](std::size_t index) { progress.Show(index, failed); });
    progress.Clear();

    // An interrupted run leaves the earlier state: what it wrote since is
    // made again next time, as its images no longer match it.
    bool stateFailed = false;
    if (signal == 0 && update.On()) {
        try {
            update.Save();
        } catch (const std::exception& error) {
            stateFailed = true;
            console.Error << "tessel-cli: cannot write " << QuotedTerminalName(update.StatePath()) << ": "
                          << TerminalName(error.what()) << '\n';
        }
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
    if (!options.Quiet) {
        char summary[160];
        std::snprintf(summary, sizeof summary, "written %zu%s, failed %zu, %.2f s", written,
                      SkippedText(update, skipped).c_str(), failed, seconds.count());
        console.Out << summary << '\n';
    }
    if (signal != 0)
        run.ExitAfterSignal(console, signal);
    return failed == 0 && !stateFailed ? ExitSuccess : ExitSomeFailed;
}

}  // namespace tessel::cli
