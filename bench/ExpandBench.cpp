// Expansion speed of a compressed archive entry the size of a real era's
// block table (MMT), with the kind of content such a table holds.
#include "archive/LzExpander.h"
#include "ArchiveWriter.h"
#include "system/FileLayer.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

namespace {

constexpr std::size_t BlockCount = 2560;  // 160 KB of 8x8 blocks

// Terrain-like blocks: noisy texture around a few base colours, flat areas,
// and blocks that repeat a recent one, as edge and transition tiles do.
std::vector<uint8_t> BlockTable()
{
    std::mt19937 random(2024);
    std::vector<uint8_t> table;
    table.reserve(BlockCount * 64);
    for (std::size_t block = 0; block < BlockCount; ++block) {
        const unsigned kind = random() % 100;
        if (kind < 25 && block >= 60) {
            const std::size_t source = (block - 1 - random() % 60) * 64;
            for (std::size_t k = 0; k < 64; ++k)
                table.push_back(table[source + k]);
        } else if (kind < 40) {
            table.insert(table.end(), 64, static_cast<uint8_t>(random() % 256));
        } else {
            const auto base = static_cast<uint8_t>(16 * (random() % 12));
            for (std::size_t k = 0; k < 64; ++k)
                table.push_back(static_cast<uint8_t>(base + random() % 6));
        }
    }
    return table;
}

void ExpandBlockTable(benchmark::State& state)
{
    const std::vector<uint8_t> table = BlockTable();
    const std::vector<uint8_t> stream = tessel::CompressWarData(table);
    const std::string path =
        (std::filesystem::temp_directory_path() / ("tessel-expand-bench-" + std::to_string(::getpid()) + ".lz")).string();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
    }

    {
        tessel::InputFile file(path);
        std::vector<uint8_t> buffer(table.size());
        for (auto _ : state) {
            file.Seek(0);
            tessel::ExpandWarEntry(file, buffer.data(), static_cast<uint32_t>(buffer.size()));
            benchmark::DoNotOptimize(buffer.data());
            benchmark::ClobberMemory();
        }
        if (buffer != table)
            state.SkipWithError("the expanded table differs from the original");
    }
    std::filesystem::remove(path);

    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(table.size()));
    state.counters["compressed_bytes"] = static_cast<double>(stream.size());
}
BENCHMARK(ExpandBlockTable);

}  // namespace
