#include "platform/win/Clock.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using win::Clock;

std::chrono::milliseconds Distance(std::chrono::system_clock::time_point a,
                                   std::chrono::system_clock::time_point b)
{
    return std::chrono::abs(std::chrono::duration_cast<std::chrono::milliseconds>(a - b));
}

class ClockTest : public ::testing::Test
{
protected:
    void TearDown() override { Clock::Reset(); }
};

TEST_F(ClockTest, RunsWithTheRealTime)
{
    EXPECT_LT(Distance(Clock::Now(), std::chrono::system_clock::now()), 1s);
    EXPECT_FALSE(Clock::IsFrozen());
}

TEST_F(ClockTest, FrozenTimeMovesOnlyByAdvance)
{
    Clock::Freeze();
    const auto start = Clock::Now();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(Clock::Now(), start);
    Clock::Advance(16s);
    EXPECT_EQ(Clock::Now() - start, 16s);
}

TEST_F(ClockTest, SleepOnAFrozenClockTakesNoRealTime)
{
    Clock::Freeze();
    const auto start = Clock::Now();
    const auto realStart = std::chrono::steady_clock::now();
    win::Sleep(16s);
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, 1s);
    EXPECT_EQ(Clock::Now() - start, 16s);
}

TEST_F(ClockTest, SleepOnARunningClockWaits)
{
    const auto realStart = std::chrono::steady_clock::now();
    win::Sleep(50ms);
    EXPECT_GE(std::chrono::steady_clock::now() - realStart, 50ms);
}

TEST_F(ClockTest, AdvanceOnARunningClockShiftsIt)
{
    Clock::Advance(1h);
    EXPECT_LT(Distance(Clock::Now(), std::chrono::system_clock::now() + 1h), 1s);
    Clock::Reset();
    EXPECT_LT(Distance(Clock::Now(), std::chrono::system_clock::now()), 1s);
}

TEST_F(ClockTest, UnfreezeRunsOnFromTheFrozenPoint)
{
    Clock::Freeze();
    Clock::Advance(24h);
    const auto frozenAt = Clock::Now();
    Clock::Unfreeze();
    std::this_thread::sleep_for(30ms);
    const auto later = Clock::Now();
    EXPECT_GE(later - frozenAt, 30ms);
    EXPECT_LT(later - frozenAt, 1s);
    Clock::Reset();
    EXPECT_FALSE(Clock::IsFrozen());
    EXPECT_LT(Distance(Clock::Now(), std::chrono::system_clock::now()), 1s);
}

} // namespace
