#include "RenderCommand.h"

#include "JobsInOrder.h"
#include "Progress.h"
#include "RenderJobs.h"
#include "text/PathText.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace tessel::cli {

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
    JobsInOrder<RenderOutcome> run(jobs.size(), WorkerCount(options.Jobs, jobs.size()),
                                   [&](std::size_t index) { return RunRenderJob(jobs[index], settings, backend); });

    Progress progress(console, jobs.size(), !options.Quiet && console.ErrorIsTerminal);
    std::size_t written = 0;
    std::size_t failed = problems.size();
    const int signal = run.ReportInOrder(
        [&](std::size_t index, const RenderOutcome& outcome) {
            outcome.Written ? ++written : ++failed;
            if (!outcome.Messages.empty()) {
                progress.Clear();
                for (const std::string& message : outcome.Messages)
                    PrintFailureLine(console.Error, jobs[index].Name, message);
            }
            progress.Show(index + 1, failed);
        },
        [&](std::size_t index) { progress.Show(index, failed); });
    progress.Clear();

    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
    if (!options.Quiet) {
        char summary[128];
        std::snprintf(summary, sizeof summary, "written %zu, failed %zu, %.2f s", written, failed, seconds.count());
        console.Out << summary << '\n';
    }
    if (signal != 0)
        run.ExitAfterSignal(console, signal);
    return failed == 0 ? ExitSuccess : ExitSomeFailed;
}

}  // namespace tessel::cli
