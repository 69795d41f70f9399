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

#include <string>
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

}  // namespace tessel::cli
