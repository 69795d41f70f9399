#include "OutputPaths.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tessel::cli {
namespace {

// The names and images that the plan gives inputs, as "name -> image".
std::vector<std::string> Planned(const std::vector<std::string>& paths, const std::vector<ScenarioInput>& inputs,
                                 const char* extension = ".png")
{
    std::vector<std::string> planned;
    for (const PlannedMap& map : PlanOutputs(paths, inputs, {}, extension).Maps)
        planned.push_back(map.Name + " -> " + map.Image);
    return planned;
}

TEST(OutputPaths, KeepTheSubFolderBelowTheOutputFolderAndReplaceTheExtension)
{
    const struct {
        ScenarioInput input;
        const char* outputDirectory;
        const char* extension;
        const char* expected;
    } cases[] = {
        {{"maps/a.pud", "", 0, true}, "out", ".bmp", "out/a.bmp"},
        {{"maps/x/y/b.PUD", "x/y", 0, true}, "out/", ".png", "out/x/y/b.png"},
        {{"maps/x.old/c.tar.pud", "x.old", 0, true}, "/tmp/out", ".bmp", "/tmp/out/x.old/c.tar.bmp"},
        {{"no-extension", "", 0, false}, "out", ".png", "out/no-extension.png"},
    };
    for (const auto& c : cases) {
        const OutputPlan plan = PlanOutputs({"maps"}, {c.input}, {}, c.extension);
        ASSERT_EQ(plan.Maps.size(), 1u);
        EXPECT_EQ(OutputPathOf(plan.Maps[0], c.outputDirectory), c.expected) << c.input.Path;
    }
}

TEST(OutputPaths, OneFolderOrFilesAloneKeepTheLayoutWithNamesBelowTheFolderGiven)
{
    EXPECT_EQ(Planned({"/home/someone/maps"}, {{"/home/someone/maps/a.pud", "", 0, true},
                                               {"/home/someone/maps/deep/er/B.PUD", "deep/er", 0, true}}),
              (std::vector<std::string>{"a.pud -> a.png", "deep/er/B.PUD -> deep/er/B.png"}));
    // One folder and a file: the file goes at the top, as before.
    EXPECT_EQ(Planned({"/home/someone/maps", "/tmp/single.Pud"},
                      {{"/home/someone/maps/a.pud", "", 0, true}, {"/tmp/single.Pud", "", 1, false}}),
              (std::vector<std::string>{"a.pud -> a.png", "single.Pud -> single.png"}));
}

TEST(OutputPaths, SeveralFoldersPutTheirOwnNameInFrontNumberedWhereTaken)
{
    const std::vector<std::string> paths{"/data/coll_a", "coll_b/", "a/maps", "b/maps/", "x/../maps", "maps-2"};
    std::vector<ScenarioInput> inputs;
    for (std::size_t operand = 0; operand < paths.size(); ++operand)
        inputs.push_back({paths[operand] + "/sub/x.pud", "sub", operand, true});
    EXPECT_EQ(Planned(paths, inputs, ".bmp"), (std::vector<std::string>{
                                                  "coll_a/sub/x.pud -> coll_a/sub/x.bmp",
                                                  "coll_b/sub/x.pud -> coll_b/sub/x.bmp",
                                                  "maps/sub/x.pud -> maps/sub/x.bmp",
                                                  "maps-2/sub/x.pud -> maps-2/sub/x.bmp",
                                                  "maps-3/sub/x.pud -> maps-3/sub/x.bmp",
                                                  "maps-2-2/sub/x.pud -> maps-2-2/sub/x.bmp",
                                              }));

    // "." and ".." are named by the folder they stand for.
    const std::string here = std::filesystem::current_path().filename().string();
    const std::string above = std::filesystem::current_path().parent_path().filename().string();
    EXPECT_EQ(Planned({".", ".."}, {{"./a.pud", "", 0, true}, {"../b.pud", "", 1, true}}),
              (std::vector<std::string>{here + "/a.pud -> " + here + "/a.png",
                                        above + "/b.pud -> " + above + "/b.png"}));
}

TEST(OutputPaths, MapsThatWouldShareANameOrAnImageAreNumberedAndNoneIsLost)
{
    EXPECT_EQ(Planned({"one/x.pud", "two/x.pud", "three/x.pud", "x-2.pud"},
                      {{"one/x.pud", "", 0, false},
                       {"two/x.pud", "", 1, false},
                       {"three/x.pud", "", 2, false},
                       {"x-2.pud", "", 3, false}}),
              (std::vector<std::string>{"x.pud -> x.png", "x-2.pud -> x-2.png", "x-3.pud -> x-3.png",
                                        "x-2-2.pud -> x-2-2.png"}));
    // Names that differ only in the extension's case share an image path.
    EXPECT_EQ(Planned({"maps"}, {{"maps/x.PUD", "", 0, true}, {"maps/x.pud", "", 0, true}}),
              (std::vector<std::string>{"x.PUD -> x.png", "x.pud -> x-2.png"}));
    // A file's image never takes the place of a folder that others need.
    EXPECT_EQ(Planned({"x.pud", "maps", "x.png"},
                      {{"x.pud", "", 0, false}, {"maps/a.pud", "", 1, true}, {"x.png/b.pud", "", 2, true}}),
              (std::vector<std::string>{"x.pud -> x-2.png", "maps/a.pud -> maps/a.png",
                                        "x.png/b.pud -> x.png/b.png"}));
}

TEST(OutputPaths, FolderProblemsAreNamedLikeTheMapsBelowTheFolderGiven)
{
    const std::vector<FolderProblem> problems{
        {"/home/someone/maps/old", "Error: File access denied", 0, "old"},
        {"/home/someone/maps", "no scenario files found", 0, ""},
    };
    EXPECT_EQ(PlanOutputs({"/home/someone/maps"}, {}, problems, ".bmp").ProblemNames,
              (std::vector<std::string>{"old", "maps"}));

    const std::vector<FolderProblem> inTwo{
        {"/a/maps/old", "Error: File access denied", 0, "old"},
        {"/b/maps/", "no scenario files found", 1, ""},
    };
    EXPECT_EQ(PlanOutputs({"/a/maps", "/b/maps/"}, {}, inTwo, ".bmp").ProblemNames,
              (std::vector<std::string>{"maps/old", "maps-2"}));
}

}  // namespace
}  // namespace tessel::cli
