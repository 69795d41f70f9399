#include "archive/WarArchive.h"
#include "ArchiveWriter.h"
#include "base/ByteOrder.h"
#include "system/FileLayer.h"
#include "TestSupport.h"

namespace tessel {
namespace {

using Bytes = std::vector<uint8_t>;
using Texts = std::vector<std::string>;

struct EntryRead {
    Bytes data;
    uint32_t size;
    Texts boxes;
};

// Reads entry from an archive holding bytes, with the size output preset to
// a value the reader must overwrite.
EntryRead ReadEntry(const Bytes& archive, int32_t entry)
{
    test::TempDir dir;
    const std::string path = dir.File("MAINDAT.WAR");
    test::WriteFileBytes(path, archive);
    InputFile file(path);
    test::ErrorBoxRecorder boxes;
    EntryRead read{{}, 0xDEADBEEF, {}};
    read.data = ReadWarEntry(file, entry, read.size);
    read.boxes = boxes.Texts();
    return read;
}

Bytes Pattern(std::size_t size, uint8_t start)
{
    Bytes bytes(size);
    for (std::size_t k = 0; k < size; ++k)
        bytes[k] = static_cast<uint8_t>(start + k * 13);
    return bytes;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// An archive of signature 25 and tag 1000 stating count entries, with the
// table positions given (fewer than count cut the table short), then body.
Bytes RawArchive(uint16_t count, const std::vector<int32_t>& positions, const Bytes& body)
{
    Bytes bytes(8 + 4 * positions.size());
    WriteU32LE(&bytes[0], 25);
    WriteU16LE(&bytes[4], count);
    WriteU16LE(&bytes[6], 1000);
    for (std::size_t k = 0; k < positions.size(); ++k)
        WriteU32LE(&bytes[8 + 4 * k], static_cast<uint32_t>(positions[k]));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

TEST(WarEntryReader, FourBytesOfRoomSufficeAndTheDataIsReadByItsLength)
{
    // Entry 0 at 16, 4 bytes before entry 1 at 20: its header says stored,
    // L = 4, so its data is entry 1's header (stored, L = 2).
    const EntryRead read = ReadEntry(RawArchive(2, {16, 20}, {4, 0, 0, 0, 2, 0, 0, 0, 'o', 'k'}), 0);
    EXPECT_EQ(read.data, (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(read.size, 4u);
    EXPECT_TRUE(read.boxes.empty());
}

TEST(WarEntryReader, OnlyLargerPositionsLimitTheRoom)
{
    // Entry 1 at 20 lies before entry 0 at 23; entry 2 is absent (-1, the
    // largest unsigned value). Entry 1's 3 bytes, then entry 0: stored, L = 3.
    const EntryRead read = ReadEntry(RawArchive(3, {23, 20, -1}, {0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c'}), 0);
    EXPECT_EQ(read.data, Text("abc"));
    EXPECT_TRUE(read.boxes.empty());
}

TEST(WarEntryReader, EntriesPastTheCountAbsentOrWithLessThanFourBytesOfRoomGiveNothingSilently)
{
    const struct {
        const char* what;
        Bytes archive;
        int32_t entry;
    } cases[] = {
        {"past the count", ArchiveWriter().Entry(0, Text("zero"), false).Entry(1, Text("one"), false).Bytes(), 2},
        {"past a shortened count, with its data there",
         ArchiveWriter().Entry(0, Text("zero"), false).Entry(1, Text("one"), false).EntryCount(1).Bytes(), 1},
        {"absent", ArchiveWriter().Entry(0, Text("zero"), false).Entry(2, Text("two"), false).Bytes(), 1},
        // entry 0: stored, L = 4, then entry 1 from byte 19 on
        {"3 bytes before the next entry", RawArchive(2, {16, 19}, {4, 0, 0, 0, 1, 0, 0, 0}), 0},
        {"3 bytes before the end of the file", RawArchive(1, {12}, {1, 0, 0}), 0},
        {"beyond the end of the file", RawArchive(1, {200}, {}), 0},
    };
    for (const auto& c : cases) {
        const EntryRead read = ReadEntry(c.archive, c.entry);
        EXPECT_TRUE(read.data.empty()) << c.what;
        EXPECT_EQ(read.size, 0u) << c.what;
        EXPECT_EQ(read.boxes, Texts{}) << c.what;
    }
}

TEST(WarEntryReader, IgnoresHeaderBitsOtherThanTheLengthAndTheCompressionFlag)
{
    const Bytes stored = Text("hello");
    const Bytes compressed = Pattern(300, 1);
    const Bytes archive = ArchiveWriter()
                              .RawEntry(0, 0xDF000000 | 5, stored)  // bits 24-28, 30, 31 set; 29 clear
                              .RawEntry(1, 0xFF000000 | 300, CompressWarData(compressed))
                              .Bytes();
    EXPECT_EQ(ReadEntry(archive, 0).data, stored);
    const EntryRead read = ReadEntry(archive, 1);
    EXPECT_EQ(read.data, compressed);
    EXPECT_EQ(read.size, 300u);
}

TEST(WarEntryReader, ReadsStoredEntriesOfJustOverOnePieceAndOfOnePieceUpToTheEndOfTheFile)
{
    const Bytes onePiece = Pattern(1024, 3);
    const Bytes onePieceAndAByte = Pattern(1025, 5);
    const Bytes archive = ArchiveWriter()
                              .Entry(0, onePieceAndAByte, false)
                              .Entry(1, onePiece, false)  // the last entry, up to the end of the file
                              .Bytes();
    const EntryRead first = ReadEntry(archive, 0);
    EXPECT_EQ(first.data, onePieceAndAByte);
    EXPECT_EQ(first.size, 1025u);
    const EntryRead second = ReadEntry(archive, 1);
    EXPECT_EQ(second.data, onePiece);
    EXPECT_EQ(second.size, 1024u);
    EXPECT_TRUE(second.boxes.empty());
}

TEST(WarEntryReader, AnEntryThatCannotBeReadShowsWhyInABoxAndGivesNothing)
{
    const std::string beyondEnd = ": Read beyond end of file";
    const struct {
        const char* what;
        Bytes archive;
        int32_t entry;
        std::string box;
    } cases[] = {
        {"length 0", ArchiveWriter().RawEntry(5, 0x20000000, Bytes(8, 0)).Bytes(), 5,
         "Error extracting entry #5: Out of memory."},
        {"file ending in the last stored piece", ArchiveWriter().RawEntry(7, 1025, Pattern(1024, 0)).Bytes(), 7,
         "Error extracting entry #7" + beyondEnd},
        {"file ending in the second stored piece", ArchiveWriter().RawEntry(7, 3000, Pattern(1500, 0)).Bytes(), 7,
         "Error extracting entry #7" + beyondEnd},
        {"file ending inside the entry table", RawArchive(100, {16, -1}, {1, 0, 0, 0, 'x'}), 0,  // stored, L = 1
         "Error extracting entry #0" + beyondEnd},
    };
    for (const auto& c : cases) {
        const EntryRead read = ReadEntry(c.archive, c.entry);
        EXPECT_TRUE(read.data.empty()) << c.what;
        EXPECT_EQ(read.size, 0u) << c.what;
        EXPECT_EQ(read.boxes, Texts{c.box}) << c.what;
    }
}

TEST(WarEntryReader, NegativePositionOtherThanAbsentShowsABoxInsteadOfReading)
{
    const EntryRead read = ReadEntry(RawArchive(1, {-2}, {1, 0, 0, 0, 'x'}), 0);
    EXPECT_TRUE(read.data.empty());
    EXPECT_EQ(read.size, 0u);
    ASSERT_EQ(read.boxes.size(), 1u);
    EXPECT_EQ(read.boxes[0].rfind("Error extracting entry #0: ", 0), 0u) << read.boxes[0];
}

}  // namespace
}  // namespace tessel
