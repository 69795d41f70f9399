// The costliest scenarios a file within the size limit can hold: reading
// them with both readers, the chunk searches of one load made from byte 0
// each time against one walk, and painting half a million stacked units.
#include "HostileScenarios.h"
#include "minimap/MinimapRenderer.h"
#include "scenario/ScenarioChunks.h"
#include "scenario/ScenarioInfo.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <unistd.h>

namespace tessel {
namespace {

// The files, written once into a temporary folder removed at exit.
class LimitFiles {
public:
    static const std::string& Path(const std::string& name)
    {
        static LimitFiles files;
        return files.paths_.at(name);
    }

private:
    LimitFiles()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessel-bench-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
        const std::map<std::string, std::function<void(const std::string&)>> writers{
            {"largest_map", [](const std::string& path) { hostile::WriteLargestMap(path, MaximumScenarioSize); }},
            {"zero_units", [](const std::string& path) { hostile::WriteZeroUnits(path, MaximumScenarioSize); }},
            {"empty_chunks",
             [](const std::string& path) { hostile::WriteEmptyChunksAfterMap(path, MaximumScenarioSize); }},
            {"stacked_units",
             [](const std::string& path) { hostile::WriteStackedUnits(path, MaximumScenarioSize, 256); }},
        };
        for (const auto& [name, write] : writers) {
            paths_[name] = folder_ + "/" + name + ".pud";
            write(paths_[name]);
        }
    }
    ~LimitFiles() { std::filesystem::remove_all(folder_); }

    std::string folder_;
    std::map<std::string, std::string> paths_;
};

const char* const Kinds[] = {"largest_map", "zero_units", "empty_chunks", "stacked_units"};

void MinimapReader(benchmark::State& state)
{
    const std::string& path = LimitFiles::Path(Kinds[state.range(0)]);
    for (auto _ : state) {
        TPUDData scenario;
        scenario.LoadFromFile(path);
        benchmark::DoNotOptimize(scenario.TileMap.data());
    }
    state.SetLabel(Kinds[state.range(0)]);
}
BENCHMARK(MinimapReader)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void CatalogueReader(benchmark::State& state)
{
    const std::string& path = LimitFiles::Path(Kinds[state.range(0)]);
    for (auto _ : state) {
        TScenarioInfo info;
        info.LoadFromFile(path);
        benchmark::DoNotOptimize(info.UnitCount);
    }
    state.SetLabel(Kinds[state.range(0)]);
}
BENCHMARK(CatalogueReader)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The thirteen searches of a catalogue load in a file of half a million
// empty chunks, most of them for chunks it lacks: each from byte 0 (0), or
// all through one index (1).
void ChunkSearches(benchmark::State& state)
{
    const bool indexed = state.range(0) == 1;
    InputFile file(LimitFiles::Path("empty_chunks"));
    for (auto _ : state) {
        int64_t sum = 0;
        if (indexed) {
            ChunkIndex chunks(file);
            for (const ChunkTag& tag : IndexedChunkTags)
                sum += chunks.Find(tag);
        } else {
            for (const ChunkTag& tag : IndexedChunkTags)
                sum += FindChunk(file, tag);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetLabel(indexed ? "one walk" : "a walk per search");
}
BENCHMARK(ChunkSearches)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Rendering the stacked units at the image side given; the terrain has no
// pictures, so the time is that of the units.
void StackedUnitsRender(benchmark::State& state)
{
    TPUDData scenario;
    scenario.LoadFromFile(LimitFiles::Path("stacked_units"));
    const TTerrainData terrain;
    TMinimapSettings settings;
    settings.ImageSizes.fill(static_cast<int32_t>(state.range(0)));
    settings.DspUnits = true;
    for (auto _ : state) {
        MinimapRaster raster = RenderMinimap(scenario, terrain, settings);
        benchmark::DoNotOptimize(raster.Pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * scenario.UnitCount);
    state.SetLabel("items = units");
}
BENCHMARK(StackedUnitsRender)->Arg(160)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessel
