// How much memory a zip entry can ask for: never more than the scenario
// limit and one byte, whatever size it states or holds. A program of its
// own, as the probe replaces operator new.
#include "AllocationProbe.h"
#include "ScenarioFiles.h"
#include "ZipFiles.h"

#include "base/Exceptions.h"
#include "scenario/ScenarioChunks.h"
#include "ZipInputs.h"

namespace tessel::test {
namespace {

constexpr std::size_t Limit = static_cast<std::size_t>(MaximumScenarioSize) + 1;

// Reads every scenario entry of the zip as a run would; the messages.
std::vector<std::string> ReadAll(const std::string& zip)
{
    const cli::ZipListing listing = cli::ListZipScenarios(zip);
    EXPECT_EQ(listing.Failure, "");
    std::vector<std::string> messages;
    for (const cli::ZipEntry& entry : listing.Scenarios) {
        cli::ScenarioInput input{zip + "/" + entry.Name, "", 0, false};
        input.Archive = zip;
        input.Entry = entry.Index;
        input.EntryName = entry.Name;
        try {
            const std::unique_ptr<InputFile> file = cli::OpenScenario(input);
            messages.push_back(entry.Name + ": " + std::to_string(file->Size()) + " bytes");
        } catch (const Exception& error) {
            messages.push_back(entry.Name + ": " + error.Message());
        }
    }
    return messages;
}

TEST(ZipLimits, NoEntryAsksForMoreThanTheLimitWhateverItStatesOrHolds)
{
    TempDir dir;
    std::vector<uint8_t> atLimit = WriteScenario(MapWithOneUnit(0)).Bytes();
    const std::size_t small = atLimit.size();
    atLimit.resize(Limit - 1);
    const std::vector<uint8_t> huge(64 << 20, 0);
    WriteZip(dir.File("pack.zip"), {{"small.pud", WriteScenario(MapWithOneUnit(0)).Bytes()},
                                    {"at.pud", atLimit},
                                    {"over.pud", std::vector<uint8_t>(Limit, 1)},
                                    {"huge.pud", huge}});
    for (const bool stored : {false, true}) {
        WriteZip(dir.File(stored ? "stored-liar.zip" : "liar.zip"), {{"liar.pud", huge, stored}});
        SetStatedSize(dir.File(stored ? "stored-liar.zip" : "liar.zip"), 1000);
    }

    AllocationProbe probe;
    EXPECT_EQ(ReadAll(dir.File("pack.zip")),
              (std::vector<std::string>{"at.pud: " + std::to_string(Limit - 1) + " bytes",
                                        std::string("huge.pud: ") + ScenarioTooLargeText,
                                        std::string("over.pud: ") + ScenarioTooLargeText,
                                        "small.pud: " + std::to_string(small) + " bytes"}));
    for (const std::string liar : {"liar.zip", "stored-liar.zip"}) {
        const std::vector<std::string> messages = ReadAll(dir.File(liar));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0] == std::string("liar.pud: ") + ScenarioTooLargeText ||
                    messages[0].rfind("liar.pud: Invalid zip archive (", 0) == 0)
            << messages[0];
    }
    EXPECT_LE(probe.LargestRequest(), Limit);
}

}  // namespace
}  // namespace tessel::test
