// A heap-allocator library with all three entries over malloc, counting its calls.
// vxHeapTestFailNext makes the next allocation or reallocation fail.

#include <atomic>
#include <cstddef>
#include <cstdlib>

namespace {
std::atomic<long> g_allocs{0}, g_frees{0}, g_reallocs{0};
std::atomic<bool> g_failNext{false};
} // namespace

extern "C" {

void* vxHeapAlloc(std::size_t bytes)
{
    if (g_failNext.exchange(false))
        return nullptr;
    ++g_allocs;
    return std::malloc(bytes);
}

void vxHeapFree(void* p)
{
    ++g_frees;
    std::free(p);
}

void* vxHeapRealloc(void* p, std::size_t bytes)
{
    if (g_failNext.exchange(false))
        return nullptr;
    ++g_reallocs;
    return std::realloc(p, bytes);
}

void vxHeapTestCounts(long* allocs, long* frees, long* reallocs)
{
    *allocs = g_allocs;
    *frees = g_frees;
    *reallocs = g_reallocs;
}

void vxHeapTestFailNext()
{
    g_failNext = true;
}
}
