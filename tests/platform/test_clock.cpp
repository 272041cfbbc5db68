// timeGetTime drives the engine's frame clock: it must never go back and
// must count milliseconds.

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(Clock, NeverGoesBack)
{
    DWORD previous = timeGetTime();
    for (int i = 0; i < 100000; ++i) {
        const DWORD now = timeGetTime();
        // Unsigned difference, as callers take it: a wrap at 2^32 between two
        // reads still counts as forward, a step back shows as ~4e9.
        ASSERT_LT(static_cast<DWORD>(now - previous), 60000u) << "at read " << i;
        previous = now;
    }
}

TEST(Clock, CountsMilliseconds)
{
    const DWORD start = timeGetTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const DWORD elapsed = timeGetTime() - start;
    EXPECT_GE(elapsed, 40u);
    EXPECT_LE(elapsed, 500u);
}

} // namespace
