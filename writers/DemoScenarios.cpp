#include "DemoData.h"

#include "CornerField.h"
#include "DemoNoise.h"
#include "tileset/TileCodes.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

namespace tessel {

namespace {

using demo_noise::FractalNoise;
using demo_noise::NoiseOne;
using demo_noise::ValueNoise;

constexpr int CarvedPriority = 90;    // lakes and rivers
constexpr int ClearingPriority = 100;  // room for a base

enum class Shape { Island, Strait, Continent, Archipelago };

// Elevation thresholds and feature amounts, all on the noise scale 0..1024.
struct Landscape {
    uint32_t Seed;
    Shape Form;
    int CellTiles;   // size of the largest noise features
    int Deep;        // below: dark water
    int Shallow;     // below: light water
    int Shore;       // below: coast
    int Forest;      // forest where its noise lies above
    int DarkGround;  // dark ground where its noise lies above
    int Ridge;       // rock where the ridge noise lies this close to its middle
    int DarkCoast;   // dark coast where its noise lies above
};

constexpr int NoiseScale = 16;  // noise units per tile corner

int Elevation(const Landscape& land, int side, int x, int y)
{
    const int noise = FractalNoise(land.Seed, x * NoiseScale, y * NoiseScale, land.CellTiles * NoiseScale);
    const int half = side / 2;
    switch (land.Form) {
    case Shape::Island: {
        // high in the middle, sinking to the sea at the edges
        const int dx = x - half;
        const int dy = y - half;
        const int reach = (dx * dx + dy * dy) * NoiseOne / (half * half);
        return noise / 2 + NoiseOne * 3 / 4 - reach * 3 / 4;
    }
    case Shape::Strait: {
        // a channel from the lower left to the upper right corner
        const int across = std::abs(x + y - side) * NoiseOne / side;
        return noise * 3 / 5 + std::min(NoiseOne, across * 3) * 3 / 5 - 180;
    }
    case Shape::Continent: {
        const int border = std::min({x, y, side - x, side - y});
        const int margin = std::max(4, side / 10);
        const int sink = std::max(0, margin - border) * NoiseOne / margin;
        return noise + 250 - sink;
    }
    case Shape::Archipelago:
        return noise;
    }
    return noise;
}

TerrainClass ClassAt(const Landscape& land, int side, int x, int y)
{
    const int elevation = Elevation(land, side, x, y);
    if (elevation < land.Deep)
        return TerrainClass::DarkWater;
    if (elevation < land.Shallow)
        return TerrainClass::LightWater;
    const int px = x * NoiseScale;
    const int py = y * NoiseScale;
    const int cell = land.CellTiles * NoiseScale;
    if (elevation < land.Shore) {
        if (ValueNoise(land.Seed + 40, px, py, cell / 2) > land.DarkCoast)
            return TerrainClass::DarkCoast;
        return TerrainClass::LightCoast;
    }
    // Ridges follow where a smooth noise crosses its middle, broken into
    // stretches by a second noise, and stand on higher ground only.
    const int ridge = std::abs(FractalNoise(land.Seed + 10, px, py, cell) - NoiseOne / 2);
    const bool stretch = ValueNoise(land.Seed + 50, px, py, cell) > NoiseOne * 2 / 5;
    if (ridge < land.Ridge && stretch && elevation > land.Shore + 60)
        return TerrainClass::Rock;
    if (FractalNoise(land.Seed + 20, px, py, cell / 2) > land.Forest)
        return TerrainClass::Forest;
    if (ValueNoise(land.Seed + 30, px, py, cell / 2) > land.DarkGround)
        return TerrainClass::DarkGround;
    return TerrainClass::LightGround;
}

void PaintLandscape(CornerField& field, const Landscape& land)
{
    const int side = field.Size() - 1;
    for (int y = 0; y < field.Size(); ++y) {
        for (int x = 0; x < field.Size(); ++x) {
            const TerrainClass terrain = ClassAt(land, side, x, y);
            field.Paint(x, y, terrain, ClassPriority(terrain));
        }
    }
}

// A round lake of light water with a dark middle, centred on tile corner (cx, cy).
void PaintLake(CornerField& field, int cx, int cy, int radius)
{
    for (int y = cy - radius; y <= cy + radius; ++y) {
        for (int x = cx - radius; x <= cx + radius; ++x) {
            const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            if (d2 <= radius * radius) {
                const TerrainClass water = d2 * 4 < radius * radius ? TerrainClass::DarkWater : TerrainClass::LightWater;
                field.Paint(x, y, water, CarvedPriority);
            }
        }
    }
}

// A river of light water along a line of tile corners, width corners wide.
void PaintRiver(CornerField& field, int x0, int y0, int x1, int y1, int width)
{
    const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (int s = 0; s <= steps; ++s) {
        const int x = x0 + (x1 - x0) * s / std::max(steps, 1);
        const int y = y0 + (y1 - y0) * s / std::max(steps, 1);
        for (int dy = 0; dy < width; ++dy) {
            for (int dx = 0; dx < width; ++dx)
                field.Paint(x + dx, y + dy, TerrainClass::LightWater, CarvedPriority);
        }
    }
}

// A base takes BaseWidth x BaseHeight tiles with its top-left tile at (x, y).
constexpr int BaseWidth = 14;
constexpr int BaseHeight = 12;

// Open ground for a base, with a margin of one tile.
void PaintClearing(CornerField& field, int x, int y)
{
    for (int cy = y - 1; cy <= y + BaseHeight + 1; ++cy) {
        for (int cx = x - 1; cx <= x + BaseWidth + 1; ++cx)
            field.Paint(cx, cy, TerrainClass::LightGround, ClearingPriority);
    }
}

// Unit type numbers, as the unit data tables order them.
namespace unit {
constexpr uint8_t Footman = 0;
constexpr uint8_t Grunt = 1;
constexpr uint8_t Peasant = 2;
constexpr uint8_t Peon = 3;
constexpr uint8_t ElvenDestroyer = 30;
constexpr uint8_t TrollDestroyer = 31;
constexpr uint8_t Critter = 57;
constexpr uint8_t Farm = 58;
constexpr uint8_t PigFarm = 59;
constexpr uint8_t HumanBarracks = 60;
constexpr uint8_t OrcBarracks = 61;
constexpr uint8_t TownHall = 74;
constexpr uint8_t GreatHall = 75;
constexpr uint8_t GoldMine = 92;
constexpr uint8_t OilPatch = 93;
constexpr uint8_t HumanStart = 94;
constexpr uint8_t OrcStart = 95;
}  // namespace unit

constexpr uint8_t NeutralOwner = 15;

// Sizes in tiles of the types placed that are larger than one tile.
const std::vector<UnitSize> DemoUnitSizes{
    {unit::Farm, 2, 2},      {unit::PigFarm, 2, 2},   {unit::HumanBarracks, 3, 3}, {unit::OrcBarracks, 3, 3},
    {unit::TownHall, 4, 4},  {unit::GreatHall, 4, 4}, {unit::GoldMine, 3, 3},      {unit::OilPatch, 3, 3},
};

struct Base {
    int X;
    int Y;
    uint8_t Owner;
    bool Human;
    bool Walled;
};

class MapBuilder {
public:
    MapBuilder(uint16_t side, const Landscape& land) : side_(side), land_(land), field_(side)
    {
        PaintLandscape(field_, land);
    }

    CornerField& Field() { return field_; }

    void AddBase(const Base& base)
    {
        PaintClearing(field_, base.X, base.Y);
        bases_.push_back(base);
    }

    ScenarioContent Finish(uint16_t era, std::optional<uint16_t> eraX, const std::string& description)
    {
        field_.Settle();
        ScenarioContent content;
        content.Era = era;
        content.EraX = eraX;
        content.Metadata = Metadata(description);
        content.Side = side_;
        content.UnitSizes = DemoUnitSizes;
        content.Tiles = field_.Encode(land_.Seed);
        for (const Base& base : bases_)
            PlaceBase(content, base);
        for (const Base& base : bases_)
            PlaceFleet(content, base);
        PlaceCritters(content);
        return content;
    }

private:
    // Version 1.1 of the format; every base's slot a human player, every
    // other slot nobody, and the neutral slot 15 a passive computer.
    ScenarioMetadata Metadata(const std::string& description) const
    {
        constexpr uint8_t Passive = 0x02, Nobody = 0x03, HumanPlayer = 0x05;
        constexpr uint8_t HumanRace = 0, OrcRace = 1, NeutralRace = 2;
        ScenarioMetadata meta;
        meta.Version = 0x11;
        meta.Description = description;
        SlotBytes owners, races;
        owners.fill(Nobody);
        races.fill(HumanRace);
        owners[NeutralOwner] = Passive;
        races[NeutralOwner] = NeutralRace;
        for (const Base& base : bases_) {
            owners[base.Owner] = HumanPlayer;
            races[base.Owner] = base.Human ? HumanRace : OrcRace;
        }
        meta.Owners = owners;
        meta.Races = races;
        SlotWords gold, lumber, oil;
        gold.fill(2000);
        lumber.fill(1000);
        oil.fill(1000);
        meta.Gold = gold;
        meta.Lumber = lumber;
        meta.Oil = oil;
        return meta;
    }

    bool IsSolid(const ScenarioContent& content, int x, int y, TerrainClass terrain) const
    {
        if (x < 0 || y < 0 || x >= side_ || y >= side_)
            return false;
        const TileCode code = content.Tiles[static_cast<std::size_t>(y * side_ + x)];
        return code < 0x100 && QuartersOfTile(code) && (*QuartersOfTile(code))[0] == terrain;
    }

    bool IsWater(const ScenarioContent& content, int x, int y) const
    {
        return IsSolid(content, x, y, TerrainClass::LightWater) || IsSolid(content, x, y, TerrainClass::DarkWater);
    }

    // A mine's gold in units of 2500: 100,000.
    static constexpr uint16_t MineGold = 40;

    static void Put(ScenarioContent& content, int x, int y, uint8_t type, uint8_t owner, uint16_t extra = 0)
    {
        content.Units.push_back({static_cast<uint16_t>(x), static_cast<uint16_t>(y), type, owner, extra});
    }

    // A town hall with farms, barracks, workers and soldiers, and a gold
    // mine, on the base's clearing; walled bases get a wall with a gate.
    void PlaceBase(ScenarioContent& content, const Base& base) const
    {
        const int x = base.X;
        const int y = base.Y;
        if (base.Walled)
            PlaceWall(content, base);
        const uint8_t owner = base.Owner;
        const bool human = base.Human;
        // The start location lies under the hall, which is painted over it.
        Put(content, x + 5, y + 6, human ? unit::HumanStart : unit::OrcStart, owner);
        Put(content, x + 5, y + 6, human ? unit::TownHall : unit::GreatHall, owner);
        Put(content, x + 2, y + 2, human ? unit::Farm : unit::PigFarm, owner);
        Put(content, x + 5, y + 2, human ? unit::Farm : unit::PigFarm, owner);
        Put(content, x + 9, y + 2, human ? unit::HumanBarracks : unit::OrcBarracks, owner);
        Put(content, x + 1, y + 7, unit::GoldMine, NeutralOwner, MineGold);
        for (int k = 0; k < 3; ++k)
            Put(content, x + 4 + (k == 2 ? 5 : 0), y + 7 + (k == 1 ? 1 : 0), human ? unit::Peasant : unit::Peon,
                owner);
        for (int k = 0; k < 3; ++k)
            Put(content, x + 11 + k % 2, y + 7 + k / 2, human ? unit::Footman : unit::Grunt, owner);
    }

    void PlaceWall(ScenarioContent& content, const Base& base) const
    {
        auto isWall = [&base](int x, int y) {
            const bool ring = x == base.X || x == base.X + BaseWidth - 1 || y == base.Y || y == base.Y + BaseHeight - 1;
            const bool inside = x >= base.X && x < base.X + BaseWidth && y >= base.Y && y < base.Y + BaseHeight;
            const bool gate = y == base.Y + BaseHeight - 1 && (x == base.X + 6 || x == base.X + 7);
            return ring && inside && !gate;
        };
        for (int y = base.Y; y < base.Y + BaseHeight; ++y) {
            for (int x = base.X; x < base.X + BaseWidth; ++x) {
                if (!isWall(x, y) || x < 0 || y < 0 || x >= side_ || y >= side_)
                    continue;
                uint8_t sides = 0;
                sides |= isWall(x, y + 1) ? wall_side::South : 0;
                sides |= isWall(x + 1, y) ? wall_side::East : 0;
                sides |= isWall(x, y - 1) ? wall_side::North : 0;
                sides |= isWall(x - 1, y) ? wall_side::West : 0;
                content.Tiles[static_cast<std::size_t>(y * side_ + x)] = WallTileCode(base.Human, sides);
            }
        }
    }

    // The nearest w x h area of open water to (x, y), searched in growing
    // squares; none within reach.
    std::optional<std::pair<int, int>> FindWater(const ScenarioContent& content, int x, int y, int w, int h,
                                                 int reach) const
    {
        for (int r = 0; r <= reach; ++r) {
            for (int ty = y - r; ty <= y + r; ++ty) {
                for (int tx = x - r; tx <= x + r; ++tx) {
                    if (std::max(std::abs(tx - x), std::abs(ty - y)) != r)
                        continue;
                    bool open = true;
                    for (int j = -1; j <= h && open; ++j) {
                        for (int i = -1; i <= w && open; ++i)
                            open = IsWater(content, tx + i, ty + j);
                    }
                    if (open)
                        return std::make_pair(tx, ty);
                }
            }
        }
        return std::nullopt;
    }

    // An oil patch and two destroyers in the nearest open water, when the
    // base lies near the sea.
    void PlaceFleet(ScenarioContent& content, const Base& base) const
    {
        const int cx = base.X + BaseWidth / 2;
        const int cy = base.Y + BaseHeight / 2;
        const int reach = std::min(24, side_ / 3);
        if (const auto patch = FindWater(content, cx, cy, 3, 3, reach)) {
            Put(content, patch->first, patch->second, unit::OilPatch, NeutralOwner);
            if (const auto berth = FindWater(content, patch->first + 5, patch->second, 2, 1, 6)) {
                const uint8_t ship = base.Human ? unit::ElvenDestroyer : unit::TrollDestroyer;
                Put(content, berth->first, berth->second, ship, base.Owner);
                Put(content, berth->first + 1, berth->second, ship, base.Owner);
            }
        }
    }

    // Neutral critters on open ground here and there.
    void PlaceCritters(ScenarioContent& content) const
    {
        const int wanted = side_ / 16;
        int placed = 0;
        for (uint32_t attempt = 0; attempt < 400 && placed < wanted; ++attempt) {
            const int x = static_cast<int>(MixHash(land_.Seed, attempt, 1) % side_);
            const int y = static_cast<int>(MixHash(land_.Seed, attempt, 2) % side_);
            if (IsSolid(content, x, y, TerrainClass::LightGround) && !InsideBase(x, y)) {
                Put(content, x, y, unit::Critter, NeutralOwner);
                ++placed;
            }
        }
    }

    bool InsideBase(int x, int y) const
    {
        return std::any_of(bases_.begin(), bases_.end(), [x, y](const Base& base) {
            return x >= base.X - 1 && x <= base.X + BaseWidth && y >= base.Y - 1 && y <= base.Y + BaseHeight;
        });
    }

    int side_;
    Landscape land_;
    CornerField field_;
    std::vector<Base> bases_;
};

// A small forest island: coast all round, woods, a rock outcrop, a pond.
DemoScenario ForestIsle()
{
    const Landscape land{0x1512u, Shape::Island, 8, 300, 430, 500, 560, 640, 60, 560};
    MapBuilder map(32, land);
    PaintLake(map.Field(), 22, 10, 2);
    map.AddBase({3, 4, 0, true, false});
    map.AddBase({15, 17, 1, false, false});
    return {"demo_forest_isle.pud", map.Finish(0, std::nullopt, "A small isle for two")};
}

// Two snowy shores across a channel, with rock ridges inland.
DemoScenario WinterPass()
{
    const Landscape land{0x2704u, Shape::Strait, 16, 260, 430, 500, 610, 600, 45, 600};
    MapBuilder map(64, land);
    map.AddBase({4, 4, 0, true, false});
    map.AddBase({26, 3, 1, false, false});
    map.AddBase({42, 46, 2, true, false});
    map.AddBase({20, 48, 3, false, false});
    return {"demo_winter_pass.pud", map.Finish(1, std::nullopt, "Snow on both shores")};
}

// Dry land with many ridges and a few lakes; two bases walled.
DemoScenario WastelandRidges()
{
    const Landscape land{0x3961u, Shape::Continent, 24, 200, 330, 400, 680, 560, 55, 520};
    MapBuilder map(96, land);
    PaintLake(map.Field(), 48, 48, 6);
    PaintLake(map.Field(), 20, 70, 4);
    map.AddBase({8, 8, 0, true, true});
    map.AddBase({72, 8, 1, false, true});
    map.AddBase({8, 76, 2, true, false});
    map.AddBase({72, 76, 3, false, false});
    map.AddBase({40, 20, 4, true, false});
    map.AddBase({40, 66, 5, false, false});
    return {"demo_wasteland_ridges.pud", map.Finish(2, std::nullopt, "Ridges and walled keeps")};
}

// Swamp islands for eight players. Like real swamp maps, the era stands in
// ERAX; the ERA chunk says wasteland, for game versions without swamps.
DemoScenario SwampArchipelago()
{
    const Landscape land{0x4128u, Shape::Archipelago, 20, 380, 480, 540, 620, 600, 35, 580};
    MapBuilder map(128, land);
    const std::array<std::pair<int, int>, 8> places{
        {{8, 8}, {57, 6}, {106, 8}, {6, 58}, {108, 58}, {8, 108}, {57, 110}, {106, 108}}};
    for (std::size_t k = 0; k < places.size(); ++k)
        map.AddBase({places[k].first, places[k].second, static_cast<uint8_t>(k), k % 2 == 0, false});
    return {"demo_swamp_archipelago.pud", map.Finish(2, uint16_t{3}, "Eight isles in the swamp")};
}

// A wide forest land cut by two rivers, with walled human keeps.
DemoScenario ForestKingdoms()
{
    const Landscape land{0x5077u, Shape::Continent, 32, 200, 300, 380, 560, 620, 40, 560};
    MapBuilder map(128, land);
    PaintRiver(map.Field(), 0, 60, 128, 70, 3);
    PaintRiver(map.Field(), 62, 0, 66, 128, 2);
    PaintLake(map.Field(), 36, 36, 7);
    map.AddBase({14, 16, 0, true, true});
    map.AddBase({90, 16, 1, false, false});
    map.AddBase({14, 94, 2, true, true});
    map.AddBase({86, 100, 3, false, false});
    return {"demo_forest_kingdoms.pud", map.Finish(0, std::nullopt, "Two rivers, four kingdoms")};
}

}  // namespace

std::vector<DemoScenario> MakeDemoScenarios()
{
    return {ForestIsle(), WinterPass(), WastelandRidges(), SwampArchipelago(), ForestKingdoms()};
}

}  // namespace tessel
