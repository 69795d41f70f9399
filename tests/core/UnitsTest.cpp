// Unit records and their colours: the one reader of the UNIT chunk's
// records, which the minimap path and the catalogue share, and the colour
// rule that GetUnitProps hands out.
#include "TestSupport.h"

#include "base/Exceptions.h"
#include "scenario/OwnerColors.h"
#include "scenario/PudData.h"
#include "scenario/ScenarioInfo.h"
#include "ScenarioWriter.h"

namespace tessel::test {
namespace {

TEST(UnitRecord, FieldsAreLittleEndianAtTheirOffsets)
{
    const uint8_t bytes[UnitRecordSize] = {
        0x34, 0x12,  // X 0x1234
        0x78, 0x56,  // Y 0x5678
        0x5C,        // type: gold mine
        0x0F,        // owner 15
        0xCD, 0xAB,  // value 0xABCD
    };
    const UnitRecord unit = ReadUnitRecord(bytes);
    EXPECT_EQ(unit.X, 0x1234);
    EXPECT_EQ(unit.Y, 0x5678);
    EXPECT_EQ(unit.Type, unit_type::GoldMine);
    EXPECT_EQ(unit.Owner, 15);
    EXPECT_EQ(unit.Value, 0xABCD);
}

TEST(UnitColor, ResourcesKeepTheirColourWhateverTheirOwnerAndOthersTakeTheirOwners)
{
    const struct {
        uint8_t type, owner, color;
    } cases[] = {
        {unit_type::GoldMine, 0, 12},  {unit_type::GoldMine, 200, 12}, {unit_type::OilPatch, 3, 0},
        {unit_type::OilPatch, 16, 0},  {0, 0, 208},                    {0, 6, 232},
        {0, 7, 12},                    {0, 15, 12},                    {0, 16, 0},
        {unit_type::HumanStart, 255, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << int{c.type} << ", owner " << int{c.owner});
        EXPECT_EQ(UnitColor(c.type, c.owner), c.color);
    }
    for (uint8_t owner = 0; owner < 16; ++owner)
        EXPECT_EQ(UnitColor(0, owner), OwnerColors[owner]);
}

class UnitsOfAScenario : public ::testing::Test {
protected:
    void SetUp() override
    {
        ScenarioContent content;
        content.UnitSizes = {{3, 2, 4}};
        content.Units = {{5, 6, 3, 1, 0}, {7, 8, unit_type::GoldMine, 2, 4}, {9, 10, unit_type::OrcStart, 4, 1}};
        WriteScenario(content).WriteTo(dir.File("map.pud"));
        scenario.LoadFromFile(dir.File("map.pud"));
    }

    TempDir dir;
    TPUDData scenario;
};

TEST_F(UnitsOfAScenario, EachUnitIsItsRecordAndGetUnitPropsAddsItsSizeAndColour)
{
    ASSERT_EQ(scenario.UnitCount, 3);
    for (int32_t index = 0; index < scenario.UnitCount; ++index) {
        SCOPED_TRACE(index);
        const UnitRecord unit = scenario.Unit(index);
        uint16_t x, y, width, height;
        uint8_t type, owner, color;
        scenario.GetUnitProps(index, x, y, width, height, type, owner, color);
        EXPECT_EQ(x, unit.X);
        EXPECT_EQ(y, unit.Y);
        EXPECT_EQ(type, unit.Type);
        EXPECT_EQ(owner, unit.Owner);
        EXPECT_EQ(color, UnitColor(unit.Type, unit.Owner));
    }
    EXPECT_EQ(scenario.Unit(0).Value, 0);
    EXPECT_EQ(scenario.Unit(1).Value, 4);
    uint16_t x, y, width, height;
    uint8_t type, owner, color;
    scenario.GetUnitProps(0, x, y, width, height, type, owner, color);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 4);
}

TEST_F(UnitsOfAScenario, TheCatalogueReadsTheSameRecords)
{
    TScenarioInfo info;
    info.LoadFromFile(dir.File("map.pud"));
    EXPECT_EQ(info.GoldMines, 1);
    EXPECT_EQ(info.Gold, 4 * ResourceAmountUnit);
    ASSERT_TRUE(info.Slots[4].Start);
    EXPECT_EQ(*info.Slots[4].Start, (TilePosition{scenario.Unit(2).X, scenario.Unit(2).Y}));
}

TEST_F(UnitsOfAScenario, AnIndexOutsideTheStoredRecordsIsOutOfRange)
{
    for (const int32_t index : {-1, 3}) {
        try {
            scenario.Unit(index);
            ADD_FAILURE() << index << " must be out of range";
        } catch (const EPUDEx& error) {
            EXPECT_EQ(error.Message(), "Unit out of range.");
        }
    }
    // UnitCount is a public field: a count past the records is not trusted.
    scenario.UnitCount = 4;
    EXPECT_THROW(scenario.Unit(3), EPUDEx);
}

}  // namespace
}  // namespace tessel::test
