#include "vardex/support/sreshelper.h"

#include "vardex/support/sstring.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <unistd.h>

namespace {

const char* const kKeyVariable = "JTCTLSK";

// The key named by the variable when this process made it: "key:pid". A program started by a
// host inherits the host's value, whose key means nothing (or another library's data) here.
uint32_t SharedKey()
{
    const char* shared = std::getenv(kKeyVariable);
    const char* colon = shared ? std::strchr(shared, ':') : nullptr;
    if (!colon)
        return 0;
    uint32_t value = 0, creator = 0;
    if (!SStringConv::ToULong(SString(shared, colon).GetString(), value) ||
        !SStringConv::ToULong(colon + 1, creator) || creator != uint32_t(getpid()))
        return 0;
    return value;
}

uint32_t SetUpKey()
{
    // pthread keys start at 0, which reads as "no key": the variable carries the key plus one.
    if (const uint32_t value = SharedKey(); value > 0)
        return value;
    pthread_key_t key{};
    if (pthread_key_create(&key, nullptr) != 0)
        return 0;
    const uint32_t value = uint32_t(key) + 1;
    // Set once, never unset: clearing it while other threads read the environment is a race.
    const SString published =
        SStringConv::ToString(value) + ":" + SStringConv::ToString(uint32_t(getpid()));
    setenv(kKeyVariable, published.GetString(), 1);
    return value;
}

} // namespace

namespace SResHelper {

uint32_t ThreadKey()
{
    static std::once_flag once;
    static uint32_t key = 0;
    std::call_once(once, [] { key = SetUpKey(); });
    return key;
}

SResHandles* GetThreadRecord()
{
    const uint32_t key = ThreadKey();
    return key ? static_cast<SResHandles*>(pthread_getspecific(pthread_key_t(key - 1))) : nullptr;
}

void SetThreadRecord(SResHandles* record)
{
    if (const uint32_t key = ThreadKey())
        pthread_setspecific(pthread_key_t(key - 1), record);
}

} // namespace SResHelper

namespace {
// The key is set up when the library loads: publishing it changes the environment, which another
// thread reading it at that moment (getenv) could find freed.
[[maybe_unused]] const uint32_t g_keyAtLoad = SResHelper::ThreadKey();
} // namespace
