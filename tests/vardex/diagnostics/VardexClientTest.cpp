// A COM client of libvardex.so, compiled apart from it and never linking it: the library is
// registered with the registration command and reached through the registry store and
// CoCreateInstance; the report server is the double, in its own process.

#include "platform/com/Atl.h"
#include "tests/platform/com/Exports.h"
#include "tests/vardex/diagnostics/ServerDouble.h"
#include "tests/vardex/diagnostics/VardexRegistration.h"
#include "vardex/diagnostics/VeltrixDiagnosticsLib.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <dlfcn.h>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Norvel::Norveldiag::SeqTopicVerbosity;
using Norvel::Norveldiag::SeqTopicVerbosity_var;

std::string Utf8(BSTR text)
{
    return com::utf8FromUtf16(com::bstrView(text));
}

// An object of the test with one interface I besides IUnknown, counted for real.
template <class I> class TestObject : public I
{
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == I::iid) {
            *ppv = static_cast<I*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG References() const { return m_refs; }
    ULONG Release() override
    {
        ULONG count = --m_refs;
        if (count == 0)
            delete this;
        return count;
    }

protected:
    virtual ~TestObject() = default;

private:
    std::atomic<ULONG> m_refs{1};
};

// The client's listener: records each message and the threads it came on.
class Sink : public TestObject<ISDiagListener>
{
public:
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT DiagnosticsMessage(BSTR topic, SHORT verbosity, BSTR message) override
    {
        std::lock_guard guard(m_lock);
        m_messages.insert(Utf8(topic) + "/" + std::to_string(verbosity) + "/" + Utf8(message));
        m_threads.insert(std::this_thread::get_id());
        m_changed.notify_all();
        return S_OK;
    }
    HRESULT Free() override
    {
        std::lock_guard guard(m_lock);
        ++m_frees;
        m_threads.insert(std::this_thread::get_id());
        m_changed.notify_all();
        return S_OK;
    }

    // Waits until `count` messages came (or `frees` Free calls).
    bool WaitFor(std::size_t count, int frees = 0)
    {
        std::unique_lock guard(m_lock);
        return m_changed.wait_for(guard, 20s,
                                  [&] { return m_messages.size() >= count && m_frees >= frees; });
    }
    std::set<std::string> Messages()
    {
        std::lock_guard guard(m_lock);
        return m_messages;
    }
    int Frees()
    {
        std::lock_guard guard(m_lock);
        return m_frees;
    }
    std::set<std::thread::id> Threads()
    {
        std::lock_guard guard(m_lock);
        return m_threads;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::set<std::string> m_messages;
    std::set<std::thread::id> m_threads;
    int m_frees = 0;
};

// The parent service object of the report server's COM host: a reconnection starts a new
// server and connects the child to it.
class Parent : public TestObject<ISParentService>
{
public:
    explicit Parent(std::function<std::string()> restart) : m_restart(std::move(restart)) {}

    LONG ReconnectChild(ISDiagnostics* child) override
    {
        ++reconnects;
        if (claimOnly)
            return 1;
        CComQIPtr<ISInternalService> internal(child);
        CComBSTR reference(m_restart().c_str());
        return internal && SUCCEEDED(internal->ConnectService(reference)) ? 1 : 0;
    }
    LONG AttachChild(ISDiagnostics*) override { return ++attached; }
    LONG DetachChild(ISDiagnostics*) override { return ++detached; }
    HRESULT Unused6() override { return E_NOTIMPL; }
    HRESULT Unused7() override { return E_NOTIMPL; }
    HRESULT Unused8() override { return E_NOTIMPL; }
    HRESULT Unused9() override { return E_NOTIMPL; }
    HRESULT Unused10() override { return E_NOTIMPL; }
    HRESULT Unused11() override { return E_NOTIMPL; }
    HRESULT GetLocale(LCID* locale) override
    {
        *locale = 0x409;
        return S_OK;
    }

    // Answers a reconnection without making one.
    bool claimOnly = false;
    std::atomic<int> reconnects{0};
    std::atomic<int> attached{0};
    std::atomic<int> detached{0};

private:
    std::function<std::string()> m_restart;
};

SeqTopicVerbosity ServerTopics(std::initializer_list<std::pair<const wchar_t*, short>> pairs)
{
    SeqTopicVerbosity topics;
    topics.length(CORBA::ULong(pairs.size()));
    CORBA::ULong i = 0;
    for (const auto& [topic, verbosity] : pairs) {
        topics[i].topic = CORBA::wstring_dup(topic);
        topics[i].verbosity = verbosity;
        ++i;
    }
    return topics;
}

class VardexClient : public VardexApartmentFixture
{
protected:
    void SetUp() override
    {
        VardexApartmentFixture::SetUp();
        int argc = 0;
        m_orb = CORBA::ORB_init(argc, nullptr, "");
    }
    void TearDown() override
    {
        m_server.reset();
        VardexApartmentFixture::TearDown();
    }

    void StartServer()
    {
        m_server = std::make_unique<ServerDouble>(m_orb);
        m_server->Control()->setTopics(ServerTopics({{L"SQL", 3}, {L"Batch", 1}}));
    }

    // A Diagnostics object connected to the server.
    CComPtr<ISDiagnostics> Connected(IUnknown* parent = nullptr)
    {
        CComPtr<ISDiagnostics> diagnostics;
        EXPECT_EQ(CoCreateInstance(CLSID_Diagnostics, nullptr, CLSCTX_INPROC_SERVER,
                                   ISDiagnostics::iid, reinterpret_cast<void**>(&diagnostics)),
                  S_OK);
        CComQIPtr<ISInternalService> internal(diagnostics);
        EXPECT_TRUE(internal);
        EXPECT_EQ(internal->AttachParent(parent), S_OK);
        CComBSTR reference(m_server->FactoryReference().c_str());
        EXPECT_EQ(internal->ConnectService(reference), S_OK);
        return diagnostics;
    }

    static CComPtr<ISTopics> NewTopics(std::initializer_list<std::pair<const char*, SHORT>> pairs)
    {
        CComPtr<ISTopics> topics;
        EXPECT_EQ(CoCreateInstance(CLSID_Topics, nullptr, CLSCTX_INPROC_SERVER, ISTopics::iid,
                                   reinterpret_cast<void**>(&topics)),
                  S_OK);
        for (const auto& [name, verbosity] : pairs)
            EXPECT_EQ(topics->Add(CComBSTR(name), verbosity), S_OK);
        return topics;
    }

    static LONG Registered(ISDiagnostics* diagnostics)
    {
        LONG registered = -1;
        EXPECT_EQ(diagnostics->get_Registered(&registered), S_OK);
        return registered;
    }

    void Send(const wchar_t* topic, short verbosity, const wchar_t* text)
    {
        m_server->Control()->sendMessage(topic, verbosity, text);
    }

    CORBA::ORB_var m_orb;
    std::unique_ptr<ServerDouble> m_server;
};

// The library's DllCanUnloadNow as the loader finds it, without linking the library. Relay
// threads and servants end shortly after their work: S_OK is waited for a while.
HRESULT CanUnloadNow(HRESULT expected = S_OK, int tries = 500)
{
    void* library = ::dlopen(VARDEX_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    if (!library)
        return E_UNEXPECTED;
    auto entry = reinterpret_cast<HRESULT (*)()>(::dlsym(library, "DllCanUnloadNow"));
    HRESULT hr = E_UNEXPECTED;
    for (int i = 0; entry && i < tries; ++i) {
        hr = entry();
        if (hr == expected)
            break;
        std::this_thread::sleep_for(10ms);
    }
    ::dlclose(library);
    return hr;
}

TEST_F(VardexClient, ExportsOnlyItsFourEntryPoints)
{
    EXPECT_EQ(com::testing::ExportedNames(VARDEX_LIBRARY),
              (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                     "DllUnregisterServer"}));
}

TEST_F(VardexClient, ClassesResolveByProgramIdentifierAndAggregateAsRegistered)
{
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"VeltrixEnterprise.Topics", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_Topics);
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, "VeltrixEnterprise.Topics\\CurVer"),
              "VeltrixEnterprise.Topics.1");
    EXPECT_EQ(CLSIDFromProgID(u"VeltrixEnterprise.Diagnostics.1", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_Diagnostics);
    EXPECT_EQ(CLSIDFromProgID(u"VeltrixEnterprise.FW_Topic", &clsid), CO_E_CLASSSTRING);
    std::string key = "CLSID\\" + com::guidToString(CLSID_Topic);
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, key + "\\ProgID"), "VeltrixEnterprise.FW_Topic.1");
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "ThreadingModel"), "Both");

    // Topic is not creatable in the type library, but its class factory makes one.
    CComPtr<ISTopic> topic;
    EXPECT_EQ(CoCreateInstance(CLSID_Topic, nullptr, CLSCTX_INPROC_SERVER, ISTopic::iid,
                               reinterpret_cast<void**>(&topic)),
              S_OK);
    CComPtr<IUnknown> outer;
    topic->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&outer));
    for (const CLSID& refused : {CLSID_Topic, CLSID_Diagnostics}) {
        IUnknown* inner = nullptr;
        EXPECT_EQ(CoCreateInstance(refused, outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&inner)),
                  CLASS_E_NOAGGREGATION);
    }
    CComPtr<IUnknown> aggregated;
    EXPECT_EQ(CoCreateInstance(CLSID_Topics, outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&aggregated)),
              S_OK);

    // Error information for the default interface only.
    CComQIPtr<ISupportErrorInfo> support(topic);
    ASSERT_TRUE(support);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(ISTopic::iid), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(ISTopics::iid), S_FALSE);

    // The type library's description reaches dispatch clients: names, help, restricted members.
    CComPtr<ISTopics> topics = NewTopics({});
    CComPtr<ITypeInfo> info;
    ASSERT_EQ(topics->GetTypeInfo(0, 0, &info), S_OK);
    LPOLESTR name = const_cast<LPOLESTR>(u"_NewEnum");
    DISPID id = 0;
    EXPECT_EQ(topics->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, DISPID_NEWENUM);
    CComQIPtr<ITypeInfoFlags> memberFlags(info);
    ASSERT_TRUE(memberFlags);
    WORD flags = 0;
    EXPECT_EQ(memberFlags->GetFuncFlags(DISPID_NEWENUM, &flags), S_OK);
    EXPECT_EQ(flags, FUNCFLAG_FRESTRICTED);
    EXPECT_EQ(memberFlags->GetFuncFlags(0x60020007, &flags), S_OK);
    EXPECT_EQ(flags, 0);
    CComBSTR help;
    EXPECT_EQ(info->GetDocumentation(0x60020005, nullptr, &help, nullptr, nullptr), S_OK);
    EXPECT_EQ(Utf8(help), "Get Pair given Index, Index can be ordinal position or id");

    // The registration command removes what it wrote.
    ASSERT_EQ(RunRegistrationCommand("-u"), 0);
    EXPECT_EQ(CLSIDFromProgID(u"VeltrixEnterprise.Topics", &clsid), CO_E_CLASSSTRING);
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, key));
    EXPECT_FALSE(
        keyExists(HKEY_CLASSES_ROOT, "TypeLib\\" + com::guidToString(LIBID_VeltrixDiagnosticsLib)));
}

// The Parts' cases of the collection, through the client's own calls.
TEST_F(VardexClient, TopicsFindByNameOrdinalOrElementAndEnumerateOverOneCursor)
{
    CComPtr<ISTopics> topics = NewTopics({{"sql", 1}, {"Batch", 2}, {"Net", 3}});
    auto item = [&](VARIANT index, std::string* name = nullptr) {
        CComPtr<ISTopic> topic;
        HRESULT hr = topics->get_Item(index, &topic);
        if (SUCCEEDED(hr) && name) {
            CComBSTR text;
            topic->get_Topic(&text);
            *name = Utf8(text);
        }
        return hr;
    };
    std::string name;
    EXPECT_EQ(item(CComVariant("SQL"), &name), S_OK);
    EXPECT_EQ(name, "sql");
    EXPECT_EQ(item(CComVariant(LONG(1)), &name), S_OK);
    EXPECT_EQ(name, "sql");
    CComVariant omitted;
    omitted.vt = VT_ERROR;
    omitted.scode = DISP_E_PARAMNOTFOUND;
    EXPECT_EQ(item(omitted, &name), S_OK);
    EXPECT_EQ(name, "sql");
    const HRESULT notFound = HRESULT(0x80042A37);
    EXPECT_EQ(item(CComVariant(LONG(0))), notFound);
    EXPECT_EQ(item(CComVariant(LONG(4))), notFound);
    CComVariant nullObject;
    nullObject.vt = VT_DISPATCH;
    nullObject.pdispVal = nullptr;
    EXPECT_EQ(item(nullObject), notFound);
    CComPtr<ISTopic> third;
    ASSERT_EQ(topics->get_Item(CComVariant(LONG(3)), &third), S_OK);
    CComVariant byElement(static_cast<IDispatch*>(third.p));
    EXPECT_EQ(item(byElement, &name), S_OK);
    EXPECT_EQ(name, "Net");

    // Delete of the first keeps the others' names pointing at them.
    EXPECT_EQ(topics->Delete(CComBSTR("SQL")), S_OK);
    EXPECT_EQ(item(CComVariant("net"), &name), S_OK);
    EXPECT_EQ(name, "Net");
    EXPECT_EQ(topics->Delete(CComBSTR("sql")), S_FALSE);

    // A name added twice: the newest is found and deleted, the older stays without a key.
    EXPECT_EQ(topics->Add(CComBSTR("Net"), 9), S_OK);
    LONG count = 0;
    EXPECT_EQ(topics->get_Count(&count), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(topics->Delete(CComBSTR("NET")), S_OK);
    EXPECT_EQ(topics->Delete(CComBSTR("NET")), S_FALSE);
    EXPECT_EQ(topics->Add(CComBSTR(""), 1), E_INVALIDARG);

    // Next and Skip share the cursor; Add puts it back to the start.
    CComPtr<ISTopics> three = NewTopics({{"a", 1}, {"b", 2}, {"c", 3}});
    ISTopic* fetched[2] = {};
    LONG returned = 0;
    EXPECT_EQ(three->Next(2, fetched, &returned), S_OK);
    EXPECT_EQ(returned, 2);
    fetched[0]->Release();
    fetched[1]->Release();
    EXPECT_EQ(three->Next(2, fetched, &returned), S_FALSE);
    EXPECT_EQ(returned, 1);
    fetched[0]->Release();
    EXPECT_EQ(three->Next(2, fetched, nullptr), E_POINTER);
    EXPECT_EQ(three->Add(CComBSTR("d"), 4), S_OK);
    EXPECT_EQ(three->Next(1, fetched, nullptr), S_OK);
    CComBSTR first;
    fetched[0]->get_Topic(&first);
    fetched[0]->Release();
    EXPECT_EQ(Utf8(first), "a");
    EXPECT_EQ(three->Skip(5), S_FALSE);
    EXPECT_EQ(three->Next(1, fetched, &returned), S_FALSE);
    EXPECT_EQ(returned, 0);

    // A clone shares the elements and copies the cursor; _NewEnum is a snapshot.
    EXPECT_EQ(three->Reset(), S_OK);
    EXPECT_EQ(three->Skip(1), S_OK);
    CComPtr<ISTopics> clone;
    ASSERT_EQ(three->Clone(&clone), S_OK);
    EXPECT_EQ(clone->Next(1, fetched, nullptr), S_OK);
    CComBSTR second;
    fetched[0]->get_Topic(&second);
    fetched[0]->Release();
    EXPECT_EQ(Utf8(second), "b");
    CComPtr<IUnknown> unknown;
    ASSERT_EQ(three->_NewEnum(&unknown), S_OK);
    CComQIPtr<IEnumVARIANT> enumerator(unknown);
    ASSERT_TRUE(enumerator);
    EXPECT_EQ(three->Delete(CComBSTR("a")), S_OK);
    VARIANT items[5];
    ULONG got = 0;
    EXPECT_EQ(enumerator->Next(5, items, &got), S_FALSE);
    EXPECT_EQ(got, 4u);
    for (ULONG i = 0; i < got; ++i) {
        EXPECT_EQ(items[i].vt, VT_DISPATCH);
        VariantClear(&items[i]);
    }
}

TEST_F(VardexClient, RelaysServerMessagesToTheClientsListener)
{
    StartServer();
    CComPtr<ISDiagnostics> diagnostics = Connected();
    CComPtr<ISTopics> serverTopics;
    ASSERT_EQ(diagnostics->get_Topics(&serverTopics), S_OK);
    LONG count = 0;
    serverTopics->get_Count(&count);
    EXPECT_EQ(count, 2);

    auto* sink = new Sink;
    CComPtr<ISTopics> wanted = NewTopics({{"SQL", 5}, {"Net", 2}});
    ASSERT_EQ(diagnostics->RegisterProbeListener(sink, wanted), S_OK);
    EXPECT_EQ(Registered(diagnostics), 1);
    EXPECT_EQ(m_server->Control()->listenerCount(), 1);
    SeqTopicVerbosity_var sent = m_server->Control()->listenerTopics();
    ASSERT_EQ(sent->length(), 2u);
    EXPECT_EQ(std::wstring(sent[1].topic.in()), L"Net");
    EXPECT_EQ(sent[1].verbosity, 2);

    // Registered and the server alive: refused, the registration unchanged.
    EXPECT_EQ(diagnostics->RegisterProbeListener(sink, wanted), HRESULT(0x80042A0D));
    // The collection was read to its end: a filter change sends no topic.
    EXPECT_EQ(diagnostics->ChangeProbeListenerTopicalFilter(wanted), S_OK);
    sent = m_server->Control()->listenerTopics();
    EXPECT_EQ(sent->length(), 0u);

    Send(L"SQL", 4, L"select 1");
    Send(L"Net", 1, L"caf\u00e9 ouvert");
    ASSERT_TRUE(sink->WaitFor(2));
    EXPECT_EQ(sink->Messages(),
              (std::set<std::string>{"SQL/4/select 1", "Net/1/caf\u00e9 ouvert"}));
    EXPECT_FALSE(sink->Threads().count(std::this_thread::get_id()));

    EXPECT_EQ(diagnostics->UnregisterProbeListener(), S_OK);
    EXPECT_EQ(m_server->Control()->listenerCount(), 0);
    EXPECT_EQ(Registered(diagnostics), 0);
    EXPECT_EQ(diagnostics->UnregisterProbeListener(), HRESULT(0x80042A0E));
    EXPECT_EQ(sink->Frees(), 0);
    sink->Release();
    EXPECT_EQ(CanUnloadNow(S_FALSE), S_FALSE);
    diagnostics.Release();
    serverTopics.Release();
    wanted.Release();
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

// A listener of a single-threaded apartment is called on that apartment's thread, when the
// thread pumps messages.
TEST_F(VardexClient, CallsAnApartmentThreadedListenerOnItsOwnThread)
{
    StartServer();
    auto* sink = new Sink;
    std::thread::id apartmentThread;
    std::thread client([&] {
        apartmentThread = std::this_thread::get_id();
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        {
            CComPtr<ISDiagnostics> diagnostics = Connected();
            ASSERT_EQ(diagnostics->RegisterProbeListener(sink, NewTopics({{"SQL", 1}})), S_OK);
            EXPECT_EQ(CoPumpMessages(0), S_FALSE);
            Send(L"SQL", 2, L"one");
            Send(L"SQL", 3, L"two");
            auto deadline = std::chrono::steady_clock::now() + 20s;
            while (sink->Messages().size() < 2 && std::chrono::steady_clock::now() < deadline)
                CoPumpMessages(50);
            // A free request may overtake messages: it is sent once they are in.
            m_server->Control()->sendFree();
            while (sink->Frees() < 1 && std::chrono::steady_clock::now() < deadline)
                CoPumpMessages(50);
            diagnostics.Release();
            // The relay threads release the listener on this thread too.
            while (CanUnloadNow(S_OK, 1) != S_OK && std::chrono::steady_clock::now() < deadline)
                CoPumpMessages(50);
        }
        CoUninitialize();
    });
    client.join();
    EXPECT_EQ(sink->Messages(), (std::set<std::string>{"SQL/2/one", "SQL/3/two"}));
    EXPECT_EQ(sink->Frees(), 1);
    EXPECT_EQ(sink->Threads(), std::set<std::thread::id>{apartmentThread});
    EXPECT_EQ(CanUnloadNow(), S_OK);
    sink->Release();
}

TEST_F(VardexClient, ServersFreeEndsTheRegistrationAndTellsTheListenerOnce)
{
    StartServer();
    CComPtr<ISDiagnostics> diagnostics = Connected();
    auto* sink = new Sink;
    ASSERT_EQ(diagnostics->RegisterProbeListener(sink, NewTopics({{"SQL", 1}})), S_OK);
    EXPECT_EQ(CanUnloadNow(S_FALSE), S_FALSE);
    m_server->Control()->sendFree();
    ASSERT_TRUE(sink->WaitFor(0, 1));
    EXPECT_EQ(Registered(diagnostics), 0);
    // A new registration needs no unregistration first.
    ASSERT_EQ(diagnostics->RegisterProbeListener(sink, NewTopics({{"Net", 1}})), S_OK);
    Send(L"Net", 1, L"again");
    ASSERT_TRUE(sink->WaitFor(1));
    EXPECT_EQ(sink->Frees(), 1);
    EXPECT_EQ(diagnostics->UnregisterProbeListener(), S_OK);
    sink->Release();
}

// A free that reaches a replaced registration's servant late ends nothing. The server frees
// the listener it is asked to unregister; that free waits for the object's lock in the client
// behind a second client thread's registration, which gets the lock first.
TEST_F(VardexClient, LateFreeOfAReplacedServantLeavesTheCurrentRegistration)
{
    StartServer();
    CComPtr<ISDiagnostics> diagnostics = Connected();
    for (int round = 0; round < 8; ++round) {
        auto* first = new Sink;
        auto* second = new Sink;
        CComPtr<ISTopics> topics = NewTopics({{"SQL", 1}});
        ASSERT_EQ(diagnostics->RegisterProbeListener(first, topics), S_OK);
        m_server->Control()->setFreeOnUnregister(true);
        std::atomic<bool> unregistering{false};
        HRESULT registered = E_FAIL;
        std::thread next([&] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            while (!unregistering)
                std::this_thread::yield();
            // The unregistration holds the lock by now, and the server's free is yet to come.
            std::this_thread::sleep_for(50ms);
            registered = diagnostics->RegisterProbeListener(second, topics);
            CoUninitialize();
        });
        unregistering = true;
        EXPECT_EQ(diagnostics->UnregisterProbeListener(), S_OK);
        next.join();
        m_server->Control()->setFreeOnUnregister(false);
        ASSERT_EQ(registered, S_OK) << "round " << round;
        std::this_thread::sleep_for(100ms); // the late free has run by now
        EXPECT_EQ(Registered(diagnostics), 1) << "round " << round;
        Send(L"SQL", 1, L"current");
        EXPECT_TRUE(second->WaitFor(1)) << "round " << round;
        EXPECT_EQ(second->Frees(), 0);
        EXPECT_EQ(diagnostics->UnregisterProbeListener(), S_OK);
        first->Release();
        second->Release();
    }
}

// Whatever way a registration ends, its servant and its entry in the interface table go with it:
// the client's listener is held by nothing but the client, and the library can be unloaded.
TEST_F(VardexClient, EndedRegistrationsLeaveNeitherServantNorListenerBehind)
{
    StartServer();
    CComPtr<ISDiagnostics> diagnostics = Connected();
    auto* sink = new Sink;

    // Without the interface table (a thread outside any apartment) nothing is registered.
    CComPtr<ISTopics> wanted = NewTopics({{"SQL", 1}});
    std::thread([&] {
        EXPECT_EQ(diagnostics->RegisterProbeListener(sink, wanted), E_FAIL);
    }).join();
    wanted.Release();
    EXPECT_EQ(Registered(diagnostics), 0);

    // The server refuses the registration.
    m_server->Control()->raiseOther("registerDiagnosticsProbeListener", "NO_PERMISSION");
    EXPECT_TRUE(FAILED(diagnostics->RegisterProbeListener(sink, NewTopics({{"SQL", 1}}))));
    EXPECT_EQ(Registered(diagnostics), 0);
    EXPECT_EQ(sink->References(), 1u);
    m_server->Control()->raiseOther("registerDiagnosticsProbeListener", "");

    // The server refuses the unregistration: the registration and its listener stay.
    ASSERT_EQ(diagnostics->RegisterProbeListener(sink, NewTopics({{"SQL", 1}})), S_OK);
    m_server->Control()->raiseOther("unregisterDiagnosticsProbeListener", "NO_PERMISSION");
    EXPECT_TRUE(FAILED(diagnostics->UnregisterProbeListener()));
    EXPECT_EQ(Registered(diagnostics), 1);
    Send(L"SQL", 1, L"still here");
    EXPECT_TRUE(sink->WaitFor(1));
    m_server->Control()->raiseOther("unregisterDiagnosticsProbeListener", "");

    // An unregistration from a thread outside any apartment ends the registration with the
    // server and revokes the cookie within an apartment of its own: it succeeds, the listener
    // has left the table, and a second one finds nothing registered.
    std::thread([&] { EXPECT_EQ(diagnostics->UnregisterProbeListener(), S_OK); }).join();
    EXPECT_EQ(Registered(diagnostics), 0);
    EXPECT_EQ(m_server->Control()->listenerCount(), 0);
    for (int i = 0; i < 200 && sink->References() != 1; ++i)
        std::this_thread::sleep_for(10ms); // the relay of the last message lets it go
    EXPECT_EQ(sink->References(), 1u);
    EXPECT_EQ(diagnostics->UnregisterProbeListener(), HRESULT(0x80042A0E));

    // A registration over a dead service drops the old one; the new one fails with the server.
    m_server->Kill();
    EXPECT_TRUE(FAILED(diagnostics->RegisterProbeListener(sink, NewTopics({{"SQL", 1}}))));
    EXPECT_EQ(Registered(diagnostics), 0);
    EXPECT_EQ(sink->References(), 1u);
    diagnostics.Release();
    EXPECT_EQ(CanUnloadNow(), S_OK);
    sink->Release();
}

// Names are looked up and elements read under one lock while another thread deletes and adds,
// and two writers of one topic's text never free it twice.
TEST_F(VardexClient, CollectionsStaySoundUnderConcurrentChanges)
{
    CComPtr<ISTopics> topics = NewTopics({{"a", 1}, {"b", 2}, {"c", 3}});
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (int i = 0; i < 2000; ++i) {
            topics->Delete(CComBSTR("a"));
            topics->Add(CComBSTR("a"), 1);
        }
        stop = true;
        CoUninitialize();
    });
    while (!stop) {
        CComPtr<ISTopic> topic;
        if (topics->get_Item(CComVariant("C"), &topic) == S_OK) {
            CComBSTR name;
            topic->get_Topic(&name);
            ASSERT_EQ(Utf8(name), "c");
        }
    }
    writer.join();

    CComPtr<ISTopic> shared;
    ASSERT_EQ(topics->get_Item(CComVariant(LONG(1)), &shared), S_OK);
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&shared, t] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            CComBSTR text(std::to_string(t).c_str());
            for (int i = 0; i < 1000; ++i)
                shared->put_Topic(text);
            CoUninitialize();
        });
    for (std::thread& writer : writers)
        writer.join();
    CComBSTR last;
    shared->get_Topic(&last);
    EXPECT_EQ(Utf8(last).size(), 1u);
}

TEST_F(VardexClient, ReconnectsThroughTheParentAfterTheServerIsKilled)
{
    StartServer();
    auto* parent = new Parent([this] {
        StartServer();
        m_server->Control()->setTopics(ServerTopics({{L"Fresh", 7}}));
        return m_server->FactoryReference();
    });
    CComPtr<ISDiagnostics> diagnostics = Connected(parent);
    EXPECT_EQ(parent->attached, 1);
    auto* sink = new Sink;
    ASSERT_EQ(diagnostics->RegisterProbeListener(sink, NewTopics({{"SQL", 1}})), S_OK);

    m_server->Kill();
    // The broken call reaches the parent, which connects to a new server; the call is repeated
    // there.
    CComPtr<ISTopics> topics;
    ASSERT_EQ(diagnostics->get_Topics(&topics), S_OK);
    EXPECT_EQ(parent->reconnects, 1);
    LONG count = 0;
    topics->get_Count(&count);
    EXPECT_EQ(count, 1);
    // The new server's service is alive: the old registration ends by unregistration.
    EXPECT_EQ(diagnostics->UnregisterProbeListener(), S_OK);
    ASSERT_EQ(diagnostics->RegisterProbeListener(sink, NewTopics({{"Fresh", 1}})), S_OK);
    Send(L"Fresh", 1, L"back");
    ASSERT_TRUE(sink->WaitFor(1));
    EXPECT_EQ(diagnostics->UnregisterProbeListener(), S_OK);

    // A repeated call that fails again is reported with the second failure, and not repeated.
    parent->claimOnly = true;
    m_server->Kill();
    CComPtr<ISTopics> again;
    HRESULT second = diagnostics->get_Topics(&again);
    EXPECT_TRUE(second == HRESULT(0x80040801) || second == HRESULT(0x8004080B))
        << std::hex << second;
    EXPECT_EQ(parent->reconnects, 2);
    StartServer();

    // Without a parent, a broken connection is reported as it came.
    CComPtr<ISDiagnostics> orphan = Connected();
    m_server->Kill();
    CComPtr<ISTopics> none;
    HRESULT hr = orphan->get_Topics(&none);
    EXPECT_TRUE(hr == HRESULT(0x80040801) || hr == HRESULT(0x8004080B)) << std::hex << hr;
    EXPECT_EQ(parent->reconnects, 2);
    diagnostics.Release();
    EXPECT_EQ(parent->detached, 1);
    sink->Release();
    parent->Release();
}

TEST_F(VardexClient, EightClientThreadsReceiveTheirRelayedMessages)
{
    StartServer();
    constexpr int kClients = 8;
    constexpr int kSends = 25; // each send reaches every listener: 200 relayed messages
    std::vector<Sink*> sinks;
    std::vector<std::thread> clients;
    std::atomic<int> registered{0};
    std::atomic<bool> sent{false};
    std::string reference = m_server->FactoryReference();
    for (int i = 0; i < kClients; ++i) {
        sinks.push_back(new Sink);
        clients.emplace_back([&, sink = sinks.back()] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            {
                CComPtr<ISDiagnostics> diagnostics;
                CoCreateInstance(CLSID_Diagnostics, nullptr, CLSCTX_INPROC_SERVER,
                                 ISDiagnostics::iid, reinterpret_cast<void**>(&diagnostics));
                CComQIPtr<ISInternalService> internal(diagnostics);
                internal->AttachParent(nullptr);
                internal->ConnectService(CComBSTR(reference.c_str()));
                EXPECT_EQ(diagnostics->RegisterProbeListener(sink, NewTopics({{"SQL", 1}})), S_OK);
                ++registered;
                EXPECT_TRUE(sink->WaitFor(kSends));
                while (!sent)
                    std::this_thread::sleep_for(1ms);
                EXPECT_EQ(diagnostics->UnregisterProbeListener(), S_OK);
            }
            CoUninitialize();
        });
    }
    while (registered < kClients)
        std::this_thread::sleep_for(1ms);
    for (int n = 0; n < kSends; ++n)
        Send(L"SQL", 1, std::to_wstring(n).c_str());
    sent = true;
    for (std::thread& client : clients)
        client.join();
    for (Sink* sink : sinks) {
        EXPECT_EQ(sink->Messages().size(), std::size_t(kSends));
        sink->Release();
    }
    // Everything gone: the library may be unloaded, and the process ends normally after it.
    EXPECT_EQ(CanUnloadNow(), S_OK);
    CoFreeUnusedLibraries();
}

} // namespace
