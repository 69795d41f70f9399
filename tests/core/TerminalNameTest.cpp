#include "text/TerminalName.h"

#include "base/ErrorBox.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tessel {
namespace {

// Bytes that a terminal acts on: C0, DEL and the C1 controls in UTF-8.
bool HoldsControls(const std::string& text)
{
    for (std::size_t k = 0; k < text.size(); ++k) {
        const auto byte = static_cast<uint8_t>(text[k]);
        if (byte < 0x20 || byte == 0x7F)
            return true;
        if (byte == 0xC2 && k + 1 < text.size() && static_cast<uint8_t>(text[k + 1]) <= 0x9F)
            return true;
    }
    return false;
}

TEST(TerminalName, LeavesNamesWithoutControlsAndValidUtf8Unchanged)
{
    for (const std::string name : {
             "", "maps/golf course.pud", "quote\"back\\slash 'and' $(x) ;|&.pud",
             "\xC3\x86r\xC3\xB8.pud",          // two-byte letters
             "\xC2\xA0no-break",               // U+00A0, the first character past the C1 range
             "\xE2\x80\xAE" "reversed",        // U+202E: a format character, not a control
             "\xEF\xBF\xBD \xEF\xBF\xBF",      // U+FFFD and U+FFFF
             "\xF0\x9F\x97\xBA \xF4\x8F\xBF\xBF",  // U+1F5FA and U+10FFFF, the highest
         })
        EXPECT_EQ(TerminalName(name), name);
}

TEST(TerminalName, QuotesANameWithControlsAndEscapesThemAsC)
{
    const struct {
        std::string name, shown;
    } cases[] = {
        {"two\nlines.pud", R"("two\nlines.pud")"},
        {"x: Error: forged\n", R"("x: Error: forged\n")"},
        {"\x1b]2;owned\x07.pud", R"("\033]2;owned\a.pud")"},
        {"\x1b[2J", R"("\033[2J")"},
        {"\a\b\t\n\v\f\r", R"("\a\b\t\n\v\f\r")"},
        {std::string("nul\0.pud", 8), R"("nul\000.pud")"},
        {"\x01\x1f\x7f", R"("\001\037\177")"},
        {"tab\t\"quoted\" back\\slash", R"("tab\t\"quoted\" back\\slash")"},
        {"csi \xC2\x9B" "2J", R"("csi \302\2332J")"},  // U+009B, the one-character CSI
        {"\xC2\x80\xC2\x9F", R"("\302\200\302\237")"},
        {"\xC3\x86r\xC3\xB8\n", "\"\xC3\x86r\xC3\xB8\\n\""},  // valid UTF-8 stays inside the quotes
    };
    for (const auto& c : cases)
        EXPECT_EQ(TerminalName(c.name), c.shown);
}

// A lone C1 byte is CSI on a terminal that reads 8-bit text; any byte that
// is not UTF-8 is shown as its number.
TEST(TerminalName, QuotesANameThatIsNotValidUtf8AndShowsEachStrayByte)
{
    const struct {
        std::string name, shown;
    } cases[] = {
        {"\x9b" "2J", R"("\2332J")"},
        {"latin1-\xE9t\xE9.pud", R"("latin1-\351t\351.pud")"},
        {"\xC0\x80", R"("\300\200")"},               // NUL, overlong
        {"\xE0\x80\x80", R"("\340\200\200")"},       // overlong three-byte form
        {"\xED\xA0\x80", R"("\355\240\200")"},       // a surrogate
        {"\xF4\x90\x80\x80", R"("\364\220\200\200")"},  // past U+10FFFF
        {"\xF5\x80", R"("\365\200")"},
        {"cut \xE2\x82", R"("cut \342\202")"},
        {"\xFF\xFE", R"("\377\376")"},
        {"\xC3\x86\x80", "\"\xC3\x86\\200\""},  // a valid letter, then a stray continuation byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(TerminalName(c.name), c.shown);
}

// Every name of one or two bytes, and of three bytes around the lead bytes
// with rules of their own: what is shown holds no control, and a name is
// quoted exactly when it needs escapes.
TEST(TerminalName, EveryShortNameIsShownWithoutControls)
{
    std::vector<std::string> names;
    for (int first = 0; first < 256; ++first) {
        names.push_back(std::string(1, static_cast<char>(first)));
        for (int second = 0; second < 256; ++second)
            names.push_back({static_cast<char>(first), static_cast<char>(second)});
    }
    for (const int lead : {0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4})
        for (int second = 0x70; second < 0xD0; ++second)
            for (int third = 0x70; third < 0xD0; ++third)
                names.push_back({static_cast<char>(lead), static_cast<char>(second), static_cast<char>(third)});
    for (const std::string& name : names) {
        const std::string shown = TerminalName(name);
        ASSERT_FALSE(HoldsControls(shown)) << shown;
        ASSERT_FALSE(HoldsControls(QuotedTerminalName(name))) << shown;
        if (shown != name) {
            ASSERT_EQ(shown, QuotedTerminalName(name));
        }
    }
}

TEST(TerminalName, TheQuotedFormQuotesEveryName)
{
    EXPECT_EQ(QuotedTerminalName("paint"), "\"paint\"");
    EXPECT_EQ(QuotedTerminalName(""), "\"\"");
    EXPECT_EQ(QuotedTerminalName("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(QuotedTerminalName("a\nb"), R"("a\nb")");
}

// Without a handler an error box is a line on standard error; its text may
// name the output file, whose name came from the scenario's.
TEST(TerminalName, AnErrorBoxWithoutAHandlerIsOneInertLine)
{
    testing::internal::CaptureStderr();
    ErrorBox("Error opening output file \"two\nlines\x1b[2J.bmp\" : Disk full");
    ErrorBox("Error: Invalid era (9).");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "\"Error opening output file \\\"two\\nlines\\033[2J.bmp\\\" : Disk full\"\n"
              "Error: Invalid era (9).\n");
}

}  // namespace
}  // namespace tessel
