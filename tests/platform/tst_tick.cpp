// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/tick.h"

using namespace kv::platform;

TEST(Tick, ReachedAcrossTheWrapAround) {
    // A deadline 10 ms after 0xFFFFFFF8 lies at 2 after the wrap.
    const uint32_t start = 0xFFFFFFF8u;
    const uint32_t deadline = start + 10;
    EXPECT_EQ(deadline, 2u);
    EXPECT_FALSE(tickReached(start, deadline));
    EXPECT_FALSE(tickReached(0xFFFFFFFFu, deadline));
    EXPECT_FALSE(tickReached(1u, deadline));
    EXPECT_TRUE(tickReached(2u, deadline));
    EXPECT_TRUE(tickReached(3u, deadline));
    EXPECT_EQ(tickElapsed(5u, start), 13u);
}

TEST(Tick, ManualClockReplacesTheRealOneAndBusyWaitsAdvanceIt) {
    ManualClock clock(0xFFFFFF00u);
    TickSource *previous = setTickSource(&clock);
    EXPECT_EQ(tickMs(), 0xFFFFFF00u);
    const uint32_t start = tickMs();
    // A 300 ms busy wait ends after 300 idles, wrapping past zero.
    int idles = 0;
    while (tickElapsed(tickMs(), start) < 300) {
        tickIdle();
        ++idles;
    }
    EXPECT_EQ(idles, 300);
    EXPECT_EQ(tickMs(), 0x2Cu);
    setTickSource(previous);
}

TEST(Tick, RealTickMovesForward) {
    const uint32_t a = tickMs();
    for (int i = 0; i < 30; ++i)
        tickIdle();
    EXPECT_TRUE(tickReached(tickMs(), a));
}
