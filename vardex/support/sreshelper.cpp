#include "vardex/support/sreshelper.h"

#include "vardex/support/sstring.h"

#include <cstdlib>
#include <mutex>
#include <pthread.h>

namespace {

const char* const kKeyVariable = "JTCTLSK";

uint32_t SetUpKey()
{
    // pthread keys start at 0, which reads as "no key": the variable carries the key plus one.
    if (const char* shared = std::getenv(kKeyVariable); shared && *shared) {
        uint32_t value = 0;
        if (SStringConv::ToULong(shared, value) && value > 0)
            return value;
    }
    pthread_key_t key{};
    if (pthread_key_create(&key, nullptr) != 0)
        return 0;
    const uint32_t value = uint32_t(key) + 1;
    // Set once, never unset: clearing it while other threads read the environment is a race.
    setenv(kKeyVariable, SStringConv::ToString(value).GetString(), 1);
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
