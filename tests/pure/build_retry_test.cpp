// When the change watcher tries again after builds that did not complete.

#include <gtest/gtest.h>

#include "catalogue/build_retry.h"

namespace {

// At the program's watch interval of 5 s; the tick count wraps around on the way.
TEST(BuildRetry, DoublesTheWaitAfterEachFailedBuildUpToFiveMinutesAndBuildsAChangeAtOnce)
{
    build_retry retry;
    uint32_t now = 0xFFFF0000u;
    for (uint32_t delay : {5000u, 10000u, 20000u, 40000u, 80000u, 160000u, 300000u, 300000u}) {
        retry = after_build(retry, false, now, 5000);
        EXPECT_EQ(retry.delay_ms, delay);
        EXPECT_FALSE(rebuild_due(retry, false, now + delay - 1)) << delay;
        EXPECT_TRUE(rebuild_due(retry, true, now + 1)) << "a change waited for the back-off";
        now += delay;
        EXPECT_TRUE(rebuild_due(retry, false, now)) << delay;
    }
    retry = after_build(retry, true, now, 5000);
    EXPECT_FALSE(rebuild_due(retry, false, now + 600000)) << "a complete build was built again unchanged";
    EXPECT_TRUE(rebuild_due(retry, true, now));
    EXPECT_EQ(after_build(retry, false, now, 5000).delay_ms, 5000u) << "the next failure waits the interval again";
}

}  // namespace
