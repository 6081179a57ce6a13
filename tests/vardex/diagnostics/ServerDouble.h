#pragma once
// Starts the report-server double in its own process and reaches its control interface. The
// double ends when the test closes its standard input, so none outlives a crashed test.

#include "reportserverdouble.hh"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

class ServerDouble
{
public:
    // orb: the test process's ORB, for the control interface.
    explicit ServerDouble(CORBA::ORB_ptr orb) : m_orb(CORBA::ORB::_duplicate(orb)) { Start(); }
    ~ServerDouble() { Stop(); }
    ServerDouble(const ServerDouble&) = delete;
    ServerDouble& operator=(const ServerDouble&) = delete;

    const std::string& FactoryReference() const { return m_factory; }
    ReportServerDouble::Control_ptr Control() { return m_control.in(); }
    pid_t Pid() const { return m_pid; }

    // Kills the server with SIGKILL and waits for its end.
    void Kill()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        Reap();
    }
    // Waits for a server that kills itself.
    void WaitForDeath() { Reap(); }

    void Stop()
    {
        if (m_input >= 0) {
            ::close(m_input);
            m_input = -1;
        }
        Reap();
    }

private:
    void Start()
    {
        int toChild[2];
        int fromChild[2];
        ASSERT_EQ(::pipe(toChild), 0);
        ASSERT_EQ(::pipe(fromChild), 0);
        m_pid = ::fork();
        ASSERT_GE(m_pid, 0);
        if (m_pid == 0) {
            ::dup2(toChild[0], STDIN_FILENO);
            ::dup2(fromChild[1], STDOUT_FILENO);
            ::close(toChild[0]);
            ::close(toChild[1]);
            ::close(fromChild[0]);
            ::close(fromChild[1]);
            ::execl(REPORT_SERVER_DOUBLE, REPORT_SERVER_DOUBLE, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        m_input = toChild[1];
        FILE* output = ::fdopen(fromChild[0], "r");
        m_factory = ReadLine(output);
        std::string control = ReadLine(output);
        std::fclose(output);
        ASSERT_FALSE(m_factory.empty());
        CORBA::Object_var object = m_orb->string_to_object(control.c_str());
        m_control = ReportServerDouble::Control::_narrow(object);
        ASSERT_FALSE(CORBA::is_nil(m_control));
    }

    static std::string ReadLine(FILE* input)
    {
        std::string line;
        int c;
        while ((c = std::fgetc(input)) != EOF && c != '\n')
            line += char(c);
        return line;
    }

    void Reap()
    {
        if (m_pid <= 0)
            return;
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
    }

    CORBA::ORB_var m_orb;
    ReportServerDouble::Control_var m_control;
    std::string m_factory;
    pid_t m_pid = -1;
    int m_input = -1;
};
