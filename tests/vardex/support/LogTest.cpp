#include "vardex/support/slog.h"

#include "AssertRecorder.h"
#include "SupportFixture.h"

#include <fstream>
#include <sys/stat.h>

namespace {

class LogTest : public SupportFixture
{
protected:
    // The texts are the English ones, whatever the user's language.
    static void SetUpTestSuite() { useEnglishTexts(); }
    void SetUp() override
    {
        SupportFixture::SetUp();
        m_fixtureLog = m_root + "/calls.log";
        ::setenv("VX_FIXTURE_LOG", m_fixtureLog.c_str(), 1);
    }
    void TearDown() override
    {
        for (const char* suffix : {"_logLevel", "_logSourceName", "_fileLogFilter"})
            ::unsetenv((std::string("test_support_log") + suffix).c_str());
        SupportFixture::TearDown();
    }

    // Names a fixture library under the logging key.
    void addLibrary(const std::string& subkey, const std::string& file)
    {
        writeText(kLoggingKey + "\\" + subkey, "DLLPath",
                  file.empty() ? "" : std::string(FIXTURE_LOGGER_DIR) + "/" + file);
    }

    // The calls the fixture libraries received, cleared.
    std::vector<std::string> calls()
    {
        std::vector<std::string> lines;
        std::ifstream in(m_fixtureLog);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        std::filesystem::remove(m_fixtureLog);
        return lines;
    }

    // Whether any event record holds the text.
    bool eventHas(const std::vector<std::string>& records, const std::string& text)
    {
        for (const auto& record : records)
            if (record.find(text) != std::string::npos)
                return true;
        return false;
    }

    std::string m_fixtureLog;
};

using Calls = std::vector<std::string>;

TEST_F(LogTest, RecordsReachEachLibraryByItsKind)
{
    addLibrary("a", "vxlogger_fixture.so");
    addLibrary("b", "vxdiagnostics_fixture.so");
    addLibrary("c", "plain_fixture.so");
    {
        LogManager manager;
        AssertRecorder recorder;
        manager.Initialize(1, "");
        EXPECT_EQ(manager.BoundLibraryCount(), 3);
        EXPECT_EQ(manager.GetSourceName(), "test_support_log");
        calls();

        const char* free[] = {"x\ny\r"};
        EXPECT_TRUE(manager.LogEvent(EVENTLOG_WARNING_TYPE, 21, kMsgFreeText, free, 1));
        EXPECT_EQ(calls(),
                  (Calls{"vxlogger Error 2 21 34700 1 [x y ]", "vxlogger Error2 2 21 34700 [x y]",
                         "vxdiagnostics Error 2 21 34700 1 [x y ]",
                         "vxdiagnostics Error2 2 21 34700 [x y]", "plain Error 2 21 34700 1 [x y ]",
                         "plain Error2 2 21 34700 [x y]"}));

        const char* report[] = {"f.cpp", "12", "p != 0", "info"};
        manager.LogEvent(EVENTLOG_ERROR_TYPE, 1, kMsgAssert, report, 4);
        // The text holds a line feed: the fixture's record takes two lines.
        const std::string head = "[assert failure (f.cpp12).  (p != 0 : info).  ";
        const std::string tail = "Call Stack Dump: Not available]";
        EXPECT_EQ(calls(), (Calls{"vxlogger Error2 1 1 33009 " + head, tail,
                                  "vxdiagnostics Error 1 1 33000 1 " + head, tail}))
            << "assertion reports go only to the diagnostics loggers";

        manager.LogEvent(EVENTLOG_ERROR_TYPE, 1, kMsgAssert, report, 3);
        EXPECT_EQ(calls(),
                  (Calls{"vxlogger Error2 1 1 33009 []", "vxdiagnostics Error 1 1 33000 1 []"}))
            << "a report with three texts is an empty text";
        EXPECT_TRUE(recorder.Reports().empty());
    }
    EXPECT_EQ(calls(), (Calls{"vxlogger Term", "vxdiagnostics Term", "plain Term"}));
}

TEST_F(LogTest, SettingsFromTheEnvironmentBoundLevelAndFilter)
{
    addLibrary("c", "plain_fixture.so");
    ::setenv("test_support_log_logLevel", "2", 1);
    ::setenv("test_support_log_logSourceName", "src/Report.exe", 1);
    ::setenv("test_support_log_fileLogFilter", "a.cpp,b.cpp,", 1);
    LogManager manager;
    AssertRecorder recorder;
    EXPECT_EQ(manager.GetLogLevel(), 2u);
    EXPECT_EQ(manager.GetSourceName(), "src/Report.exe");
    EXPECT_TRUE(manager.IsFileLogged("/some/folder/B.CPP"));
    EXPECT_TRUE(manager.IsFileLogged("a.cpp"));
    EXPECT_FALSE(manager.IsFileLogged("c.cpp"));
    calls();

    const char* texts[] = {"t"};
    manager.LogEvent(EVENTLOG_INFORMATION_TYPE, 21, kMsgFreeText, texts, 1);
    EXPECT_TRUE(calls().empty()) << "above the level";
    manager.LogEvent(EVENTLOG_ERROR_TYPE, 21, kMsgFreeText, texts, 1);
    EXPECT_EQ(calls().size(), 2u);
    EXPECT_TRUE(recorder.Reports().empty());
}

TEST_F(LogTest, UnknownEventTypeIsReportedAndStillLogged)
{
    addLibrary("c", "plain_fixture.so");
    LogManager manager;
    manager.SetLogLevel(8);
    manager.Initialize(1, "");
    calls();
    AssertRecorder recorder;
    const char* texts[] = {"t"};
    manager.LogEvent(5, 21, kMsgFreeText, texts, 1);
    EXPECT_EQ(recorder.Expressions().size(), 1u);
    EXPECT_EQ(calls().front(), "plain Error 5 21 34700 1 [t]");
    EXPECT_EQ(manager.GetLogLevel(), 8u) << "a level set before the set-up survives it";
}

TEST_F(LogTest, FirstComponentPublishesItsSettings)
{
    addLibrary("c", "plain_fixture.so");
    LogManager manager;
    manager.Initialize(1, "folder/server.exe");
    EXPECT_STREQ(std::getenv("test_support_log_logLevel"), "4");
    EXPECT_STREQ(std::getenv("test_support_log_logSourceName"), "folder/server.exe");
    EXPECT_STREQ(std::getenv("test_support_log_fileLogFilter"), "");
    EXPECT_EQ(calls(), (Calls{"plain Init 1 folder/server.exe"}));
}

TEST_F(LogTest, FailingLibrariesBecomeEventRecords)
{
    addLibrary("a", "initfails_fixture.so");
    addLibrary("b", "noterm_fixture.so");
    addLibrary("c", "throwing_fixture.so");
    addLibrary("d", "");
    addLibrary("e", "missing_library.so");
    // A path without a full stop is found with the modules' extension (the test's own folder
    // holds none; the checkout's may).
    std::filesystem::copy_file(FIXTURE_LOGGER_DIR "/plain_fixture.so",
                               m_root + "/plain_fixture.so");
    writeText(kLoggingKey + "\\f", "DLLPath", m_root + "/plain_fixture");
    LogManager manager;
    AssertRecorder recorder;
    manager.Initialize(1, "");
    EXPECT_EQ(manager.BoundLibraryCount(), 2);
    const auto setup = events();
    EXPECT_TRUE(eventHas(setup, "initfails_fixture.so could not be loaded or refused to start"));
    EXPECT_TRUE(eventHas(setup, "noterm_fixture.so lacks required entry points"));
    EXPECT_TRUE(eventHas(setup, "missing_library.so could not be loaded"));
    EXPECT_TRUE(eventHas(setup, "The logging library key d has an empty DLLPath."));
    EXPECT_TRUE(eventHas(setup, "Veltrix_test_support_log[")) << setup.front();
    EXPECT_TRUE(eventHas(setup, "<12>")) << "warnings are of severity warning, facility user";
    calls();

    const char* texts[] = {"t"};
    EXPECT_FALSE(manager.LogEvent(EVENTLOG_ERROR_TYPE, 21, kMsgFreeText, texts, 1));
    EXPECT_EQ(calls(), (Calls{"throwing Error 1 21 34700 1 [t]", "plain Error 1 21 34700 1 [t]",
                              "plain Error2 1 21 34700 [t]"}))
        << "the other libraries are still called";
    EXPECT_TRUE(eventHas(events(), "throwing_fixture.so failed to take a record"));
}

TEST_F(LogTest, ALibraryOthersCouldReplaceIsNotLoaded)
{
    const std::string shared = m_root + "/shared";
    std::filesystem::create_directory(shared);
    std::filesystem::copy_file(FIXTURE_LOGGER_DIR "/plain_fixture.so",
                               shared + "/plain_fixture.so");
    writeText(kLoggingKey + "\\a", "DLLPath", shared + "/plain_fixture.so");
    ::chmod(shared.c_str(), 0777);
    LogManager manager;
    manager.Initialize(1, "");
    EXPECT_EQ(manager.BoundLibraryCount(), 0);
    EXPECT_TRUE(eventHas(events(), "plain_fixture.so could not be loaded"));
    EXPECT_TRUE(calls().empty());
}

TEST_F(LogTest, MissingConfigurationIsWrittenToTheEventLog)
{
    {
        LogManager manager;
        manager.Initialize(1, "");
        EXPECT_EQ(manager.BoundLibraryCount(), 0);
        EXPECT_TRUE(eventHas(events(), "Logging is not enabled.  Registry key is not found."));
        const char* texts[] = {"t"};
        EXPECT_TRUE(manager.LogEvent(EVENTLOG_ERROR_TYPE, 21, kMsgFreeText, texts, 1));
    }
    writeNumber(kLoggingKey, "CategoryCount", 22);
    LogManager manager;
    manager.Initialize(1, "");
    EXPECT_TRUE(eventHas(events(), "No logging library is configured."));
}

TEST_F(LogTest, MessageWithoutTextIsLoggedAsTheMissingTextRecord)
{
    addLibrary("c", "plain_fixture.so");
    LogManager manager;
    manager.Initialize(1, "");
    calls();
    AssertRecorder recorder;
    const char* texts[] = {"t"};
    manager.LogEvent(EVENTLOG_ERROR_TYPE, 21, 12345, texts, 1);
    const std::string missing = "No message text exists for message 12345 (1 arguments).";
    EXPECT_EQ(calls(),
              (Calls{"plain Error 1 21 12345 1 [t]", "plain Error 1 15 34405 2 [12345] [1]",
                     "plain Error2 1 15 34405 [" + missing + "]",
                     "plain Error2 1 21 12345 [" + missing + "]"}));
    ASSERT_EQ(recorder.Reports().size(), 1u);
    EXPECT_EQ(recorder.Reports()[0].information,
              "Cannot look up resource string in formatting logging messages");
}

TEST_F(LogTest, FormatLogMessageMakesOneTrimmedLine)
{
    const char* texts[] = {"  a\nb \r"};
    EXPECT_EQ(FormatLogMessage(kMsgFreeText, 1, texts, true), "a b");
}

} // namespace
