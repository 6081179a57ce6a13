#include "vardex/support/seventlog.h"

#include "AssertRecorder.h"
#include "SupportFixture.h"
#include "platform/eventlog/EventLog.h"

#include <clocale>
#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace {

class EventLogTest : public SupportFixture
{
protected:
    // The texts are the English ones, whatever the user's language.
    static void SetUpTestSuite() { useEnglishTexts(); }

    // The fallback file's lines, with the log's socket out of reach.
    std::vector<std::string> fallbackLines()
    {
        std::vector<std::string> lines;
        std::ifstream in(m_root + "/logs/event.log");
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    void useFallback()
    {
        std::filesystem::create_directories(m_root + "/logs");
        writeText(kLoggingKey, "loggingPath", m_root + "/logs");
        ::setenv("VARDEX_EVENTLOG_SOCKET", (m_root + "/no.socket").c_str(), 1);
    }
};

TEST_F(EventLogTest, RecordsReachTheSystemLog)
{
    RegisterLogEventSource("/opt/server/report.exe", true);
    EXPECT_EQ(GetLogEventSourceName(), "Veltrix_report");
    const char* texts[] = {"/opt/vxlogger.so"};
    EXPECT_TRUE(
        ReportEventDirect(nullptr, "Veltrix_report", EVENTLOG_WARNING_TYPE, texts, 15, 1, 34408));
    EXPECT_TRUE(ReportTextDirect("", "Veltrix_report", EVENTLOG_ERROR_TYPE, "plain text", 15));
    const auto records = events();
    ASSERT_EQ(records.size(), 2u);
    // "<12>Mmm dd hh:mm:ss Veltrix_report[pid]: [category 15, event 34408] text"
    EXPECT_EQ(records[0].substr(0, 4), "<12>");
    EXPECT_EQ(records[0].substr(19, 16), " Veltrix_report[");
    EXPECT_EQ(records[0].substr(records[0].find("]: ")),
              "]: [category 15, event 34408] The logging library /opt/vxlogger.so could not be "
              "loaded or refused to start.");
    EXPECT_NE(records[1].find("<11>"), std::string::npos);
    EXPECT_NE(records[1].find("[category 15, event 0] plain text"), std::string::npos);

    EXPECT_FALSE(ReportTextDirect("otherhost", "Veltrix_report", 1, "lost", 15))
        << "there is no remote log";
    EXPECT_TRUE(events().empty());
}

TEST_F(EventLogTest, TimestampsAreInTheStandardFormWhateverTheLocale)
{
    // A French host: "déc." is no syslog month.
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"fr_FR.UTF-8", "C"}) {
        std::setlocale(LC_ALL, name);
        EXPECT_TRUE(ReportTextDirect(nullptr, "Veltrix_x", EVENTLOG_ERROR_TYPE, "t", 15));
        const auto records = events();
        ASSERT_EQ(records.size(), 1u);
        static const std::string months = "JanFebMarAprMayJunJulAugSepOctNovDec";
        const std::string month = records[0].substr(4, 3);
        const std::size_t at = months.find(month);
        EXPECT_TRUE(at != std::string::npos && at % 3 == 0) << records[0];
        EXPECT_EQ(records[0][7], ' ') << records[0];
        EXPECT_EQ(records[0].substr(19, 11), " Veltrix_x[") << records[0];
    }
    std::setlocale(LC_ALL, previous.c_str());
}

TEST_F(EventLogTest, SeveritiesOfTheEventTypes)
{
    const std::pair<WORD, int> mapping[] = {{1, 3},  {2, 4},   {4, 6}, {8, 5},
                                            {16, 4}, {256, 7}, {3, 5}};
    for (auto [type, severity] : mapping)
        EXPECT_EQ(EventLogSeverity(type), severity) << type;
}

TEST_F(EventLogTest, WithoutTheLogLinesGoToTheFallbackFile)
{
    useFallback();
    AssertRecorder recorder;
    const char* texts[] = {"lib.so"};
    EXPECT_TRUE(
        ReportEventDirect(nullptr, "Veltrix_x", EVENTLOG_WARNING_TYPE, texts, 15, 1, 34408));
    EXPECT_TRUE(ReportTextDirect(nullptr, "Veltrix_x", 5, "odd type", 1));
    EXPECT_EQ(recorder.Reports().size(), 1u) << "an unknown type is reported and written";
    const auto lines = fallbackLines();
    ASSERT_EQ(lines.size(), 2u);
    // "M/d/yy   H:mm:ss    2    15      text"
    unsigned month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
    int used = 0;
    ASSERT_EQ(std::sscanf(lines[0].c_str(), "%u/%u/%2u   %u:%2u:%2u    %n", &month, &day, &year,
                          &hour, &minute, &second, &used),
              6);
    EXPECT_EQ(lines[0].substr(std::size_t(used)), "2    15      The logging library lib.so could "
                                                  "not be loaded or refused to start.");
    EXPECT_NE(lines[1].find("    5    1      odd type"), std::string::npos);
}

TEST_F(EventLogTest, TheDefaultLoggingFolderIsMadeWhenFirstNeeded)
{
    ::setenv("VARDEX_EVENTLOG_SOCKET", (m_root + "/nowhere/no.socket").c_str(), 1);
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedData = saved ? saved : "";
    ::setenv("XDG_DATA_HOME", (m_root + "/data").c_str(), 1);
    const std::string folder = m_root + "/data/Halvorn Software/Logging";
    EXPECT_EQ(SDefaultLoggingPath(), SString(folder.c_str()));
    EXPECT_TRUE(ReportTextDirect(nullptr, "Veltrix_x", EVENTLOG_ERROR_TYPE, "first record", 15));
    if (saved)
        ::setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    std::ifstream in(folder + "/event.log");
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_NE(line.find("    1    15      first record"), std::string::npos) << line;
    struct stat info
    {
    };
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(EventLogTest, FallbackLinesOfManyThreadsStayWhole)
{
    useFallback();
    const int threads = 8, perThread = 50;
    const std::string text(300, 'z');
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back([&text] {
            for (int i = 0; i < perThread; ++i)
                ReportTextDirect(nullptr, "Veltrix_x", 4, text.c_str(), 15);
        });
    for (auto& writer : writers)
        writer.join();
    const auto lines = fallbackLines();
    ASSERT_EQ(lines.size(), std::size_t(threads * perThread));
    for (const auto& l : lines)
        ASSERT_EQ(l.substr(l.size() - text.size() - 6), "      " + text);
}

TEST_F(EventLogTest, SourceRegistration)
{
    const std::string sourceKey =
        "System\\CurrentControlSet\\Services\\EventLog\\Application\\Veltrix_report";
    EXPECT_FALSE(RegisterLogEventSource("report", true)) << "no logging key";
    EXPECT_EQ(GetLogEventSourceName(), "Veltrix_report");
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, sourceKey));

    writeText(kLoggingKey, "loggingPath", m_root);
    EXPECT_TRUE(RegisterLogEventSource("report", true));
    DWORD type = 0;
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, sourceKey, "TypesSupported", &type),
              std::string("\x1f\0\0", 3));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, sourceKey, "CategoryCount"), std::string("\x16\0\0", 3));
    const auto messageFile = readText(HKEY_LOCAL_MACHINE, sourceKey, "EventMessageFile");
    EXPECT_NE(messageFile.value_or("").find("/stringres_en.so"), std::string::npos);
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, kLoggingKey, "CategoryCount"),
              std::string("\x16\0\0", 3))
        << "the default is written under the logging key";

    writeNumber(sourceKey, "TypesSupported", 7);
    EXPECT_TRUE(RegisterLogEventSource("report", false));
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, sourceKey, "TypesSupported"), std::string("\x07\0\0", 3))
        << "a later component leaves the values as they are";
}

} // namespace
