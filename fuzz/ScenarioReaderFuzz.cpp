// Feeds arbitrary bytes to the scenario reader as a file, then asks for the
// props of every unit it found; and checks that the chunk index finds what
// a search from byte 0 finds, for every tag, in an order the input chooses.
#include "FuzzSupport.h"

#include "base/Exceptions.h"
#include "scenario/PudData.h"

using namespace tessel;

namespace {

void CompareChunkSearches(const std::string& path, const uint8_t* data, std::size_t size)
{
    InputFile indexed(path);
    InputFile plain(path);
    ChunkIndex chunks(indexed);
    // The last bytes choose the order of the searches.
    for (std::size_t k = 0; k < IndexedChunkTags.size(); ++k) {
        const std::size_t pick = size > k ? data[size - 1 - k] : k;
        const ChunkTag& tag = IndexedChunkTags[pick % IndexedChunkTags.size()];
        const int32_t expected = FindChunk(plain, tag);
        FUZZ_CHECK(chunks.Find(tag) == expected);
        FUZZ_CHECK(expected == -1 || indexed.Position() == plain.Position());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static fuzz::MemoryFile input;
    input.Replace(data, size);
    if (static_cast<int64_t>(size) <= MaximumScenarioSize)
        CompareChunkSearches(input.Path(), data, size);

    TPUDData scenario;
    try {
        scenario.LoadFromFile(input.Path());
    } catch (const Exception&) {
        // A failed load leaves no buffers behind.
        FUZZ_CHECK(scenario.TileMap.empty() && scenario.UnitData.empty() && scenario.Units.empty());
        FUZZ_CHECK(scenario.UnitCount == 0);
        return 0;
    }

    // Buffers are exactly as long as the chunks they hold, and those lie in
    // the file.
    const std::size_t side = scenario.MapSize;
    FUZZ_CHECK(scenario.TileMap.size() == side * side);
    FUZZ_CHECK(scenario.UnitData.size() >= MinimumUnitDataLength && scenario.UnitData.size() <= size);
    FUZZ_CHECK(scenario.Units.size() <= size);
    FUZZ_CHECK(static_cast<std::size_t>(scenario.UnitCount) == scenario.Units.size() / UnitRecordSize);

    for (int32_t index = 0; index < scenario.UnitCount; ++index) {
        uint16_t x, y, width, height;
        uint8_t unitType, owner, color;
        scenario.GetUnitProps(index, x, y, width, height, unitType, owner, color);
    }
    for (int32_t index : {-1, scenario.UnitCount}) {
        try {
            uint16_t x, y, width, height;
            uint8_t unitType, owner, color;
            scenario.GetUnitProps(index, x, y, width, height, unitType, owner, color);
            fuzz::Violation("an index out of range was accepted");
        } catch (const EPUDEx&) {
        }
    }
    return 0;
}
