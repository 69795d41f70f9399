#include "RenderJobs.h"

#include "base/ErrorBox.h"
#include "base/Exceptions.h"
#include "PngWriter.h"
#include "settings/Settings.h"
#include "system/FaultInjection.h"
#include "system/FileIdentity.h"
#include "text/PathPieces.h"
#include "tileset/BuiltinTileset.h"
#include "text/PathText.h"
#include "ZipInputs.h"

#include <filesystem>
#include <map>
#include <new>
#include <optional>

namespace fs = std::filesystem;

namespace tessel::cli {

TMinimapSettings RenderSettings(const RenderOptions& options)
{
    TMinimapSettings settings;
    if (!options.NoSettings) {
        const std::string file = options.SettingsFile.value_or(DesktopSettingsFile());
        std::error_code error;
        if (options.SettingsFile && !fs::is_regular_file(PathOfText(file), error))
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

bool UsesBuiltinTileset(const RenderOptions& options, const TMinimapSettings& settings, Console& console)
{
    if (!options.BuiltinTileset && settings.MainDat.empty() && !options.Quiet)
        console.Error << NoArchiveNotice << '\n';
    return options.BuiltinTileset || settings.MainDat.empty();
}

// The built-in tileset is ready in microseconds: it needs no cache.
MinimapBackend RenderBackend(const RenderOptions& options, bool builtinTileset, EraCache& cache)
{
    MinimapBackend backend = builtinTileset ? BuiltinTilesetBackend() : DefaultMinimapBackend();
    if (!builtinTileset && !options.NoCache) {
        backend.LoadTerrain = [&cache](const std::string& archive, int32_t era) { return cache.Get(archive, era); };
        backend.LoadPictures = [&cache](const std::string& archive, int32_t era) {
            return cache.GetPictures(archive, era);
        };
    }
    if (options.Format == ImageFormat::Png)
        backend.WriteImage = WritePngFile;
    return backend;
}

std::string ScenarioFileOf(const ScenarioInput& input) { return input.Archive.empty() ? input.Path : input.Archive; }

std::string ReplacesAnotherScenarioText(const std::string& name)
{
    return "the minimap would replace the scenario file \"" + name + "\"";
}

std::vector<RenderJob> PlanRenderJobs(const OutputPlan& plan, const std::string& outputDirectory)
{
    std::vector<RenderJob> jobs;
    std::vector<std::optional<FileIdentity>> scenarios;
    std::map<FileIdentity, std::string> scenarioNames;  // the first job's name for each scenario file
    for (const PlannedMap& map : plan.Maps) {
        jobs.push_back({map.Input, map.Name, OutputPathOf(map, outputDirectory), {}});
        scenarios.push_back(IdentityOfFile(ScenarioFileOf(map.Input)));
        if (scenarios.back())
            scenarioNames.try_emplace(*scenarios.back(), map.Name);
    }
    for (std::size_t k = 0; k < jobs.size(); ++k) {
        const std::optional<FileIdentity> output = IdentityOfFile(jobs[k].Output);
        if (!output)
            continue;
        if (output == scenarios[k])
            jobs[k].Refusal = std::string("Error: ") + ReplacesItsScenarioText;
        else if (const auto other = scenarioNames.find(*output); other != scenarioNames.end())
            jobs[k].Refusal = "Error: " + ReplacesAnotherScenarioText(other->second);
    }
    return jobs;
}

std::string UpdateSettingsKey(std::string_view command, const RenderOptions& options,
                              const TMinimapSettings& settings, bool builtinTileset)
{
    std::string key = std::string(command) + " " TESSEL_VERSION " sides";
    for (const int32_t side : settings.ImageSizes)
        key += " " + std::to_string(side);
    key += settings.DspUnits ? " units" : " no-units";
    key += options.Format == ImageFormat::Png ? " png" : " bmp";
    if (builtinTileset) {
        key += " builtin-tileset";
    } else {
        const std::optional<FileStamp> archive = StampOfFile(settings.MainDat);
        key += " archive " + settings.MainDat;
        key += archive ? " " + std::to_string(archive->Size) + " " + std::to_string(archive->Time) : " missing";
    }
    return key;
}

UpdateTracker::UpdateTracker(std::string folder, std::string settingsKey)
    : on_(true), folder_(std::move(folder)), settings_(std::move(settingsKey)), earlier_(ReadUpdateState(folder_))
{
    next_.Settings = settings_;
    if (earlier_ && earlier_->Settings == settings_)
        next_.Images = earlier_->Images;
}

std::optional<ImageRecord> UpdateTracker::ScenarioNow(const RenderJob& job) const
{
    if (!on_ || !job.Refusal.empty())
        return std::nullopt;
    const std::optional<FileStamp> stamp = StampOfFile(ScenarioFileOf(job.Input));
    if (!stamp)
        return std::nullopt;
    return ImageRecord{job.Input.Path, *stamp, {}};
}

bool UpdateTracker::UpToDate(const std::string& image, const std::optional<ImageRecord>& scenario,
                             const std::string& imagePath) const
{
    return on_ && scenario && IsUpToDate(earlier_, settings_, image, *scenario, imagePath);
}

void UpdateTracker::Finish(const std::string& image, const std::optional<ImageRecord>& scenario, bool done,
                           const std::string& imagePath)
{
    if (!on_)
        return;
    next_.Images.erase(image);
    if (!done || !scenario)
        return;
    const std::optional<FileStamp> stamp = StampOfFile(imagePath);
    if (!stamp)
        return;
    ImageRecord record = *scenario;
    record.ImageStamp = *stamp;
    next_.Images.emplace(image, std::move(record));
}

void UpdateTracker::Save() const
{
    if (on_)
        WriteUpdateState(folder_, next_);
}

std::string SkippedText(const UpdateTracker& update, std::size_t skipped)
{
    return update.On() ? ", skipped " + std::to_string(skipped) + " (up to date)" : "";
}

std::string UpdateTracker::StatePath() const { return JoinPath(folder_, UpdateStateFileName); }

namespace {

RenderOutcome RunUnguardedJob(const RenderJob& job, const TMinimapSettings& settings, const MinimapBackend& backend)
{
    fault_injection::AtJobStart(job.Input.Path);
    RenderOutcome outcome;
    if (!job.Refusal.empty()) {
        outcome.Messages.push_back(job.Refusal);
        return outcome;
    }
    ErrorBoxCapture boxes;
    if (job.Name.find('/') != std::string::npos) {
        std::error_code ignored;  // a folder that cannot be made shows when the file is opened
        fs::create_directories(PathOfText(job.Output).parent_path(), ignored);
    }
    // Looked at again just before the image is written: a link to the
    // scenario may have been made since the run was planned.
    MinimapBackend guarded = backend;
    guarded.WriteImage = [&](const uint8_t* raster, uint16_t width, uint16_t height, const std::string& path,
                             const BitmapPalette& palette) {
        if (IsSameFile(ScenarioFileOf(job.Input), path))
            throw Exception(ReplacesItsScenarioText);
        return backend.WriteImage(raster, width, height, path, palette);
    };
    if (job.Input.Archive.empty()) {
        outcome.Written = MakeMinimap(job.Input.Path, job.Output, settings, guarded);
    } else {
        // The entry is read here, so that its failures are shown as those of
        // a scenario file are.
        std::unique_ptr<InputFile> scenario;
        try {
            scenario = OpenScenario(job.Input);
        } catch (const Exception& error) {
            ErrorBox("Error: " + error.Message());
        } catch (const std::bad_alloc&) {
            ErrorBox("Error: " + EOutOfMemory().Message());
        }
        outcome.Written = scenario && MakeMinimap(*scenario, job.Output, settings, guarded);
    }
    outcome.Messages = boxes.TakeTexts();
    return outcome;
}

}  // namespace

RenderOutcome RunRenderJob(const RenderJob& job, const TMinimapSettings& settings, const MinimapBackend& backend)
{
    try {
        return RunUnguardedJob(job, settings, backend);
    } catch (const std::exception& error) {
        return {false, {std::string("Error: ") + error.what()}};
    } catch (...) {
        return {false, {"Error: unknown failure"}};
    }
}

}  // namespace tessel::cli
