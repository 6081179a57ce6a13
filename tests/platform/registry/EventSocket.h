#pragma once
// An event-log socket that a test binds and reads back: the event log sends each record as a
// datagram to the socket that VARDEX_EVENTLOG_SOCKET names.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

class EventSocket
{
public:
    EventSocket() = default;
    EventSocket(const EventSocket&) = delete;
    EventSocket& operator=(const EventSocket&) = delete;
    ~EventSocket() { Close(); }

    // Binds the socket at path and points the event log at it.
    void Listen(const std::string& path)
    {
        m_socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::setenv("VARDEX_EVENTLOG_SOCKET", path.c_str(), 1);
    }

    // The records received since the last call.
    std::vector<std::string> Records() const
    {
        std::vector<std::string> records;
        char buffer[8192];
        for (ssize_t n; (n = ::recv(m_socket, buffer, sizeof buffer, 0)) > 0;)
            records.emplace_back(buffer, std::size_t(n));
        return records;
    }

    void Close()
    {
        if (m_socket >= 0)
            ::close(m_socket);
        m_socket = -1;
    }

private:
    int m_socket = -1;
};
