#pragma once
// A fresh registry store in a temporary folder, the resource libraries of the build named in
// it, and an event-log socket that the test reads back.

#include "tests/platform/registry/EventSocket.h"
#include "tests/platform/registry/RegistryFixture.h"

#include <string>
#include <unistd.h>
#include <vector>

class SupportFixture : public RegistryFixture
{
protected:
    void SetUp() override
    {
        RegistryFixture::SetUp();
        writeText("Software\\Halvorn Software\\8.0\\Shared Tools\\Strings", "Path",
                  VARDEX_RESOURCE_DIR);
        writeText("Software\\Halvorn Software\\8.0\\Shared Tools\\HTML", "Path",
                  VARDEX_RESOURCE_DIR);
        listenForEvents();
    }
    void TearDown() override
    {
        m_events.Close();
        ::unsetenv("VARDEX_EVENTLOG_SOCKET");
        RegistryFixture::TearDown();
    }

    // The event log's socket, bound here.
    void listenForEvents() { m_events.Listen(m_root + "/log.socket"); }

    // The records the event log received since the last call.
    std::vector<std::string> events() { return m_events.Records(); }

    // The user's language for this process is English, whatever the desktop's (LC_ALL and
    // LC_MESSAGES would override LANG).
    static void useEnglishTexts()
    {
        ::setenv("LANG", "en_US.UTF-8", 1);
        ::unsetenv("LC_ALL");
        ::unsetenv("LC_MESSAGES");
    }

    using RegistryFixture::writeText;
    // A text value under the local-machine hive.
    static void writeText(const std::string& path, const char* name, const std::string& text)
    {
        RegistryFixture::writeText(HKEY_LOCAL_MACHINE, path, name, text);
    }
    static void writeNumber(const std::string& path, const char* name, DWORD value)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr,
                                 REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                sizeof value),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    EventSocket m_events;
};

inline const std::string kLoggingKey = "Software\\Halvorn Software\\8.0\\Halvorn Logging";
