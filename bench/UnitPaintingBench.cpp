// Unit painting: the units of the real scenario corpus, a typical map's few
// hundred small units, and the hostile case of a hundred thousand units that
// each cover most of the image.
#include "base/Exceptions.h"
#include "minimap/MinimapRenderer.h"
#include "minimap/RectanglePainter.h"
#include "RandomRectangles.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <vector>

namespace {

using tessel::PaintedRectangle;

// Every corpus scenario that loads, painted at the image side given.
void CorpusMaps(benchmark::State& state)
{
    const auto side = static_cast<int32_t>(state.range(0));
    std::vector<std::vector<PaintedRectangle>> maps;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(TESSEL_CORPUS_DIR, error)) {
        tessel::TPUDData scenario;
        try {
            scenario.LoadFromFile(entry.path().string());
        } catch (const tessel::Exception&) {
            continue;
        }
        maps.push_back(tessel::UnitRectangles(scenario, side));
    }
    if (maps.empty()) {
        state.SkipWithError("no scenario corpus (TESSEL_CORPUS_DIR)");
        return;
    }
    std::vector<uint8_t> raster(static_cast<std::size_t>(side) * side);
    for (auto _ : state) {
        for (const auto& rectangles : maps)
            tessel::PaintRectangles(rectangles, raster.data(), side);
        benchmark::DoNotOptimize(raster.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(maps.size()));
    state.SetLabel("items = maps");
}
BENCHMARK(CorpusMaps)->Arg(160)->Arg(1024)->Unit(benchmark::kMicrosecond);

void TypicalMap(benchmark::State& state)
{
    constexpr int side = 160;
    std::mt19937 random(1);
    const auto rectangles = tessel::RandomRectangles(random, side, 500, 4);
    std::vector<uint8_t> raster(side * side);
    for (auto _ : state) {
        tessel::PaintRectangles(rectangles, raster.data(), side);
        benchmark::DoNotOptimize(raster.data());
    }
}
BENCHMARK(TypicalMap)->Unit(benchmark::kMicrosecond);

// Each rectangle reaches from its top row to the bottom edge. With the
// second argument 1 it leaves the first column free, so no row is ever full;
// with 0 the topmost rectangle fills every row it covers.
void HundredThousandHugeUnits(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    const auto left = static_cast<uint16_t>(state.range(1));
    std::vector<PaintedRectangle> rectangles;
    for (int k = 0; k < 100000; ++k)
        rectangles.push_back({left, static_cast<uint16_t>(k % side), static_cast<uint16_t>(side - 1),
                              static_cast<uint16_t>(side - 1), static_cast<uint8_t>(k)});
    std::vector<uint8_t> raster(static_cast<std::size_t>(side) * side);
    for (auto _ : state) {
        tessel::PaintRectangles(rectangles, raster.data(), side);
        benchmark::DoNotOptimize(raster.data());
    }
}
BENCHMARK(HundredThousandHugeUnits)->ArgsProduct({{160, 1024}, {1, 0}})->Unit(benchmark::kMillisecond);

}  // namespace
