#include "vardex/support/sheap.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>
#include <stdlib.h>

namespace {

// The heap-allocator library of the report-server installation and its entries.
constexpr const char* kHeapLibrary = "vxheapalloc.dll";
constexpr const char* kAllocEntry = "vxHeapAlloc";
constexpr const char* kFreeEntry = "vxHeapFree";
constexpr const char* kReallocEntry = "vxHeapRealloc";

void* BindingAlloc(std::size_t bytes);
void BindingFree(void* p);
void* BindingRealloc(void* p, std::size_t bytes);

// Until bound, the hooks point at entries that bind them and then forward the call.
std::atomic<SHeapAllocFn> g_allocate{&BindingAlloc};
std::atomic<SHeapFreeFn> g_free{&BindingFree};
std::atomic<SHeapReallocFn> g_reallocate{&BindingRealloc};
std::mutex g_bindLock;
bool g_bound = false;

void BindHooks()
{
    std::lock_guard guard(g_bindLock);
    if (g_bound)
        return;
    SHeapHooks hooks{&::malloc, &::free, &::realloc}; // the C run-time heap
    if (void* library = dlopen(kHeapLibrary, RTLD_NOW | RTLD_LOCAL)) {
        auto allocate = reinterpret_cast<SHeapAllocFn>(dlsym(library, kAllocEntry));
        auto free = reinterpret_cast<SHeapFreeFn>(dlsym(library, kFreeEntry));
        auto reallocate = reinterpret_cast<SHeapReallocFn>(dlsym(library, kReallocEntry));
        if (allocate && free && reallocate)
            hooks = {allocate, free, reallocate}; // the library stays loaded for good
        else
            dlclose(library);
    }
    g_allocate.store(hooks.allocate, std::memory_order_release);
    g_free.store(hooks.free, std::memory_order_release);
    g_reallocate.store(hooks.reallocate, std::memory_order_release);
    g_bound = true;
}

void* BindingAlloc(std::size_t bytes)
{
    BindHooks();
    return g_allocate.load(std::memory_order_acquire)(bytes);
}
void BindingFree(void* p)
{
    BindHooks();
    g_free.load(std::memory_order_acquire)(p);
}
void* BindingRealloc(void* p, std::size_t bytes)
{
    BindHooks();
    return g_reallocate.load(std::memory_order_acquire)(p, bytes);
}

} // namespace

void* SHeapAlloc(std::size_t bytes)
{
    void* p = g_allocate.load(std::memory_order_acquire)(bytes ? bytes : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void SHeapFree(void* p)
{
    if (p)
        g_free.load(std::memory_order_acquire)(p);
}

void* SHeapRealloc(void* p, std::size_t bytes)
{
    void* q = g_reallocate.load(std::memory_order_acquire)(p, bytes ? bytes : 1);
    if (!q)
        throw std::bad_alloc();
    return q;
}

SHeapHooks SHeapBoundHooks()
{
    BindHooks();
    return {g_allocate.load(std::memory_order_acquire), g_free.load(std::memory_order_acquire),
            g_reallocate.load(std::memory_order_acquire)};
}
