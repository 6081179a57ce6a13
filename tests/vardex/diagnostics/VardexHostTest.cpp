// A host's edges with libvardex.so: a host that ends with objects still held, ends while the
// server floods it or while its listener is busy, or forks under a flood. Each host is the
// program vardexhost in its own process, against the report-server double; its exit status, its
// lines and the sanitizers' reports on its standard error are checked.

#include "platform/com/Atl.h"
#include "tests/vardex/diagnostics/ServerDouble.h"
#include "tests/vardex/diagnostics/VardexRegistration.h"
#include "vardex/diagnostics/VeltrixDiagnosticsLib.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The host's environment: the test's own, made before the fork, since the forked test process
// must not allocate before its exec. The forking host runs without AddressSanitizer's leak check
// at exit: its child's would look for the parent's threads, which did not follow it, and report
// as leaked what only they held. Its calls and its exit are checked all the same.
std::vector<std::string> HostEnvironment(const std::string& mode)
{
    std::vector<std::string> environment;
    for (char** variable = environ; *variable; ++variable)
        environment.emplace_back(*variable);
    if (mode == "fork")
        for (std::string& variable : environment)
            if (variable.starts_with("ASAN_OPTIONS="))
                variable += ":detect_leaks=0";
    return environment;
}

// One run of the host program: its lines as they come, then its end.
class Host
{
public:
    Host(const std::string& mode, const std::string& reference)
    {
        char pattern[] = "/tmp/vardexhost-stderr-XXXXXX";
        m_errors = ::mkstemp(pattern);
        ::unlink(pattern);
        int input[2];
        int output[2];
        EXPECT_EQ(::pipe(input), 0);
        EXPECT_EQ(::pipe(output), 0);
        std::vector<std::string> environment = HostEnvironment(mode);
        std::vector<char*> variables;
        for (std::string& variable : environment)
            variables.push_back(variable.data());
        variables.push_back(nullptr);
        char* arguments[] = {const_cast<char*>(VARDEX_HOST), const_cast<char*>(mode.c_str()),
                             const_cast<char*>(reference.c_str()), nullptr};
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(input[0], STDIN_FILENO);
            ::dup2(output[1], STDOUT_FILENO);
            ::dup2(m_errors, STDERR_FILENO);
            for (int end : {input[0], input[1], output[0], output[1]})
                ::close(end);
            ::execve(VARDEX_HOST, arguments, variables.data());
            ::_exit(127);
        }
        ::close(input[0]);
        ::close(output[1]);
        m_input = input[1];
        m_output = output[0];
    }
    ~Host()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_input);
        ::close(m_output);
        ::close(m_errors);
    }

    // Writes a line to the program's input.
    void Tell(const std::string& line)
    {
        std::string text = line + "\n";
        EXPECT_EQ(::write(m_input, text.data(), text.size()), ssize_t(text.size()));
    }

    // The next line, or "" at the end of the output or after 60 s.
    std::string NextLine()
    {
        std::string line;
        for (;;) {
            pollfd ready{m_output, POLLIN, 0};
            char c;
            if (::poll(&ready, 1, 60000) <= 0 || ::read(m_output, &c, 1) != 1)
                return line;
            if (c == '\n')
                break;
            line += c;
        }
        m_lines.push_back(line);
        return line;
    }
    // Every line up to the end of the output.
    std::vector<std::string> Rest()
    {
        while (!NextLine().empty()) {
        }
        return m_lines;
    }
    // The exit status, once the program ended.
    int Wait()
    {
        int status = -1;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return status;
    }
    std::string Errors() const
    {
        std::string text;
        char buffer[4096];
        ssize_t got;
        ::lseek(m_errors, 0, SEEK_SET);
        while ((got = ::read(m_errors, buffer, sizeof buffer)) > 0)
            text.append(buffer, std::size_t(got));
        return text;
    }

private:
    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    int m_errors = -1;
    std::vector<std::string> m_lines;
};

// The words of a line.
std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

class VardexHost : public VardexRegistryFixture
{
protected:
    void SetUp() override
    {
        VardexRegistryFixture::SetUp();
        int argc = 0;
        m_orb = CORBA::ORB_init(argc, nullptr, "");
        m_server = std::make_unique<ServerDouble>(m_orb);
    }
    void TearDown() override
    {
        StopFlood();
        m_server.reset();
        VardexRegistryFixture::TearDown();
    }

    // The server sends messages to its listeners until the host is gone.
    void StartFlood()
    {
        m_flood = std::thread([this] {
            try {
                m_server->Control()->sendMessages(L"SQL", 1, L"flood", 1000000);
            } catch (const CORBA::Exception&) {
                // the host went away under it
            }
        });
    }
    void StopFlood()
    {
        if (m_flood.joinable()) {
            m_server->Kill();
            m_flood.join();
        }
    }

    // Runs the host up to its registration; the server then sends one message, or floods.
    std::unique_ptr<Host> Run(const std::string& mode, bool flood)
    {
        auto host = std::make_unique<Host>(mode, m_server->FactoryReference());
        EXPECT_EQ(host->NextLine(), "registered") << host->Errors();
        if (flood)
            StartFlood();
        else
            m_server->Control()->sendMessage(L"SQL", 1, L"one");
        return host;
    }

    static void ExpectCleanEnd(Host& host, int status)
    {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << "\n"
                                                                   << host.Errors();
        std::string errors = host.Errors();
        for (const char* report :
             {"ThreadSanitizer", "AddressSanitizer", "LeakSanitizer", "double free", "JTCThread"})
            EXPECT_EQ(errors.find(report), std::string::npos) << errors;
    }

    CORBA::ORB_var m_orb;
    std::unique_ptr<ServerDouble> m_server;
    std::thread m_flood;
};

// A host whose global unregisters and releases after main returned, or never lets its object go;
// with the server quiet, flooding, or the listener in a long call. The end never crashes nor
// touches what went: a call after the end began fails with CO_E_SERVER_STOPPING and says why,
// and a relay still running after 2 s does not hold the exit up.
TEST_F(VardexHost, EndsCleanlyWithObjectsStillHeld)
{
    struct Case
    {
        const char* mode;
        bool flood;
        bool unregistersAtExit;
    };
    const Case cases[] = {{"unregister-at-exit", false, true},
                          {"never-released", false, false},
                          {"flood", true, true},
                          {"slow", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        std::unique_ptr<Host> host = Run(c.mode, c.flood);
        EXPECT_EQ(host->NextLine(), "main-returns");
        Clock::time_point returned = Clock::now();
        std::vector<std::string> lines = host->Rest();
        int status = host->Wait();
        auto exitTime = Clock::now() - returned;
        ExpectCleanEnd(*host, status);
        std::vector<std::string> expected = {"registered", "main-returns"};
        if (c.unregistersAtExit) {
            expected.push_back("unregister-at-exit 0x80004028 The process is ending: Vardex serves "
                               "no more calls.");
            expected.push_back("released-at-exit");
        }
        EXPECT_EQ(lines, expected);
        // The relays get 2 s at most (the ORB's shutdown included); the listener's call lasts
        // 6 s.
        EXPECT_LT(exitTime, 5s);
        StopFlood();
        m_server.reset(); // before the next one, which would keep its input open
        m_server = std::make_unique<ServerDouble>(m_orb);
    }
}

// A fork under a flood: in the child every call fails at once and says the process was forked,
// and the child exits at once; the parent's objects go on working. A host built with
// AddressSanitizer has the server hold its messages just before the fork and waits for its
// relays to end (see vardexhost); they flow again once the child has ended.
TEST_F(VardexHost, ForkedChildRefusesEveryCallAtOnceAndTheParentGoesOn)
{
    std::unique_ptr<Host> host = Run("fork", true);
    std::map<std::string, std::vector<std::string>> child;
    std::vector<std::string> parent;
    long childTime = -1;
    for (std::string line = host->NextLine(); !line.empty(); line = host->NextLine()) {
        std::vector<std::string> words = Words(line);
        if (words[0] == "child" && words.size() >= 4)
            child[words[1]] = words;
        else if (words[0] == "hold-flood") {
            m_server->Control()->holdMessages(true);
            host->Tell("held");
        } else if (words[0] == "child-ended") {
            m_server->Control()->holdMessages(false);
            ASSERT_EQ(words.size(), 3u) << line;
            EXPECT_EQ(words[1], "0") << line;
            childTime = std::stol(words[2]);
        } else if (words[0] == "parent")
            parent.push_back(words[1] + " " + words[2]);
    }
    int status = host->Wait();
    ExpectCleanEnd(*host, status);

    for (const char* call : {"ConnectService", "NewConnectService", "get_Topics",
                             "RegisterProbeListener", "ChangeProbeListenerTopicalFilter",
                             "get_Registered", "UnregisterProbeListener", "Topics.Add"}) {
        SCOPED_TRACE(call);
        ASSERT_TRUE(child.count(call));
        const std::vector<std::string>& words = child[call];
        EXPECT_EQ(words[2], "0x80010108");
        EXPECT_LT(std::stol(words[3]), 500);
        std::string text;
        for (std::size_t i = 4; i < words.size(); ++i)
            text += words[i] + " ";
        EXPECT_NE(text.find("forked after Vardex started its ORB"), std::string::npos) << text;
    }
    ASSERT_TRUE(child.count("Release"));
    EXPECT_EQ(child["Release"][2], "0x00000000");
    // The child's whole run, its exit included, takes far less than a relay wait.
    EXPECT_GE(childTime, 0);
    EXPECT_LT(childTime, 1500);
    EXPECT_EQ(parent, (std::vector<std::string>{"get_Topics 0x00000000",
                                                "UnregisterProbeListener 0x00000000",
                                                "RegisterProbeListener 0x00000000",
                                                "UnregisterProbeListener 0x00000000"}));
}

// _NewEnum while another thread deletes and adds: the snapshot is counted and filled at one
// moment, so that it never holds an empty item.
TEST_F(VardexHost, NewEnumSnapshotHoldsNoEmptyItemUnderConcurrentDeletion)
{
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    {
        CComPtr<ISTopics> topics;
        ASSERT_EQ(CoCreateInstance(CLSID_Topics, nullptr, CLSCTX_INPROC_SERVER, ISTopics::iid,
                                   reinterpret_cast<void**>(&topics)),
                  S_OK);
        for (int i = 0; i < 20; ++i)
            topics->Add(CComBSTR(("t" + std::to_string(i)).c_str()), 1);
        std::atomic<bool> stop{false};
        std::thread writer([&] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            while (!stop) {
                for (int i = 0; i < 20; ++i)
                    topics->Delete(CComBSTR(("t" + std::to_string(i)).c_str()));
                for (int i = 0; i < 20; ++i)
                    topics->Add(CComBSTR(("t" + std::to_string(i)).c_str()), 1);
            }
            CoUninitialize();
        });
        int empty = 0;
        for (int round = 0; round < 3000; ++round) {
            CComPtr<IUnknown> unknown;
            ASSERT_EQ(topics->_NewEnum(&unknown), S_OK);
            CComQIPtr<IEnumVARIANT> enumerator(unknown);
            ASSERT_TRUE(enumerator);
            VARIANT items[32];
            ULONG got = 0;
            enumerator->Next(32, items, &got);
            for (ULONG i = 0; i < got; ++i) {
                if (items[i].vt != VT_DISPATCH)
                    ++empty;
                VariantClear(&items[i]);
            }
        }
        stop = true;
        writer.join();
        EXPECT_EQ(empty, 0);
    }
    CoUninitialize();
}

} // namespace
