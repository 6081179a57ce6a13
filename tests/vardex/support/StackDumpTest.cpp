#include "vardex/support/sstackdump.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>
#include <thread>

namespace {

__attribute__((noinline)) SString DumpFromHere()
{
    SStackDump dump;
    SString text;
    EXPECT_TRUE(dump.DumpCurrentStack(text));
    asm volatile("" ::: "memory"); // keeps this frame on the stack
    return text;
}

TEST(StackDump, NamesTheCallersFunctionAndFile)
{
    const std::string text = DumpFromHere().GetString();
    EXPECT_NE(text.find("test_support_stackdump: (anonymous namespace)::DumpFromHere()"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("StackDumpTest.cpp, Line "), std::string::npos) << text;
    EXPECT_EQ(text.find("0x"), 0u);
    EXPECT_EQ(text.find(' '), 2 + 2 * sizeof(void*)) << "addresses at the full width of a pointer";
}

TEST(StackDump, OneEnginePerThreadWhileHeld)
{
    SStackDump outer;
    {
        SStackDump inner;
        EXPECT_EQ(inner.Engine(), outer.Engine());
    }
    CSymbolEngine* engine = outer.Engine();
    std::thread([engine] {
        SStackDump other;
        EXPECT_NE(other.Engine(), engine);
    }).join();
}

TEST(StackDump, AnAddressInAModuleWithoutItsSymbol)
{
    // The first bytes of a loaded library (its file header) belong to no symbol.
    void* library = dlopen(SECOND_COPY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    link_map* map = nullptr;
    ASSERT_EQ(dlinfo(library, RTLD_DI_LINKMAP, &map), 0);
    const std::string line = CSymbolEngine::FormatAddress(map->l_addr + 8).GetString();
    EXPECT_NE(line.find(" libtest_second_copy.so: <unknown symbol>\n"), std::string::npos) << line;
    dlclose(library);
}

TEST(StackDump, AnAddressOutsideEveryModule)
{
    const std::string line = CSymbolEngine::FormatAddress(0x10).GetString();
    EXPECT_EQ(line, "0x" + std::string(2 * sizeof(void*) - 2, '0') +
                        "10 <unknown module>: <unknown symbol>\n");
}

} // namespace
