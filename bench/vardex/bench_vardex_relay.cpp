// Messages the report server sends, per second, as they reach their receiver:
//   Relay:            libvardex.so's servant, a relay thread per message, the COM client's
//                     listener fetched from the Global Interface Table;
//   BareOneway:       a servant of this process that only counts (the bare oneway loop);
//   ThreadPerMessage: the same servant starting one thread per message that counts.
// The server double sends a batch of oneway calls in a loop; the figure is the batch over the time
// until its last message arrived.

#include "platform/com/Atl.h"
#include "tests/vardex/diagnostics/ServerDouble.h"
#include "vardex/diagnostics/VeltrixDiagnosticsLib.h"

#include "implserv.hh"

#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

namespace {

constexpr int kBatch = 2000;

// Arrivals, waited for by the sending loop.
class Counter
{
public:
    void Arrived()
    {
        std::lock_guard guard(m_lock);
        if (++m_count >= m_target)
            m_reached.notify_all();
    }
    void Expect(long target)
    {
        std::lock_guard guard(m_lock);
        m_target = target;
    }
    void Wait()
    {
        std::unique_lock guard(m_lock);
        m_reached.wait(guard, [&] { return m_count >= m_target; });
    }
    long Count()
    {
        std::lock_guard guard(m_lock);
        return m_count;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_reached;
    long m_count = 0;
    long m_target = 0;
};

class Sink : public ISDiagListener
{
public:
    explicit Sink(Counter& counter) : m_counter(counter) {}
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid != IID_IUnknown && riid != ISDiagListener::iid)
            return E_NOINTERFACE;
        *ppv = this;
        return S_OK;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT DiagnosticsMessage(BSTR, SHORT, BSTR) override
    {
        m_counter.Arrived();
        return S_OK;
    }
    HRESULT Free() override { return S_OK; }

private:
    Counter& m_counter;
};

class BareListener : public virtual Norvel::Norveldiag::_sk_NorvelDiagnosticsProbeListener
{
public:
    BareListener(Counter& counter, bool threadPerMessage)
        : m_counter(counter), m_threadPerMessage(threadPerMessage)
    {
    }
    void diagnosticMessage(const CORBA::WChar*, CORBA::Short, const CORBA::WChar*) override
    {
        if (m_threadPerMessage)
            std::thread([this] { m_counter.Arrived(); }).detach();
        else
            m_counter.Arrived();
    }
    void topicalFilterUpdated(const Norvel::Norveldiag::SeqTopicVerbosity&) override {}
    void free() override {}

private:
    Counter& m_counter;
    bool m_threadPerMessage;
};

// The server double, the library registered in a private registry store, and a connected
// Diagnostics object: shared by the three benchmarks.
struct World
{
    World()
    {
        registry = std::filesystem::temp_directory_path() / "vardex-bench-registry";
        ::setenv("VARDEX_REGISTRY_ROOT", registry.c_str(), 1);
        std::string command = std::string(REGSVR) + " " + VARDEX_LIBRARY + " > /dev/null";
        if (std::system(command.c_str()) != 0)
            std::abort();
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        int argc = 0;
        orb = CORBA::ORB_init(argc, nullptr, "");
        server = std::make_unique<ServerDouble>(orb);
        CoCreateInstance(CLSID_Diagnostics, nullptr, CLSCTX_INPROC_SERVER, ISDiagnostics::iid,
                         reinterpret_cast<void**>(&diagnostics));
        CComQIPtr<ISInternalService> internal(diagnostics);
        internal->AttachParent(nullptr);
        if (internal->ConnectService(CComBSTR(server->FactoryReference().c_str())) != S_OK)
            std::abort();
        CORBA::Object_var object = orb->string_to_object(server->FactoryReference().c_str());
        ImplServ::QuollFactory_var factory = ImplServ::QuollFactory::_narrow(object);
        CORBA::Object_var serviceObject = factory->newService(L"Diagnostics", L"");
        service = Norvel::Norveldiag::NorvelDiagnostics::_narrow(serviceObject);
    }

    CORBA::ORB_var orb;
    std::unique_ptr<ServerDouble> server;
    CComPtr<ISDiagnostics> diagnostics;
    Norvel::Norveldiag::NorvelDiagnostics_var service;
    std::filesystem::path registry;
};

World& TheWorld()
{
    static World world;
    return world;
}

// Sends batches and waits for each to arrive in full.
void RunBatches(benchmark::State& state, Counter& counter)
{
    World& world = TheWorld();
    long sent = counter.Count();
    for (auto _ : state) {
        sent += kBatch;
        counter.Expect(sent);
        world.server->Control()->sendMessages(L"SQL", 1, L"a diagnostic message", kBatch);
        counter.Wait();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void Relay(benchmark::State& state)
{
    World& world = TheWorld();
    Counter counter;
    Sink sink(counter);
    CComPtr<ISTopics> topics;
    CoCreateInstance(CLSID_Topics, nullptr, CLSCTX_INPROC_SERVER, ISTopics::iid,
                     reinterpret_cast<void**>(&topics));
    topics->Add(CComBSTR("SQL"), 1);
    if (world.diagnostics->RegisterProbeListener(&sink, topics) != S_OK)
        state.SkipWithError("registration failed");
    RunBatches(state, counter);
    world.diagnostics->UnregisterProbeListener();
}

void Bare(benchmark::State& state, bool threadPerMessage)
{
    World& world = TheWorld();
    Counter counter;
    auto* servant = new BareListener(counter, threadPerMessage);
    servant->_obj_is_ready(CORBA::BOA::getBOA());
    Norvel::Norveldiag::NorvelDiagnosticsProbeListener_var listener = servant->_this();
    world.service->registerDiagnosticsProbeListener(listener,
                                                    Norvel::Norveldiag::SeqTopicVerbosity());
    RunBatches(state, counter);
    world.service->unregisterDiagnosticsProbeListener(listener);
    // Threads still counting finish before the counter goes.
    while (counter.Count() < long(state.iterations()) * kBatch)
        std::this_thread::yield();
    CORBA::BOA::getBOA()->dispose(listener);
}

void BareOneway(benchmark::State& state)
{
    Bare(state, false);
}

void ThreadPerMessage(benchmark::State& state)
{
    Bare(state, true);
}

BENCHMARK(Relay)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BareOneway)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ThreadPerMessage)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
