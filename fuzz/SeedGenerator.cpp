// Writes the seed inputs of the fuzz targets, made with the project's own
// fixtures: tessel_fuzz_seeds FOLDER creates FOLDER/<target>/<name> files.
#include "ArchiveWriter.h"
#include "base/ByteOrder.h"
#include "DemoData.h"
#include "ScenarioWriter.h"
#include "TestEra.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

using namespace tessel;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

void Save(const fs::path& folder, const std::string& name, const Bytes& bytes)
{
    fs::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + (folder / name).string());
}

ScenarioContent MapWithUnits(uint16_t era, uint16_t side)
{
    ScenarioContent content;
    content.Era = era;
    content.Side = side;
    content.Tiles.resize(std::size_t{side} * side);
    for (std::size_t k = 0; k < content.Tiles.size(); ++k)
        content.Tiles[k] = static_cast<TileCode>((k * 37) % 2600);
    content.UnitSizes = {{3, 2, 2}, {40, 4, 4}, {92, 3, 3}, {100, 0, 5}};
    content.Units = {{1, 1, 3, 0, 0},   {5, 6, 40, 1, 0},  {10, 2, 92, 15, 0},
                     {2, 9, 93, 3, 0},  {30, 30, 100, 7, 0}, {side, side, 3, 20, 0},
                     {65535, 3, 40, 2, 0}, {4, 4, 200, 6, 0}};
    return content;
}

std::map<std::string, Bytes> ScenarioSeeds()
{
    std::map<std::string, Bytes> seeds;
    for (uint16_t side : {32, 64, 96, 128})
        seeds["map_of_side_" + std::to_string(side)] = WriteScenario(MapWithUnits(side / 32 - 1, side)).Bytes();

    ScenarioContent small = MapWithUnits(2, 14);
    small.EraX = 3;
    seeds["map_of_side_14_with_erax"] = WriteScenario(small).Bytes();

    ScenarioWriter shortUdta;
    shortUdta.Chunk(chunk_tag::Era, EraChunkData(1))
        .Chunk(chunk_tag::Dimensions, DimensionsChunkData(32, 32))
        .Chunk(chunk_tag::UnitTypeData, UnitDataChunkData({}, MinimumUnitDataLength))
        .Chunk(chunk_tag::TileMap, TileMapChunkData(std::vector<TileCode>(32 * 32, 17)))
        .Chunk(chunk_tag::Units, UnitsChunkData({{1, 1, 109, 0, 0}, {2, 2, 110, 1, 0}, {3, 3, 255, 2, 0}}));
    seeds["udta_of_2888_bytes_and_high_unit_types"] = shortUdta.Bytes();

    ScenarioWriter reordered;
    reordered.Chunk(ChunkTag{'V', 'E', 'R', ' '}, {0x11, 0x00})
        .Chunk(chunk_tag::Units, UnitsChunkData({{0, 0, 1, 0, 0}}))
        .Chunk(chunk_tag::TileMap, TileMapChunkData(std::vector<TileCode>(32 * 32, 5)))
        .Chunk(chunk_tag::UnitTypeData, UnitDataChunkData())
        .Chunk(chunk_tag::Dimensions, DimensionsChunkData(32, 32))
        .Chunk(chunk_tag::EraX, EraChunkData(1))
        .Chunk(chunk_tag::Era, EraChunkData(0));
    seeds["chunks_in_reverse_order"] = reordered.Bytes();

    ScenarioWriter negative;
    negative.Chunk(chunk_tag::Era, EraChunkData(0)).ChunkWithStatedLength(ChunkTag{'O', 'W', 'N', 'R'}, -8, {1, 2});
    seeds["negative_length_before_dim"] = negative.Bytes();

    ScenarioWriter hugeUdta;
    hugeUdta.Chunk(chunk_tag::Era, EraChunkData(0))
        .Chunk(chunk_tag::Dimensions, DimensionsChunkData(32, 32))
        .ChunkWithStatedLength(chunk_tag::UnitTypeData, 0x7FFFFFFF, UnitDataChunkData());
    seeds["udta_stating_2_gb"] = hugeUdta.Bytes();

    ScenarioWriter widest;
    widest.Chunk(chunk_tag::Era, EraChunkData(0))
        .Chunk(chunk_tag::Dimensions, DimensionsChunkData(65535, 65535))
        .Chunk(chunk_tag::UnitTypeData, UnitDataChunkData())
        .ChunkWithStatedLength(chunk_tag::TileMap, 0x7FFFFFFE, {0, 0, 0, 0});
    seeds["side_65535"] = widest.Bytes();

    ScenarioContent catalogued = MapWithUnits(1, 32);
    catalogued.Units.push_back({4, 5, unit_type::HumanStart, 0, 0});
    catalogued.Units.push_back({20, 21, unit_type::OrcStart, 1, 0});
    catalogued.Metadata = {0x11, "Sea of \x84 and \xE1", SlotBytes{5, 4, 3, 2, 1, 0, 6, 7, 9},
                           SlotBytes{0, 1, 2, 1, 0}, SlotWords{1000, 2000}, SlotWords{300}, SlotWords{0, 65535}};
    seeds["map_with_every_metadata_chunk"] = WriteScenario(catalogued).Bytes();
    ScenarioWriter shortMetadata = WriteScenario(MapWithUnits(0, 32));
    shortMetadata.Chunk(chunk_tag::Owners, {5, 5, 5})
        .Chunk(chunk_tag::StartingGold, Bytes(31, 7))
        .ChunkWithStatedLength(chunk_tag::Description, 32, {'c', 'u', 't'});
    seeds["map_with_short_metadata_chunks"] = shortMetadata.Bytes();

    ScenarioWriter cutHeader;
    cutHeader.Chunk(chunk_tag::Era, EraChunkData(0)).Raw({'D', 'I', 'M', ' ', 4});
    seeds["cut_chunk_header"] = cutHeader.Bytes();

    int demo = 0;
    for (const DemoScenario& scenario : MakeDemoScenarios())
        if (demo++ < 6)
            seeds["demo_" + scenario.FileName] = WriteScenario(scenario.Content).Bytes();
    return seeds;
}

// The thumbnailer target's layout: the length of the SIZE text, the text,
// then the scenario.
Bytes ThumbnailerSeed(const std::string& sideText, const Bytes& scenario)
{
    Bytes seed{static_cast<uint8_t>(sideText.size())};
    seed.insert(seed.end(), sideText.begin(), sideText.end());
    seed.insert(seed.end(), scenario.begin(), scenario.end());
    return seed;
}

std::map<std::string, Bytes> ArchiveSeeds()
{
    std::map<std::string, Bytes> seeds;
    ArchiveWriter compressed;
    ArchiveWriter stored;
    for (int era = 0; era < 4; ++era) {
        compressed.Era(era, MakeTestEra(static_cast<uint8_t>(era), 4), true);
        stored.Era(era, MakeTestEra(static_cast<uint8_t>(era), 2), false);
    }
    seeds["four_eras_compressed"] = compressed.Bytes();
    seeds["four_eras_stored"] = stored.Bytes();

    const EraTables tables = MakeTestEra(9, 2);
    ArchiveWriter damaged;
    damaged.Entry(2, tables.Palette, true).Entry(3, tables.MMI, false).Entry(5, tables.TMI, true);
    damaged.RawEntry(4, 0x20000000 | 0x00FFFFFF, {0x00, 0x00, 0x10});  // 16 MB from three bytes
    damaged.Position(18, 0x7FFFFFF0).Position(19, -1);
    seeds["era_0_with_a_16_mb_entry"] = damaged.Bytes();

    ArchiveWriter shortPalette;
    shortPalette.Entry(10, Bytes(100, 63), false)
        .Entry(11, tables.MMI, true)
        .Entry(12, Bytes(10, 1), false)
        .Entry(13, Bytes(7, 2), false);
    seeds["era_2_with_short_tables"] = shortPalette.Bytes();
    return seeds;
}

Bytes ExpandSeed(uint32_t length, const Bytes& stream)
{
    Bytes seed{static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8), 0};
    seed.insert(seed.end(), stream.begin(), stream.end());
    return seed;
}

std::map<std::string, Bytes> ExpandSeeds()
{
    std::map<std::string, Bytes> seeds;
    Bytes text;
    for (const char* word : {"the ", "tile ", "picture ", "of ", "the ", "swamp ", "tile "})
        text.insert(text.end(), word, word + std::strlen(word));
    Bytes ramp(9000);
    for (std::size_t k = 0; k < ramp.size(); ++k)
        ramp[k] = static_cast<uint8_t>(k * k / 7);
    const Bytes zeros(5000, 0);

    seeds["text"] = ExpandSeed(static_cast<uint32_t>(text.size()), CompressWarData(text));
    seeds["ramp_of_9000_bytes"] = ExpandSeed(9000, CompressWarData(ramp));
    seeds["zeros_of_5000_bytes"] = ExpandSeed(5000, CompressWarData(zeros));
    seeds["stream_cut_short"] = ExpandSeed(4097, Bytes{0xFF, 1, 2, 3});
    seeds["reference_wrapping_the_window"] = ExpandSeed(40, Bytes{0x00, 0xFE, 0x2F, 0xFE, 0x2F});
    return seeds;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessel_fuzz_seeds FOLDER\n");
        return 2;
    }
    const fs::path root = argv[1];
    try {
        for (const auto& [name, bytes] : ScenarioSeeds()) {
            Save(root / "scenario", name, bytes);
            Save(root / "catalogue", name, bytes);
            Save(root / "minimap", name, bytes);
            Save(root / "thumbnailer", name, ThumbnailerSeed("96", bytes));
        }
        for (const auto& [name, bytes] : ArchiveSeeds())
            Save(root / "archive", name, bytes);
        for (const auto& [name, bytes] : ExpandSeeds())
            Save(root / "expand", name, bytes);
        const std::string state = "tessel-update 1\nsettings\trender 1.0 sides 160 160 160 160 units bmp\n"
                                  "image\tsub/x.bmp\tmaps/sub/x.pud\t2048\t1700000000000000000\t25678\t"
                                  "1700000000500000000\n"
                                  "image\tpack/a%0A.bmp\tpack.zip/a%0A.pud\t9000\t-5\t25678\t7\n";
        Save(root / "update_state", "two_images", Bytes(state.begin(), state.end()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tessel_fuzz_seeds: %s\n", error.what());
        return 1;
    }
    return 0;
}
