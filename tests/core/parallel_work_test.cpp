#include "core/ParallelWork.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace sonavel {
namespace {

TEST(ParallelWorkTest, EveryIndexRunsOnceAndTheLowestFailureIsRethrown) {
    for (const unsigned threads : {1U, 2U, 8U}) {
        const TThreadLimit limit(threads);
        EXPECT_LE(WorkerThreads(), threads);
        std::vector<std::atomic<int>> runs(1000);
        ParallelFor(runs.size(), [&](std::size_t i) { runs[i].fetch_add(1); });
        for (const auto& r : runs) {
            ASSERT_EQ(r.load(), 1);
        }
        ParallelFor(0, [](std::size_t) { FAIL(); });

        try {
            ParallelFor(100, [](std::size_t i) {
                if (i == 7 || i == 40) {
                    throw std::runtime_error(std::to_string(i));
                }
            });
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "7");
        }
    }
}

TEST(ParallelWorkTest, ProgressRunsForwardToTheTotalAndStopsOnCancel) {
    const TThreadLimit limit(4);
    {
        TParallelProgress progress(400);
        std::atomic<bool> backwards{false};
        ParallelFor(400, [&](std::size_t) {
            const std::uint32_t before = ProgressPosition.load();
            progress.Advance(1);
            if (ProgressPosition.load() < before) {
                backwards = true;
            }
        });
        EXPECT_FALSE(backwards);
        EXPECT_EQ(ProgressPosition.load(), 400U);
    }
    const TCancellable cancellable;
    TParallelProgress progress(100);
    std::atomic<int> ran{0};
    EXPECT_THROW(ParallelFor(100,
                             [&](std::size_t i) {
                                 if (i == 10) {
                                     RequestCancel();
                                 }
                                 ++ran;
                                 progress.Advance(1);
                             }),
                 TCancelled);
    EXPECT_LT(ran.load(), 100);
}

}  // namespace
}  // namespace sonavel
