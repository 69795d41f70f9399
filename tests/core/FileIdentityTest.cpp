#include "system/FileIdentity.h"

#include "TestSupport.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

TEST(FileIdentity, OneFileByAnySpellingLinkOrHardLinkAndNeverAnotherOrAMissingOne)
{
    TempDir dir;
    fs::create_directories(dir.File("sub"));
    WriteFileBytes(dir.File("map.pud"), {1, 2, 3});
    WriteFileBytes(dir.File("copy.pud"), {1, 2, 3});
    fs::create_hard_link(dir.File("map.pud"), dir.File("hard.png"));
    fs::create_symlink("map.pud", dir.File("soft.png"));
    fs::create_symlink("soft.png", dir.File("soft-of-soft.png"));
    fs::create_symlink("nowhere.pud", dir.File("dangling.png"));
    const std::string map = dir.File("map.pud");
    for (const std::string& same : {dir.File("./map.pud"), dir.File("sub/../map.pud"), dir.File("hard.png"),
                                    dir.File("soft.png"), dir.File("soft-of-soft.png")}) {
        EXPECT_TRUE(IsSameFile(map, same)) << same;
        EXPECT_TRUE(IsSameFile(same, map)) << same;
    }
    for (const std::string& other : {dir.File("copy.pud"), dir.Path(), dir.File("missing.png"),
                                     dir.File("dangling.png"), std::string()})
        EXPECT_FALSE(IsSameFile(map, other)) << other;
    EXPECT_FALSE(IsSameFile(dir.File("missing.png"), dir.File("missing.png")));
    EXPECT_EQ(IdentityOfFile(dir.File("dangling.png")), std::nullopt);
}

}  // namespace
}  // namespace tessel::test
