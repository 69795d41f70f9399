#include "GalleryCommand.h"

#include "base/ErrorBox.h"
#include "base/Exceptions.h"
#include "EraCache.h"
#include "GalleryPage.h"
#include "JobsInOrder.h"
#include "minimap/MakeMinimap.h"
#include "Progress.h"
#include "RenderJobs.h"
#include "scenario/ScenarioInfo.h"
#include "text/PathPieces.h"
#include "text/TerminalName.h"
#include "text/PathText.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <new>

namespace fs = std::filesystem;

namespace tessel::cli {

namespace {

constexpr const char* MinimapFolder = "minimaps";

// One map of the gallery: its object in the page's data, whether its
// minimap was written, and what ErrorBox showed when it failed.
struct GalleryOutcome {
    JsonObject Data;
    bool Written = false;
    std::vector<std::string> Messages;
};

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

// Reads what the scenario holds, then renders it as render would; a file
// the minimap reader refuses fails with the message a render gives it.
GalleryOutcome RunUnguardedJob(const RenderJob& job, const std::string& image, const TMinimapSettings& settings,
                               const MinimapBackend& backend)
{
    GalleryOutcome outcome;
    std::string failure = job.Refusal;
    TScenarioInfo info;
    try {
        if (failure.empty())
            info.LoadFromFile(job.Input.Path);
    } catch (const Exception& error) {
        failure = "Error: " + error.Message();
    } catch (const std::bad_alloc&) {
        failure = "Error: " + EOutOfMemory().Message();
    }
    if (!failure.empty()) {
        outcome.Messages.push_back(failure);
        outcome.Data = FailureJson(job.Name, failure);
        return outcome;
    }
    RenderOutcome rendered = RunRenderJob(job, settings, backend);
    outcome.Written = rendered.Written;
    outcome.Messages = std::move(rendered.Messages);
    outcome.Data = ScenarioJson(job.Name, info);
    if (rendered.Written)
        outcome.Data["minimap"] = RelativeUrl(image);
    else
        outcome.Data["error"] = JoinLines(outcome.Messages);
    return outcome;
}

// What escapes the job's own reports fails the job alone, with a message.
GalleryOutcome RunGalleryJob(const RenderJob& job, const std::string& image, const TMinimapSettings& settings,
                             const MinimapBackend& backend)
{
    std::string failure = "Error: unknown failure";
    try {
        return RunUnguardedJob(job, image, settings, backend);
    } catch (const std::exception& error) {
        failure = std::string("Error: ") + error.what();
    } catch (...) {
    }
    return {FailureJson(job.Name, failure), false, {failure}};
}

}  // namespace

int RunGallery(const GalleryOptions& options, Console& console)
{
    const auto started = std::chrono::steady_clock::now();
    const RenderOptions& render = options.Render;
    const TMinimapSettings settings = RenderSettings(render);
    const bool builtinTileset = UsesBuiltinTileset(render, settings, console);
    std::vector<FolderProblem> problems;
    const std::vector<ScenarioInput> inputs = DiscoverScenarios(render.Paths, problems);
    const OutputPlan plan = PlanOutputs(render.Paths, inputs, problems, ".png");
    for (std::size_t k = 0; k < problems.size(); ++k)
        PrintFailureLine(console.Error, plan.ProblemNames[k], problems[k].Message);

    const std::string folder = render.OutputDirectory;
    const std::string minimaps = JoinPath(folder, MinimapFolder);
    {
        std::error_code ignored;  // a folder that cannot be made shows when the first file is written
        fs::create_directories(PathOfText(minimaps), ignored);
    }
    const std::vector<RenderJob> jobs = PlanRenderJobs(plan, minimaps);
    EraCache cache;
    const MinimapBackend backend = RenderBackend(render, builtinTileset, cache);

    Progress progress(console, jobs.size(), !render.Quiet && console.ErrorIsTerminal);
    // Folders that failed stand with the failed maps, as on the terminal.
    JsonObject maps = JsonObject::array();
    for (std::size_t k = 0; k < problems.size(); ++k)
        maps.push_back(FailureJson(plan.ProblemNames[k], problems[k].Message));
    std::size_t shown = 0;
    std::size_t failed = problems.size();
    JobsInOrder<GalleryOutcome> run(jobs.size(), WorkerCount(render.Jobs, jobs.size()), [&](std::size_t index) {
        const std::string image = std::string(MinimapFolder) + "/" + plan.Maps[index].Image;
        return RunGalleryJob(jobs[index], image, settings, backend);
    });
    const int signal = run.ReportInOrder(
        [&](std::size_t index, GalleryOutcome& outcome) {
            outcome.Written ? ++shown : ++failed;
            if (!outcome.Messages.empty()) {
                progress.Clear();
                for (const std::string& message : outcome.Messages)
                    PrintFailureLine(console.Error, jobs[index].Name, message);
            }
            maps.push_back(std::move(outcome.Data));
            progress.Show(index + 1, failed);
        },
        [&](std::size_t index) { progress.Show(index, failed); });
    progress.Clear();

    // An interrupted run keeps the minimaps written so far and writes no
    // page; a signal while the page is written removes the file in writing.
    std::string pageFailure;
    if (signal == 0) {
        try {
            WriteGallerySite(folder, options.Title, maps);
        } catch (const std::exception& error) {
            pageFailure = error.what();
        }
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
    if (!render.Quiet) {
        char summary[160];
        std::snprintf(summary, sizeof summary, "gallery of %zu maps, failed %zu, %.2f s", shown, failed,
                      seconds.count());
        console.Out << summary << '\n';
    }
    if (const int interruption = run.Signal(); interruption != 0) {
        console.Error << "tessel-cli: interrupted before the gallery's page was complete\n";
        run.ExitAfterSignal(console, interruption);
    }
    if (!pageFailure.empty()) {
        console.Error << "tessel-cli: cannot write the gallery into " << QuotedTerminalName(folder) << ": "
                    << TerminalName(pageFailure) << '\n';
        return ExitSomeFailed;
    }
    if (!render.Quiet)
        console.Out << "Open " << TerminalName(JoinPath(folder, "index.html")) << '\n';
    return failed == 0 ? ExitSuccess : ExitSomeFailed;
}

}  // namespace tessel::cli
