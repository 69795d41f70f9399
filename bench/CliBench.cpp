// Maps per second of tessel-cli render over the real scenario corpus at 160
// pixels, beside the I/O floor: reading the same scenarios and writing the
// same number of bytes, nothing else.
#include "ArchiveWriter.h"
#include "Cli.h"
#include "system/FileLayer.h"
#include "TestEra.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tessel {
namespace {

struct BenchSetup {
    std::string folder;
    std::string archive;
    std::vector<std::string> scenarios;

    BenchSetup()
    {
        std::string pattern = (fs::temp_directory_path() / "tessel-clibench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data()) ? pattern : std::string(".");
        archive = folder + "/MAINDAT.WAR";
        ArchiveWriter writer;
        for (int era = 0; era < 4; ++era)
            writer.Era(era, MakeTestEra(static_cast<uint8_t>(era), 400));
        writer.WriteTo(archive);
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(TESSEL_CORPUS_DIR, error))
            if (entry.path().extension() == ".pud" || entry.path().extension() == ".PUD")
                scenarios.push_back(entry.path().string());
    }
    ~BenchSetup() { fs::remove_all(folder); }
};

BenchSetup& Setup()
{
    static BenchSetup setup;
    return setup;
}

void RenderCorpus(benchmark::State& state)
{
    BenchSetup& setup = Setup();
    if (setup.scenarios.empty()) {
        state.SkipWithError("no scenario corpus (TESSEL_CORPUS_DIR)");
        return;
    }
    std::vector<std::string> args{"render", "--no-settings", "-q", "--size", "160", "-a", setup.archive,
                                  "-j", std::to_string(state.range(0)), "-o", setup.folder + "/out"};
    args.insert(args.end(), setup.scenarios.begin(), setup.scenarios.end());
    for (auto _ : state) {
        std::ostringstream out, err;
        cli::Console console{out, err, false};
        cli::RunCli(args, console);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(setup.scenarios.size()));
    state.SetLabel("items = maps");
}
BENCHMARK(RenderCorpus)->Arg(1)->Arg(2)->ArgName("jobs")->Unit(benchmark::kMillisecond)->UseRealTime();

void InputOutputFloor(benchmark::State& state)
{
    BenchSetup& setup = Setup();
    if (setup.scenarios.empty()) {
        state.SkipWithError("no scenario corpus (TESSEL_CORPUS_DIR)");
        return;
    }
    fs::create_directories(setup.folder + "/floor");
    const std::vector<uint8_t> image(26678, 0x55);  // a 160 x 160 bitmap
    std::vector<uint8_t> buffer(1 << 20);
    for (auto _ : state) {
        int k = 0;
        for (const std::string& scenario : setup.scenarios) {
            InputFile in(scenario);
            in.ReadUpTo(buffer.data(), buffer.size());
            ReplacingOutputFile out(setup.folder + "/floor/" + std::to_string(k++) + ".bmp");
            out.Write(image.data(), image.size());
            out.Commit();
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(setup.scenarios.size()));
    state.SetLabel("items = maps");
}
BENCHMARK(InputOutputFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tessel
