#include "archive/LzExpander.h"
#include "ArchiveWriter.h"
#include "system/FileLayer.h"
#include "TestSupport.h"

#include <algorithm>
#include <random>

namespace tessel {
namespace {

using Bytes = std::vector<uint8_t>;

// Expands the stream that file holds to length bytes, and checks that
// nothing past length was written.
Bytes ExpandFrom(InputFile& file, uint32_t length)
{
    constexpr uint8_t guard = 0xCC;
    file.Seek(0);
    Bytes buffer(length + 32, guard);
    ExpandWarEntry(file, buffer.data(), length);
    for (std::size_t k = length; k < buffer.size(); ++k)
        EXPECT_EQ(buffer[k], guard) << "byte " << k << " lies past the length";
    buffer.resize(length);
    return buffer;
}

// The same with stream stored as a file of its own.
Bytes Expand(const Bytes& stream, uint32_t length)
{
    test::TempDir dir;
    const std::string path = dir.File("stream.lz");
    test::WriteFileBytes(path, stream);
    InputFile file(path);
    return ExpandFrom(file, length);
}

// Bytes that differ from their neighbours and from zero.
Bytes Pattern(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t k = 0; k < size; ++k)
        bytes[k] = static_cast<uint8_t>(k * 7 + 3);
    return bytes;
}

Bytes RandomBytes(std::size_t size, uint32_t seed, int alphabet = 256)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, alphabet - 1);
    Bytes bytes(size);
    for (auto& value : bytes)
        value = static_cast<uint8_t>(byte(random));
    return bytes;
}

// Every byte as a literal: groups of the flag byte 0xFF and eight bytes.
Bytes LiteralStream(const Bytes& data)
{
    Bytes stream;
    for (std::size_t k = 0; k < data.size(); ++k) {
        if (k % 8 == 0)
            stream.push_back(0xFF);
        stream.push_back(data[k]);
    }
    return stream;
}

// The expander taken step by step: a real 4096-byte window, a flag register,
// and zero bytes once the stream has run out.
Bytes ExpandByWindowModel(const Bytes& stream, uint32_t length)
{
    Bytes window(4096, 0), out;
    std::size_t read = 0, write = 0;
    auto next = [&] { return read < stream.size() ? stream[read++] : uint8_t{0}; };
    auto produce = [&](uint8_t byte) {
        window[write] = byte;
        write = (write + 1) % 4096;
        out.push_back(byte);
    };
    unsigned flags = 0;
    while (out.size() < length) {
        flags >>= 1;
        if (!(flags & 0x100))
            flags = next() | 0xFF00u;
        if (flags & 1) {
            produce(next());
            continue;
        }
        const uint8_t b1 = next(), b2 = next();
        const std::size_t position = b1 + 256u * (b2 & 0x0F);
        const int count = (b2 >> 4) + 3;
        for (int k = 0; k < count && out.size() < length; ++k)
            produce(window[(position + k) % 4096]);
    }
    return out;
}

Bytes RoundTrip(const Bytes& data) { return Expand(CompressWarData(data), static_cast<uint32_t>(data.size())); }

// References are 12-bit absolute window positions P and counts K + 3.
TEST(LzExpansion, ShortStreamsExpandByTheirFlagsLiteralsAndReferences)
{
    const struct {
        const char* what;
        Bytes stream;
        std::string expected;
    } cases[] = {
        {"flag bits lowest first, 1 for a literal",
         {
             0xFF, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h',  // flag: eight literals
             0xFD, 'i', 0x00, 0x00, 'j',                    // literal, reference P = 0, K = 3, literal
         },
         "abcdefghiabcj"},
        {"a reference at the start copies the zeros of the window",
         {0x00, 0x34, 0xF2},  // flag: reference first; P = 0x234, K = 15 + 3
         std::string(18, '\0')},
        {"a reference just behind the write position repeats that byte",
         {0x07, 'x', 'y', 'z', 0x02, 0xF0},  // flag: three literals, then P = 2, K = 18
         "xy" + std::string(19, 'z')},
        {"the length reached inside a reference ends the stream",
         {0x03, 'a', 'b', 0x00, 0x70, 0xFF, 0xFF},  // two literals, P = 0, K = 10 cut after 3, an untaken reference
         "ababa"},
        {"a stream cut short by the end of the file goes on with zero bytes",
         {0x07, 'a', 'b', 'c'},  // three literals, then references (and flags) of zero bytes: P = 0, K = 3
         "abcabcabcabcabcabcab"},
    };
    for (const auto& c : cases) {
        const Bytes expected(c.expected.begin(), c.expected.end());
        EXPECT_EQ(Expand(c.stream, static_cast<uint32_t>(expected.size())), expected) << c.what;
    }
}

TEST(LzExpansion, ReferenceWrapsFromTheEndOfTheWindowToItsStart)
{
    // 4106 literals put the write position at 10, clear of positions 0 to 2.
    const Bytes literals = Pattern(4106);
    Bytes stream = LiteralStream(Bytes(literals.begin(), literals.begin() + 4104));
    const Bytes lastGroup = {
        0x03,                      // flag: literal, literal, reference
        literals[4104], literals[4105],
        0xFE, 0x2F,                // P = 0xFFE = 4094, K = 2 + 3
    };
    stream.insert(stream.end(), lastGroup.begin(), lastGroup.end());

    Bytes expected = literals;
    for (std::size_t source : {4094, 4095, 4096, 4097, 4098})  // window positions 4094, 4095, 0, 1, 2
        expected.push_back(literals[source]);
    EXPECT_EQ(Expand(stream, 4111), expected);
}

TEST(LzExpansion, StreamCutShortInItsSecondBlockNeverReusesTheFirstBlock)
{
    // 456 literal groups take 4104 bytes: the second input block holds only
    // 8 bytes, and whatever the first block left behind must not be read.
    const Bytes literals = Pattern(456 * 8);
    const Bytes stream = LiteralStream(literals);
    ASSERT_EQ(stream.size(), 4104u);

    Bytes expected = literals;
    for (std::size_t k = 0; k < 30; ++k)  // references to P = 0, K = 3
        expected.push_back(literals[k % 3]);
    EXPECT_EQ(Expand(stream, static_cast<uint32_t>(expected.size())), expected);
}

TEST(LzExpansion, AgreesWithAWindowByWindowModelOnRandomStreams)
{
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        const Bytes stream = RandomBytes(random() % 12000, seed);
        const auto length = static_cast<uint32_t>(1 + random() % 40000);
        EXPECT_EQ(Expand(stream, length), ExpandByWindowModel(stream, length)) << "seed " << seed;
    }
}

// References copy whole from well behind the write position, byte by byte
// from close behind it or from the window's initial zeros, and are cut by
// the length: swept here over the output so far, the distance back and
// every length that ends inside two back-to-back references.
TEST(LzExpansion, ReferencesOfEveryNearDistanceCutAtEveryLengthAgreeWithTheWindowModel)
{
    std::vector<std::size_t> producedBefore, distances;
    for (std::size_t n = 0; n <= 20; ++n)
        producedBefore.push_back(n);
    for (std::size_t n = 4095; n <= 4097; ++n)
        producedBefore.push_back(n);
    for (std::size_t d = 1; d <= 20; ++d)
        distances.push_back(d);
    for (std::size_t d : {4095, 4096})
        distances.push_back(d);

    test::TempDir dir;
    const std::string path = dir.File("stream.lz");
    for (std::size_t produced : producedBefore) {
        for (std::size_t distance : distances) {
            const std::size_t position = (produced + WarWindowSize - distance) % WarWindowSize;
            Bytes stream;
            LzStreamWriter items(stream);
            for (uint8_t byte : Pattern(produced))
                items.Literal(byte);
            items.Reference(position, 18);
            items.Reference((position + 18) % WarWindowSize, 18);
            test::WriteFileBytes(path, stream);
            InputFile file(path);
            const auto longest = static_cast<uint32_t>(produced + 36);
            const Bytes model = ExpandByWindowModel(stream, longest);
            for (uint32_t length = static_cast<uint32_t>(produced) + 1; length <= longest; ++length) {
                ASSERT_EQ(ExpandFrom(file, length), Bytes(model.begin(), model.begin() + length))
                    << produced << " bytes before, distance " << distance << ", length " << length;
            }
        }
    }
}

TEST(LzCompression, RoundTripsRandomDataOfSizesAroundTheWindow)
{
    for (std::size_t size : {0, 1, 2, 3, 17, 18, 19, 100, 4095, 4096, 4097, 8191, 8192, 8193, 20000}) {
        for (int alphabet : {256, 3}) {
            const Bytes data = RandomBytes(size, static_cast<uint32_t>(size + alphabet), alphabet);
            EXPECT_EQ(RoundTrip(data), data) << size << " bytes from " << alphabet << " values";
        }
    }
}

TEST(LzCompression, TakesRunsAndLeadingZerosAsReferences)
{
    // Filled in place: MinGW's GCC 12 takes growing a vector by insert for
    // a write out of bounds.
    Bytes runs(15000, 0x41);
    std::fill(runs.begin() + 5000, runs.begin() + 8000, 0x00);
    std::fill(runs.begin() + 8000, runs.end(), 0xFE);
    EXPECT_EQ(RoundTrip(runs), runs);
    EXPECT_LT(CompressWarData(runs).size(), runs.size() / 8);

    EXPECT_EQ(CompressWarData(Bytes(18, 0)).size(), 3u) << "one flag byte and one reference to the initial window";
    EXPECT_EQ(RoundTrip(Bytes(18, 0)), Bytes(18, 0));
}

TEST(LzCompression, RoundTripsDataThatRepeatsAtAndBeyondTheWindowSize)
{
    const Bytes first = RandomBytes(4096, 7);
    const Bytes second = RandomBytes(5000, 8);
    Bytes data = first;
    data.insert(data.end(), first.begin(), first.end());  // 4096 back: still in reach
    EXPECT_LT(CompressWarData(data).size(), 4096u * 9 / 8 + 600) << "the repeat is taken as references";
    data.insert(data.end(), second.begin(), second.end());
    data.insert(data.end(), first.begin(), first.end());  // 9096 back: out of reach
    EXPECT_EQ(RoundTrip(data), data);
}

}  // namespace
}  // namespace tessel
