#include "tileset/TilesetGenerator.h"

#include "base/ByteOrder.h"
#include "tileset/MixHash.h"
#include "tileset/TileCodes.h"

#include <algorithm>
#include <map>

namespace tessel {

namespace {

constexpr std::size_t PaletteColors = 256;

// Each class has eight shades, darkest first; shade 4 is its base colour.
constexpr int ShadesPerClass = 8;
constexpr int BaseShade = 4;
constexpr int FirstClassIndex = 16;
// Texture blocks per class; pictures pick among them and flip them.
constexpr int BlocksPerClass = 4;

constexpr int FirstOwnerSlot = 208;
constexpr int OwnerSlotCount = 8;
constexpr int OwnerSlotStep = 4;
constexpr int NeutralGreyIndex = 12;

struct Rgb {
    uint8_t R, G, B;
};

// Base colours (0..63) by era and class, in TerrainClass order: water blue,
// coast sandy, ground and forest by season, rock grey, walls stone.
constexpr std::array<std::array<Rgb, TerrainClassCount>, 4> ClassColors{{
    // forest: greens
    {{{10, 24, 50}, {5, 14, 38}, {44, 36, 22}, {34, 26, 15}, {18, 38, 12}, {13, 30, 9}, {5, 22, 7},
      {31, 30, 29}, {31, 31, 34}, {27, 21, 17}, {44, 44, 46}, {36, 29, 24}}},
    // winter: whites and blues
    {{{10, 25, 46}, {5, 14, 34}, {36, 38, 44}, {27, 29, 36}, {46, 48, 53}, {38, 42, 50}, {7, 24, 22},
      {26, 27, 31}, {30, 31, 36}, {26, 21, 19}, {42, 43, 48}, {35, 28, 25}}},
    // wasteland: browns and oranges
    {{{9, 22, 30}, {5, 13, 21}, {50, 33, 14}, {38, 23, 10}, {33, 23, 13}, {25, 17, 10}, {22, 25, 9},
      {31, 22, 19}, {31, 30, 31}, {28, 19, 14}, {45, 42, 40}, {38, 26, 20}}},
    // swamp: dark greens and purples
    {{{11, 22, 26}, {6, 13, 18}, {30, 28, 16}, {22, 20, 12}, {14, 28, 14}, {23, 15, 27}, {5, 19, 10},
      {34, 32, 38}, {30, 30, 33}, {25, 20, 20}, {42, 42, 44}, {34, 27, 25}}},
}};

// Owner slots 208, 212, ..., 236: red, blue, teal, violet, orange, black,
// white, yellow. Units of owners 7 to 15 and gold mines use index 12.
constexpr std::array<Rgb, OwnerSlotCount> OwnerSlotColors{{
    {63, 6, 6}, {6, 18, 63}, {0, 50, 46}, {38, 10, 54}, {63, 34, 0}, {8, 8, 10}, {63, 63, 63}, {63, 58, 6}}};
constexpr Rgb NeutralGrey{34, 34, 34};

uint8_t ClassIndex(TerrainClass terrain, int shade)
{
    return static_cast<uint8_t>(FirstClassIndex + static_cast<int>(terrain) * ShadesPerClass + shade);
}

uint8_t Scaled(uint8_t value, int percent) { return static_cast<uint8_t>(std::min(63, value * percent / 100)); }

void PutColor(std::vector<uint8_t>& palette, std::size_t index, Rgb color)
{
    palette[3 * index] = color.R;
    palette[3 * index + 1] = color.G;
    palette[3 * index + 2] = color.B;
}

std::vector<uint8_t> MakePalette(int era)
{
    std::vector<uint8_t> palette(3 * PaletteColors);
    // Greys below the class shades and above the owner slots; nothing draws
    // them, they only keep the palette full.
    for (std::size_t i = 0; i < PaletteColors; ++i) {
        const auto grey = static_cast<uint8_t>(i * 63 / 255);
        PutColor(palette, i, {grey, grey, grey});
    }
    PutColor(palette, NeutralGreyIndex, NeutralGrey);

    for (int c = 0; c < TerrainClassCount; ++c) {
        const Rgb base = ClassColors[static_cast<std::size_t>(era)][static_cast<std::size_t>(c)];
        for (int shade = 0; shade < ShadesPerClass; ++shade) {
            const int percent = 100 + (shade - BaseShade) * 9;
            PutColor(palette, ClassIndex(static_cast<TerrainClass>(c), shade),
                     {Scaled(base.R, percent), Scaled(base.G, percent), Scaled(base.B, percent)});
        }
    }

    // Each owner slot is followed by three darker shades of its colour.
    for (int owner = 0; owner < OwnerSlotCount; ++owner) {
        const Rgb color = OwnerSlotColors[static_cast<std::size_t>(owner)];
        for (int shade = 0; shade < OwnerSlotStep; ++shade) {
            const int percent = 100 - shade * 20;
            PutColor(palette, static_cast<std::size_t>(FirstOwnerSlot + owner * OwnerSlotStep + shade),
                     {Scaled(color.R, percent), Scaled(color.G, percent), Scaled(color.B, percent)});
        }
    }
    return palette;
}

enum class Texture { Water, Sand, Grass, Trees, Stone, Bricks };

Texture TextureOf(TerrainClass terrain)
{
    switch (terrain) {
    case TerrainClass::LightWater:
    case TerrainClass::DarkWater:
        return Texture::Water;
    case TerrainClass::LightCoast:
    case TerrainClass::DarkCoast:
        return Texture::Sand;
    case TerrainClass::LightGround:
    case TerrainClass::DarkGround:
        return Texture::Grass;
    case TerrainClass::Forest:
        return Texture::Trees;
    case TerrainClass::Rock:
        return Texture::Stone;
    default:
        return Texture::Bricks;
    }
}

// Distance on a ring of 8, -4 .. 3: tree crowns wrap round the block.
int RingOffset(int from, int to) { return ((to - from + 12) % 8) - 4; }

// The shade (0..7) of pixel (x, y) of a texture block; seed tells the
// blocks of one class and era apart.
int TextureShade(Texture texture, uint32_t seed, int x, int y)
{
    const uint32_t noise = MixHash(seed, static_cast<uint32_t>(x), static_cast<uint32_t>(y)) % 16;
    switch (texture) {
    case Texture::Water: {
        // short crests along a slant, a few dark specks
        const bool crest = (x + 2 * y + static_cast<int>(seed % 7)) % 7 == 0 && noise < 10;
        return crest ? 6 : noise < 2 ? 3 : 4;
    }
    case Texture::Sand:
        return noise < 2 ? 3 : noise < 11 ? 4 : noise < 15 ? 5 : 6;
    case Texture::Grass:
        return noise < 3 ? 3 : noise < 12 ? 4 : 5;
    case Texture::Trees: {
        // three round crowns with light on their upper left, shadow between
        int best = 100;
        int across = 0;
        for (uint32_t crown = 0; crown < 3; ++crown) {
            const int dx = RingOffset(static_cast<int>(MixHash(seed, crown, 1) % 8), x);
            const int dy = RingOffset(static_cast<int>(MixHash(seed, crown, 2) % 8), y);
            if (dx * dx + dy * dy < best) {
                best = dx * dx + dy * dy;
                across = dx + dy;
            }
        }
        if (best > 8)
            return 1;
        return across <= -2 ? 6 : across >= 2 ? 3 : noise < 8 ? 4 : 5;
    }
    case Texture::Stone: {
        const int crack = static_cast<int>(seed % 8);
        if (x == (crack + y / 2) % 8 && noise < 12)
            return 1;
        return noise < 4 ? 3 : noise < 11 ? 4 : noise < 15 ? 5 : 6;
    }
    case Texture::Bricks: {
        const bool mortar = y % 4 == 0 || x == (y / 4 % 2 == 0 ? 2 : 6);
        return mortar ? 2 : noise < 10 ? 4 : 5;
    }
    }
    return BaseShade;
}

std::vector<uint8_t> MakeBlocks(int era)
{
    std::vector<uint8_t> blocks(static_cast<std::size_t>(TerrainClassCount * BlocksPerClass) * MmtBlockBytes);
    for (int c = 0; c < TerrainClassCount; ++c) {
        const auto terrain = static_cast<TerrainClass>(c);
        for (int b = 0; b < BlocksPerClass; ++b) {
            const uint32_t seed =
                MixHash(static_cast<uint32_t>(era), static_cast<uint32_t>(c), static_cast<uint32_t>(b));
            uint8_t* block = blocks.data() + static_cast<std::size_t>(c * BlocksPerClass + b) * MmtBlockBytes;
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 8; ++x)
                    block[8 * y + x] = ClassIndex(terrain, TextureShade(TextureOf(terrain), seed, x, y));
            }
        }
    }
    return blocks;
}

// What makes pictures differ: the quarters, and for solid tiles one of two
// arrangements of blocks so that a field of one class is not a grid of
// equal tiles.
struct PictureKey {
    TileQuarters Quarters;
    int Arrangement;
    auto operator<=>(const PictureKey&) const = default;
};

uint32_t KeyHash(const PictureKey& key)
{
    uint32_t packed = 0;
    for (TerrainClass terrain : key.Quarters)
        packed = packed * 16 + static_cast<uint32_t>(terrain);
    return MixHash(packed, static_cast<uint32_t>(key.Arrangement));
}

// Block row i, column j of a picture lies in quarter (i / 2) * 2 + j / 2 and
// shows a texture block of that quarter's class, flipped at random.
void PutPictureRecord(std::vector<uint8_t>& mmi, std::size_t picture, const PictureKey& key, int era)
{
    const uint32_t seed = KeyHash(key);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            const TerrainClass terrain = key.Quarters[static_cast<std::size_t>((i / 2) * 2 + j / 2)];
            const uint32_t pick = MixHash(seed, static_cast<uint32_t>(i), static_cast<uint32_t>(j),
                                          static_cast<uint32_t>(era));
            const auto block = static_cast<uint32_t>(static_cast<int>(terrain) * BlocksPerClass) + pick % BlocksPerClass;
            const uint32_t flips = (pick >> 8) % 4;
            WriteU16LE(mmi.data() + picture * MmiRecordBytes + 2 * static_cast<std::size_t>(4 * i + j),
                       static_cast<uint16_t>(block << 2 | flips));
        }
    }
}

}  // namespace

TTerrainData GenerateBuiltinEra(int32_t era)
{
    era = std::clamp(era, 0, 3);
    TTerrainData tables;
    tables.Palette = MakePalette(era);
    tables.MMT = MakeBlocks(era);

    // Picture 0 is "no picture"; the others are numbered as codes first need them.
    std::map<PictureKey, uint16_t> pictures;
    std::vector<PictureKey> keys;
    tables.TMI.assign(TmiGroups * TmiGroupBytes, 0);
    for (std::size_t tile = 0; tile <= HighestTileCode; ++tile) {
        const auto code = static_cast<TileCode>(tile);
        const std::optional<TileQuarters> quarters = QuartersOfTile(code);
        if (!quarters)
            continue;
        const bool solid = code < 0x100;
        const PictureKey key{*quarters, solid ? (code & 1) : 0};
        auto [it, added] = pictures.try_emplace(key, static_cast<uint16_t>(keys.size() + 1));
        if (added)
            keys.push_back(key);
        WriteU16LE(tables.TMI.data() + (tile / 16) * TmiGroupBytes + 2 * (tile % 16), it->second);
    }

    tables.MMI.assign((keys.size() + 1) * MmiRecordBytes, 0);
    for (std::size_t p = 0; p < keys.size(); ++p)
        PutPictureRecord(tables.MMI, p + 1, keys[p], era);

    tables.PaletteSize = static_cast<uint32_t>(tables.Palette.size());
    tables.MMISize = static_cast<uint32_t>(tables.MMI.size());
    tables.MMTSize = static_cast<uint32_t>(tables.MMT.size());
    tables.TMISize = static_cast<uint32_t>(tables.TMI.size());
    return tables;
}

}  // namespace tessel
