#pragma once
// A fresh registry store in a temporary folder, the resource libraries of the build named in
// it, and an event-log socket that the test reads back.

#include "tests/platform/registry/RegistryFixture.h"

#include <string>
#include <sys/socket.h>
#include <sys/un.h>
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
        if (m_eventSocket >= 0)
            ::close(m_eventSocket);
        ::unsetenv("VARDEX_EVENTLOG_SOCKET");
        RegistryFixture::TearDown();
    }

    // The event log's socket, bound here; records arrive as datagrams.
    void listenForEvents()
    {
        const std::string path = m_root + "/log.socket";
        m_eventSocket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(m_eventSocket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::setenv("VARDEX_EVENTLOG_SOCKET", path.c_str(), 1);
    }

    // The records the event log received since the last call.
    std::vector<std::string> events()
    {
        std::vector<std::string> records;
        char buffer[8192];
        for (ssize_t n; (n = ::recv(m_eventSocket, buffer, sizeof buffer, 0)) > 0;)
            records.emplace_back(buffer, std::size_t(n));
        return records;
    }

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

    int m_eventSocket = -1;
};

inline const std::string kLoggingKey = "Software\\Halvorn Software\\8.0\\Halvorn Logging";
