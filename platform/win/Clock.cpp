#include "platform/win/Clock.h"

#include <mutex>
#include <thread>

namespace win {
namespace {

struct ClockState
{
    std::mutex mutex;
    bool frozen = false;
    std::chrono::system_clock::time_point frozenAt;
    std::chrono::system_clock::duration offset{};
};

ClockState& State()
{
    static ClockState state;
    return state;
}

std::chrono::system_clock::time_point NowLocked(const ClockState& state)
{
    return state.frozen ? state.frozenAt : std::chrono::system_clock::now() + state.offset;
}

} // namespace

std::chrono::system_clock::time_point Clock::Now()
{
    auto& state = State();
    std::lock_guard lock(state.mutex);
    return NowLocked(state);
}

void Clock::Advance(std::chrono::milliseconds step)
{
    auto& state = State();
    std::lock_guard lock(state.mutex);
    if (state.frozen)
        state.frozenAt += step;
    else
        state.offset += step;
}

void Clock::Freeze()
{
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.frozenAt = NowLocked(state);
    state.frozen = true;
}

void Clock::Unfreeze()
{
    auto& state = State();
    std::lock_guard lock(state.mutex);
    if (!state.frozen)
        return;
    state.offset = state.frozenAt - std::chrono::system_clock::now();
    state.frozen = false;
}

void Clock::Reset()
{
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.frozen = false;
    state.offset = {};
}

bool Clock::IsFrozen()
{
    auto& state = State();
    std::lock_guard lock(state.mutex);
    return state.frozen;
}

void Sleep(std::chrono::milliseconds duration)
{
    if (Clock::IsFrozen())
        Clock::Advance(duration);
    else
        std::this_thread::sleep_for(duration);
}

} // namespace win
