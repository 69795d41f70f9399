#include "FileIdentity.h"

#include "TestSupport.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

TEST(FileIdentity, OneFileByAnyNameLinkOrHardLinkIsTheSameFile)
{
    TempDir dir;
    fs::create_directories(dir.File("sub"));
    WriteFileBytes(dir.File("map.pud"), {1, 2, 3});
    fs::create_hard_link(dir.File("map.pud"), dir.File("hard.png"));
    fs::create_symlink("map.pud", dir.File("soft.png"));
    fs::create_symlink("soft.png", dir.File("soft-of-soft.png"));
    const std::string map = dir.File("map.pud");
    for (const std::string& other : {dir.File("map.pud"), dir.File("./map.pud"), dir.File("sub/../map.pud"),
                                    dir.File("hard.png"), dir.File("soft.png"), dir.File("soft-of-soft.png")}) {
        EXPECT_TRUE(IsSameFile(map, other)) << other;
        EXPECT_TRUE(IsSameFile(other, map)) << other;
    }
    EXPECT_EQ(IdentityOfFile(map), IdentityOfFile(dir.File("hard.png")));
}

TEST(FileIdentity, OtherFilesAndMissingOnesAreNeverTheSame)
{
    TempDir dir;
    WriteFileBytes(dir.File("map.pud"), {1, 2, 3});
    WriteFileBytes(dir.File("copy.pud"), {1, 2, 3});
    fs::create_symlink("nowhere.pud", dir.File("dangling.png"));
    const std::string map = dir.File("map.pud");
    EXPECT_FALSE(IsSameFile(map, dir.File("copy.pud")));
    EXPECT_FALSE(IsSameFile(map, dir.Path()));
    for (const std::string& missing : {dir.File("missing.png"), dir.File("dangling.png"), std::string()}) {
        EXPECT_EQ(IdentityOfFile(missing), std::nullopt) << missing;
        EXPECT_FALSE(IsSameFile(map, missing)) << missing;
        EXPECT_FALSE(IsSameFile(missing, missing)) << missing;
    }
}

}  // namespace
}  // namespace tessel::test
