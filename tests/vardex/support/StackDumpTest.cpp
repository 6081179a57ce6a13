#include "vardex/support/sstackdump.h"

#include <gtest/gtest.h>

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

TEST(StackDump, AnAddressOutsideEveryModule)
{
    const std::string line = CSymbolEngine::FormatAddress(0x10).GetString();
    EXPECT_EQ(line, "0x" + std::string(2 * sizeof(void*) - 2, '0') +
                        "10 <unknown module>: <unknown symbol>\n");
}

} // namespace
