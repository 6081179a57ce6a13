// Built three times: HEAP_SCENARIO_NONE (no heap-allocator library), HEAP_SCENARIO_FULL (one
// with all three entries) and HEAP_SCENARIO_PARTIAL (one lacking vxHeapRealloc).

#include "vardex/support/scontainers.h"
#include "vardex/support/sheap.h"
#include "vardex/support/sstring.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <stdlib.h>

#include <thread>
#include <vector>

namespace {

// The heap-allocator library if the loader finds one (without loading it for the hooks).
void* FindLibrary()
{
    return dlopen("vxheapalloc.dll", RTLD_NOW | RTLD_LOCAL);
}

void ExerciseStrings()
{
    SIArray<SString> texts;
    for (int i = 0; i < 100; ++i) {
        SString s("item ");
        s.AppendNumber(int32_t(i));
        texts.ElementAt(texts.Add(s)).Append(" and more text to make it grow past its slack");
    }
    SStringW wide("wide text");
    SIArray<int32_t> numbers;
    numbers.SetSize(1000);
    numbers.SetAt(999, 3);
    SIMap<SStringBinary, int32_t> index;
    SISet<SStringCaseInsensitive> names;
    for (int32_t i = 0; i < 50; ++i) {
        index.SetAt(texts[i], i);
        names.Insert(texts[i]);
    }
    EXPECT_EQ(numbers.GetAt(999), 3);
    EXPECT_EQ(index.GetCount(), 50);
    EXPECT_EQ(names.GetCount(), 50);
    EXPECT_EQ(texts[42].Left(7).GetString(), std::string("item 42"));
    EXPECT_EQ(wide.GetLength(), 9);
}

TEST(SHeap, BindsOnceEvenWhenThreadsStartTogether)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([] { SHeapFree(SHeapAlloc(16)); });
    for (auto& t : threads)
        t.join();
    const SHeapHooks a = SHeapBoundHooks();
    const SHeapHooks b = SHeapBoundHooks();
    EXPECT_EQ(a.allocate, b.allocate);
    EXPECT_EQ(a.free, b.free);
    EXPECT_EQ(a.reallocate, b.reallocate);
}

#if defined(HEAP_SCENARIO_FULL)

using CountsFn = void (*)(long*, long*, long*);

struct Counts
{
    long allocs, frees, reallocs;
    long live() const { return allocs - frees; }
};

Counts Read()
{
    static auto counts = reinterpret_cast<CountsFn>(dlsym(FindLibrary(), "vxHeapTestCounts"));
    Counts c{};
    counts(&c.allocs, &c.frees, &c.reallocs);
    return c;
}

TEST(SHeap, UsesTheHeapAllocatorLibraryWithAllThreeEntries)
{
    void* library = FindLibrary();
    ASSERT_NE(library, nullptr);
    const SHeapHooks hooks = SHeapBoundHooks();
    EXPECT_EQ(reinterpret_cast<void*>(hooks.allocate), dlsym(library, "vxHeapAlloc"));
    EXPECT_EQ(reinterpret_cast<void*>(hooks.free), dlsym(library, "vxHeapFree"));
    EXPECT_EQ(reinterpret_cast<void*>(hooks.reallocate), dlsym(library, "vxHeapRealloc"));

    const Counts before = Read();
    ExerciseStrings();
    const Counts after = Read();
    EXPECT_GE(after.allocs - before.allocs, 100);
    EXPECT_EQ(after.live(), before.live()) << "every block went back through the free hook";
}

TEST(SHeap, AppendsGrowGeometrically)
{
    SString s;
    const Counts before = Read();
    for (int i = 0; i < 20000; ++i)
        s.AppendChar('x');
    const Counts after = Read();
    EXPECT_EQ(s.GetLength(), 20000);
    EXPECT_LE((after.allocs - before.allocs) + (after.reallocs - before.reallocs), 16);
}

TEST(SHeap, FailedAllocationRaisesBadAlloc)
{
    auto failNext = reinterpret_cast<void (*)()>(dlsym(FindLibrary(), "vxHeapTestFailNext"));
    ASSERT_NE(failNext, nullptr);

    failNext();
    EXPECT_THROW(SString("needs a buffer"), std::bad_alloc);

    // A failed reallocation leaves the string as it was.
    SString s("abc");
    s.Append(std::string(40, 'd').c_str()); // own buffer, grown in place from now on
    const std::string before(s.GetString());
    failNext();
    EXPECT_THROW(s.Append(std::string(200, 'e').c_str()), std::bad_alloc);
    EXPECT_EQ(std::string(s.GetString()), before);
    EXPECT_EQ(s.GetRefCount(), 1);
    s.Append("f");
    EXPECT_EQ(std::string(s.GetString()), before + "f");

    failNext();
    EXPECT_THROW((std::vector<int, SHeapAllocator<int>>(10)), std::bad_alloc);
}

#else

TEST(SHeap, FallsBackToTheRuntimeHeap)
{
    void* library = FindLibrary();
#if defined(HEAP_SCENARIO_PARTIAL)
    // The library is there and has two of the three entries: it is not used.
    ASSERT_NE(library, nullptr);
    EXPECT_NE(dlsym(library, "vxHeapAlloc"), nullptr);
    EXPECT_EQ(dlsym(library, "vxHeapRealloc"), nullptr);
    auto calls = reinterpret_cast<long (*)()>(dlsym(library, "vxHeapTestCalls"));
    ASSERT_NE(calls, nullptr);
#else
    EXPECT_EQ(library, nullptr) << "no heap-allocator library may be found in this scenario";
#endif
    const SHeapHooks hooks = SHeapBoundHooks();
    EXPECT_EQ(hooks.allocate, &::malloc);
    EXPECT_EQ(hooks.free, &::free);
    EXPECT_EQ(hooks.reallocate, &::realloc);
    ExerciseStrings();
#if defined(HEAP_SCENARIO_PARTIAL)
    EXPECT_EQ(calls(), 0);
#endif
}

#endif

} // namespace
