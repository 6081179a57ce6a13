// A heap-allocator library that lacks the reallocation entry, counting its calls.

#include <atomic>
#include <cstddef>
#include <cstdlib>

namespace {
std::atomic<long> g_calls{0};
}

extern "C" {

void* vxHeapAlloc(std::size_t bytes)
{
    ++g_calls;
    return std::malloc(bytes);
}

void vxHeapFree(void* p)
{
    ++g_calls;
    std::free(p);
}

long vxHeapTestCalls()
{
    return g_calls;
}
}
