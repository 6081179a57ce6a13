#pragma once
// Heap hooks: all memory of the library's strings and containers comes from
// three hooks (allocate, free, reallocate). On first use they are bound, once
// per process, to the heap-allocator library "vxheapalloc.dll" when it can be
// loaded and exports all three entries, and to the C run-time heap otherwise.

#include <cstddef>
#include <limits>
#include <new>

using SHeapAllocFn = void* (*)(std::size_t bytes);
using SHeapFreeFn = void (*)(void* p);
using SHeapReallocFn = void* (*)(void* p, std::size_t bytes);

struct SHeapHooks
{
    SHeapAllocFn allocate;
    SHeapFreeFn free;
    SHeapReallocFn reallocate;
};

// Allocates through the hooks; throws std::bad_alloc rather than returning null.
void* SHeapAlloc(std::size_t bytes);
// Frees through the hooks; a null pointer is ignored.
void SHeapFree(void* p);
// Reallocates through the hooks; throws std::bad_alloc (leaving `p` valid) on failure.
void* SHeapRealloc(void* p, std::size_t bytes);

// The entries the hooks are bound to (binding them first when needed).
SHeapHooks SHeapBoundHooks();

// Standard-library allocator over the hooks, for the containers' storage.
template <class T> class SHeapAllocator
{
public:
    using value_type = T;

    SHeapAllocator() noexcept = default;
    template <class U> SHeapAllocator(const SHeapAllocator<U>&) noexcept {}

    T* allocate(std::size_t n)
    {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(SHeapAlloc(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t) noexcept { SHeapFree(p); }

    template <class U> bool operator==(const SHeapAllocator<U>&) const noexcept { return true; }
};
