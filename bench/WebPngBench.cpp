// The web page's own PNG encoder against zlib's fastest level, which the
// native build's fast PNG files use: time and bytes for the minimap of a
// demo map of 128 tiles at 256 pixels, and the encoder's time on a
// megapixel of noise (every byte a literal) and of a short pattern (the
// most candidates for each match) to show that its work stays linear.
#include "DemoData.h"
#include "PageMinimaps.h"
#include "PngEncoder.h"
#include "ScenarioWriter.h"
#include "ZlibCompressor.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <filesystem>
#include <random>
#include <stdexcept>

namespace tessel {
namespace {

web::PageMinimap DemoMinimap()
{
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "tessel-bench-web-png.pud";
    for (const DemoScenario& demo : MakeDemoScenarios())
        if (demo.Content.Side == 128) {
            WriteScenario(demo.Content).WriteTo(file.string());
            break;
        }
    web::PageMinimaps minimaps;
    web::PageMinimap minimap = minimaps.Render({file.string(), 256, true, ""});
    std::filesystem::remove(file);
    if (!minimap.Made)
        throw std::runtime_error("the demo map was not drawn");
    return minimap;
}

const web::PageMinimap& Minimap()
{
    static const web::PageMinimap minimap = DemoMinimap();
    return minimap;
}

std::vector<uint8_t> Rows(const web::PageMinimap& minimap)
{
    const auto side = static_cast<std::size_t>(minimap.Side);
    std::vector<uint8_t> rows((side + 1) * side);
    for (std::size_t y = 0; y < side; ++y)
        std::copy_n(minimap.Pixels.begin() + static_cast<std::ptrdiff_t>(y * side), side,
                    rows.begin() + static_cast<std::ptrdiff_t>(y * (side + 1) + 1));
    return rows;
}

void OurEncoder(benchmark::State& state)
{
    const web::PageMinimap& minimap = Minimap();
    const auto side = static_cast<uint16_t>(minimap.Side);
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes = EncodeIndexedPng(minimap.Pixels.data(), side, side, minimap.Palette, PngCompression::Fast).size();
    state.counters["png_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(OurEncoder)->Name("WebPng/DemoMap/OurEncoder")->Unit(benchmark::kMicrosecond);

void ZlibFastest(benchmark::State& state)
{
    const std::vector<uint8_t> rows = Rows(Minimap());
    std::vector<uint8_t> out(::compressBound(static_cast<uLong>(rows.size())));
    uLongf size = 0;
    for (auto _ : state) {
        size = static_cast<uLongf>(out.size());
        ::compress2(out.data(), &size, rows.data(), static_cast<uLong>(rows.size()), 1);
    }
    // The same chunks around it as ours: signature, IHDR, PLTE, IDAT, IEND.
    state.counters["png_bytes"] = static_cast<double>(size + 8 + 25 + 780 + 12 + 12);
}
BENCHMARK(ZlibFastest)->Name("WebPng/DemoMap/ZlibLevel1")->Unit(benchmark::kMicrosecond);

void Megapixel(benchmark::State& state, bool noise)
{
    std::mt19937 random(5);
    std::vector<uint8_t> data(1024 * 1025);
    for (std::size_t k = 0; k < data.size(); ++k)
        data[k] = noise ? static_cast<uint8_t>(random()) : static_cast<uint8_t>(k % 3 == 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(ZlibCompress(data.data(), data.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}
BENCHMARK_CAPTURE(Megapixel, Noise, true)->Name("WebPng/Megapixel/Noise")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Megapixel, ShortPattern, false)->Name("WebPng/Megapixel/ShortPattern")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessel
