#include "TestSupport.h"

#include "base/Exceptions.h"
#include "DemoData.h"
#include "scenario/ScenarioInfo.h"
#include "ScenarioWriter.h"
#include "text/CodePage437.h"

#include <filesystem>
#include <optional>
#include <set>

namespace tessel::test {
namespace {

using Bytes = std::vector<uint8_t>;
namespace tag = chunk_tag;

// Every metadata chunk set, with a value per slot that tells the slots apart.
ScenarioMetadata FullMetadata()
{
    ScenarioMetadata meta;
    meta.Version = 0x13;
    meta.Description = "Two rivers \x80ol";  // 0x80 is C with cedilla
    meta.Owners = SlotBytes{0x05, 0x04, 0x03, 0x02, 0x06, 0x07, 0x01, 0x00, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05};
    meta.Races = SlotBytes{0, 1, 2, 0, 1, 0xFF, 1, 0};
    SlotWords gold{}, lumber{}, oil{};
    for (std::size_t slot = 0; slot < gold.size(); ++slot) {
        gold[slot] = static_cast<uint16_t>(1000 + slot);
        lumber[slot] = static_cast<uint16_t>(2000 + slot);
        oil[slot] = static_cast<uint16_t>(60000 + slot);
    }
    meta.Gold = gold;
    meta.Lumber = lumber;
    meta.Oil = oil;
    return meta;
}

ScenarioContent ContentWith(ScenarioMetadata meta, std::vector<UnitPlacement> units = {})
{
    ScenarioContent content;
    content.Era = 1;
    content.Side = 32;
    content.Units = std::move(units);
    content.Metadata = std::move(meta);
    return content;
}

// What a reader (TPUDData or TScenarioInfo) makes of a file: its failure,
// or the three fields both read.
template <class Reader>
std::string Reading(const std::string& path)
{
    Reader reader;
    try {
        reader.LoadFromFile(path);
    } catch (const Exception& error) {
        return "fails: " + error.Message();
    }
    return "era " + std::to_string(reader.Era) + ", side " + std::to_string(reader.MapSize) + ", units " +
           std::to_string(reader.UnitCount);
}

const auto MinimapReading = Reading<TPUDData>;
const auto CatalogueReading = Reading<TScenarioInfo>;

bool IsEmpty(const TScenarioInfo& info)
{
    return info.Era == 0 && info.MapSize == 0 && info.UnitCount == 0 && !info.Version && !info.Description &&
           !info.Players && !info.HumanSeats && !info.ComputerSeats && !info.RescueSlots && info.GoldMines == 0 && info.Gold == 0 && info.OilPatches == 0 &&
           std::all_of(info.Slots.begin(), info.Slots.end(), [](const PlayerSlot& slot) {
               return !slot.Controller && !slot.Race && !slot.Gold && !slot.Lumber && !slot.Oil && !slot.Start;
           });
}

class ScenarioInfo : public testing::Test {
protected:
    std::string Write(const std::string& name, const ScenarioWriter& writer)
    {
        const std::string path = dir_.File(name);
        writer.WriteTo(path);
        return path;
    }

    TScenarioInfo Load(const std::string& name, const ScenarioWriter& writer)
    {
        TScenarioInfo info;
        EXPECT_NO_THROW(info.LoadFromFile(Write(name, writer))) << name;
        return info;
    }

    TempDir dir_;
};

TEST_F(ScenarioInfo, ReadsEveryFieldOfAWrittenScenario)
{
    const TScenarioInfo info = Load("all_metadata.pud", WriteScenario(ContentWith(FullMetadata())));
    EXPECT_EQ(info.Era, 1);
    EXPECT_EQ(info.MapSize, 32);
    EXPECT_EQ(info.Version, 0x13);
    EXPECT_EQ(info.Description, "Two rivers \xC3\x87ol");

    using C = PlayerController;
    using R = PlayerRace;
    const C controllers[] = {C::Human,         C::Computer,     C::Nobody,   C::PassiveComputer,
                             C::RescuePassive, C::RescueActive, C::Computer, C::PassiveComputer};
    const R races[] = {R::Human, R::Orc, R::Neutral, R::Human, R::Orc, R::Neutral, R::Orc, R::Human};
    for (std::size_t slot = 0; slot < PlayerSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(info.Slots[slot].Controller, controllers[slot]);
        EXPECT_EQ(info.Slots[slot].Race, races[slot]);
        EXPECT_EQ(info.Slots[slot].Gold, 1000 + slot);
        EXPECT_EQ(info.Slots[slot].Lumber, 2000 + slot);
        EXPECT_EQ(info.Slots[slot].Oil, 60000 + slot);
        EXPECT_EQ(info.Slots[slot].Start, std::nullopt);
    }
    // human, computer and the 0x01 that the game reads as a computer
    EXPECT_EQ(info.Players, 3);
}

TEST_F(ScenarioInfo, EveryControllerCodeHasTheGamesReading)
{
    using C = PlayerController;
    for (int code = 0; code < 256; ++code) {
        const C expected = code == 1 || code == 4 ? C::Computer
                           : code == 3            ? C::Nobody
                           : code == 5            ? C::Human
                           : code == 6            ? C::RescuePassive
                           : code == 7            ? C::RescueActive
                                                  : C::PassiveComputer;
        EXPECT_EQ(ControllerOfCode(static_cast<uint8_t>(code)), expected) << code;
        const PlayerRace race = code == 0 ? PlayerRace::Human : code == 1 ? PlayerRace::Orc : PlayerRace::Neutral;
        EXPECT_EQ(RaceOfCode(static_cast<uint8_t>(code)), race) << code;
    }
    const std::pair<C, std::string> names[] = {
        {C::PassiveComputer, "passive computer"}, {C::Nobody, "nobody"}, {C::Computer, "computer"},
        {C::Human, "human"}, {C::RescuePassive, "rescue passive"}, {C::RescueActive, "rescue active"}};
    for (const auto& [controller, name] : names)
        EXPECT_EQ(ControllerName(controller), name);
    EXPECT_STREQ(RaceName(PlayerRace::Human), "human");
    EXPECT_STREQ(RaceName(PlayerRace::Orc), "orc");
    EXPECT_STREQ(RaceName(PlayerRace::Neutral), "neutral");
}

// Humans and computers of slots 1 to 8 are the players; a rescue player may
// sit in any slot but the neutral player's (16), and slots 9 to 15 hold
// nothing else.
TEST_F(ScenarioInfo, SeatsCountHumansComputersAndRescuePlayersWhereTheGameHasThem)
{
    // Slots 1 to 8: human, computer, nobody, passive, rescue passive, rescue
    // active, computer (0x01), passive (0x00); 9 to 15 say human, which
    // those slots cannot be.
    const TScenarioInfo full = Load("full.pud", WriteScenario(ContentWith(FullMetadata())));
    EXPECT_EQ(full.HumanSeats, 1);
    EXPECT_EQ(full.ComputerSeats, 2);
    EXPECT_EQ(full.RescueSlots, 2);
    EXPECT_EQ(*full.HumanSeats + *full.ComputerSeats, full.Players);

    ScenarioMetadata meta = FullMetadata();
    meta.Owners = SlotBytes{0x05, 0x05, 0x05, 0x06, 0x03, 0x03, 0x03, 0x03,
                            0x06, 0x03, 0x04, 0x05, 0x03, 0x03, 0x07, 0x07};
    const TScenarioInfo extra = Load("extra.pud", WriteScenario(ContentWith(meta)));
    EXPECT_EQ(extra.HumanSeats, 3);
    EXPECT_EQ(extra.ComputerSeats, 0);
    EXPECT_EQ(extra.RescueSlots, 3);  // slots 4, 9 and 15; not the neutral player's 16
    EXPECT_EQ(extra.Players, 3);

    // Without the controllers nothing is known of seats; the other chunks
    // still read.
    meta.Owners.reset();
    const ScenarioWriter shortOwners = WriteScenario(ContentWith(meta)).Chunk(tag::Owners, Bytes(15, 0x05));
    const TScenarioInfo unknown = Load("short.pud", shortOwners);
    EXPECT_FALSE(unknown.HumanSeats || unknown.ComputerSeats || unknown.RescueSlots || unknown.Players);
    EXPECT_TRUE(unknown.Slots[0].Race.has_value());
}

TEST(PlayerSlots, OnlyAHumanPlayerChoosesARaceAndNobodyHasNone)
{
    using C = PlayerController;
    EXPECT_FALSE(RaceIsFixed(C::Human));
    EXPECT_FALSE(RaceIsFixed(C::Nobody));
    for (const C controller : {C::Computer, C::PassiveComputer, C::RescuePassive, C::RescueActive})
        EXPECT_TRUE(RaceIsFixed(controller)) << ControllerName(controller);
}

TEST_F(ScenarioInfo, MinesPatchesAndTheFirstStartLocationOfEachSlotComeFromTheUnits)
{
    const std::vector<UnitPlacement> units = {
        {3, 4, unit_type::GoldMine, 15, 40},   // 100,000 gold
        {7, 8, unit_type::HumanStart, 2, 0},   // slot 2 starts here
        {9, 9, unit_type::OrcStart, 2, 0},     // a second one of slot 2 counts not
        {5, 6, unit_type::OilPatch, 15, 10},
        {0, 31, unit_type::OrcStart, 0, 1},    // an orc start of a slot whatever its race
        {1, 1, unit_type::GoldMine, 3, 65535}, // the most a mine holds, whoever owns it
        {2, 2, unit_type::OrcStart, 8, 0},     // slots beyond 7 are no players
        {4, 4, unit_type::OrcStart, 255, 0},
        {6, 6, 2, 7, 0},                       // a peasant of slot 7
    };
    const TScenarioInfo info = Load("units.pud", WriteScenario(ContentWith({}, units)));
    EXPECT_EQ(info.UnitCount, 9);
    EXPECT_EQ(info.GoldMines, 2);
    EXPECT_EQ(info.Gold, 40 * 2500 + int64_t{65535} * 2500);
    EXPECT_EQ(info.OilPatches, 1);
    for (std::size_t slot = 0; slot < PlayerSlotCount; ++slot) {
        const std::optional<TilePosition> start = slot == 0   ? std::optional(TilePosition{0, 31})
                                                  : slot == 2 ? std::optional(TilePosition{7, 8})
                                                              : std::nullopt;
        EXPECT_EQ(info.Slots[slot].Start, start) << slot;
    }
}

// A missing chunk, one shorter than its field, one with a negative length,
// or one cut off by the end of the file leaves its fields unknown, and
// nothing else.
TEST_F(ScenarioInfo, AMissingOrShortMetadataChunkLeavesOnlyItsFieldsUnknown)
{
    enum Field { Version, Description, Controllers, Races, Gold, Lumber, Oil };
    const struct {
        ChunkTag Tag;
        Field Unknown;
        std::size_t Length;
    } chunks[] = {
        {tag::Version, Version, 2},   {tag::Description, Description, 32}, {tag::Owners, Controllers, 16},
        {tag::Races, Races, 16},      {tag::StartingGold, Gold, 32},       {tag::StartingLumber, Lumber, 32},
        {tag::StartingOil, Oil, 32},
    };
    const ScenarioMetadata full = FullMetadata();
    for (const auto& chunk : chunks) {
        // The other chunks stand before the map's own; the damaged one comes last.
        ScenarioMetadata others = full;
        const Field f = chunk.Unknown;
        if (f == Version) others.Version.reset();
        if (f == Description) others.Description.reset();
        if (f == Controllers) others.Owners.reset();
        if (f == Races) others.Races.reset();
        if (f == Gold) others.Gold.reset();
        if (f == Lumber) others.Lumber.reset();
        if (f == Oil) others.Oil.reset();
        const ScenarioWriter map = WriteScenario(ContentWith(others));
        const Bytes data(chunk.Length, 1);
        const struct {
            const char* name;
            ScenarioWriter writer;
        } damages[] = {
            {"missing", map},
            {"one_byte_short", ScenarioWriter(map).Chunk(chunk.Tag, Bytes(chunk.Length - 1, 1))},
            {"negative_length", ScenarioWriter(map).ChunkWithStatedLength(chunk.Tag, -16, data)},
            {"cut_by_the_end", ScenarioWriter(map).ChunkWithStatedLength(
                                   chunk.Tag, static_cast<int32_t>(chunk.Length), Bytes(chunk.Length - 1, 1))},
            {"beyond_an_overlong_chunk",
             ScenarioWriter(map).ChunkWithStatedLength({'J', 'U', 'N', 'K'}, 100000, {}).Chunk(chunk.Tag, data)},
        };
        for (const auto& damage : damages) {
            const std::string name = std::string(chunk.Tag.data(), 4) + "_" + damage.name + ".pud";
            SCOPED_TRACE(name);
            const TScenarioInfo info = Load(name, damage.writer);
            EXPECT_EQ(info.UnitCount, 0);
            EXPECT_EQ(info.Version.has_value(), f != Version);
            EXPECT_EQ(info.Description.has_value(), f != Description);
            EXPECT_EQ(info.Players.has_value(), f != Controllers);
            for (const PlayerSlot& slot : info.Slots) {
                EXPECT_EQ(slot.Controller.has_value(), f != Controllers);
                EXPECT_EQ(slot.Race.has_value(), f != Races);
                EXPECT_EQ(slot.Gold.has_value(), f != Gold);
                EXPECT_EQ(slot.Lumber.has_value(), f != Lumber);
                EXPECT_EQ(slot.Oil.has_value(), f != Oil);
            }
        }
    }
}

TEST_F(ScenarioInfo, LongerChunksAndTheFirstOfATagAreRead)
{
    ScenarioWriter writer = WriteScenario(ContentWith({}));
    writer.Chunk(tag::Version, {0x11, 0, 0x13, 0})
        .Chunk(tag::Version, {0x13, 0})
        .Chunk(tag::Description, DescriptionChunkData("first"))
        .Chunk(tag::Description, DescriptionChunkData("second"))
        .Chunk(tag::Owners, Bytes(20, 0x05));
    const TScenarioInfo info = Load("longer_and_repeated_chunks.pud", writer);
    EXPECT_EQ(info.Version, 0x11);
    EXPECT_EQ(info.Description, "first");
    EXPECT_EQ(info.Players, 8);
}

TEST_F(ScenarioInfo, TheDescriptionEndsAtItsFirstZeroOrFillsItsField)
{
    const struct {
        std::string stored;  // the 32 bytes of the field, zero-padded
        std::string text;
    } cases[] = {
        {"", ""},
        {std::string("War!!\0junk after the end", 24), "War!!"},
        {std::string(32, 'x'), std::string(32, 'x')},
        {"\x01 \xE1\xFE", "\xE2\x98\xBA \xC3\x9F\xE2\x96\xA0"},
    };
    for (const auto& c : cases) {
        ScenarioWriter writer;
        writer.Chunk(tag::Description, DescriptionChunkData(c.stored)).Raw(WriteScenario(ContentWith({})).Bytes());
        const TScenarioInfo info = Load("description.pud", writer);
        EXPECT_EQ(info.Description, c.text) << c.text;
    }
}

TEST_F(ScenarioInfo, AFileTheMinimapReaderRefusesIsRefusedWithTheSameError)
{
    const ScenarioWriter valid = WriteScenario(ContentWith(FullMetadata()));
    const ScenarioWriter head = ScenarioWriter().Chunk(tag::Owners, Bytes(16, 5)).Chunk(tag::Era, EraChunkData(1));
    const ScenarioWriter withDim = ScenarioWriter(head).Chunk(tag::Dimensions, DimensionsChunkData(2, 2));
    const struct {
        const char* name;
        std::optional<ScenarioWriter> writer;  // none: no file at all
    } cases[] = {
        {"missing.pud", std::nullopt},
        {"empty.pud", ScenarioWriter()},
        {"metadata_only.pud", ScenarioWriter().Chunk(tag::Version, {0x11, 0}).Chunk(tag::Owners, Bytes(16, 5))},
        {"no_dim.pud", head},
        {"short_udta.pud", ScenarioWriter(withDim).Chunk(tag::UnitTypeData, Bytes(2887))},
        {"udta_cut_by_the_end.pud",
         ScenarioWriter(withDim).ChunkWithStatedLength(tag::UnitTypeData, 4000, Bytes(2888))},
        {"side_0.pud", ScenarioWriter(head)
                           .Chunk(tag::Dimensions, DimensionsChunkData(0, 0))
                           .Chunk(tag::UnitTypeData, UnitDataChunkData())
                           .Chunk(tag::TileMap, {})},
        {"units_cut_by_the_end.pud", ScenarioWriter(valid).ChunkWithStatedLength(tag::Units, 16, Bytes(8))},
        {"valid.pud", valid},
    };
    for (const auto& c : cases) {
        const std::string path = c.writer ? Write(c.name, *c.writer) : dir_.File(c.name);
        EXPECT_EQ(CatalogueReading(path), MinimapReading(path)) << c.name;
    }
}

TEST_F(ScenarioInfo, AFailedLoadLeavesNothingOfTheFileBefore)
{
    const std::vector<UnitPlacement> units = {{3, 4, unit_type::GoldMine, 15, 40}, {7, 8, unit_type::HumanStart, 0, 0}};
    const std::string good = Write("good.pud", WriteScenario(ContentWith(FullMetadata(), units)));
    TScenarioInfo info;
    TPUDData scenario;
    ASSERT_NO_THROW(info.LoadFromFile(good, scenario));
    EXPECT_EQ(scenario.UnitCount, 2);
    EXPECT_EQ(scenario.TileMap.size(), 32u * 32u);

    EXPECT_THROW(info.LoadFromFile(Write("no_dim.pud", ScenarioWriter().Chunk(tag::Era, EraChunkData(2))), scenario),
                 EPUDEx);
    EXPECT_TRUE(IsEmpty(info));
    EXPECT_TRUE(scenario.TileMap.empty() && scenario.Units.empty() && scenario.UnitCount == 0);

    ASSERT_NO_THROW(info.LoadFromFile(good));
    EXPECT_THROW(info.LoadFromFile(dir_.File("missing.pud")), EInOutError);
    EXPECT_TRUE(IsEmpty(info));
}

// The demo maps show off the catalogue: every base a player with a start
// location under its hall, a description and gold.
TEST_F(ScenarioInfo, DemoScenariosCarryWhatAMapListShows)
{
    for (const DemoScenario& demo : MakeDemoScenarios()) {
        SCOPED_TRACE(demo.FileName);
        const TScenarioInfo info = Load(demo.FileName, WriteScenario(demo.Content));
        EXPECT_EQ(info.Version, 0x11);
        EXPECT_FALSE(info.Description.value_or("").empty());
        ASSERT_TRUE(info.Players.has_value());
        EXPECT_GE(*info.Players, 2);
        EXPECT_EQ(info.GoldMines, *info.Players);
        EXPECT_EQ(info.Gold, info.GoldMines * int64_t{100000});
        for (const PlayerSlot& slot : info.Slots)
            EXPECT_EQ(slot.Start.has_value(), slot.Controller == PlayerController::Human);
    }
}

TEST(CodePage437, EveryByteBecomesOneDistinctPrintableCharacter)
{
    const struct {
        std::string stored;
        std::string utf8;
    } cases[] = {
        {"Plain ASCII ~!", "Plain ASCII ~!"},
        {"\x80\x81\x9B\x9F", "\xC3\x87\xC3\xBC\xC2\xA2\xC6\x92"},             // Ç ü ¢ ƒ
        {"\xB0\xC5\xDB", "\xE2\x96\x91\xE2\x94\xBC\xE2\x96\x88"},             // ░ ┼ █
        {"\xE0\xE1\xEA\xFD\xFF", "\xCE\xB1\xC3\x9F\xCE\xA9\xC2\xB2\xC2\xA0"}, // α ß Ω ² no-break space
        {"\x01\x0A\x1F\x7F", "\xE2\x98\xBA\xE2\x97\x99\xE2\x96\xBC\xE2\x8C\x82"},  // ☺ ◙ ▼ ⌂
        {std::string(1, '\0'), std::string(1, '\0')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CodePage437ToUtf8(c.stored), c.utf8);

    // No two bytes give the same text, and none gives a control character.
    std::set<std::string> seen;
    for (int byte = 1; byte < 256; ++byte) {
        const std::string utf8 = CodePage437ToUtf8(std::string(1, static_cast<char>(byte)));
        EXPECT_TRUE(seen.insert(utf8).second) << byte;
        const auto lead = static_cast<unsigned char>(utf8[0]);
        EXPECT_FALSE(lead < 0x20 || lead == 0x7F) << byte;
        EXPECT_FALSE(utf8.size() == 2 && lead == 0xC2 && static_cast<unsigned char>(utf8[1]) < 0xA0) << byte;  // C1
    }
}

// Real maps: read as the minimap reader reads them, and every one of them
// carries every metadata chunk.
TEST(ScenarioInfoCorpus, RealScenariosReadAsTheMinimapReaderReadsThemWithAllTheirMetadata)
{
    namespace fs = std::filesystem;
    const std::string folder = TESSEL_CORPUS_DIR;
    std::error_code error;
    if (folder.empty() || !fs::is_directory(folder, error))
        GTEST_SKIP() << "no corpus at \"" << folder << "\"; set the CMake cache variable TESSEL_CORPUS_DIR";

    int read = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string path = entry.path().string();
        if (entry.path().filename() == "MANIFEST.tsv" || entry.path().extension() == ".md")
            continue;
        SCOPED_TRACE(path);
        ASSERT_EQ(CatalogueReading(path), MinimapReading(path));
        TScenarioInfo info;
        try {
            info.LoadFromFile(path);
        } catch (const Exception&) {
            continue;
        }
        ++read;
        ASSERT_TRUE(info.HumanSeats && info.ComputerSeats && info.RescueSlots);
        EXPECT_EQ(*info.HumanSeats + *info.ComputerSeats, info.Players);
        EXPECT_TRUE(info.Version == 0x11 || info.Version == 0x13);
        EXPECT_TRUE(info.Description.has_value());
        ASSERT_TRUE(info.Players.has_value());
        EXPECT_GE(*info.Players, 1);
        EXPECT_LE(*info.Players, 8);
        for (const PlayerSlot& slot : info.Slots) {
            EXPECT_TRUE(slot.Controller && slot.Race && slot.Gold && slot.Lumber && slot.Oil);
            // The game lets no human player in without a start location on the map.
            if (slot.Controller == PlayerController::Human) {
                ASSERT_TRUE(slot.Start.has_value());
                EXPECT_LT(slot.Start->X, info.MapSize);
                EXPECT_LT(slot.Start->Y, info.MapSize);
            }
        }
    }
    EXPECT_GT(read, 0);
}

// Maps whose community folders count rescue players with the players: the
// seats as their slots give them.
TEST(ScenarioInfoCorpus, RealScenariosGiveHumanComputerAndRescueSeatsApart)
{
    namespace fs = std::filesystem;
    const std::string folder = TESSEL_CORPUS_DIR;
    std::error_code error;
    if (folder.empty() || !fs::is_directory(folder, error))
        GTEST_SKIP() << "no corpus at \"" << folder << "\"; set the CMake cache variable TESSEL_CORPUS_DIR";
    const struct {
        const char* File;
        int32_t Humans, Computers, Rescues;
    } maps[] = {
        {"castle_mid.pud", 8, 0, 1},       // a rescue player in slot 9, beyond the eight players
        {"el_papa_96x96.pud", 4, 2, 2},    // rescue players in slots 1 and 3
        {"cibola.pud", 1, 6, 1},           {"charlie_s_choice.pud", 4, 0, 1},
        {"dodge_the_catapults_rpg_.pud", 6, 1, 1}, {"mirrors.pud", 1, 7, 0},
        {"WAR.PUD", 2, 0, 0},
    };
    for (const auto& map : maps) {
        SCOPED_TRACE(map.File);
        const std::string path = folder + "/" + map.File;
        if (!fs::is_regular_file(path, error))
            continue;
        TScenarioInfo info;
        info.LoadFromFile(path);
        EXPECT_EQ(info.HumanSeats, map.Humans);
        EXPECT_EQ(info.ComputerSeats, map.Computers);
        EXPECT_EQ(info.RescueSlots, map.Rescues);
    }
}

}  // namespace
}  // namespace tessel::test
