// The tests' report server: serves the service factory and the diagnostics service on loopback,
// and a control interface through which a test sets the answers, injects failures, makes the
// server call its listeners, and asks it to die. It prints the factory's reference, then the
// control's, one a line, and ends when its standard input closes.

#include "reportserverdouble.hh"

#include "implserv.hh"
#include "norveldiag.hh"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

using Norvel::Norveldiag::NorvelDiagnosticsProbeListener;
using Norvel::Norveldiag::NorvelDiagnosticsProbeListener_ptr;
using Norvel::Norveldiag::SeqTopicVerbosity;

namespace {

struct Abuse
{
    CORBA::Short errCode;
    Norvel::MessageSeq messages;
    CORBA::WString_var details;
    CORBA::Any supplErrInfo;
};

struct Listener
{
    NorvelDiagnosticsProbeListener::_var_type reference;
    SeqTopicVerbosity topics;
};

// Everything the control interface sets, shared by the servants.
struct State
{
    std::mutex lock;
    SeqTopicVerbosity topics;
    bool registerResult = true;
    int registerDelayMs = 0;
    bool freeOnUnregister = false;
    bool messagesHeld = false;
    std::condition_variable messagesReleased;
    std::string serviceKind = "diagnostics";
    std::map<std::string, Abuse> abuses;
    std::map<std::string, std::string> others;
    std::vector<Listener> listeners;
    CORBA::Object_var service;
    CORBA::Object_var factory;

    // Raises the failure injected for the operation, if any.
    void Check(const char* operation)
    {
        std::unique_lock guard(lock);
        auto abuse = abuses.find(operation);
        if (abuse != abuses.end()) {
            const Abuse& a = abuse->second;
            Norvel::norvel_abuse e(a.errCode, a.messages, a.details.in(), a.supplErrInfo);
            guard.unlock();
            throw e;
        }
        auto other = others.find(operation);
        if (other == others.end())
            return;
        const std::string kind = other->second;
        guard.unlock();
        static const std::map<std::string, std::function<void()>> raisers = {
            {"connection_failure",
             [] {
                 throw ImplServ::QuollFactory::connection_failure(7, Norvel::sev_error, L"refused");
             }},
            {"NO_PERMISSION", [] { throw CORBA::NO_PERMISSION(0, CORBA::COMPLETED_YES); }},
            {"BAD_OPERATION", [] { throw CORBA::BAD_OPERATION(0, CORBA::COMPLETED_NO); }},
            {"NO_RESOURCES", [] { throw CORBA::NO_RESOURCES(0, CORBA::COMPLETED_MAYBE); }},
        };
        raisers.at(kind)();
    }
};

bool SameObject(CORBA::Object_ptr a, CORBA::Object_ptr b)
{
    return a->_is_equivalent(b);
}

class Service : public virtual Norvel::Norveldiag::_sk_NorvelDiagnostics
{
public:
    explicit Service(State& state) : m_state(state) {}

    CORBA::WChar* versionInfo() override { return CORBA::wstring_dup(L"double 1.0"); }
    CORBA::WChar* getVersion() override { return CORBA::wstring_dup(L"1.0"); }
    CORBA::Boolean
    registerConnectionListener(Norvel::Norveldiag::NorvelDiagnosticsListener_ptr) override
    {
        return true;
    }
    CORBA::Boolean
    unregisterConnectionListener(Norvel::Norveldiag::NorvelDiagnosticsListener_ptr) override
    {
        return true;
    }
    SeqTopicVerbosity* getTopics() override
    {
        m_state.Check("getTopics");
        std::lock_guard guard(m_state.lock);
        return new SeqTopicVerbosity(m_state.topics);
    }
    CORBA::Boolean registerDiagnosticsProbeListener(NorvelDiagnosticsProbeListener_ptr listener,
                                                    const SeqTopicVerbosity& topics) override
    {
        m_state.Check("registerDiagnosticsProbeListener");
        int delayMs = 0;
        bool result = false;
        {
            std::lock_guard guard(m_state.lock);
            m_state.listeners.push_back(
                {NorvelDiagnosticsProbeListener::_duplicate(listener), topics});
            delayMs = m_state.registerDelayMs;
            result = m_state.registerResult;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        return result;
    }
    CORBA::Boolean
    unregisterDiagnosticsProbeListener(NorvelDiagnosticsProbeListener_ptr listener) override
    {
        m_state.Check("unregisterDiagnosticsProbeListener");
        bool freeFirst = false;
        {
            std::lock_guard guard(m_state.lock);
            freeFirst = m_state.freeOnUnregister;
        }
        if (freeFirst) {
            NorvelDiagnosticsProbeListener::_var_type target =
                NorvelDiagnosticsProbeListener::_duplicate(listener);
            std::thread([target] {
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
                try {
                    target->free();
                } catch (const CORBA::SystemException&) {
                }
            }).detach();
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        }
        std::lock_guard guard(m_state.lock);
        auto& all = m_state.listeners;
        for (auto it = all.begin(); it != all.end(); ++it)
            if (SameObject(it->reference, listener)) {
                all.erase(it);
                return true;
            }
        return false;
    }
    CORBA::Boolean setDiagnosticsTopicalFilter(const SeqTopicVerbosity&) override { return true; }
    CORBA::Boolean setProbeListenerTopicalFilter(NorvelDiagnosticsProbeListener_ptr listener,
                                                 const SeqTopicVerbosity& topics) override
    {
        m_state.Check("setProbeListenerTopicalFilter");
        std::lock_guard guard(m_state.lock);
        for (auto& entry : m_state.listeners)
            if (SameObject(entry.reference, listener)) {
                entry.topics = topics;
                return true;
            }
        return false;
    }
    CORBA::WChar* getNextMessage(const CORBA::WChar*) override { return CORBA::wstring_dup(L""); }
    void sendMessage(const CORBA::WChar*, const CORBA::WChar*) override {}
    void free() override {}

private:
    State& m_state;
};

class Factory : public virtual ImplServ::_sk_QuollFactory
{
public:
    explicit Factory(State& state) : m_state(state) {}

    CORBA::Object_ptr newService(const CORBA::WChar* name, const CORBA::WChar*) override
    {
        m_state.Check("newService");
        std::lock_guard guard(m_state.lock);
        if (std::wstring(name) != L"Diagnostics" || m_state.serviceKind == "nil")
            return CORBA::Object::_nil();
        if (m_state.serviceKind == "factory")
            return CORBA::Object::_duplicate(m_state.factory);
        return CORBA::Object::_duplicate(m_state.service);
    }
    CORBA::WChar* versionInfo() override { return CORBA::wstring_dup(L"double 1.0"); }
    CORBA::WChar* getVersion() override { return CORBA::wstring_dup(L"1.0"); }
    CORBA::WChar* startTime() override { return CORBA::wstring_dup(L""); }
    CORBA::Float getNorvelSchema() override { return 1.0f; }
    CORBA::Boolean isServerReady() override { return true; }
    CORBA::Boolean isServerShutdownPending() override { return false; }
    CORBA::Object_ptr newBrowser(const CORBA::WChar*, const CORBA::WChar*) override
    {
        return CORBA::Object::_nil();
    }
    void killServer(CORBA::UShort) override {}
    CORBA::Boolean isShareable() override { return true; }
    CORBA::Boolean isTerminateOnIdle() override { return false; }
    CORBA::Long maxConnects() override { return 1; }
    CORBA::Long currentConnects() override { return 0; }
    Norvel::SeqNames* getServices() override { return new Norvel::SeqNames; }
    CORBA::Float getServiceSchema(const CORBA::WChar*) override { return 1.0f; }
    ImplServ::QuollFactory::SeqObjects* newServices(const Norvel::SeqNames&,
                                                    const Norvel::SeqNames&) override
    {
        return new ImplServ::QuollFactory::SeqObjects;
    }

private:
    State& m_state;
};

class Control : public virtual ReportServerDouble::_sk_Control
{
public:
    explicit Control(State& state) : m_state(state) {}

    void setTopics(const SeqTopicVerbosity& topics) override
    {
        std::lock_guard guard(m_state.lock);
        m_state.topics = topics;
    }
    void setRegisterResult(CORBA::Boolean result) override
    {
        std::lock_guard guard(m_state.lock);
        m_state.registerResult = result;
    }
    void setRegisterDelay(CORBA::Long milliseconds) override
    {
        std::lock_guard guard(m_state.lock);
        m_state.registerDelayMs = milliseconds;
    }
    void setServiceKind(const char* kind) override
    {
        std::lock_guard guard(m_state.lock);
        m_state.serviceKind = kind;
    }
    void raiseAbuse(const char* operation, CORBA::Short errCode, const Norvel::MessageSeq& messages,
                    const CORBA::WChar* details, const CORBA::Any& supplErrInfo) override
    {
        std::lock_guard guard(m_state.lock);
        Abuse& abuse = m_state.abuses[operation];
        abuse.errCode = errCode;
        abuse.messages = messages;
        abuse.details = CORBA::wstring_dup(details);
        abuse.supplErrInfo = supplErrInfo;
    }
    void raiseOther(const char* operation, const char* kind) override
    {
        std::lock_guard guard(m_state.lock);
        m_state.abuses.erase(operation);
        if (*kind)
            m_state.others[operation] = kind;
        else
            m_state.others.erase(operation);
    }
    CORBA::Long listenerCount() override
    {
        std::lock_guard guard(m_state.lock);
        return CORBA::Long(m_state.listeners.size());
    }
    SeqTopicVerbosity* listenerTopics() override
    {
        std::lock_guard guard(m_state.lock);
        if (m_state.listeners.empty())
            return new SeqTopicVerbosity;
        return new SeqTopicVerbosity(m_state.listeners.back().topics);
    }
    void sendMessage(const CORBA::WChar* topic, CORBA::Short verbosity,
                     const CORBA::WChar* text) override
    {
        for (auto& target : Listeners())
            target->diagnosticMessage(topic, verbosity, text);
    }
    void sendMessages(const CORBA::WChar* topic, CORBA::Short verbosity, const CORBA::WChar* text,
                      CORBA::Long count) override
    {
        for (auto& target : Listeners())
            for (CORBA::Long i = 0; i < count; ++i) {
                {
                    std::unique_lock guard(m_state.lock);
                    m_state.messagesReleased.wait(guard, [&] { return !m_state.messagesHeld; });
                }
                target->diagnosticMessage(topic, verbosity, text);
            }
    }
    void holdMessages(CORBA::Boolean hold) override
    {
        std::lock_guard guard(m_state.lock);
        m_state.messagesHeld = hold;
        m_state.messagesReleased.notify_all();
    }
    void sendFree() override
    {
        for (auto& target : Listeners())
            target->free();
    }
    void setFreeOnUnregister(CORBA::Boolean freeFirst) override
    {
        std::lock_guard guard(m_state.lock);
        m_state.freeOnUnregister = freeFirst;
    }
    void die() override { ::raise(SIGKILL); }

private:
    // The registered listeners, called outside the lock.
    std::vector<NorvelDiagnosticsProbeListener::_var_type> Listeners()
    {
        std::vector<NorvelDiagnosticsProbeListener::_var_type> targets;
        std::lock_guard guard(m_state.lock);
        for (auto& entry : m_state.listeners)
            targets.push_back(NorvelDiagnosticsProbeListener::_duplicate(entry.reference));
        return targets;
    }

    State& m_state;
};

} // namespace

int main(int argc, char** argv)
{
    const char* options[][2] = {{"endPoint", "giop:tcp:127.0.0.1:"}, {nullptr, nullptr}};
    CORBA::ORB_var orb = CORBA::ORB_init(argc, argv, "omniORB4", options);
    CORBA::BOA_var boa = orb->BOA_init(argc, argv, "omniORB4_BOA");

    State state;
    auto* service = new Service(state);
    auto* factory = new Factory(state);
    auto* control = new Control(state);
    service->_obj_is_ready(boa);
    factory->_obj_is_ready(boa);
    control->_obj_is_ready(boa);
    state.service = service->_this();
    state.factory = factory->_this();
    boa->impl_is_ready(nullptr, 1);

    CORBA::Object_var controlRef = control->_this();
    CORBA::String_var factoryText = orb->object_to_string(state.factory);
    CORBA::String_var controlText = orb->object_to_string(controlRef);
    std::printf("%s\n%s\n", factoryText.in(), controlText.in());
    std::fflush(stdout);

    // Served from the ORB's own threads until the test closes its end of the pipe.
    char c;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
    std::_Exit(0);
}
