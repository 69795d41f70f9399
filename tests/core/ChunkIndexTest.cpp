// The chunk index against the plain search from byte 0: the same length
// and the same file position for every tag, whatever the order of the
// searches, in files that are whole, damaged or cut short.
#include "TestSupport.h"

#include "base/Exceptions.h"
#include "scenario/ScenarioChunks.h"
#include "ScenarioWriter.h"

#include <algorithm>
#include <fstream>
#include <random>

namespace tessel::test {
namespace {

using Bytes = std::vector<uint8_t>;
namespace tag = chunk_tag;

constexpr ChunkTag JunkTag{'J', 'U', 'N', 'K'};  // kept by no index

// Every indexed tag, and one that no index keeps.
std::vector<ChunkTag> SoughtTags()
{
    std::vector<ChunkTag> tags(IndexedChunkTags.begin(), IndexedChunkTags.end());
    tags.push_back(JunkTag);
    return tags;
}

ScenarioContent EveryTag()
{
    ScenarioContent content;
    content.EraX = 3;
    content.Side = 2;
    content.Units = {{1, 1, 2, 3, 4}};
    content.Metadata = {17, "all", SlotBytes{}, SlotBytes{}, SlotWords{}, SlotWords{}, SlotWords{}};
    return content;
}

struct Layout {
    const char* Name;
    ScenarioWriter Writer;
};

std::vector<Layout> Layouts()
{
    const Bytes two{1, 0};
    return {
        {"nothing", ScenarioWriter()},
        {"in order", ScenarioWriter().Chunk(tag::Era, two).Chunk(tag::Dimensions, {2, 0, 2, 0}).Chunk(tag::Units, Bytes(16))},
        {"reversed with junk between",
         ScenarioWriter().Chunk(tag::Units, Bytes(8)).Chunk(JunkTag, {9}).Chunk(tag::Dimensions, two).Chunk(tag::Era, two)},
        {"twice each, the first wins",
         ScenarioWriter().Chunk(tag::Era, two).Chunk(tag::Dimensions, Bytes(3)).Chunk(tag::Era, Bytes(5)).Chunk(tag::Dimensions, {})},
        {"empty chunks",
         ScenarioWriter().Chunk(tag::Version, {}).Chunk(tag::Era, {}).Chunk(JunkTag, {}).Chunk(tag::Era, two)},
        {"a negative length of another tag ends the walk",
         ScenarioWriter().Chunk(tag::Era, two).ChunkWithStatedLength(JunkTag, -1, two).Chunk(tag::Dimensions, two)},
        {"a negative length of a sought tag is found",
         ScenarioWriter().ChunkWithStatedLength(tag::Dimensions, -5, {0x42}).Chunk(tag::Era, two)},
        {"a length running past the end",
         ScenarioWriter().Chunk(tag::Era, two).ChunkWithStatedLength(tag::TileMap, 1000, two).Chunk(tag::Dimensions, two)},
        {"a length landing exactly at the end",
         ScenarioWriter().Chunk(tag::Era, two).ChunkWithStatedLength(tag::UnitTypeData, 10, Bytes(10))},
        {"a header cut short", ScenarioWriter().Chunk(tag::Era, two).Raw({'D', 'I', 'M', ' ', 2, 0})},
        {"two stray bytes shifting every header", ScenarioWriter().Raw({'U', 'N'}).Chunk(tag::Era, two)},
        {"the largest length",
         ScenarioWriter().Chunk(tag::Dimensions, two).ChunkWithStatedLength(JunkTag, 0x7FFFFFFF, {}).Chunk(tag::Era, two)},
        {"every tag", WriteScenario(EveryTag())},
    };
}

// The length and the position after it, the position only where found.
std::pair<int32_t, int64_t> Outcome(int32_t length, const InputFile& file)
{
    return {length, length == -1 ? -1 : file.Position()};
}

TEST(ChunkIndex, FindsWhatASearchFromTheStartFindsInAnyOrderOfSearches)
{
    TempDir dir;
    std::mt19937 random(2024);
    for (const Layout& layout : Layouts()) {
        SCOPED_TRACE(layout.Name);
        const std::string path = dir.File("layout.pud");
        layout.Writer.WriteTo(path);
        std::vector<ChunkTag> order = SoughtTags();
        for (int round = 0; round < 6; ++round) {
            if (round == 1)
                std::reverse(order.begin(), order.end());
            else if (round > 1)
                std::shuffle(order.begin(), order.end(), random);
            InputFile indexed(path);
            InputFile plain(path);
            ChunkIndex chunks(indexed);
            for (const ChunkTag& sought : order) {
                SCOPED_TRACE(std::string(sought.begin(), sought.end()));
                const auto expected = Outcome(FindChunk(plain, sought), plain);
                ASSERT_EQ(Outcome(chunks.Find(sought), indexed), expected);
                // A second search gives the same, from the index.
                ASSERT_EQ(Outcome(chunks.Find(sought), indexed), expected);
            }
        }
    }
}

// Appends bytes to the file in place, as another program would.
void Append(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::app)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(ChunkIndex, ReadsOnlyWithinTheSizeTakenAtTheStart)
{
    TempDir dir;
    {
        // The unit data and a chunk after it come after the index began.
        const std::string path = dir.File("grows_after_a_chunk.pud");
        ScenarioWriter().Chunk(tag::Era, {1, 0}).ChunkWithStatedLength(tag::Units, 8, {}).WriteTo(path);
        InputFile file(path);
        ChunkIndex chunks(file);
        Append(path, ScenarioWriter().Raw(Bytes(8)).Chunk(tag::Dimensions, {2, 0}).Bytes());
        ASSERT_EQ(FindChunk(file, tag::Dimensions), 2);

        ASSERT_EQ(chunks.Find(tag::Units), 8);
        EXPECT_THROW(chunks.ReadData(8), EInOutError);
        EXPECT_EQ(chunks.Find(tag::Dimensions), -1);
        ASSERT_EQ(chunks.Find(tag::Era), 2);
        EXPECT_EQ(chunks.ReadWord(), 1);
    }
    {
        // A header cut short stays cut short when the rest arrives.
        const std::string path = dir.File("grows_inside_a_header.pud");
        ScenarioWriter().Chunk(tag::Era, {1, 0}).Raw({'D', 'I', 'M', ' ', 2}).WriteTo(path);
        InputFile file(path);
        ChunkIndex chunks(file);
        Append(path, {0, 0, 0, 2, 0});
        ASSERT_EQ(FindChunk(file, tag::Dimensions), 2);
        EXPECT_EQ(chunks.Find(tag::Dimensions), -1);
    }
}

}  // namespace
}  // namespace tessel::test
