// The era's names and check, which the catalogue, the terrain readers and
// the built-in tileset share.
#include "TestSupport.h"

#include "base/Exceptions.h"
#include "era/Era.h"

namespace tessel::test {
namespace {

TEST(Era, TheFourErasHaveTheirNamesAndAnyOtherNumberIsUnknown)
{
    EXPECT_STREQ(EraName(0), "forest");
    EXPECT_STREQ(EraName(1), "winter");
    EXPECT_STREQ(EraName(2), "wasteland");
    EXPECT_STREQ(EraName(3), "swamp");
    for (const int era : {-1, 4, 65535})
        EXPECT_STREQ(EraName(era), "unknown") << era;
}

TEST(Era, OnlyZeroToThreePassTheCheck)
{
    for (int32_t era = 0; era < EraCount; ++era)
        EXPECT_NO_THROW(CheckEra(era)) << era;
    for (const int32_t era : {-1, 4, 65535}) {
        try {
            CheckEra(era);
            ADD_FAILURE() << era << " must be refused";
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), "Invalid era (" + std::to_string(era) + ").");
        }
    }
}

}  // namespace
}  // namespace tessel::test
