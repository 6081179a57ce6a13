#include "platform/win/Locale.h"

#include "TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// The machine may have no locale but C installed: the locales the test needs are compiled into a
// folder of its own, which the C library reads through LOCPATH.
class DecimalSeparatorTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        locales = new TempDir;
        for (const char* name : {"fr_FR", "en_US"}) {
            const std::string command = std::string("localedef -i ") + name + " -f UTF-8 " +
                                        (*locales / name) + ".UTF-8 >/dev/null 2>&1";
            if (std::system(command.c_str()) != 0)
                missing = true;
        }
        setenv("LOCPATH", locales->path().c_str(), 1);
    }
    static void TearDownTestSuite()
    {
        unsetenv("LOCPATH");
        delete locales;
    }
    void SetUp() override
    {
        if (missing)
            GTEST_SKIP() << "localedef or its locale sources are not installed";
        for (const char* variable : kVariables) {
            if (const char* value = std::getenv(variable))
                saved.emplace_back(variable, value);
            unsetenv(variable);
        }
    }
    void TearDown() override
    {
        for (const char* variable : kVariables)
            unsetenv(variable);
        for (const auto& [variable, value] : saved)
            setenv(variable.c_str(), value.c_str(), 1);
    }

    static constexpr const char* kVariables[] = {"LC_ALL", "LC_NUMERIC", "LANG"};
    static inline TempDir* locales = nullptr;
    static inline bool missing = false;
    std::vector<std::pair<std::string, std::string>> saved;
};

TEST_F(DecimalSeparatorTest, FollowsTheNumericLocaleOfTheEnvironment)
{
    struct Case
    {
        const char* lcAll;
        const char* lcNumeric;
        const char* lang;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, ","},
        {nullptr, nullptr, "C", ","},
        {nullptr, nullptr, "POSIX", ","},
        {"C.UTF-8", nullptr, "en_US.UTF-8", ","},
        {nullptr, nullptr, "fr_FR.UTF-8", ","},
        {nullptr, nullptr, "en_US.UTF-8", "."},
        {nullptr, "en_US.UTF-8", "fr_FR.UTF-8", "."},
        {nullptr, "fr_FR.UTF-8", "en_US.UTF-8", ","},
        {"fr_FR.UTF-8", "en_US.UTF-8", "en_US.UTF-8", ","},
        {"", "", "en_US.UTF-8", "."},
        {nullptr, nullptr, "xx_YY.UTF-8", ","},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.lcAll ? c.lcAll : "-") + " " +
                     (c.lcNumeric ? c.lcNumeric : "-") + " " + (c.lang ? c.lang : "-"));
        for (const char* variable : kVariables)
            unsetenv(variable);
        if (c.lcAll)
            setenv("LC_ALL", c.lcAll, 1);
        if (c.lcNumeric)
            setenv("LC_NUMERIC", c.lcNumeric, 1);
        if (c.lang)
            setenv("LANG", c.lang, 1);
        EXPECT_EQ(win::DecimalSeparator(), c.expected);
    }
}

// The answer is kept between calls, but not past a change of the folder the locales come from.
TEST_F(DecimalSeparatorTest, ReadsTheLocaleAgainFromAnotherLocaleFolder)
{
    setenv("LANG", "en_US.UTF-8", 1);
    EXPECT_EQ(win::DecimalSeparator(), ".");
    EXPECT_EQ(win::DecimalSeparator(), ".");
    TempDir empty;
    setenv("LOCPATH", empty.path().c_str(), 1);
    EXPECT_EQ(win::DecimalSeparator(), ",") << "en_US is not in the new folder";
    setenv("LOCPATH", locales->path().c_str(), 1);
    EXPECT_EQ(win::DecimalSeparator(), ".");
}

TEST_F(DecimalSeparatorTest, ReadsANamedLocale)
{
    EXPECT_EQ(win::DecimalSeparatorOfLocale("en_US.UTF-8"), ".");
    EXPECT_EQ(win::DecimalSeparatorOfLocale("fr_FR.UTF-8"), ",");
    EXPECT_EQ(win::DecimalSeparatorOfLocale("C"), ",");
    EXPECT_EQ(win::DecimalSeparatorOfLocale(""), ",");
    EXPECT_EQ(win::DecimalSeparatorOfLocale("no such locale"), ",");
}

} // namespace
