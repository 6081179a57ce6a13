#include "vardex/support/sassert.h"

#include "AssertRecorder.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

int g_evaluations = 0;

bool Counted(bool value)
{
    ++g_evaluations;
    return value;
}

TEST(LogAssert, ReportsHeldByADeferralAreMadeWhenTheOutermostEnds)
{
    AssertRecorder recorder;
    {
        SAssertDeferral outer;
        {
            SAssertDeferral inner;
            SASSERT_TEXT(false, "first", "held");
        }
        EXPECT_TRUE(recorder.Reports().empty()) << "an inner deferral does not make them";
        SASSERT_TEXT(false, "second", "held too");
        std::thread([] { SASSERT_TEXT(false, "elsewhere", ""); }).join();
        EXPECT_EQ(recorder.Expressions(), std::vector<std::string>{"elsewhere"})
            << "other threads report at once";
    }
    EXPECT_EQ(recorder.Expressions(), (std::vector<std::string>{"elsewhere", "first", "second"}));
    EXPECT_EQ(recorder.Reports()[1].information, "held");
}

TEST(LogAssert, HandlerReceivesFileLineExpressionAndInformation)
{
    AssertRecorder recorder;
    g_evaluations = 0;
    SASSERT(Counted(true));
    EXPECT_TRUE(recorder.Reports().empty());
    const int line = __LINE__ + 1;
    SASSERT_INFO(Counted(false), "some information");
    EXPECT_EQ(g_evaluations, 2) << "the condition is evaluated once";
    const auto reports = recorder.Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].file, "AssertTest");
    EXPECT_EQ(reports[0].line, std::to_string(line));
    EXPECT_EQ(reports[0].expression, "Counted(false)");
    EXPECT_EQ(reports[0].information, "some information");
}

TEST(LogAssert, InstallingReturnsThePreviousHandlerAndNullRestoresTheDefault)
{
    auto first = [](const char*, const char*, const char*, const char*) {};
    LogAssertHandler original = SetLogAssertHandler(first);
    EXPECT_EQ(SetLogAssertHandler(nullptr), static_cast<LogAssertHandler>(first));
    EXPECT_EQ(SetLogAssertHandler(original), original) << "null put the default back";
}

} // namespace
