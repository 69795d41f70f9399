#include "TestSupport.h"

#include "base/Exceptions.h"
#include "scenario/PudData.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace tessel::test {
namespace {

// One row of MANIFEST.tsv: what a correct reader finds in one real file.
struct CorpusEntry {
    std::string file;
    std::string era;
    std::string side;
    std::string units;
    std::string error;  // empty for a file that loads
};

std::vector<std::string> SplitAtTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        fields.push_back(field);
    if (!line.empty() && line.back() == '\t')
        fields.emplace_back();
    return fields;
}

// Rows by their header's column names, so that added columns do no harm.
std::vector<CorpusEntry> ReadManifest(std::istream& in)
{
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = SplitAtTabs(line);
    auto column = [&header](const std::string& name) -> std::size_t {
        for (std::size_t i = 0; i < header.size(); ++i)
            if (header[i] == name)
                return i;
        ADD_FAILURE() << "MANIFEST.tsv has no column \"" << name << "\"";
        return header.size();
    };
    const std::size_t file = column("file"), era = column("era"), side = column("side"), units = column("units"),
                      error = column("error");

    std::vector<CorpusEntry> entries;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        std::vector<std::string> fields = SplitAtTabs(line);
        fields.resize(std::max(fields.size(), header.size() + 1));
        entries.push_back({fields[file], fields[era], fields[side], fields[units], fields[error]});
    }
    return entries;
}

TEST(Corpus, EveryRealScenarioLoadsOrFailsAsItsManifestSays)
{
    const std::string folder = TESSEL_CORPUS_DIR;
    std::ifstream manifest(folder + "/MANIFEST.tsv");
    if (folder.empty() || !manifest)
        GTEST_SKIP() << "no corpus at \"" << folder
                     << "\" (MANIFEST.tsv missing); set the CMake cache variable TESSEL_CORPUS_DIR to a folder of "
                        "scenario files with their MANIFEST.tsv";

    const std::vector<CorpusEntry> entries = ReadManifest(manifest);
    ASSERT_FALSE(entries.empty()) << "MANIFEST.tsv lists no files";
    for (const CorpusEntry& entry : entries) {
        SCOPED_TRACE(entry.file);
        TPUDData pud;
        try {
            pud.LoadFromFile(folder + "/" + entry.file);
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), entry.error);
            continue;
        }
        if (!entry.error.empty()) {
            ADD_FAILURE() << "loaded, though \"" << entry.error << "\" was expected";
            continue;
        }
        EXPECT_EQ(std::to_string(pud.Era), entry.era);
        EXPECT_EQ(std::to_string(pud.MapSize), entry.side);
        EXPECT_EQ(std::to_string(pud.UnitCount), entry.units);
        EXPECT_EQ(pud.TileMap.size(), std::size_t{pud.MapSize} * pud.MapSize);

        // Every unit of a real map can be asked for.
        for (int32_t i = 0; i < pud.UnitCount; ++i) {
            uint16_t x, y, width, height;
            uint8_t type, owner, color;
            pud.GetUnitProps(i, x, y, width, height, type, owner, color);
        }
    }
}

}  // namespace
}  // namespace tessel::test
