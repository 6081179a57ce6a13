#pragma once

#include <chrono>
#include <functional>
#include <thread>

// Polls the condition until it holds or the time is up; true when it held.
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
