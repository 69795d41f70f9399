// The thumbnailer on files larger than the scenario limit, which a file
// manager meets among downloads: one line, status 1, no OUTPUT; and on the
// costliest file at the limit, which it draws.
#include "TestSupport.h"

#include "HostileScenarios.h"
#include "Thumbnailer.h"

#include <sstream>

namespace tessel::test {
namespace {

constexpr int64_t ScenarioLimit = 4 * 1024 * 1024;

TEST(ThumbnailerSizeLimit, ALargerFileFailsInOneLineAndTheCostliestAtTheLimitIsDrawn)
{
    TempDir dir;
    const std::string over = dir.File("over_limit.pud");
    hostile::WriteEmptyChunksAfterMap(over, ScenarioLimit + 1);
    const std::string huge = dir.File("side_32767.pud");
    hostile::WriteMapOfSide(huge, 32767);
    const std::string atLimit = dir.File("at_limit.pud");
    hostile::WriteStackedUnits(atLimit, ScenarioLimit, 256);
    const std::string output = dir.File("thumbnail.png");

    for (const std::string& input : {over, huge}) {
        SCOPED_TRACE(input);
        std::ostringstream out, err;
        EXPECT_EQ(thumbnailer::RunThumbnailer({"-s", "256", input, output}, "", out, err), thumbnailer::ExitFailure);
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(err.str(), "tessel-thumbnailer: " + input + ": Error: Invalid PUD (file larger than 4 MiB).\n");
        EXPECT_FALSE(FileExists(output));
    }
    std::ostringstream out, err;
    EXPECT_EQ(thumbnailer::RunThumbnailer({"-s", "256", atLimit, output}, "", out, err), thumbnailer::ExitSuccess);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(DecodePng(output).Width, 256u);
}

}  // namespace
}  // namespace tessel::test
