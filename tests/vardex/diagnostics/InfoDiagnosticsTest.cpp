// The diagnostics service client against the report-server double, which runs in its own process
// on loopback: calls to an object of the same process would not go over the wire.

#include "vardex/diagnostics/infodiagnostics.h"
#include "tests/vardex/diagnostics/MessageList.h"
#include "tests/vardex/diagnostics/ServerDouble.h"
#include "tests/vardex/support/AssertRecorder.h"
#include "vardex/diagnostics/corbawstring.h"

#include "norveli.hh"

#include <gtest/gtest.h>

#include <thread>

#include <csignal>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Norvel::Norveldiag::SeqTopicVerbosity;
using Norvel::Norveldiag::SeqTopicVerbosity_var;

// What the listener servant received, kept apart from the servant, which the ORB deletes once it
// is disconnected.
struct Inbox
{
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<std::string> messages;

    bool WaitFor(size_t count)
    {
        std::unique_lock guard(lock);
        return arrived.wait_for(guard, std::chrono::seconds(10),
                                [&] { return messages.size() >= count; });
    }
};

class ProbeListener : public virtual Norvel::Norveldiag::_sk_NorvelDiagnosticsProbeListener
{
public:
    explicit ProbeListener(std::shared_ptr<Inbox> inbox) : m_inbox(std::move(inbox)) {}

    void diagnosticMessage(const CORBA::WChar* topic, CORBA::Short verbosity,
                           const CORBA::WChar* text) override
    {
        std::lock_guard guard(m_inbox->lock);
        m_inbox->messages.push_back(std::string(AnsiFromCorba(topic).GetString()) + "/" +
                                    std::to_string(verbosity) + "/" +
                                    AnsiFromCorba(text).GetString());
        m_inbox->arrived.notify_all();
    }
    void topicalFilterUpdated(const SeqTopicVerbosity&) override {}
    void free() override
    {
        std::lock_guard guard(m_inbox->lock);
        m_inbox->messages.push_back("free");
        m_inbox->arrived.notify_all();
    }

private:
    std::shared_ptr<Inbox> m_inbox;
};

SeqTopicVerbosity Topics(std::initializer_list<std::pair<const char16_t*, short>> pairs)
{
    SeqTopicVerbosity topics;
    topics.length(CORBA::ULong(pairs.size()));
    CORBA::ULong i = 0;
    for (const auto& [topic, verbosity] : pairs) {
        topics[i].topic = CorbaWStringDup(topic);
        topics[i].verbosity = verbosity;
        ++i;
    }
    return topics;
}

std::string Text(const SeqTopicVerbosity& topics)
{
    std::string text;
    for (CORBA::ULong i = 0; i < topics.length(); ++i)
        text += std::string(AnsiFromCorba(topics[i].topic).GetString()) + "=" +
                std::to_string(topics[i].verbosity) + ";";
    return text;
}

std::string ListenerTopics(ReportServerDouble::Control_ptr control)
{
    SeqTopicVerbosity_var topics = control->listenerTopics();
    return Text(topics.in());
}

class ClientAgainstDouble : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // The listener is served on loopback, where the double calls it back.
        ::setenv("ORBendPoint", "giop:tcp:127.0.0.1:", 1);
    }

    void SetUp() override
    {
        // Connecting brings the process's ORB up; the test reaches the double's control with it.
        m_client = CRefCountPtr<CInfoDiagnostics>(new CInfoDiagnostics);
        ASSERT_TRUE(m_client->InitializeOrb());
        int argc = 0;
        m_orb = CORBA::ORB_init(argc, nullptr, "");
        m_double = std::make_unique<ServerDouble>(m_orb);
    }

    // A listener servant ready in the adapter, and its reference.
    Norvel::Norveldiag::NorvelDiagnosticsProbeListener_ptr NewListener()
    {
        auto* servant = new ProbeListener(m_inbox);
        servant->_obj_is_ready(CORBA::BOA::getBOA());
        return servant->_this();
    }

    // Runs a call that must fail and returns its client exception.
    template <class F> GenericClientException Failure(F call)
    {
        try {
            call();
        } catch (const GenericClientException& e) {
            return e;
        }
        ADD_FAILURE() << "no client exception";
        return {};
    }

    CORBA::ORB_var m_orb;
    std::unique_ptr<ServerDouble> m_double;
    CRefCountPtr<CInfoDiagnostics> m_client;
    std::shared_ptr<Inbox> m_inbox = std::make_shared<Inbox>();
};

TEST_F(ClientAgainstDouble, ConnectsAndForwardsEachCall)
{
    auto control = m_double->Control();
    control->setTopics(Topics({{u"Mémoire", 3}, {u"Réseau", 1}}));
    control->setRegisterResult(false);

    ASSERT_TRUE(m_client->Connect(m_double->FactoryReference().c_str()));
    EXPECT_TRUE(m_client->IsServiceAlive());
    // A connected client does not resolve again: a failing factory goes unnoticed.
    control->raiseOther("newService", "connection_failure");
    EXPECT_TRUE(m_client->Connect(m_double->FactoryReference().c_str()));

    Norvel::Norveldiag::SeqTopicVerbosity_var topics;
    ASSERT_TRUE(m_client->GetTopics(topics));
    EXPECT_EQ(Text(topics.in()), "Mémoire=3;Réseau=1;");

    // The server's own false does not matter: the listener was handed over.
    Norvel::Norveldiag::NorvelDiagnosticsProbeListener_var listener = NewListener();
    EXPECT_TRUE(m_client->RegisterListener(listener, Topics({{u"Mémoire", 2}})));
    EXPECT_EQ(control->listenerCount(), 1);
    EXPECT_EQ(ListenerTopics(control), "Mémoire=2;");

    control->sendMessage(L"Mémoire", 2, L"plein à 90 %");
    ASSERT_TRUE(m_inbox->WaitFor(1));
    EXPECT_EQ(m_inbox->messages[0], "Mémoire/2/plein à 90 %");

    control->sendFree();
    ASSERT_TRUE(m_inbox->WaitFor(2));
    EXPECT_EQ(m_inbox->messages[1], "free");

    EXPECT_TRUE(m_client->ChangeListenerFilter(listener, Topics({{u"Réseau", 4}})));
    EXPECT_EQ(ListenerTopics(control), "Réseau=4;");

    EXPECT_TRUE(m_client->UnregisterListener(listener));
    EXPECT_EQ(control->listenerCount(), 0);
}

TEST_F(ClientAgainstDouble, AClientWithoutServiceSendsNothingAndCanStillConnect)
{
    CRefCountPtr<CInfoDiagnostics> fresh(new CInfoDiagnostics);
    Norvel::Norveldiag::SeqTopicVerbosity_var holder = new SeqTopicVerbosity(Topics({{u"a", 1}}));
    EXPECT_FALSE(fresh->GetTopics(holder));
    EXPECT_EQ(Text(holder.in()), "a=1;");
    EXPECT_TRUE(fresh->IsOrbInitialized());
    EXPECT_FALSE(fresh->IsServiceAlive());
    Norvel::Norveldiag::NorvelDiagnosticsProbeListener_var listener = NewListener();
    EXPECT_FALSE(fresh->RegisterListener(listener, Topics({})));
    EXPECT_FALSE(fresh->UnregisterListener(listener));
    // Disconnecting takes the servant out of the adapter.
    fresh->DisconnectListener(listener);
    EXPECT_TRUE(listener->_non_existent());

    // Initialised by those calls, it still connects for real.
    m_double->Control()->setTopics(Topics({{u"b", 2}}));
    ASSERT_TRUE(fresh->Connect(m_double->FactoryReference().c_str()));
    EXPECT_TRUE(fresh->IsConnected());
    ASSERT_TRUE(fresh->GetTopics(holder));
    EXPECT_EQ(Text(holder.in()), "b=2;");
}

TEST_F(ClientAgainstDouble, TheListenerAnswersOnlyItsOwnOperationNames)
{
    Norvel::Norveldiag::NorvelDiagnosticsProbeListener_var listener = NewListener();
    CORBA::Request_var free = listener->_request("free");
    free->invoke();
    EXPECT_EQ(free->env()->exception(), nullptr);
    CORBA::Request_var otherCase = listener->_request("Free");
    otherCase->invoke();
    EXPECT_NE(CORBA::BAD_OPERATION::_downcast(otherCase->env()->exception()), nullptr);
}

TEST_F(ClientAgainstDouble, DisconnectingWithoutAnOrbDoesNothing)
{
    Norvel::Norveldiag::NorvelDiagnosticsProbeListener_var listener = NewListener();
    CRefCountPtr<CInfoDiagnostics> fresh(new CInfoDiagnostics);
    AssertRecorder recorder;
    fresh->DisconnectListener(listener);
    EXPECT_EQ(recorder.Expressions(), std::vector<std::string>{"m_initialized"});
    EXPECT_FALSE(listener->_non_existent());
}

TEST_F(ClientAgainstDouble, ANullReferenceIsRefusedBeforeTheOrb)
{
    CRefCountPtr<CInfoDiagnostics> fresh(new CInfoDiagnostics);
    GenericClientException e = Failure([&] { fresh->Connect(nullptr); });
    EXPECT_EQ(uint32_t(e.GetHResult()), 0x80042A27u);
    EXPECT_EQ(Entries(e), "47014/0");
    EXPECT_NE(std::string(e.Details().GetString()).find("Bad stringified factor ior."),
              std::string::npos);
    EXPECT_FALSE(fresh->IsOrbInitialized());
    EXPECT_FALSE(fresh->IsConnected());
}

TEST_F(ClientAgainstDouble, ReferencesThatLeadToNoServiceAreRefused)
{
    struct Case
    {
        std::string reference;
        uint32_t hr;
        const char* entries;
        const char* detail;
    };
    CORBA::String_var control = m_orb->object_to_string(m_double->Control());
    const Case cases[] = {
        {"no reference", 0x80042A27, "47014/0",
         "Failed to convert stringified sifactory ior to corba object."},
        {"IOR:0123456789", 0x80042A27, "47014/0",
         "Failed to convert stringified sifactory ior to corba object."},
        {control.in(), 0x80042A27, "47014/0", "Failed to narrow to sifactory ior."},
    };
    for (const auto& c : cases) {
        CRefCountPtr<CInfoDiagnostics> client(new CInfoDiagnostics);
        GenericClientException e = Failure([&] { client->Connect(c.reference.c_str()); });
        EXPECT_EQ(uint32_t(e.GetHResult()), c.hr) << c.reference;
        EXPECT_EQ(Entries(e), c.entries);
        EXPECT_NE(std::string(e.Details().GetString()).find(c.detail), std::string::npos)
            << e.Details().GetString();
        EXPECT_FALSE(client->IsConnected());
    }

    m_double->Control()->setServiceKind("nil");
    GenericClientException nil =
        Failure([&] { m_client->Connect(m_double->FactoryReference().c_str()); });
    EXPECT_EQ(uint32_t(nil.GetHResult()), 0x80042A28u);
    EXPECT_EQ(Entries(nil), "47015/0");

    // The factory hands out an object that is no diagnostics service.
    m_double->Control()->setServiceKind("factory");
    EXPECT_FALSE(m_client->Connect(m_double->FactoryReference().c_str()));
    EXPECT_FALSE(m_client->IsConnected());
    m_double->Control()->setServiceKind("diagnostics");
    EXPECT_TRUE(m_client->Connect(m_double->FactoryReference().c_str()));
}

TEST_F(ClientAgainstDouble, ServerExceptionsReachTheCallerMapped)
{
    auto control = m_double->Control();
    ASSERT_TRUE(m_client->Connect(m_double->FactoryReference().c_str()));
    Norvel::Norveldiag::SeqTopicVerbosity_var topics;

    // norvel_abuse with a batch error that arrives encoded in its Any.
    Norvel::MessageSeq messages;
    messages.length(1);
    messages[0].msgId(Norvel::message_id{100, 0});
    Norvel::Norveli::InfoStore::BatchError batch;
    batch.failedItems.length(2);
    batch.failedItems[0] = 1;
    batch.failedItems[1] = 2;
    batch.failureCodes.length(2);
    batch.failureCodes[0] = CORBA::Long(0x80041E05);
    batch.failureCodes[1] = 0x1E06;
    batch.untriedItems.length(1);
    batch.untriedItems[0] = 3;
    CORBA::Any suppl;
    suppl <<= batch;
    control->raiseAbuse("getTopics", 5, messages, L"disque plein", suppl);
    GenericClientException abuse = Failure([&] { m_client->GetTopics(topics); });
    EXPECT_EQ(uint32_t(abuse.GetHResult()), 0x80040005u);
    EXPECT_EQ(std::string(abuse.Details().GetString())
                  .rfind("disque plein\nServer exception caught at infodiagnostics.cpp(", 0),
              0u);
    ASSERT_EQ(abuse.GetSupplState(), GenericClientException::BatchError);
    const auto received = abuse.GetBatchError();
    EXPECT_EQ(received.m_failedItems.GetSize(), 2);
    EXPECT_EQ(uint32_t(received.m_failureCodes.GetAt(1)), 0x80041E06u);
    EXPECT_EQ(received.m_untriedItems.GetAt(0), 3);
    EXPECT_EQ(abuse.Messages().GetSize(), 2);

    // A message count larger than the list sent is reported and cut.
    messages.length(2);
    messages[0].msgId(Norvel::message_id{100, 5});
    messages[1].msgString(L"x");
    control->raiseAbuse("getTopics", -1, messages, L"", CORBA::Any());
    {
        AssertRecorder recorder;
        GenericClientException cut = Failure([&] { m_client->GetTopics(topics); });
        EXPECT_EQ(uint32_t(cut.GetHResult()), 0xFFFFFFFFu);
        EXPECT_EQ(Entries(cut), "100/1 'x'");
        EXPECT_EQ(recorder.Reports().size(), 1u);
    }

    // An exception the operation does not declare arrives as UNKNOWN.
    control->raiseOther("getTopics", "connection_failure");
    GenericClientException undeclared = Failure([&] { m_client->GetTopics(topics); });
    EXPECT_EQ(uint32_t(undeclared.GetHResult()), 0x80004005u);
    EXPECT_NE(std::string(undeclared.Details().GetString()).find("Type:UNKNOWN"),
              std::string::npos);

    Norvel::Norveldiag::NorvelDiagnosticsProbeListener_var listener = NewListener();
    control->raiseOther("registerDiagnosticsProbeListener", "NO_PERMISSION");
    GenericClientException denied =
        Failure([&] { m_client->RegisterListener(listener, Topics({})); });
    EXPECT_EQ(uint32_t(denied.GetHResult()), 0x80070005u);
    EXPECT_EQ(Entries(denied), "42160/0");
    EXPECT_NE(std::string(denied.Details().GetString())
                  .find("Type:NO_PERMISSION Status: Failed on the server. Reason: "),
              std::string::npos);

    // The factory's declared connection_failure is an unidentified failure.
    control->raiseOther("newService", "connection_failure");
    CRefCountPtr<CInfoDiagnostics> fresh(new CInfoDiagnostics);
    AssertRecorder recorder;
    GenericClientException refused =
        Failure([&] { fresh->Connect(m_double->FactoryReference().c_str()); });
    EXPECT_EQ(Entries(refused), "42154/0");
    EXPECT_NE(std::string(refused.Details().GetString()).find("Unknown corba exception"),
              std::string::npos);
    EXPECT_FALSE(fresh->IsConnected());
}

TEST_F(ClientAgainstDouble, AKilledServerGivesCommunicationFailureThenTransient)
{
    ASSERT_TRUE(m_client->Connect(m_double->FactoryReference().c_str()));
    Norvel::Norveldiag::SeqTopicVerbosity_var topics;
    ASSERT_TRUE(m_client->GetTopics(topics));
    m_double->Kill();

    GenericClientException first = Failure([&] { m_client->GetTopics(topics); });
    EXPECT_EQ(uint32_t(first.GetHResult()), 0x80040801u);
    EXPECT_NE(std::string(first.Details().GetString()).find("Type:COMM_FAILURE Status: not known."),
              std::string::npos);
    GenericClientException second = Failure([&] { m_client->GetTopics(topics); });
    EXPECT_EQ(uint32_t(second.GetHResult()), 0x8004080Bu);
    EXPECT_FALSE(m_client->IsServiceAlive());
}

// Waits until the process is stopped (state T in /proc).
void WaitUntilStopped(pid_t pid)
{
    for (int i = 0; i < 500; ++i) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/stat");
        std::string pidText, name, state;
        status >> pidText >> name >> state;
        if (state == "T")
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ADD_FAILURE() << "the process did not stop";
}

// A stopped server fails each call after the library's own call timeout, with the timeout's
// own row (not TRANSIENT's, which would start a reconnection); the setting is the library's
// references' own, and a new connection has it again.
TEST_F(ClientAgainstDouble, AStoppedServerTimesOutWithTheRowOfTheTimeout)
{
    ::setenv("VARDEX_CALL_TIMEOUT_MS", "400", 1);
    ASSERT_TRUE(m_client->Connect(m_double->FactoryReference().c_str()));
    ::unsetenv("VARDEX_CALL_TIMEOUT_MS");
    Norvel::Norveldiag::SeqTopicVerbosity_var topics;
    ASSERT_TRUE(m_client->GetTopics(topics));
    ASSERT_EQ(::kill(m_double->Pid(), SIGSTOP), 0);
    WaitUntilStopped(m_double->Pid());
    auto started = std::chrono::steady_clock::now();
    GenericClientException stopped = Failure([&] { m_client->GetTopics(topics); });
    auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(uint32_t(stopped.GetHResult()), 0x80040817u);
    EXPECT_GE(waited, std::chrono::milliseconds(300));
    EXPECT_LT(waited, std::chrono::seconds(10));
    // The test's own reference to the double is not cut.
    std::thread resume([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        ::kill(m_double->Pid(), SIGCONT);
    });
    m_double->Control()->setTopics(Topics({{u"d", 2}}));
    resume.join();

    ::setenv("VARDEX_CALL_TIMEOUT_MS", "400", 1);
    CRefCountPtr<CInfoDiagnostics> fresh(new CInfoDiagnostics);
    ASSERT_TRUE(fresh->Connect(m_double->FactoryReference().c_str()));
    ::unsetenv("VARDEX_CALL_TIMEOUT_MS");
    ASSERT_EQ(::kill(m_double->Pid(), SIGSTOP), 0);
    WaitUntilStopped(m_double->Pid());
    GenericClientException again = Failure([&] { fresh->GetTopics(topics); });
    EXPECT_EQ(uint32_t(again.GetHResult()), 0x80040817u);
    ::kill(m_double->Pid(), SIGCONT);
    ASSERT_TRUE(fresh->GetTopics(topics));
    EXPECT_EQ(Text(topics.in()), "d=2;");
}

TEST_F(ClientAgainstDouble, ANewClientConnectsToTheRestartedServer)
{
    ASSERT_TRUE(m_client->Connect(m_double->FactoryReference().c_str()));
    m_double->Control()->die();
    m_double->WaitForDeath();
    EXPECT_FALSE(m_client->IsServiceAlive());

    m_double = std::make_unique<ServerDouble>(m_orb);
    m_double->Control()->setTopics(Topics({{u"c", 1}}));
    CRefCountPtr<CInfoDiagnostics> fresh(new CInfoDiagnostics);
    ASSERT_TRUE(fresh->Connect(m_double->FactoryReference().c_str()));
    EXPECT_TRUE(fresh->IsServiceAlive());
    Norvel::Norveldiag::SeqTopicVerbosity_var topics;
    ASSERT_TRUE(fresh->GetTopics(topics));
    EXPECT_EQ(Text(topics.in()), "c=1;");
}

} // namespace
