// How long an era of the built-in tileset takes to be ready: loading the
// tables the build compiled in, against generating them at run time, which
// is why the build generates them.
#include "tileset/BuiltinTileset.h"
#include "tileset/TilesetGenerator.h"

#include <benchmark/benchmark.h>

namespace {

void BM_LoadBuiltinEra(benchmark::State& state)
{
    const auto era = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        tessel::TTerrainData terrain;
        tessel::LoadBuiltinTileset(terrain, era);
        benchmark::DoNotOptimize(terrain.MMT.data());
    }
}
BENCHMARK(BM_LoadBuiltinEra)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

void BM_GenerateBuiltinEraAtRunTime(benchmark::State& state)
{
    const auto era = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        tessel::TTerrainData terrain = tessel::GenerateBuiltinEra(era);
        benchmark::DoNotOptimize(terrain.MMT.data());
    }
}
BENCHMARK(BM_GenerateBuiltinEraAtRunTime)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace
