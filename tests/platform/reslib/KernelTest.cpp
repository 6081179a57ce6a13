#include "platform/reslib/Kernel.h"
#include "tests/platform/com/Exports.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace {

TEST(Kernel, ExpandEnvironmentStrings)
{
    ::setenv("VX_KERNEL_TEST", "/srv/data", 1);
    ::unsetenv("VX_KERNEL_MISSING");
    struct Case
    {
        const char* source;
        const char* expanded;
    };
    const Case cases[] = {
        {"%VX_KERNEL_TEST%/logs", "/srv/data/logs"},
        {"%VX_KERNEL_MISSING%/x", "%VX_KERNEL_MISSING%/x"},
        {"100% of %VX_KERNEL_TEST%", "100% of /srv/data"},
        {"%%", "%%"},
        {"50%", "50%"},
    };
    for (const Case& c : cases) {
        char buffer[64];
        const DWORD needed = ExpandEnvironmentStringsA(c.source, buffer, sizeof buffer);
        EXPECT_EQ(needed, std::string(c.expanded).size() + 1) << c.source;
        EXPECT_STREQ(buffer, c.expanded);
    }
    char small[4] = "abc";
    EXPECT_EQ(ExpandEnvironmentStringsA("%VX_KERNEL_TEST%", small, sizeof small), 10u);
    EXPECT_STREQ(small, "abc") << "nothing written when it does not fit";
}

TEST(Kernel, UpperCaseAndVersion)
{
    char text[] = "\xC3\xA9t\xC3\xA9 a1\xE2\x82\xAC";
    EXPECT_STREQ(CharUpperA(text), "\xC3\x89T\xC3\x89 A1\xE2\x82\xAC");
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_GT(info.dwMajorVersion, 0u);
}

TEST(Kernel, LocalesOfTheUserAndOfEachThread)
{
    ::unsetenv("LC_ALL");
    ::setenv("LC_MESSAGES", "fr_CA.UTF-8", 1);
    ::setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLCID(), 0xC0Cu) << "LC_MESSAGES comes before LANG";
    EXPECT_EQ(GetUserLanguageAbbreviation(), "fr");
    ::setenv("LC_ALL", "C", 1);
    EXPECT_EQ(GetUserDefaultLCID(), 0x409u);
    EXPECT_EQ(GetUserLanguageAbbreviation(), "");
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");

    SetThreadLocale(0x40C);
    std::thread([] {
        EXPECT_EQ(GetThreadLocale(), 0x407u) << "the user's, not the other thread's";
    }).join();
    EXPECT_EQ(GetThreadLocale(), 0x40Cu);
    EXPECT_NE(LocaleOfLcid(0x40C), locale_t(0)) << "the UTF-8 C locale when the system lacks it";
}

// The kernel entries are bound by name at run time; the standard library's instantiations the
// library makes stay inside it.
TEST(Kernel, LibraryExportsItsEntriesOnly)
{
    const std::set<std::string> names = com::testing::ExportedNames(RESLIB_LIBRARY);
    EXPECT_EQ(names.count("GetThreadLocale"), 1u);
    EXPECT_EQ(names.count("SetThreadLocale"), 1u);
    for (const std::string& name : names)
        EXPECT_FALSE(com::testing::IsStandardLibraryName(name)) << name;
}

} // namespace
