#pragma once

#include <chrono>

// The one clock of the program. Tests freeze it and move it, so that long waits take no real time.
namespace win {

class Clock
{
public:
    // The real time plus every advance; while frozen, the frozen time plus every advance.
    static std::chrono::system_clock::time_point Now();
    static void Advance(std::chrono::milliseconds step);
    // From now on, time moves only through Advance (and Sleep).
    static void Freeze();
    // Time runs again from the point it had reached.
    static void Unfreeze();
    // Back to the real time, not frozen.
    static void Reset();
    static bool IsFrozen();
};

// Sleeps for the duration; on a frozen clock, advances it instead.
void Sleep(std::chrono::milliseconds duration);

} // namespace win
