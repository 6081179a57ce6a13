#include "platform/win/End.h"

#include <mutex>
#include <unistd.h>

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

} // namespace

void End(int code)
{
    std::function<void(int)> handler;
    {
        std::lock_guard lock(HandlerMutex());
        handler = Handler();
    }
    if (handler)
        handler(code);
    _exit(code);
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
