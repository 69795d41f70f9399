// The jobs of a run of render or gallery: the settings and the terrain they
// render with, one job per scenario with the name it is shown by and where
// its image goes, and the running of one job. JobsInOrder.h runs them on
// the workers.
#pragma once

#include "CliOptions.h"
#include "Console.h"
#include "EraCache.h"
#include "minimap/MakeMinimap.h"
#include "minimap/MinimapSettings.h"
#include "OutputPaths.h"
#include "ScenarioDiscovery.h"
#include "UpdateState.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::cli {

// Shown once when neither the command line nor the settings name an archive.
inline constexpr const char* NoArchiveNotice = "no game archive set: using the built-in tileset (see --archive)";

// The settings a render uses: the settings file's values (or the built-in
// defaults), then the options over them. Raises UsageError for a --settings
// file that does not exist.
TMinimapSettings RenderSettings(const RenderOptions& options);

// Whether a run renders with the built-in tileset: when asked to, or when
// no archive is known, which it then says once (unless quiet).
bool UsesBuiltinTileset(const RenderOptions& options, const TMinimapSettings& settings, Console& console);

// Where a run's jobs get their era terrain (the archive's through the
// cache, or the built-in tileset) and how they store an image.
MinimapBackend RenderBackend(const RenderOptions& options, bool builtinTileset, EraCache& cache);

// One scenario to render, the name it is shown by and where its image goes.
struct RenderJob {
    ScenarioInput Input;
    std::string Name;
    std::string Output;
    // Why the job must not write its image ("Error: ..."), or empty.
    std::string Refusal;
};

// Why no image may be written at an output that is its own scenario file
// (by a link or a hard link too), or another scenario of the run.
inline constexpr const char* ReplacesItsScenarioText = "the minimap would replace the scenario file itself";
std::string ReplacesAnotherScenarioText(const std::string& name);

// The file that holds a scenario: its own, or the zip archive it is in.
std::string ScenarioFileOf(const ScenarioInput& input);

struct RenderOutcome {
    bool Written = false;
    // What went wrong, as ErrorBox showed it ("Error: ..."), in order.
    std::vector<std::string> Messages;
};

// A job per planned map, its image below outputDirectory. A job whose
// output is a scenario of the run, as the files stand now, is refused.
std::vector<RenderJob> PlanRenderJobs(const OutputPlan& plan, const std::string& outputDirectory);

// Renders one job: makes its sub-folder and calls MakeMinimap, collecting
// what it shows; a refused job fails without reading anything, and the
// image is refused when its output has become the scenario meanwhile. What
// escapes MakeMinimap's own reports fails the job alone, with a message.
RenderOutcome RunRenderJob(const RenderJob& job, const TMinimapSettings& settings, const MinimapBackend& backend);

// Everything that changes the bytes of a run's images, for --update: the
// command, the program's version, the image sides, units, the image format
// and where the terrain comes from (the archive by path, size and time, or
// the built-in tileset).
std::string UpdateSettingsKey(std::string_view command, const RenderOptions& options,
                              const TMinimapSettings& settings, bool builtinTileset);

// The --update side of a run: what the earlier runs left in the state file
// of the output folder, and the state that this run leaves there. Off (by
// default), it skips nothing and writes nothing.
class UpdateTracker {
public:
    UpdateTracker() = default;
    UpdateTracker(std::string folder, std::string settingsKey);

    bool On() const { return on_; }
    // The job's scenario as it is now, to be taken before it is read; none
    // when off, for a refused job, or when its file cannot be looked at.
    std::optional<ImageRecord> ScenarioNow(const RenderJob& job) const;
    // Whether the job's image needs no new making. Safe on the workers.
    bool UpToDate(const std::string& image, const std::optional<ImageRecord>& scenario,
                  const std::string& imagePath) const;
    // The outcome of one image: made or found up to date (done), with the
    // image's stamp taken now, or not (forgotten, so it is made next time).
    void Finish(const std::string& image, const std::optional<ImageRecord>& scenario, bool done,
                const std::string& imagePath);
    // Writes the state: the earlier images that this run did not meet
    // (under the same settings), and those of this run. Raises the file
    // layer's errors.
    void Save() const;
    std::string StatePath() const;

private:
    bool on_ = false;
    std::string folder_;
    std::string settings_;
    std::optional<UpdateState> earlier_;
    UpdateState next_;
};

// The summary's count of skipped maps (", skipped 5 (up to date)") under
// --update; nothing without it, so that the summary stays as it was.
std::string SkippedText(const UpdateTracker& update, std::size_t skipped);

}  // namespace tessel::cli
