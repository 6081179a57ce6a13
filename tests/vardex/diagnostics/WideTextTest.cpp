// Wide texts across the ORB, both ways, with a character outside the 16-bit plane, against the
// report-server double in its own process.

#include "tests/vardex/diagnostics/ServerDouble.h"
#include "vardex/diagnostics/corbawstring.h"
#include "vardex/diagnostics/infodiagnostics.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

namespace {

using Norvel::Norveldiag::SeqTopicVerbosity;
using Norvel::Norveldiag::SeqTopicVerbosity_var;

// U+1F600, a surrogate pair in UTF-16.
const std::u16string kTopic = u"Disque \U0001F600";
const std::u16string kText = u"\U0001F600 plein à 90 %";

class Listener : public virtual Norvel::Norveldiag::_sk_NorvelDiagnosticsProbeListener
{
public:
    void diagnosticMessage(const CORBA::WChar* topic, CORBA::Short,
                           const CORBA::WChar* text) override
    {
        std::lock_guard guard(lock);
        received = Utf16FromCorba(topic) + u"|" + Utf16FromCorba(text);
        arrived.notify_all();
    }
    void topicalFilterUpdated(const SeqTopicVerbosity&) override {}
    void free() override {}

    std::u16string Wait()
    {
        std::unique_lock guard(lock);
        arrived.wait_for(guard, std::chrono::seconds(10), [&] { return !received.empty(); });
        return received;
    }

private:
    std::mutex lock;
    std::condition_variable arrived;
    std::u16string received;
};

SeqTopicVerbosity OneTopic(const std::u16string& name, short verbosity)
{
    SeqTopicVerbosity topics;
    topics.length(1);
    topics[0].topic = CorbaWStringDup(name.c_str());
    topics[0].verbosity = verbosity;
    return topics;
}

TEST(WideText, ACharacterOutsideThe16BitPlaneCrossesTheOrbBothWays)
{
    ::setenv("ORBendPoint", "giop:tcp:127.0.0.1:", 1);
    CRefCountPtr<CInfoDiagnostics> client(new CInfoDiagnostics);
    ASSERT_TRUE(client->InitializeOrb());
    int argc = 0;
    CORBA::ORB_var orb = CORBA::ORB_init(argc, nullptr, "");
    ServerDouble server(orb);
    auto control = server.Control();
    ASSERT_TRUE(client->Connect(server.FactoryReference().c_str()));

    // To the server: a listener's topic.
    auto* servant = new Listener;
    servant->_obj_is_ready(CORBA::BOA::getBOA());
    Norvel::Norveldiag::NorvelDiagnosticsProbeListener_var listener = servant->_this();
    ASSERT_TRUE(client->RegisterListener(listener, OneTopic(kTopic, 2)));
    SeqTopicVerbosity_var sent = control->listenerTopics();
    ASSERT_EQ(sent->length(), 1u);
    EXPECT_TRUE(Utf16FromCorba(sent[0].topic) == kTopic);
    // The ORB's native wide code set is UTF-16: the character arrived as two code units.
    EXPECT_EQ(CORBA::ULong(std::char_traits<CORBA::WChar>::length(sent[0].topic.in())),
              CORBA::ULong(kTopic.size()));

    // From the server: its topics and a message.
    control->setTopics(OneTopic(kTopic, 3));
    SeqTopicVerbosity_var topics;
    ASSERT_TRUE(client->GetTopics(topics));
    ASSERT_EQ(topics->length(), 1u);
    EXPECT_TRUE(Utf16FromCorba(topics[0].topic) == kTopic);

    CORBA::WString_var topic = CorbaWStringDup(kTopic.c_str());
    CORBA::WString_var text = CorbaWStringDup(kText.c_str());
    control->sendMessage(topic, 2, text);
    EXPECT_TRUE(servant->Wait() == kTopic + u"|" + kText);

    EXPECT_TRUE(client->UnregisterListener(listener));
}

// What the ORB hands over is taken unit by unit; a wide value above the 16-bit plane (a
// character written in a C++ wide literal) becomes its surrogate pair.
TEST(WideText, ConversionKeepsTheUnitsAndSplitsWiderValues)
{
    const CORBA::WChar units[] = {0xD83D, 0xDE00, 'a', 0};
    EXPECT_TRUE(Utf16FromCorba(units) == u"\U0001F600a");
    const CORBA::WChar wide[] = {0x1F600, 0x110000, 0};
    EXPECT_TRUE(Utf16FromCorba(wide) == u"\U0001F600\uFFFD");
    CORBA::WString_var back = CorbaWStringDup(u"\U0001F600a");
    EXPECT_TRUE(std::u16string(back.in(), back.in() + 3) == u"\xD83D\xDE00"
                                                            u"a");
    EXPECT_TRUE(Utf16FromCorba(nullptr).empty());
}

} // namespace
