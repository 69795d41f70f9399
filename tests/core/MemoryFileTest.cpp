// Files held in memory (entries taken out of zip archives) read as the same
// bytes on disk do, through the file layer and through both scenario
// readers and MakeMinimap.
#include "TestSupport.h"

#include "ArchiveWriter.h"
#include "base/Exceptions.h"
#include "DemoData.h"
#include "minimap/MakeMinimap.h"
#include "scenario/ScenarioInfo.h"
#include "ScenarioWriter.h"
#include "TestEra.h"

#include <filesystem>
#include <functional>

namespace tessel::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Ramp(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t k = 0; k < size; ++k)
        bytes[k] = static_cast<uint8_t>((k * 7 + k / 251) & 0xFF);
    return bytes;
}

// The bytes of each read, or the message of what it raised.
std::vector<std::string> ReadPattern(InputFile& file)
{
    std::vector<std::string> results;
    const int64_t size = file.Size();
    results.push_back("size " + std::to_string(size));
    const int64_t positions[] = {0, 1, size / 2, size - 1, size, size + 1, 65535, 65536, 65537, 1 << 20};
    const std::size_t counts[] = {0, 1, 3, 4096, 65535, 65536, 65537, 200000};
    for (const int64_t position : positions) {
        if (position < 0)
            continue;
        for (const std::size_t count : counts) {
            file.Seek(position);
            std::string bytes(count, '\0');
            const std::size_t got = file.ReadUpTo(bytes.data(), count);
            bytes.resize(got);
            results.push_back(std::to_string(position) + "+" + std::to_string(count) + " at " +
                              std::to_string(file.Position()) + ": " + bytes);
            file.Seek(position);
            try {
                std::string exact(count, '\0');
                file.ReadExact(exact.data(), count);
                results.push_back("exact " + exact);
            } catch (const Exception& error) {
                results.push_back("exact failed: " + error.Message());
            }
        }
    }
    return results;
}

// Sizes around the disk file's read-ahead block, which a file in memory
// does without.
TEST(MemoryFile, ReadsSeeksAndSizesAsTheSameBytesOnDisk)
{
    TempDir dir;
    for (const std::size_t size : {0u, 1u, 2u, 4095u, 4096u, 65535u, 65536u, 65537u, 131071u, 131072u, 131073u}) {
        SCOPED_TRACE(::testing::Message() << size << " bytes");
        const Bytes bytes = Ramp(size);
        WriteFileBytes(dir.File("file"), bytes);
        InputFile onDisk(dir.File("file"));
        InputFile inMemory("file", std::vector<unsigned char>(bytes.begin(), bytes.end()));
        EXPECT_EQ(ReadPattern(inMemory), ReadPattern(onDisk));
    }
}

TEST(MemoryFile, AClosedFileRefusesEveryOperationAsOneOnDiskDoes)
{
    InputFile file("name", {1, 2, 3});
    file.Close();
    char byte = 0;
    for (const auto& operation : std::vector<std::function<void()>>{
             [&] { file.Size(); }, [&] { file.Seek(0); }, [&] { file.ReadUpTo(&byte, 1); }, [&] { file.Close(); }}) {
        try {
            operation();
            ADD_FAILURE() << "no failure";
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.ErrorCode(), io_error::FileNotOpen);
        }
    }
}

// The catalogue reader and MakeMinimap on a file in memory: the same
// fields, the same image and the same messages as from disk.
class MemoryScenario : public ::testing::Test {
protected:
    void SetUp() override
    {
        ArchiveWriter archive;
        for (int era = 0; era < 4; ++era)
            archive.Era(era, MakeTestEra(static_cast<uint8_t>(era + 1)));
        archive.WriteTo(dir.File("MAINDAT.WAR"));
        settings.MainDat = dir.File("MAINDAT.WAR");
    }

    static InputFile InMemory(const Bytes& bytes)
    {
        return InputFile("entry.pud", std::vector<unsigned char>(bytes.begin(), bytes.end()));
    }

    // Scenarios that read, and those refused for each kind of fault.
    static std::vector<std::pair<std::string, Bytes>> Scenarios()
    {
        std::vector<std::pair<std::string, Bytes>> scenarios;
        for (const DemoScenario& demo : MakeDemoScenarios())
            scenarios.emplace_back(demo.FileName, WriteScenario(demo.Content).Bytes());
        scenarios.emplace_back("no DIM", ScenarioWriter().Chunk(chunk_tag::Era, EraChunkData(0)).Bytes());
        Bytes cut = WriteScenario(MakeDemoScenarios().front().Content).Bytes();
        cut.resize(cut.size() / 2);
        scenarios.emplace_back("cut in half", cut);
        scenarios.emplace_back("empty", Bytes{});
        Bytes large = WriteScenario(MakeDemoScenarios().front().Content).Bytes();
        large.resize(static_cast<std::size_t>(MaximumScenarioSize) + 1);
        scenarios.emplace_back("one byte over the limit", large);
        large.resize(static_cast<std::size_t>(MaximumScenarioSize));
        scenarios.emplace_back("at the limit", large);
        return scenarios;
    }

    TempDir dir;
    TMinimapSettings settings;
};

std::string Describe(const TScenarioInfo& info)
{
    std::string text = std::to_string(info.Era) + " " + std::to_string(info.MapSize) + " " +
                       std::to_string(info.UnitCount) + " " + info.Description.value_or("-") + " " +
                       std::to_string(info.Players.value_or(-1)) + " " + std::to_string(info.Gold);
    for (const PlayerSlot& slot : info.Slots)
        text += " " + std::to_string(slot.Gold.value_or(0)) + (slot.Start ? "s" : "");
    return text;
}

TEST_F(MemoryScenario, TheCatalogueReaderReadsAndRefusesAsFromDisk)
{
    for (const auto& [name, bytes] : Scenarios()) {
        SCOPED_TRACE(name);
        WriteFileBytes(dir.File("map.pud"), bytes);
        std::string fromDisk, fromMemory;
        TScenarioInfo info;
        TPUDData scenario;
        try {
            info.LoadFromFile(dir.File("map.pud"), scenario);
            fromDisk = Describe(info) + " tiles " + std::to_string(scenario.TileMap.size());
        } catch (const Exception& error) {
            fromDisk = error.Message();
        }
        InputFile file = InMemory(bytes);
        try {
            info.LoadFromOpenFile(file, scenario);
            fromMemory = Describe(info) + " tiles " + std::to_string(scenario.TileMap.size());
        } catch (const Exception& error) {
            fromMemory = error.Message();
            EXPECT_TRUE(scenario.TileMap.empty());
        }
        EXPECT_EQ(fromMemory, fromDisk);
    }
}

TEST_F(MemoryScenario, MakeMinimapWritesTheSameImageAndShowsTheSameMessages)
{
    const MinimapBackend backend = DefaultMinimapBackend();
    for (const auto& [name, bytes] : Scenarios()) {
        SCOPED_TRACE(name);
        WriteFileBytes(dir.File("map.pud"), bytes);
        ErrorBoxRecorder diskBoxes;
        const bool fromDisk = MakeMinimap(dir.File("map.pud"), dir.File("disk.bmp"), settings, backend);
        const std::vector<std::string> diskTexts = diskBoxes.TakeTexts();
        InputFile file = InMemory(bytes);
        ErrorBoxRecorder memoryBoxes;
        const bool fromMemory = MakeMinimap(file, dir.File("memory.bmp"), settings, backend);
        EXPECT_EQ(fromMemory, fromDisk);
        EXPECT_EQ(memoryBoxes.TakeTexts(), diskTexts);
        EXPECT_EQ(FileExists(dir.File("memory.bmp")), fromDisk);
        if (fromDisk) {
            EXPECT_EQ(ReadFileBytes(dir.File("memory.bmp")), ReadFileBytes(dir.File("disk.bmp")));
        }
        std::filesystem::remove(dir.File("disk.bmp"));
        std::filesystem::remove(dir.File("memory.bmp"));
    }
}

}  // namespace
}  // namespace tessel::test
