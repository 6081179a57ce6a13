// The call time limit of the diagnostics client (VARDEX_CALL_TIMEOUT_MS) from the first remote
// call of a connection on: ports that never answer, a stopped server, and a registration whose
// answer comes too late, against the report-server double in its own process.

#include "tests/vardex/diagnostics/MessageList.h"
#include "tests/vardex/diagnostics/ServerDouble.h"
#include "tests/vardex/support/AssertRecorder.h"
#include "vardex/diagnostics/infodiagnostics.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Norvel::Norveldiag::SeqTopicVerbosity;

constexpr auto kLimit = 600ms;
// What a bounded call may take beyond the limit, with room for sanitizer builds.
constexpr auto kSlack = 4s;

class Listener : public virtual Norvel::Norveldiag::_sk_NorvelDiagnosticsProbeListener
{
public:
    void diagnosticMessage(const CORBA::WChar*, CORBA::Short, const CORBA::WChar*) override {}
    void topicalFilterUpdated(const SeqTopicVerbosity&) override {}
    void free() override {}
};

// A loopback TCP port that takes connections into its queue and never reads from them, or
// (full) whose queue is full, so that a new connection is never accepted.
class SilentPort
{
public:
    explicit SilentPort(bool full)
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        // A backlog of 0 queues one connection: the filler's; the next is dropped.
        EXPECT_EQ(::listen(m_socket, full ? 0 : 16), 0);
        socklen_t length = sizeof address;
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        if (full) {
            m_filler = ::socket(AF_INET, SOCK_STREAM, 0);
            EXPECT_EQ(::connect(m_filler, reinterpret_cast<sockaddr*>(&address), sizeof address),
                      0);
        }
    }
    ~SilentPort()
    {
        if (m_filler >= 0)
            ::close(m_filler);
        ::close(m_socket);
    }
    SilentPort(const SilentPort&) = delete;
    SilentPort& operator=(const SilentPort&) = delete;

    std::string Reference() const
    {
        return "corbaloc::127.0.0.1:" + std::to_string(m_port) + "/Factory";
    }

private:
    int m_socket = -1;
    int m_filler = -1;
    int m_port = 0;
};

class TimeLimit : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ::setenv("ORBendPoint", "giop:tcp:127.0.0.1:", 1); }

    void SetUp() override
    {
        ::setenv("VARDEX_CALL_TIMEOUT_MS", std::to_string(kLimit.count()).c_str(), 1);
        m_client = CRefCountPtr<CInfoDiagnostics>(new CInfoDiagnostics);
        ASSERT_TRUE(m_client->InitializeOrb());
        int argc = 0;
        m_orb = CORBA::ORB_init(argc, nullptr, "");
    }
    void TearDown() override { ::unsetenv("VARDEX_CALL_TIMEOUT_MS"); }

    Norvel::Norveldiag::NorvelDiagnosticsProbeListener_ptr NewListener()
    {
        auto* servant = new Listener;
        servant->_obj_is_ready(CORBA::BOA::getBOA());
        return servant->_this();
    }

    // The HRESULT the call failed with, or "ok".
    template <class F> static std::string Outcome(F call)
    {
        try {
            call();
            return "ok";
        } catch (const GenericClientException& e) {
            char text[16];
            std::snprintf(text, sizeof text, "%08X", unsigned(e.GetHResult()));
            return text;
        }
    }

    // Waits for the call until the deadline. One that outlasts it would hold the test for
    // ever: the test program ends failed.
    template <class T>
    static T Within(std::future<T>& call, std::chrono::steady_clock::time_point deadline,
                    const char* what)
    {
        if (call.wait_until(deadline) != std::future_status::ready) {
            ADD_FAILURE() << what << " did not end within the limit";
            std::fflush(nullptr);
            std::_Exit(1);
        }
        return call.get();
    }

    CORBA::ORB_var m_orb;
    CRefCountPtr<CInfoDiagnostics> m_client;
};

// Connecting to a reference that never answers ends within the limit, and a registration asked
// meanwhile on another thread waits for it, no longer.
TEST_F(TimeLimit, ConnectingToAPeerThatNeverAnswersEndsWithinTheLimit)
{
    struct Case
    {
        const char* name;
        bool full;
        bool stoppedServer;
    };
    const Case cases[] = {
        {"a port that accepts and never answers", false, false},
        {"a port that never accepts", true, false},
        {"a server that stopped", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SilentPort port(c.full);
        std::unique_ptr<ServerDouble> server;
        std::string reference = port.Reference();
        if (c.stoppedServer) {
            server = std::make_unique<ServerDouble>(m_orb);
            reference = server->FactoryReference();
            ASSERT_EQ(::kill(server->Pid(), SIGSTOP), 0);
        }
        CRefCountPtr<CInfoDiagnostics> client(new CInfoDiagnostics);
        Norvel::Norveldiag::NorvelDiagnosticsProbeListener_var listener = NewListener();

        const auto started = std::chrono::steady_clock::now();
        const auto deadline = started + kLimit + kSlack;
        auto connecting = std::async(std::launch::async, [&] {
            return Outcome([&] { client->Connect(reference.c_str()); });
        });
        std::this_thread::sleep_for(100ms);
        auto registering = std::async(std::launch::async, [&] {
            return client->RegisterListener(listener, SeqTopicVerbosity());
        });
        const std::string connected = Within(connecting, deadline, "ConnectService");
        EXPECT_FALSE(Within(registering, deadline, "RegisterListener"));
        const auto waited = std::chrono::steady_clock::now() - started;

        // The limit ended it (a refused connection would fail at once), the connection's
        // opening included.
        EXPECT_GE(waited, kLimit - 50ms);
        EXPECT_EQ(connected, "80040817");
        EXPECT_FALSE(client->IsConnected());
        if (server) {
            ::kill(server->Pid(), SIGCONT);
            server.reset();
        }
    }
}

// A registration whose answer comes after the limit is undone on the server, so that the next
// registration is the only one there; the timeout has a row of its own, without an assertion
// report.
TEST_F(TimeLimit, ARegistrationThatTimedOutIsUndoneOnTheServer)
{
    ServerDouble server(m_orb);
    auto control = server.Control();
    ASSERT_TRUE(m_client->Connect(server.FactoryReference().c_str()));
    control->setRegisterDelay(CORBA::Long((kLimit * 3).count()));

    Norvel::Norveldiag::NorvelDiagnosticsProbeListener_var first = NewListener();
    AssertRecorder recorder;
    try {
        m_client->RegisterListener(first, SeqTopicVerbosity());
        ADD_FAILURE() << "the registration did not time out";
    } catch (const GenericClientException& e) {
        EXPECT_EQ(uint32_t(e.GetHResult()), 0x80040817u);
        EXPECT_EQ(Entries(e), "42158/0");
        EXPECT_NE(std::string(e.Details().GetString()).find("Type:TIMEOUT"), std::string::npos)
            << e.Details().GetString();
    }
    EXPECT_TRUE(recorder.Reports().empty());
    EXPECT_EQ(control->listenerCount(), 0);

    control->setRegisterDelay(0);
    Norvel::Norveldiag::NorvelDiagnosticsProbeListener_var second = NewListener();
    EXPECT_TRUE(m_client->RegisterListener(second, SeqTopicVerbosity()));
    EXPECT_EQ(control->listenerCount(), 1);
    EXPECT_TRUE(m_client->UnregisterListener(second));
    m_client->DisconnectListener(first);
}

} // namespace
