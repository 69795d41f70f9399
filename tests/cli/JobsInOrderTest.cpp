// The worker pool behind render and gallery: outcomes come in job order
// whatever the workers and the jobs' lengths. (That every run ends on
// Windows, where a worker once missed the word to start, the Windows
// programs test checks with many renders, each a fresh process.)
#include "TestSupport.h"

#include "JobsInOrder.h"

#include <chrono>
#include <thread>

namespace tessel::test {
namespace {

struct Done {
    std::size_t Index = 0;
    bool Written = false;
};

std::vector<std::size_t> ReportedOrder(std::size_t jobs, std::size_t workers,
                                       std::chrono::microseconds (*length)(std::size_t))
{
    cli::JobsInOrder<Done> run(jobs, workers, [&](std::size_t index) {
        std::this_thread::sleep_for(length(index));
        return Done{index, true};
    });
    std::vector<std::size_t> order;
    const auto report = [&](std::size_t index, const Done& done) {
        EXPECT_EQ(done.Index, index);
        order.push_back(index);
    };
    EXPECT_EQ(run.ReportInOrder(report, [](std::size_t) {}), 0);
    return order;
}

TEST(JobsInOrder, ReportsEveryOutcomeInJobOrderWhateverFinishesFirst)
{
    // Later jobs finish first: each takes less than the one before.
    const auto shorterLater = [](std::size_t index) { return std::chrono::microseconds(2000 / (index + 1)); };
    for (std::size_t workers = 1; workers <= 4; ++workers)
        for (std::size_t jobs = 0; jobs <= 9; ++jobs) {
            std::vector<std::size_t> expected(jobs);
            for (std::size_t k = 0; k < jobs; ++k)
                expected[k] = k;
            EXPECT_EQ(ReportedOrder(jobs, std::min(workers, std::max<std::size_t>(jobs, 1)), shorterLater), expected)
                << jobs << " jobs on " << workers << " workers";
        }
}

}  // namespace
}  // namespace tessel::test
