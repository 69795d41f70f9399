#include "OutputPaths.h"

#include <gtest/gtest.h>

namespace tessel::cli {
namespace {

TEST(OutputPaths, KeepTheSubFolderBelowTheOutputFolderAndReplaceTheExtension)
{
    const struct {
        ScenarioInput input;
        const char* outputDirectory;
        const char* extension;
        const char* expected;
    } cases[] = {
        {{"maps/a.pud", ""}, "out", ".bmp", "out/a.bmp"},
        {{"maps/x/y/b.PUD", "x/y"}, "out/", ".png", "out/x/y/b.png"},
        {{"maps/x.old/c.tar.pud", "x.old"}, "/tmp/out", ".bmp", "/tmp/out/x.old/c.tar.bmp"},
        {{"no-extension", ""}, "out", ".png", "out/no-extension.png"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OutputPathKeepingSubFolder(c.input, c.outputDirectory, c.extension), c.expected) << c.input.Path;
}

}  // namespace
}  // namespace tessel::cli
