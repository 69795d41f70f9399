#include "text/PathPieces.h"

#include "TestSupport.h"

namespace tessel {
namespace {

TEST(PathPieces, SplitsAPathAfterItsLastSeparator)
{
    EXPECT_EQ(FileNamePart("/home/u/maps/a.pud"), "a.pud");
    EXPECT_EQ(DirectoryPart("/home/u/maps/a.pud"), "/home/u/maps/");
    EXPECT_EQ(FileNamePart("a.pud"), "a.pud");
    EXPECT_EQ(DirectoryPart("a.pud"), "");
    EXPECT_EQ(FileNamePart("/maps/"), "");
    EXPECT_EQ(DirectoryPart("/maps/"), "/maps/");
    EXPECT_EQ(DirectoryPart("/a.pud"), "/");
}

TEST(PathPieces, ChangesOnlyTheExtensionOfTheFileName)
{
    EXPECT_EQ(ReplaceExtension("/maps/a.pud", ".bmp"), "/maps/a.bmp");
    EXPECT_EQ(ReplaceExtension("Minimaps", ".ini"), "Minimaps.ini");
    EXPECT_EQ(ReplaceExtension("my.tool.exe", ".ini"), "my.tool.ini");
    EXPECT_EQ(ReplaceExtension("/a.b/c", ".bmp"), "/a.b/c.bmp");
    EXPECT_EQ(ReplaceExtension("/a.b/c.d.pud", ".bmp"), "/a.b/c.d.bmp");
    EXPECT_EQ(ReplaceExtension("a.", ".bmp"), "a.bmp");
}

TEST(PathPieces, JoinsWithExactlyOneSeparator)
{
    EXPECT_EQ(JoinPath("/home/u/.config", "Minimaps.ini"), "/home/u/.config/Minimaps.ini");
    EXPECT_EQ(JoinPath("/home/u/.config/", "Minimaps.ini"), "/home/u/.config/Minimaps.ini");
    EXPECT_EQ(JoinPath("", "Minimaps.ini"), "Minimaps.ini");
}

TEST(PathPieces, PutsASourceFileNameWithAnotherExtensionIntoAFolder)
{
    EXPECT_EQ(OutputPathIn("/out", "/maps.old/v1.2.MAP01.PUD", ".bmp"), "/out/v1.2.MAP01.bmp");
    EXPECT_EQ(OutputPathIn("/out/", "maps/a", ".png"), "/out/a.png");
    EXPECT_EQ(OutputPathIn("/", "/maps/a.pud", ".bmp"), "/a.bmp");
    EXPECT_EQ(OutputPathIn("", "/maps/a.pud", ".bmp"), "a.bmp");
}

#ifdef _WIN32
TEST(PathPieces, SplitsWindowsPathsAtBackslashesAndColons)
{
    EXPECT_EQ(DirectoryPart("D:\\Maps\\a.pud"), "D:\\Maps\\");
    EXPECT_EQ(FileNamePart("D:a.pud"), "a.pud");
    EXPECT_EQ(ReplaceExtension("C:\\a.b\\c", ".bmp"), "C:\\a.b\\c.bmp");
    EXPECT_EQ(JoinPath("D:\\Maps", "a.bmp"), "D:\\Maps\\a.bmp");
}
#endif

}  // namespace
}  // namespace tessel
