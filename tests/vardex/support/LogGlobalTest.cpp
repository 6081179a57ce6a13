// The logging facility of the process, as every part of the library reaches it: assertion
// reports, traces, and the reports made while it sets itself up. The facility sets itself up
// once per process: each case runs in a fresh process of its own.

#include "vardex/support/slog.h"

#include "vardex/support/DllWrap.h"

#include "SupportFixture.h"
#include "tests/platform/win/FreshProcess.h"

#include <fstream>
#include <sstream>

namespace {

class LogGlobalTest : public SupportFixture
{
protected:
    static void SetUpTestSuite()
    {
        std::string pattern = std::filesystem::temp_directory_path() / "vardex-log-cwd-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        s_workFolder = pattern;
        ASSERT_EQ(::chdir(pattern.c_str()), 0);
        s_fixtureLog = s_workFolder + "/calls.log";
        ::setenv("VX_FIXTURE_LOG", s_fixtureLog.c_str(), 1);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(s_workFolder); }

    // The fixture logger as the one logging library, and the strings library's folder
    // unreadable: the texts come from the program's own table.
    void configureLogging()
    {
        writeText(kLoggingKey + "\\a", "DLLPath",
                  std::string(FIXTURE_LOGGER_DIR) + "/vxlogger_fixture.so");
        registry::denyAccess(HKEY_LOCAL_MACHINE,
                             "Software\\Halvorn Software\\8.0\\Shared Tools\\Strings",
                             registry::Access::Read);
    }

    // The facility set up so, the records of its set-up dropped.
    void setUpLogging()
    {
        configureLogging();
        GetLogLevel();
        readAll(s_workFolder + "/logger_asserts.log");
        readAll(s_fixtureLog);
    }

    static std::string readAll(const std::string& path)
    {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        std::filesystem::remove(path);
        return text.str();
    }

    static inline std::string s_workFolder;
    static inline std::string s_fixtureLog;
};

const int kAssertLine = __LINE__ + 3;
void AssertHere()
{
    SASSERT_INFO(1 + 1 == 3, "arithmetic");
}

TEST_F(LogGlobalTest, ReportsDuringSetUpGoToTheAssertionFile)
{
    testing_support::ExpectInFreshProcess([&] {
        // The report of the strings library's folder comes while the facility sets itself up.
        configureLogging();
        EXPECT_EQ(GetLogLevel(), 4u);
        const std::string early = readAll(s_workFolder + "/logger_asserts.log");
        EXPECT_NE(
            early.find(", 1, 33009),  Info: RegOpenKeyEx(Software\\Halvorn Software\\8.0\\Shared "
                       "Tools\\Strings) failed. Error code: 5 Location: "),
            std::string::npos)
            << early;
        EXPECT_NE(early.find("registry.cpp,"), std::string::npos);
        EXPECT_NE(early.find(" expr: 0\n"), std::string::npos);
        EXPECT_NE(early.find("Could not find resource DLL 'stringres'"), std::string::npos);
        EXPECT_EQ(readAll(s_fixtureLog), "vxlogger Init 1 test_support_log_global\n");
    });
}

TEST_F(LogGlobalTest, AssertionReportsReachTheLoggers)
{
    testing_support::ExpectInFreshProcess([&] {
        setUpLogging();
        AssertHere();
        EXPECT_EQ(readAll(s_fixtureLog),
                  "vxlogger Error2 1 1 33009 [assert failure (" __FILE__ +
                      std::to_string(kAssertLine) +
                      ").  (1 + 1 == 3 : arithmetic).  \nCall Stack Dump: Not available]\n");

        SetLogLevel(8);
        AssertHere();
        const std::string withStack = readAll(s_fixtureLog);
        EXPECT_NE(withStack.find("Call Stack Dump: 0x"), std::string::npos) << withStack;
        EXPECT_NE(withStack.find("AssertionReportsReachTheLoggers_Test::TestBody()"),
                  std::string::npos)
            << withStack;
        EXPECT_NE(withStack.find("LogGlobalTest.cpp, Line "), std::string::npos) << withStack;
    });
}

TEST_F(LogGlobalTest, TracesOnlyAboveTheDebugLevel)
{
    testing_support::ExpectInFreshProcess([&] {
        setUpLogging();
        SetLogLevel(8);
        LogTrace("hello %d", 5);
        EXPECT_EQ(readAll(s_fixtureLog), "");
        SetLogLevel(300);
        EXPECT_TRUE(IsFileLogged(__FILE__)) << "an empty filter logs every file";
        LogTrace("hello %d", 5);
        EXPECT_EQ(readAll(s_fixtureLog), "vxlogger Error2 256 1 33011 [Host trace: hello 5]\n");
        DllWrap kernel("libm.so.6");
        EXPECT_EQ(kernel.GetThreadLocale(), 0u) << "a function the module lacks";
        EXPECT_EQ(readAll(s_fixtureLog),
                  "vxlogger Error2 256 1 33011 [Host trace: Unable to locate "
                  "function GetThreadLocale in libm.so.6]\n");
        std::string longText(600, 'x');
        LogTrace("%s", longText.c_str());
        EXPECT_EQ(readAll(s_fixtureLog),
                  "vxlogger Error2 256 1 33011 [Host trace: " + std::string(511, 'x') + "]\n");
    });
}

} // namespace
