#include "text/IntegerText.h"

#include "TestSupport.h"

namespace tessel {
namespace {

TEST(IntegerText, ReadsSignedDecimalsAfterLeadingSpaces)
{
    EXPECT_EQ(ParseIntegerText("160"), 160);
    EXPECT_EQ(ParseIntegerText("+7"), 7);
    EXPECT_EQ(ParseIntegerText("   7"), 7);
    EXPECT_EQ(ParseIntegerText("-5"), -5);
    EXPECT_EQ(ParseIntegerText("0007"), 7);
    EXPECT_EQ(ParseIntegerText("2147483647"), 2147483647);
    EXPECT_EQ(ParseIntegerText("-2147483647"), -2147483647);
}

TEST(IntegerText, ReadsDollarHexadecimalAsA32BitPattern)
{
    EXPECT_EQ(ParseIntegerText("$40"), 64);
    EXPECT_EQ(ParseIntegerText("$fF"), 255);
    EXPECT_EQ(ParseIntegerText(" $1F"), 31);
    EXPECT_EQ(ParseIntegerText("$FFFFFFFF"), -1);
    EXPECT_EQ(ParseIntegerText("$80000000"), INT32_MIN);
    // Leading zeros are not significant digits.
    EXPECT_EQ(ParseIntegerText("$000000040"), 64);
}

TEST(IntegerText, RefusesEverythingElse)
{
    for (const char* text : {"", "   ", "7 ", "7px", "64 px", "sixty", "+", "-", "--1", "+-1", "\t7", "1e3", "0x40",
                             "2147483648", "-2147483648", "99999999999999999999", "$", "$123456789", "$G", "-$1",
                             "+$1", "$-1", "$ 1", "$1 "}) {
        EXPECT_EQ(ParseIntegerText(text), std::nullopt) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace tessel
