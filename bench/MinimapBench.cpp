// Speed of terrain sampling, of decoding an era's pictures and of one whole
// MakeMinimap call.
#include "ArchiveWriter.h"
#include "base/ByteOrder.h"
#include "base/ErrorBox.h"
#include "era/TilePictures.h"
#include "minimap/MakeMinimap.h"
#include "minimap/MinimapRenderer.h"
#include "ScenarioWriter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace tessel {
namespace {

// An era of the size of a real one: MMT 160 KB (2560 blocks), MMI 13 KB
// (416 pictures), TMI 6.6 KB (all 158 groups), random content.
EraTables RealSizedEra()
{
    std::mt19937 random(1234);
    EraTables era;
    era.Palette.resize(768);
    for (auto& byte : era.Palette)
        byte = static_cast<uint8_t>(random() % 64);
    era.TMI.resize(158 * 42);
    for (std::size_t word = 0; word < era.TMI.size() / 2; ++word)
        WriteU16LE(&era.TMI[2 * word], static_cast<uint16_t>(random() % 416));
    era.MMI.resize(416 * 32);
    for (std::size_t word = 0; word < era.MMI.size() / 2; ++word)
        WriteU16LE(&era.MMI[2 * word], static_cast<uint16_t>(((random() % 2560) << 2) | (random() % 4)));
    era.MMT.resize(2560 * 64);
    for (auto& byte : era.MMT)
        byte = static_cast<uint8_t>(random());
    return era;
}

std::vector<TileCode> RandomTiles(uint16_t side)
{
    std::mt19937 random(99);
    std::vector<TileCode> tiles(static_cast<std::size_t>(side) * side);
    for (auto& tile : tiles)
        tile = static_cast<TileCode>(random() % 2528);
    return tiles;
}

class BenchFolder {
public:
    BenchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessel-bench-XXXXXX").string();
        path = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~BenchFolder() { std::filesystem::remove_all(path); }
    std::string path;
};

// Renders a random 128-tile map, terrain only, at the side given by the
// benchmark's argument, with render(scenario, settings).
template <class Render>
void SampleRandomMap(benchmark::State& state, Render render)
{
    const auto side = static_cast<int32_t>(state.range(0));
    TPUDData scenario;
    scenario.MapSize = 128;
    scenario.TileMap = RandomTiles(128);
    TMinimapSettings settings;
    settings.ImageSizes = {side, side, side, side};
    settings.DspUnits = false;
    for (auto _ : state) {
        MinimapRaster raster = render(scenario, settings);
        benchmark::DoNotOptimize(raster.Pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * side * side);
    state.SetLabel("items = pixels");
}

// One call with the era as loaded: below 150 x 150 pixels it samples
// ColorOfTile, from there on it decodes the era's pictures first.
void TerrainSampling(benchmark::State& state)
{
    const TTerrainData terrain = TerrainOf(RealSizedEra());
    SampleRandomMap(state, [&](const TPUDData& scenario, const TMinimapSettings& settings) {
        return RenderMinimap(scenario, terrain, settings);
    });
}
BENCHMARK(TerrainSampling)->Arg(96)->Arg(149)->Arg(150)->Arg(160)->Arg(1024)->Unit(benchmark::kMicrosecond);

// The same with the pictures decoded beforehand, as a cache keeps them.
void TerrainSamplingFromKeptPictures(benchmark::State& state)
{
    const TilePictures pictures(TerrainOf(RealSizedEra()));
    SampleRandomMap(state, [&](const TPUDData& scenario, const TMinimapSettings& settings) {
        return RenderMinimap(scenario, pictures, settings);
    });
}
BENCHMARK(TerrainSamplingFromKeptPictures)->Arg(149)->Arg(160)->Arg(1024)->Unit(benchmark::kMicrosecond);

// What decoding a real-sized era costs: the price a call pays before it
// samples a single pixel from the pictures.
void DecodeTilePictures(benchmark::State& state)
{
    const TTerrainData terrain = TerrainOf(RealSizedEra());
    for (auto _ : state) {
        TilePictures pictures(terrain);
        benchmark::DoNotOptimize(pictures.Pixels());
    }
}
BENCHMARK(DecodeTilePictures)->Unit(benchmark::kMicrosecond);

void MakeMinimapEndToEnd(benchmark::State& state)
{
    BenchFolder folder;
    const std::string archive = folder.path + "/MAINDAT.WAR";
    ArchiveWriter().Era(0, RealSizedEra()).WriteTo(archive);
    ScenarioContent content;
    content.Side = 128;
    content.Tiles = RandomTiles(128);
    for (uint16_t k = 0; k < 200; ++k)
        content.Units.push_back({static_cast<uint16_t>(k % 128), static_cast<uint16_t>(k / 2),
                                 static_cast<uint8_t>(k % 100), static_cast<uint8_t>(k % 8), 0});
    const std::string scenario = folder.path + "/map.pud";
    WriteScenario(content).WriteTo(scenario);

    TMinimapSettings settings;
    settings.MainDat = archive;
    const MinimapBackend backend = DefaultMinimapBackend();
    ScopedErrorBoxHandler failures([&](const std::string& text) { state.SkipWithError(text.c_str()); });
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeMinimap(scenario, folder.path + "/map.bmp", settings, backend));
}
BENCHMARK(MakeMinimapEndToEnd)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tessel
