#include "GalleryCommand.h"

#include "base/ErrorBox.h"
#include "base/Exceptions.h"
#include "EraCache.h"
#include "GalleryMapFiles.h"
#include "GalleryPage.h"
#include "JobsInOrder.h"
#include "minimap/MakeMinimap.h"
#include "Progress.h"
#include "RenderJobs.h"
#include "scenario/ScenarioInfo.h"
#include "text/PathPieces.h"
#include "text/TerminalName.h"
#include "text/PathText.h"
#include "ZipInputs.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>
#include <set>

namespace fs = std::filesystem;

namespace tessel::cli {

namespace {

// One map of the gallery: its object in the page's data, whether its
// minimap was written, and what ErrorBox showed when it failed.
struct GalleryOutcome {
    JsonObject Data;
    bool Written = false;
    std::vector<std::string> Messages;
    // Under --update: the scenario as it was before it was read, and
    // whether its image was up to date (and so not written).
    std::optional<ImageRecord> Scenario;
    bool Skipped = false;
};

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

// What every job of a gallery shares: where the site is, the settings of
// the card images and of the larger pictures (none where they would be no
// larger), the identities of the run's scenarios (no copy is written over
// one), and how images are made.
struct GalleryRun {
    std::string Folder;
    TMinimapSettings CardSettings;
    std::optional<TMinimapSettings> PreviewSettings;
    std::set<FileIdentity> Scenarios;
    MinimapBackend Backend;
};

// Writes the larger picture and the scenario's copy, and puts their URLs,
// the minimap's and the scenario's SHA-256 into data. They come before the
// card's image, so that a card image on disk stands for a complete map.
// For a map that --update found up to date, a larger picture that is still
// there is kept: it was made with the card's image. Returns what went
// wrong, nothing when all is written.
std::vector<std::string> WriteMapFiles(const RenderJob& job, const std::string& image, const GalleryRun& run,
                                       bool upToDate, JsonObject& data)
{
    const std::string minimap = std::string(MinimapFolder) + "/" + image;
    std::string preview = minimap;
    if (run.PreviewSettings) {
        preview = std::string(PreviewFolder) + "/" + image;
        RenderJob previewJob = job;
        previewJob.Output = JoinPath(run.Folder, preview);
        if (const auto identity = IdentityOfFile(previewJob.Output); identity && run.Scenarios.contains(*identity))
            previewJob.Refusal = "Error: the larger minimap would replace a scenario file of the run";
        if (!upToDate || !previewJob.Refusal.empty() || !StampOfFile(previewJob.Output)) {
            RenderOutcome rendered = RunRenderJob(previewJob, *run.PreviewSettings, run.Backend);
            if (!rendered.Written)
                return rendered.Messages;
        }
    }
    const std::string copyName = std::string(MinimapFolder) + "/" + ScenarioCopyName(image);
    ScenarioCopy copy;
    try {
        copy = CopyScenario(job.Input, JoinPath(run.Folder, copyName), run.Scenarios);
    } catch (const Exception& error) {
        return {"Error: " + error.Message()};
    }
    data["minimap"] = RelativeUrl(minimap);
    data["preview"] = RelativeUrl(preview);
    data["scenario"] = copy.Available ? JsonObject(RelativeUrl(copyName)) : JsonObject(nullptr);
    data["sha256"] = copy.Sha256;
    return {};
}

// Reads what the scenario holds, then renders it as render would; a file
// the minimap reader refuses fails with the message a render gives it.
GalleryOutcome RunUnguardedJob(const RenderJob& job, const std::string& image, const GalleryRun& run,
                               bool upToDate)
{
    GalleryOutcome outcome;
    std::string failure = job.Refusal;
    TScenarioInfo info;
    try {
        if (failure.empty()) {
            TPUDData scenario;
            const std::unique_ptr<InputFile> file = OpenScenario(job.Input);
            info.LoadFromOpenFile(*file, scenario);
        }
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
    outcome.Data = ScenarioJson(job.Name, info);
    outcome.Messages = WriteMapFiles(job, image, run, upToDate, outcome.Data);
    if (outcome.Messages.empty() && upToDate) {
        outcome.Skipped = true;
        return outcome;
    }
    if (outcome.Messages.empty()) {
        RenderOutcome rendered = RunRenderJob(job, run.CardSettings, run.Backend);
        outcome.Written = rendered.Written;
        outcome.Messages = std::move(rendered.Messages);
    }
    if (!outcome.Written) {
        for (const char* key : {"minimap", "preview", "scenario", "sha256"})
            outcome.Data.erase(key);
        outcome.Data["error"] = JoinLines(outcome.Messages);
    }
    return outcome;
}

// What escapes the job's own reports fails the job alone, with a message.
GalleryOutcome RunGalleryJob(const RenderJob& job, const std::string& image, const GalleryRun& run, bool upToDate)
{
    std::string failure = "Error: unknown failure";
    try {
        return RunUnguardedJob(job, image, run, upToDate);
    } catch (const std::exception& error) {
        failure = std::string("Error: ") + error.what();
    } catch (...) {
    }
    return {FailureJson(job.Name, failure), false, {failure}, std::nullopt, false};
}

}  // namespace

int RunGallery(const GalleryOptions& options, Console& console)
{
    const auto started = std::chrono::steady_clock::now();
    const RenderOptions& render = options.Render;
    const TMinimapSettings settings = RenderSettings(render);
    const bool builtinTileset = UsesBuiltinTileset(render, settings, console);
    std::vector<FolderProblem> problems;
    std::vector<ScenarioInput> inputs = DiscoverScenarios(render.Paths, problems);
    // The copies that an earlier run left in the site, when the site lies in
    // a folder given, are not maps of the collection; a file named by itself
    // still is.
    const std::string ownCopies = JoinPath(render.OutputDirectory, MinimapFolder);
    std::erase_if(inputs, [&](const ScenarioInput& input) { return input.InFolder && LiesInFolder(input.Path, ownCopies); });
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
    GalleryRun gallery{folder, settings, std::nullopt, {}, RenderBackend(render, builtinTileset, cache)};
    if (const TMinimapSettings larger = PreviewSettings(settings); larger.ImageSizes != settings.ImageSizes)
        gallery.PreviewSettings = larger;
    if (gallery.PreviewSettings) {
        std::error_code ignored;  // a folder that cannot be made shows when the first picture is written
        fs::create_directories(JoinPath(folder, PreviewFolder), ignored);
    }
    for (const RenderJob& job : jobs)
        if (const auto identity = IdentityOfFile(job.Input.Path))
            gallery.Scenarios.insert(*identity);
    UpdateTracker update;
    if (render.Update)
        update = UpdateTracker(folder, UpdateSettingsKey("gallery", render, settings, builtinTileset));

    Progress progress(console, jobs.size(), !render.Quiet && console.ErrorIsTerminal);
    // Folders that failed stand with the failed maps, as on the terminal.
    JsonObject maps = JsonObject::array();
    for (std::size_t k = 0; k < problems.size(); ++k)
        maps.push_back(FailureJson(plan.ProblemNames[k], problems[k].Message));
    std::size_t shown = 0;
    std::size_t skipped = 0;
    std::size_t failed = problems.size();
    JobsInOrder<GalleryOutcome> run(jobs.size(), WorkerCount(render.Jobs, jobs.size()), [&](std::size_t index) {
        const std::optional<ImageRecord> scenario = update.ScenarioNow(jobs[index]);
        GalleryOutcome outcome = RunGalleryJob(jobs[index], plan.Maps[index].Image, gallery,
                                               update.UpToDate(plan.Maps[index].Image, scenario, jobs[index].Output));
        outcome.Scenario = scenario;
        return outcome;
    });
    const int signal = run.ReportInOrder(
        [&](std::size_t index, GalleryOutcome& outcome) {
            outcome.Written || outcome.Skipped ? ++shown : ++failed;
            skipped += outcome.Skipped;
            update.Finish(plan.Maps[index].Image, outcome.Scenario, outcome.Written || outcome.Skipped,
                          jobs[index].Output);
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
            update.Save();
        } catch (const std::exception& error) {
            pageFailure = error.what();
        }
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
    if (!render.Quiet) {
        char summary[192];
        std::snprintf(summary, sizeof summary, "gallery of %zu maps%s, failed %zu, %.2f s", shown,
                      SkippedText(update, skipped).c_str(), failed, seconds.count());
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
