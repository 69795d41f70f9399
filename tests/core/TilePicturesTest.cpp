#include "TestSupport.h"

#include "ArchiveWriter.h"
#include "base/ByteOrder.h"
#include "era/TilePictures.h"
#include "TestEra.h"

#include <functional>
#include <sstream>

namespace tessel::test {
namespace {

// Every tile code up to well past the last one looked up, and the highest.
std::vector<TileCode> TileCodesToCheck()
{
    std::vector<TileCode> tiles;
    for (uint32_t tile = 0; tile <= 2600; ++tile)
        tiles.push_back(static_cast<TileCode>(tile));
    tiles.insert(tiles.end(), {4095, 4096, 32768, 65534, 65535});
    return tiles;
}

// The first tile and pixel where the decoded pictures and ColorOfTile
// differ; empty when they agree everywhere.
std::string FirstDifference(const TTerrainData& terrain, const TilePictures& pictures)
{
    for (const TileCode tile : TileCodesToCheck())
        for (uint32_t y = 0; y < TileSide; ++y)
            for (uint32_t x = 0; x < TileSide; ++x)
                if (pictures.Color(tile, x, y) != terrain.ColorOfTile(tile, x, y)) {
                    std::ostringstream text;
                    text << "tile " << tile << " pixel (" << x << ", " << y << "): "
                         << int{pictures.Color(tile, x, y)} << " instead of " << int{terrain.ColorOfTile(tile, x, y)};
                    return text.str();
                }
    return {};
}

// Tile code tile shows picture, in a TMI long enough to hold its word.
void SetPicture(TTerrainData& terrain, TileCode tile, uint16_t picture)
{
    const std::size_t byte = TmiGroupBytes * (tile >> 4) + 2 * (tile & 15u);
    if (terrain.TMI.size() < byte + 2)
        terrain.TMI.resize(byte + 2);
    WriteU16LE(terrain.TMI.data() + byte, picture);
}

TEST(TilePictures, GiveWhatColorOfTileGivesForTheFixtureErasAndDecodeEachPictureOnce)
{
    for (const int pictures : {1, 2, 16, 400, MostTestPictures})
        for (const uint8_t seed : {0, 7}) {
            SCOPED_TRACE(::testing::Message() << pictures << " pictures, seed " << int{seed});
            const TTerrainData terrain = TerrainOf(MakeTestEra(seed, pictures));
            const TilePictures decoded(terrain);
            EXPECT_EQ(FirstDifference(terrain, decoded), "");
            // Every tile code but 0 shows one of them; the blank one comes first.
            EXPECT_EQ(decoded.PictureCount(), static_cast<uint32_t>(pictures) + 1);
        }
}

// Each table cut where ColorOfTile's reads would leave it: in the middle of a
// word, of a record, of a block with each of the four flips, or to nothing.
TEST(TilePictures, ShortTablesGiveZeroWhereColorOfTileWouldReadPastThem)
{
    const TTerrainData full = TerrainOf(MakeTestEra(5, 16));
    // Picture 3's words 5 to 8 are blocks 37 to 40, with flip bits 0 to 3.
    const struct {
        const char* name;
        std::function<void(TTerrainData&)> cut;
    } cases[] = {
        {"TMI ends inside tile 1000's word", [](TTerrainData& t) { t.TMI.resize(TmiGroupBytes * 62 + 2 * 8 + 1); }},
        {"no TMI", [](TTerrainData& t) { t.TMI.clear(); }},
        {"MMI ends inside picture 9's word 6", [](TTerrainData& t) { t.MMI.resize(MmiRecordBytes * 9 + 2 * 6 + 1); }},
        {"MMI ends after picture 3", [](TTerrainData& t) { t.MMI.resize(MmiRecordBytes * 4); }},
        {"no MMI", [](TTerrainData& t) { t.MMI.clear(); }},
        {"MMT ends inside block 37, as stored", [](TTerrainData& t) { t.MMT.resize(MmtBlockBytes * 37 + 20); }},
        {"MMT ends inside block 38, upside down", [](TTerrainData& t) { t.MMT.resize(MmtBlockBytes * 38 + 1); }},
        {"MMT ends inside block 39, mirrored", [](TTerrainData& t) { t.MMT.resize(MmtBlockBytes * 39 + 63); }},
        {"MMT ends inside block 40, both", [](TTerrainData& t) { t.MMT.resize(MmtBlockBytes * 40 + 33); }},
        {"no MMT", [](TTerrainData& t) { t.MMT.clear(); }},
        {"tiles show pictures past the MMI",
         [](TTerrainData& t) {
             SetPicture(t, 77, 17);  // the first record wholly past the end
             SetPicture(t, 78, 60000);
             SetPicture(t, 79, 65535);
         }},
    };
    for (const auto& c : cases) {
        TTerrainData terrain = full;
        c.cut(terrain);
        const TilePictures decoded(terrain);
        EXPECT_EQ(FirstDifference(terrain, decoded), "") << c.name;
    }
}

// A TMI longer than the looked-up groups, every word of it naming picture 1:
// past code 2527 the words are there, yet no tile shows them.
TEST(TilePictures, CodesPastTheLastTileAndPictureZeroShareTheBlankPicture)
{
    TTerrainData terrain;
    terrain.TMI.resize(TmiGroupBytes * 200);
    for (std::size_t word = 0; word < terrain.TMI.size() / 2; ++word)
        WriteU16LE(terrain.TMI.data() + 2 * word, 1);
    SetPicture(terrain, 5, 0);
    terrain.MMI.assign(2 * MmiRecordBytes, 0);  // picture 1: block 0 everywhere
    terrain.MMT.assign(MmtBlockBytes, 9);

    const TilePictures decoded(terrain);
    EXPECT_EQ(decoded.Color(2527, 31, 31), 9);
    const uint32_t blank = decoded.PictureStart(5);
    for (const TileCode tile : {2528, 2529, 3199, 65535}) {
        EXPECT_EQ(decoded.PictureStart(tile), blank) << tile;
        EXPECT_EQ(decoded.Color(tile, 0, 0), 0) << tile;
    }
    EXPECT_EQ(decoded.PictureCount(), 2u);
}

// The most a hostile era can ask for: every tile code its own picture.
TEST(TilePictures, AnEraOfDistinctPicturesDecodesAtMostOnePerTileCode)
{
    TTerrainData terrain;
    for (TileCode tile = 0; tile <= HighestTileCode; ++tile)
        SetPicture(terrain, tile, static_cast<uint16_t>(tile + 1));
    terrain.MMI.resize(MmiRecordBytes * (HighestTileCode + 2));
    for (std::size_t word = 0; word < terrain.MMI.size() / 2; ++word)
        WriteU16LE(terrain.MMI.data() + 2 * word, static_cast<uint16_t>((word % 7) << 2 | word % 4));
    terrain.MMT.resize(MmtBlockBytes * 7);
    for (std::size_t k = 0; k < terrain.MMT.size(); ++k)
        terrain.MMT[k] = static_cast<uint8_t>(k * 13);

    const TilePictures decoded(terrain);
    EXPECT_EQ(decoded.PictureCount(), HighestTileCode + 2u);
    EXPECT_EQ(FirstDifference(terrain, decoded), "");
}

}  // namespace
}  // namespace tessel::test
