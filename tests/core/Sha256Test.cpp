#include "base/Sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace tessel::test {
namespace {

std::string HexOf(const std::string& text) { return Sha256Hex(text.data(), text.size()); }

TEST(Sha256, TheStandardsExamplesGiveTheirDigests)
{
    EXPECT_EQ(HexOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HexOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(HexOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(HexOf(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// The padding changes where the length no longer fits the last block
// (56 bytes) and where a block is full (64).
TEST(Sha256, LengthsAroundTheBlockEdgesGiveTheirDigests)
{
    const std::pair<std::size_t, const char*> cases[] = {
        {55, "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {56, "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {57, "f13b2d724659eb3bf47f2dd6af1accc87b81f09f59f2b75e5c0bed6589dfe8c6"},
        {63, "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {64, "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {65, "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
        {119, "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
        {120, "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
        {128, "6836cf13bac400e9105071cd6af47084dfacad4e5e302c94bfed24e013afb73e"},
    };
    for (const auto& [length, digest] : cases)
        EXPECT_EQ(HexOf(std::string(length, 'a')), digest) << length;
}

// Bytes given in pieces of any size hash as the whole: every length up to
// three blocks and more, in pieces of 1, 3, 63, 64 and 65 bytes.
TEST(Sha256, PiecesHashAsTheWhole)
{
    std::string data;
    for (int k = 0; k < 300; ++k)
        data += static_cast<char>((k * 131 + 7) & 0xFF);
    for (std::size_t length = 0; length <= data.size(); ++length) {
        const std::string whole = Sha256Hex(data.data(), length);
        for (const std::size_t piece : {1, 3, 63, 64, 65}) {
            Sha256 hash;
            for (std::size_t at = 0; at < length; at += piece)
                hash.Add(data.data() + at, std::min(piece, length - at));
            ASSERT_EQ(hash.HexDigest(), whole) << length << " in pieces of " << piece;
        }
    }
}

TEST(Sha256, TheCorpusFilesMatchTheirManifest)
{
    const std::string corpus = TESSEL_CORPUS_DIR;
    std::ifstream manifest(corpus + "/MANIFEST.tsv");
    if (!manifest)
        GTEST_SKIP() << "no scenario corpus at " << corpus << " (set the CMake cache variable TESSEL_CORPUS_DIR)";
    std::string line;
    std::getline(manifest, line);
    std::vector<std::string> columns;
    std::istringstream header(line);
    for (std::string column; std::getline(header, column, '\t');)
        columns.push_back(column);
    const auto column = std::find(columns.begin(), columns.end(), "sha256");
    if (column == columns.end())
        GTEST_SKIP() << "the corpus manifest has no sha256 column";
    const std::size_t index = static_cast<std::size_t>(column - columns.begin());
    int checked = 0;
    while (std::getline(manifest, line)) {
        std::vector<std::string> fields;
        std::istringstream row(line);
        for (std::string field; std::getline(row, field, '\t');)
            fields.push_back(field);
        if (fields.size() <= index || fields[index].empty())
            continue;
        std::ifstream file(corpus + "/" + fields[0], std::ios::binary);
        ASSERT_TRUE(file) << fields[0];
        const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        EXPECT_EQ(HexOf(bytes), fields[index]) << fields[0];
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

}  // namespace
}  // namespace tessel::test
