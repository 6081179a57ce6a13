#include "platform/win/End.h"

#include <mutex>
#include <unistd.h>
#include <vector>

namespace win {
namespace {

std::mutex& HandlerMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::function<void(int)>& Handler()
{
    static std::function<void(int)> handler;
    return handler;
}

std::vector<std::function<void()>>& EndSteps()
{
    static std::vector<std::function<void()>> steps;
    return steps;
}

} // namespace

void End(int code)
{
    std::function<void(int)> handler;
    std::vector<std::function<void()>> steps;
    {
        std::lock_guard lock(HandlerMutex());
        handler = Handler();
        steps = EndSteps();
    }
    if (handler)
        handler(code);
    for (const auto& step : steps) {
        try {
            step();
        } catch (...) {
            // A step that fails does not keep the program from ending.
        }
    }
    _exit(code);
}

void AddEndStep(std::function<void()> step)
{
    std::lock_guard lock(HandlerMutex());
    EndSteps().push_back(std::move(step));
}

void SetEndHandler(std::function<void(int)> handler)
{
    std::lock_guard lock(HandlerMutex());
    Handler() = std::move(handler);
}

void ThrowEndCalled(int code)
{
    throw EndCalled(code);
}

} // namespace win
