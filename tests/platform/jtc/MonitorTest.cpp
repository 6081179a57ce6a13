#include "platform/jtc/JTC.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Waits (bounded) until `flag` is set; false when it never was.
bool eventually(const std::atomic<bool>& flag)
{
    for (int i = 0; i < 500 && !flag; ++i)
        std::this_thread::sleep_for(10ms);
    return flag;
}

TEST(JTCMonitor, HolderReentersAndOthersWaitForTheLastUnlock)
{
    JTCMonitor monitor;
    monitor.lock();
    monitor.lock();
    std::atomic<bool> acquired{false};
    std::thread other([&] {
        JTCSynchronized sync(monitor);
        acquired = true;
    });
    monitor.unlock();
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(acquired) << "the monitor was taken while its holder still had one level";
    monitor.unlock();
    other.join();
    EXPECT_TRUE(acquired);
}

TEST(JTCMonitor, WaitGivesUpEveryLevelAndRestoresThem)
{
    JTCMonitor monitor;
    bool ready = false;
    std::atomic<bool> woke{false}, holding{false};
    std::thread waiter([&] {
        monitor.lock();
        monitor.lock();
        holding = true;
        while (!ready)
            monitor.wait();
        woke = true;
        // Both levels are held again: two unlocks succeed, a third is refused.
        monitor.unlock();
        monitor.unlock();
        EXPECT_THROW(monitor.unlock(), JTCIllegalMonitorStateException);
    });
    ASSERT_TRUE(eventually(holding));
    {
        JTCSynchronized sync(monitor); // possible only because wait() released both levels
        ready = true;
        monitor.notify();
    }
    waiter.join();
    EXPECT_TRUE(woke);
}

TEST(JTCMonitor, TimedWaitReportsTimeoutAndNotification)
{
    JTCMonitor monitor;
    {
        JTCSynchronized sync(monitor);
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(monitor.wait(60));
        EXPECT_GE(std::chrono::steady_clock::now() - start, 55ms);
    }

    std::atomic<bool> waiting{false};
    bool notifiedInTime = false;
    bool done = false;
    std::thread waiter([&] {
        JTCSynchronized sync(monitor);
        waiting = true;
        while (!done)
            notifiedInTime = monitor.wait(10000);
    });
    ASSERT_TRUE(eventually(waiting));
    {
        JTCSynchronized sync(monitor);
        done = true;
        monitor.notify();
    }
    waiter.join();
    EXPECT_TRUE(notifiedInTime);
}

TEST(JTCMonitor, NotifyAllWakesEveryWaiter)
{
    JTCMonitor monitor;
    int waiting = 0;
    bool go = false;
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 5; ++i)
        waiters.emplace_back([&] {
            JTCSynchronized sync(monitor);
            ++waiting;
            monitor.notifyAll();
            while (!go)
                monitor.wait();
            ++woken;
        });
    {
        JTCSynchronized sync(monitor);
        while (waiting < 5)
            monitor.wait(100);
        go = true;
        monitor.notifyAll();
    }
    for (auto& t : waiters)
        t.join();
    EXPECT_EQ(woken.load(), 5);
}

TEST(JTCMonitor, OperationsWithoutHoldingItAreRefused)
{
    JTCMonitor monitor;
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"unlock", [&] { monitor.unlock(); }},       {"wait", [&] { monitor.wait(); }},
        {"timed wait", [&] { monitor.wait(10); }},   {"notify", [&] { monitor.notify(); }},
        {"notifyAll", [&] { monitor.notifyAll(); }},
    };
    for (const auto& [name, operation] : cases)
        EXPECT_THROW(operation(), JTCIllegalMonitorStateException) << name;

    // Held by another thread counts as not held.
    std::atomic<bool> held{false}, release{false};
    std::thread holder([&] {
        JTCSynchronized sync(monitor);
        held = true;
        while (!release)
            std::this_thread::sleep_for(1ms);
    });
    ASSERT_TRUE(eventually(held));
    for (const auto& [name, operation] : cases)
        EXPECT_THROW(operation(), JTCIllegalMonitorStateException) << name << " (other holder)";
    release = true;
    holder.join();
}

TEST(JTCRecursiveMutex, ReentryTrylockAndForeignUnlock)
{
    JTCRecursiveMutex mutex;
    mutex.lock();
    EXPECT_TRUE(mutex.trylock());
    std::thread([&] {
        EXPECT_FALSE(mutex.trylock());
        EXPECT_THROW(mutex.unlock(), JTCIllegalMonitorStateException);
    }).join();
    mutex.unlock();
    std::thread([&] { EXPECT_FALSE(mutex.trylock()); }).join();
    mutex.unlock();
    std::thread([&] {
        EXPECT_TRUE(mutex.trylock());
        mutex.unlock();
    }).join();
    EXPECT_THROW(mutex.unlock(), JTCIllegalMonitorStateException);
}

TEST(JTCSynchronized, ReleasesOnEveryPathOut)
{
    JTCRecursiveMutex mutex;
    JTCMonitor monitor;
    try {
        JTCSynchronized a(mutex);
        JTCSynchronized b(monitor);
        throw std::runtime_error("leave the scope");
    } catch (const std::runtime_error&) {
    }
    std::thread([&] {
        EXPECT_TRUE(mutex.trylock());
        mutex.unlock();
        JTCSynchronized again(monitor); // would block forever if still held
    }).join();
}

TEST(JTCRecursiveMutex, ExcludesOtherThreads)
{
    JTCRecursiveMutex mutex;
    long counter = 0;
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                JTCSynchronized outer(mutex);
                JTCSynchronized inner(mutex);
                ++counter;
            }
        });
    for (auto& w : workers)
        w.join();
    EXPECT_EQ(counter, 80000);
}

} // namespace
