// A truncated archive, cut at each place that archive/ArchiveMessages.h
// names, gives the messages it lists there and no others.
#include "TestSupport.h"

#include "ArchiveWriter.h"
#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "era/TerrainData.h"
#include "TestEra.h"

namespace tessel::test {
namespace {

using Bytes = std::vector<uint8_t>;
using Texts = std::vector<std::string>;

struct Load {
    std::string failure;  // empty when the era loaded
    Texts boxes;
};

class TruncatedArchive : public ::testing::Test {
protected:
    // Era 0 loaded from the first size bytes of archive.
    Load LoadCut(const Bytes& archive, std::size_t size)
    {
        WriteFileBytes(path, Bytes(archive.begin(), archive.begin() + static_cast<std::ptrdiff_t>(size)));
        ErrorBoxRecorder boxes;
        Load load;
        try {
            TTerrainData terrain;
            terrain.LoadFromMaindat(path, 0);
        } catch (const Exception& error) {
            load.failure = error.Message();
        }
        load.boxes = boxes.Texts();
        return load;
    }

    // Where entry's header begins in archive.
    static std::size_t PositionOf(const Bytes& archive, int32_t entry)
    {
        return static_cast<std::size_t>(ReadI32LE(archive.data() + 8 + 4 * entry));
    }

    TempDir dir;
    const std::string path = dir.File("MAINDAT.WAR");
    const EraTables era = MakeTestEra(1, 4);
};

TEST_F(TruncatedArchive, CutInsideItsHeaderItIsNoArchive)
{
    const Bytes stored = ArchiveWriter().Era(0, era, false).Bytes();
    for (const std::size_t size : {std::size_t{0}, std::size_t{7}}) {
        SCOPED_TRACE(size);
        const Load load = LoadCut(stored, size);
        EXPECT_EQ(load.failure, "\"" + path + "\" is not a valid MAINDAT.WAR file.");
        EXPECT_EQ(load.boxes, Texts{});
    }
}

TEST_F(TruncatedArchive, CutInsideTheEntryTableOrAStoredEntryItReadsBeyondTheEnd)
{
    const Bytes stored = ArchiveWriter().Era(0, era, false).Bytes();
    const std::size_t palette = PositionOf(stored, EraFirstEntries[0]);
    // Entry 2's slot in the table is bytes 16 to 19; the palette's 768 bytes
    // follow its 4-byte header.
    for (const std::size_t size : {std::size_t{18}, palette + 4 + 100, palette + 4 + 767}) {
        SCOPED_TRACE(size);
        const Load load = LoadCut(stored, size);
        EXPECT_EQ(load.boxes, Texts{"Error extracting entry #2: Read beyond end of file"});
        EXPECT_EQ(load.failure, "Cannot read palette from maindat.war");
    }
}

TEST_F(TruncatedArchive, CutBeforeAnEntrysHeaderItLacksTheEntryWithoutABox)
{
    const Bytes stored = ArchiveWriter().Era(0, era, false).Bytes();
    const std::size_t mmt = PositionOf(stored, EraFirstEntries[0] + 2);
    for (const std::size_t size : {mmt, mmt + 3}) {
        SCOPED_TRACE(size);
        const Load load = LoadCut(stored, size);
        EXPECT_EQ(load.boxes, Texts{});
        EXPECT_EQ(load.failure, "Cannot read MMT from maindat.war");
    }
}

TEST_F(TruncatedArchive, CutInsideACompressedEntryItReadsOnAsZerosWithoutAMessage)
{
    const Bytes compressed = ArchiveWriter().Era(0, era, true).Bytes();
    const std::size_t tmi = PositionOf(compressed, EraFirstEntries[0] + 3);  // the last entry
    ASSERT_GT(compressed.size(), tmi + 4 + 8);
    const Load load = LoadCut(compressed, tmi + 4 + (compressed.size() - tmi - 4) / 2);
    EXPECT_EQ(load.failure, "");
    EXPECT_EQ(load.boxes, Texts{});
}

}  // namespace
}  // namespace tessel::test
