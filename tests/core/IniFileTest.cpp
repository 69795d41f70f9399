#include "settings/IniFile.h"

#include "base/Exceptions.h"
#include "TestSupport.h"

#include <filesystem>
#include <sys/stat.h>

namespace tessel {
namespace {

using test::FolderEntries;
using test::ReadText;
using test::TempDir;
using test::WriteText;

std::string SetAndGetText(const std::string& text, std::string_view section, std::string_view key,
                          std::string_view value)
{
    IniDocument document = IniDocument::FromText(text);
    document.SetValue(section, key, value);
    return document.Text();
}

TEST(IniDocument, FindsNamesWithoutRegardToCaseOrBlanksAndTrimsValues)
{
    const auto document = IniDocument::FromText("[settings]\n  SIZE64 =\t 40 \nMainDat=C:\\Games\\MAINDAT.WAR\n");
    EXPECT_EQ(document.Value("Settings", "Size64"), "40");
    EXPECT_EQ(document.Value("SETTINGS", "maindat"), "C:\\Games\\MAINDAT.WAR");
    EXPECT_EQ(document.Value("Settings", "Size32"), std::nullopt);
    EXPECT_EQ(document.Value("Last", "Size64"), std::nullopt);
}

TEST(IniDocument, TakesTheFirstOfDuplicateSectionsAndKeys)
{
    const auto document = IniDocument::FromText("[A]\nk=1\nk=2\n[B]\nonly=b\n[a]\nk=3\nlater=4\n");
    EXPECT_EQ(document.Value("A", "k"), "1");
    // A key that only the second [A] holds is not found.
    EXPECT_EQ(document.Value("A", "later"), std::nullopt);

    EXPECT_EQ(SetAndGetText("[A]\nk=1\nk=2\n[a]\nk=3\n", "a", "K", "9"), "[A]\nk=9\nk=2\n[a]\nk=3\n");
}

TEST(IniDocument, ReadsNeitherCommentsNorKeysOutsideASectionNorBrokenHeaders)
{
    const auto document = IniDocument::FromText("k=outside\n[S]\n;k=semicolon\n# k=hash\n[T\nx=1\n");
    EXPECT_EQ(document.Value("S", "k"), std::nullopt);
    // "[T" lacks its bracket, so x still belongs to [S].
    EXPECT_EQ(document.Value("S", "x"), "1");
    EXPECT_EQ(document.Value("T", "x"), std::nullopt);
}

TEST(IniDocument, ValuesAreStoredAsGivenWithoutQuotingOrEscaping)
{
    const std::string value = R"(C:\Games\"MAIN" ;DAT.WAR=#1)";
    IniDocument document;
    document.SetValue("Settings", "MainDat", value);
    EXPECT_EQ(document.Text(), "[Settings]\nMainDat=" + value + "\n");
    EXPECT_EQ(IniDocument::FromText(document.Text()).Value("Settings", "MainDat"), value);
}

TEST(IniDocument, RewritesOnlyTheLineOfAKeyKeepingItsSpelling)
{
    const std::string before = "; made by hand\n[Other]\nSize64=1\n\n[Settings]\n  SIZE64 = 40\nUnknown=x\n";
    EXPECT_EQ(SetAndGetText(before, "Settings", "Size64", "160"),
              "; made by hand\n[Other]\nSize64=1\n\n[Settings]\n  SIZE64 = 160\nUnknown=x\n");
}

TEST(IniDocument, AddsANewKeyAfterTheLastEntryOfItsSectionBeforeTrailingBlanksAndComments)
{
    EXPECT_EQ(SetAndGetText("[Settings]\nSize32=1\n; about Size64\nSize64=2\n\n; next\n[Last]\n", "Settings",
                            "DspUnits", "1"),
              "[Settings]\nSize32=1\n; about Size64\nSize64=2\nDspUnits=1\n\n; next\n[Last]\n");
    // A section without keys gets the key right after its header.
    EXPECT_EQ(SetAndGetText("[Settings]\n\n[Last]\n", "Settings", "Size32", "5"), "[Settings]\nSize32=5\n\n[Last]\n");
}

TEST(IniDocument, AddsANewSectionAtTheEndOfTheFile)
{
    EXPECT_EQ(SetAndGetText("[Settings]\nSize32=1\n; end\n", "Last", "PUDDir", "/maps/"),
              "[Settings]\nSize32=1\n; end\n[Last]\nPUDDir=/maps/\n");
    // A last line without an ending gets one before the new lines.
    EXPECT_EQ(SetAndGetText("[Settings]\nSize32=1", "Last", "PUDDir", "d"), "[Settings]\nSize32=1\n[Last]\nPUDDir=d\n");
    EXPECT_EQ(SetAndGetText("[Settings]\nSize32=1", "Settings", "Size64", "2"), "[Settings]\nSize32=1\nSize64=2\n");
    EXPECT_EQ(SetAndGetText("", "Settings", "Size32", "1"), "[Settings]\nSize32=1\n");
}

TEST(IniDocument, KeepsCarriageReturnLineEndingsAndUsesThemForNewLines)
{
    const std::string before = "[Settings]\r\nSize64=40\r\n";
    EXPECT_EQ(IniDocument::FromText(before).Value("Settings", "Size64"), "40");
    EXPECT_EQ(SetAndGetText(before, "Settings", "Size96", "96"), "[Settings]\r\nSize64=40\r\nSize96=96\r\n");
    EXPECT_EQ(SetAndGetText(before, "Last", "PUDDir", "d"), before + "[Last]\r\nPUDDir=d\r\n");
}

TEST(IniDocument, IgnoresAByteOrderMarkAndKeepsIt)
{
    const std::string before = "\xEF\xBB\xBF[Settings]\nSize64=40\n";
    EXPECT_EQ(IniDocument::FromText(before).Value("Settings", "Size64"), "40");
    EXPECT_EQ(SetAndGetText(before, "Settings", "Size64", "1"), "\xEF\xBB\xBF[Settings]\nSize64=1\n");
}

TEST(IniDocument, RefusesNamesAndValuesThatWouldBreakTheLineStructure)
{
    IniDocument document;
    EXPECT_THROW(document.SetValue("Settings", "MainDat", "a\nInjected=1"), Exception);
    EXPECT_THROW(document.SetValue("Settings", "Main=Dat", "x"), Exception);
    EXPECT_THROW(document.SetValue("Settings", ";Key", "x"), Exception);
    EXPECT_THROW(document.SetValue("Set]tings", "Key", "x"), Exception);
    EXPECT_THROW(document.SetValue("Settings", " ", "x"), Exception);
    EXPECT_EQ(document.Text(), "");
}

TEST(IniFile, ReadsTheDefaultFromAMissingOrUnreadableFileAndCutsLongValues)
{
    TempDir dir;
    EXPECT_EQ(ReadIniString(dir.File("missing.ini"), "Settings", "Size64", "dflt"), "dflt");
    EXPECT_EQ(ReadIniString(dir.Path(), "Settings", "Size64", "dflt"), "dflt");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{});

    WriteIniString(dir.File("long.ini"), "Settings", "MainDat", std::string(1500, 'a'));
    EXPECT_EQ(ReadIniString(dir.File("long.ini"), "Settings", "MainDat", ""), std::string(1023, 'a'));
    EXPECT_EQ(LoadIniFile(dir.File("long.ini")).Value("Settings", "MainDat"), std::string(1500, 'a'));
}

// A mask that opens new files to all must not open the settings file, not
// even while its replacement is being written (the file layer's tests look
// at that).
TEST(IniFile, WritesThroughASymbolicLinkAndKeepsPermissions)
{
    TempDir dir;
    test::ScopedUmask openToAll(0);
    const std::string target = dir.File("dotfiles.ini");
    const std::string link = dir.File("tool.ini");
    WriteText(target, "[Settings]\nSize32=1\n");
    ::chmod(target.c_str(), 0600);
    std::filesystem::create_symlink(target, link);

    WriteIniString(link, "Settings", "Size32", "2");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadText(target), "[Settings]\nSize32=2\n");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(IniFile, AWriteThatCannotReadTheOldFileFailsInsteadOfReplacingIt)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("folder.ini"));
    EXPECT_THROW(WriteIniString(dir.File("folder.ini"), "Settings", "Size32", "1"), Exception);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.ini")));
}

}  // namespace
}  // namespace tessel
