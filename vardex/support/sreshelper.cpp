#include "vardex/support/sreshelper.h"

#include "vardex/support/sstring.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <sys/auxv.h>
#include <unistd.h>

namespace {

const char* const kKeyVariable = "JTCTLSK";

// Whether the text is one of those the kernel copied into this program image when it started
// it: the arguments and the environment, which lie between the 16 random bytes (AT_RANDOM) and
// the program's file name (AT_EXECFN) at the top of the first stack. A value found there came
// from the program image before; one this image published lives in memory setenv allocated.
bool CameWithTheImage(const char* text)
{
    const unsigned long low = getauxval(AT_RANDOM);
    const unsigned long high = getauxval(AT_EXECFN);
    const auto at = reinterpret_cast<unsigned long>(text);
    return low && high && at > low && at < high;
}

// The key named by the variable when this program image made it: "key:pid". A program started
// by a host inherits the host's value, whose key means nothing (or another library's data)
// here: with fork its process id differs; with exec alone the pid is the same, but the value
// came with the image.
uint32_t SharedKey()
{
    const char* shared = std::getenv(kKeyVariable);
    const char* colon = shared ? std::strchr(shared, ':') : nullptr;
    if (!colon || CameWithTheImage(shared))
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
