#include "ArchiveWriter.h"
#include "FileLayer.h"
#include "TestSupport.h"
#include "WarArchive.h"

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

void ExpectNothingSilently(const EntryRead& read)
{
    EXPECT_TRUE(read.data.empty());
    EXPECT_EQ(read.size, 0u);
    EXPECT_TRUE(read.boxes.empty()) << read.boxes.front();
}

void ExpectNothingAfterBox(const EntryRead& read, const std::string& box)
{
    EXPECT_TRUE(read.data.empty());
    EXPECT_EQ(read.size, 0u);
    EXPECT_EQ(read.boxes, Texts{box});
}

Bytes Pattern(std::size_t size, uint8_t start)
{
    Bytes bytes(size);
    for (std::size_t k = 0; k < size; ++k)
        bytes[k] = static_cast<uint8_t>(start + k * 13);
    return bytes;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(WarEntryReader, ReadsTheLastEntryAndSilentlyNothingPastTheCount)
{
    const Bytes archive = ArchiveWriter()
                              .Entry(0, Text("zero"), false)
                              .Entry(1, Text("one"), false)
                              .Entry(2, Text("two"), false)
                              .Bytes();
    const EntryRead last = ReadEntry(archive, 2);
    EXPECT_EQ(last.data, Text("two"));
    EXPECT_EQ(last.size, 3u);
    EXPECT_TRUE(last.boxes.empty());

    ExpectNothingSilently(ReadEntry(archive, 3));
}

TEST(WarEntryReader, EntryBeyondAShortenedCountIsNotReadEvenWhenItsDataIsThere)
{
    const Bytes archive = ArchiveWriter().Entry(0, Text("zero"), false).Entry(1, Text("one"), false).EntryCount(1).Bytes();
    ExpectNothingSilently(ReadEntry(archive, 1));
}

TEST(WarEntryReader, AbsentEntryGivesNothingSilently)
{
    const Bytes archive = ArchiveWriter().Entry(0, Text("zero"), false).Entry(2, Text("two"), false).Bytes();
    ExpectNothingSilently(ReadEntry(archive, 1));
}

TEST(WarEntryReader, EntryWithThreeBytesOfRoomGivesNothingSilently)
{
    const Bytes beforeNextEntry = {
        25, 0, 0, 0,       // signature
        2, 0,              // two entries
        0xE8, 0x03,        // tag 1000
        16, 0, 0, 0,       // entry 0 at 16
        19, 0, 0, 0,       // entry 1 at 19, 3 bytes later
        4, 0, 0, 0,        // entry 0: stored, L = 4
        1, 0, 0, 0,        // entry 1 (from byte 19 on)
    };
    ExpectNothingSilently(ReadEntry(beforeNextEntry, 0));

    const Bytes beforeEndOfFile = {
        25, 0, 0, 0,       // signature
        1, 0,              // one entry
        0xE8, 0x03,        // tag 1000
        12, 0, 0, 0,       // entry 0 at 12
        1, 0, 0,           // 3 bytes, then the end of the file
    };
    ExpectNothingSilently(ReadEntry(beforeEndOfFile, 0));

    const Bytes beyondEndOfFile = {
        25, 0, 0, 0,       // signature
        1, 0,              // one entry
        0xE8, 0x03,        // tag 1000
        200, 0, 0, 0,      // entry 0 at 200, past the end
    };
    ExpectNothingSilently(ReadEntry(beyondEndOfFile, 0));
}

TEST(WarEntryReader, FourBytesOfRoomSufficeAndTheDataIsReadByItsLength)
{
    const Bytes archive = {
        25, 0, 0, 0,       // signature
        2, 0,              // two entries
        0xE8, 0x03,        // tag 1000
        16, 0, 0, 0,       // entry 0 at 16
        20, 0, 0, 0,       // entry 1 at 20, 4 bytes later
        4, 0, 0, 0,        // entry 0: stored, L = 4, data runs into entry 1
        2, 0, 0, 0,        // entry 1: stored, L = 2
        'o', 'k',
    };
    const EntryRead read = ReadEntry(archive, 0);
    EXPECT_EQ(read.data, (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(read.size, 4u);
    EXPECT_TRUE(read.boxes.empty());
}

TEST(WarEntryReader, OnlyLargerPositionsLimitTheRoom)
{
    const Bytes archive = {
        25, 0, 0, 0,       // signature
        3, 0,              // three entries
        0xE8, 0x03,        // tag 1000
        23, 0, 0, 0,       // entry 0 at 23
        20, 0, 0, 0,       // entry 1 at 20, before entry 0
        0xFF, 0xFF, 0xFF, 0xFF,  // entry 2 absent (-1, the largest unsigned value)
        0, 0, 0,           // entry 1's bytes
        3, 0, 0, 0,        // entry 0: stored, L = 3
        'a', 'b', 'c',
    };
    const EntryRead read = ReadEntry(archive, 0);
    EXPECT_EQ(read.data, Text("abc"));
    EXPECT_TRUE(read.boxes.empty());
}

TEST(WarEntryReader, CompressedEntryWithFourBytesOfRoomAtTheEndExpandsToZeros)
{
    const Bytes archive = {
        25, 0, 0, 0,       // signature
        1, 0,              // one entry
        0xE8, 0x03,        // tag 1000
        12, 0, 0, 0,       // entry 0 at 12
        5, 0, 0, 0x20,     // entry 0: compressed, L = 5, no stream at all
    };
    const EntryRead read = ReadEntry(archive, 0);
    EXPECT_EQ(read.data, Bytes(5, 0));
    EXPECT_EQ(read.size, 5u);
    EXPECT_TRUE(read.boxes.empty());
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

TEST(WarEntryReader, LengthZeroShowsOutOfMemoryAndGivesNothing)
{
    const Bytes archive = ArchiveWriter().RawEntry(5, 0x20000000, Bytes(8, 0)).Bytes();
    ExpectNothingAfterBox(ReadEntry(archive, 5), "Error extracting entry #5: Out of memory.");
}

TEST(WarEntryReader, ReadsStoredEntriesOfOneAndJustOverOnePiece)
{
    const Bytes onePiece = Pattern(1024, 3);
    const Bytes onePieceAndAByte = Pattern(1025, 5);
    const Bytes archive = ArchiveWriter()
                              .Entry(0, onePieceAndAByte, false)
                              .Entry(1, onePiece, false)  // ends exactly at the end of the file
                              .Bytes();
    const EntryRead first = ReadEntry(archive, 0);
    EXPECT_EQ(first.data, onePieceAndAByte);
    EXPECT_EQ(first.size, 1025u);
    const EntryRead second = ReadEntry(archive, 1);
    EXPECT_EQ(second.data, onePiece);
    EXPECT_EQ(second.size, 1024u);
    EXPECT_TRUE(second.boxes.empty());
}

TEST(WarEntryReader, FileEndingInsideStoredDataShowsReadBeyondEndOfFile)
{
    const Bytes inLastPiece = ArchiveWriter().RawEntry(7, 1025, Pattern(1024, 0)).Bytes();
    ExpectNothingAfterBox(ReadEntry(inLastPiece, 7), "Error extracting entry #7: Read beyond end of file");

    const Bytes inSecondPiece = ArchiveWriter().RawEntry(7, 3000, Pattern(1500, 0)).Bytes();
    ExpectNothingAfterBox(ReadEntry(inSecondPiece, 7), "Error extracting entry #7: Read beyond end of file");
}

TEST(WarEntryReader, FileEndingInsideTheEntryTableShowsReadBeyondEndOfFile)
{
    const Bytes archive = {
        25, 0, 0, 0,       // signature
        100, 0,            // 100 entries, but the table ends after two
        0xE8, 0x03,        // tag 1000
        16, 0, 0, 0,       // entry 0 at 16
        0xFF, 0xFF, 0xFF, 0xFF,  // entry 1 absent
        1, 0, 0, 0,        // entry 0: stored, L = 1
        'x',
    };
    ExpectNothingAfterBox(ReadEntry(archive, 0), "Error extracting entry #0: Read beyond end of file");
}

TEST(WarEntryReader, NegativePositionOtherThanAbsentShowsABoxInsteadOfReading)
{
    const Bytes archive = {
        25, 0, 0, 0,             // signature
        1, 0,                    // one entry
        0xE8, 0x03,              // tag 1000
        0xFE, 0xFF, 0xFF, 0xFF,  // entry 0 at -2
        1, 0, 0, 0, 'x',
    };
    const EntryRead read = ReadEntry(archive, 0);
    EXPECT_TRUE(read.data.empty());
    EXPECT_EQ(read.size, 0u);
    ASSERT_EQ(read.boxes.size(), 1u);
    EXPECT_EQ(read.boxes[0].rfind("Error extracting entry #0: ", 0), 0u) << read.boxes[0];
}

TEST(WarEntryReader, ExpandsACompressedEntryToItsLength)
{
    const EraTables era = MakeTestEra(9, 40);
    const Bytes archive = ArchiveWriter().Entry(2, era.MMT, true).Entry(3, era.TMI, true).Bytes();
    const EntryRead read = ReadEntry(archive, 2);
    EXPECT_EQ(read.data, era.MMT);
    EXPECT_EQ(read.size, era.MMT.size());
    EXPECT_TRUE(read.boxes.empty());
}

}  // namespace
}  // namespace tessel
