#pragma once
// For what a process sets up once (a logging facility, a log's folder, the strings library): a
// case's body runs in a process of its own, started afresh. GoogleTest's threadsafe death-test
// style runs the test program again for this case alone, up to the body, which ends the child;
// the child's failures come back as the case's failure message.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace testing_support {

// Runs the body with its failures recorded, prints them and ends the process: 0 when none.
template <class Body> [[noreturn]] void RunAndExit(Body&& body)
{
    ::testing::TestPartResultArray failures;
    {
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS, &failures);
        body();
    }
    for (int i = 0; i < failures.size(); ++i) {
        const ::testing::TestPartResult& failure = failures.GetTestPartResult(i);
        std::fprintf(stderr, "%s:%d: %s\n", failure.file_name() ? failure.file_name() : "?",
                     failure.line_number(), failure.message());
    }
    std::fflush(stderr);
    std::_Exit(failures.size() == 0 ? 0 : 1);
}

// Runs the body in a fresh process of the test program; its failures fail the case.
template <class Body> void ExpectInFreshProcess(Body&& body)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunAndExit(body), ::testing::ExitedWithCode(0), "");
}

} // namespace testing_support
