#include "tests/platform/com/Counter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

namespace {

// Runs f on a new thread and waits for it.
template <class F> void onThread(F f)
{
    std::thread t(f);
    t.join();
}

CComPtr<IErrorInfo> makeError(const char16_t* description)
{
    CComPtr<ICreateErrorInfo> create;
    EXPECT_EQ(CreateErrorInfo(&create), S_OK);
    create->SetDescription(const_cast<LPOLESTR>(description));
    create->SetGUID(ICounter::iid);
    create->SetHelpContext(42505);
    CComQIPtr<IErrorInfo> info(static_cast<IUnknown*>(create.p));
    return CComPtr<IErrorInfo>(info.p);
}

TEST(Apartments, AreCountedPerThread)
{
    onThread([] {
        APTTYPE type;
        APTTYPEQUALIFIER qualifier;
        EXPECT_EQ(CoGetApartmentType(&type, &qualifier), CO_E_NOTINITIALIZED);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
        EXPECT_EQ(CoGetApartmentType(&type, &qualifier), S_OK);
        EXPECT_EQ(type, APTTYPE_MTA);
        // Another thread is in no apartment and may choose its own kind.
        onThread([] {
            APTTYPE other;
            APTTYPEQUALIFIER q;
            EXPECT_EQ(CoGetApartmentType(&other, &q), CO_E_NOTINITIALIZED);
            EXPECT_EQ(CoInitialize(nullptr), S_OK);
            EXPECT_EQ(CoGetApartmentType(&other, &q), S_OK);
            EXPECT_EQ(other, APTTYPE_STA);
            CoUninitialize();
        });
        CoUninitialize();
        EXPECT_EQ(CoGetApartmentType(&type, &qualifier), S_OK); // one entry left
        CoUninitialize();
        EXPECT_EQ(CoGetApartmentType(&type, &qualifier), CO_E_NOTINITIALIZED);
        // After leaving, the thread may enter the other kind.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        CoUninitialize();
    });
}

TEST(ErrorInfo, IsKeptPerThreadAndHandedOverOnce)
{
    onThread([] {
        CComPtr<IErrorInfo> error = makeError(u"first");
        ASSERT_EQ(SetErrorInfo(0, error), S_OK);
        onThread([] {
            IErrorInfo* none = reinterpret_cast<IErrorInfo*>(1);
            EXPECT_EQ(GetErrorInfo(0, &none), S_FALSE);
            EXPECT_EQ(none, nullptr);
        });
        IErrorInfo* got = nullptr;
        ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
        EXPECT_EQ(got, error.p);
        CComBSTR description;
        got->GetDescription(&description);
        EXPECT_EQ(description.toUtf8(), "first");
        GUID guid;
        got->GetGUID(&guid);
        EXPECT_EQ(guid, ICounter::iid);
        DWORD context = 0;
        got->GetHelpContext(&context);
        EXPECT_EQ(context, 42505u);
        got->Release();
        EXPECT_EQ(GetErrorInfo(0, &got), S_FALSE);

        // Setting replaces; null clears.
        SetErrorInfo(0, makeError(u"second"));
        SetErrorInfo(0, makeError(u"third"));
        ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
        description.Empty();
        got->GetDescription(&description);
        EXPECT_EQ(description.toUtf8(), "third");
        got->Release();
        SetErrorInfo(0, makeError(u"fourth"));
        SetErrorInfo(0, nullptr);
        EXPECT_EQ(GetErrorInfo(0, &got), S_FALSE);
        // An error left on a thread is released when the thread ends (checked by the leak
        // checkers of a sanitizer build).
        SetErrorInfo(0, makeError(u"left"));
    });
}

class GlobalInterfaceTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&m_git)),
                  S_OK);
        ASSERT_EQ(CComObject<CCounter>::CreateInstance(&m_counter), S_OK);
        m_counter->AddRef();
    }
    void TearDown() override
    {
        m_counter->Release();
        m_git.Release();
        CoUninitialize();
    }
    CComPtr<IGlobalInterfaceTable> m_git;
    CComObject<CCounter>* m_counter = nullptr;
};

TEST_F(GlobalInterfaceTableTest, TheTableIsOneAndNeedsAnApartment)
{
    CComPtr<IGlobalInterfaceTable> again;
    ASSERT_EQ(again.CoCreateInstance(CLSID_StdGlobalInterfaceTable), S_OK);
    EXPECT_EQ(again.p, m_git.p);
    IGlobalInterfaceTable* git = m_git;
    onThread([git] {
        IGlobalInterfaceTable* table = nullptr;
        EXPECT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&table)),
                  CO_E_NOTINITIALIZED);
        EXPECT_EQ(table, nullptr);
        void* p = nullptr;
        EXPECT_EQ(git->GetInterfaceFromGlobal(0x100, IID_IUnknown, &p), CO_E_NOTINITIALIZED);
    });
}

TEST_F(GlobalInterfaceTableTest, RegisterGetAndRevokeAcrossThreads)
{
    DWORD cookie = 0;
    ASSERT_EQ(
        m_git->RegisterInterfaceInGlobal(static_cast<ICounter*>(m_counter), ICounter::iid, &cookie),
        S_OK);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(m_counter->m_dwRef, 2); // the table holds a reference

    IGlobalInterfaceTable* git = m_git;
    std::atomic<int> calls{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([git, cookie, &calls] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            for (int i = 0; i < 50; ++i) {
                ICounter* counter = nullptr;
                if (SUCCEEDED(git->GetInterfaceFromGlobal(cookie, ICounter::iid,
                                                          reinterpret_cast<void**>(&counter)))) {
                    LONG total = 0;
                    counter->Add(1, &total);
                    counter->Release();
                    ++calls;
                }
            }
            CoUninitialize();
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(calls.load(), 400);
    EXPECT_EQ(m_counter->m_value, 400);

    // Asking for another interface of the registered object works; an unknown one fails.
    IDispatch* dispatch = nullptr;
    EXPECT_EQ(
        m_git->GetInterfaceFromGlobal(cookie, IID_IDispatch, reinterpret_cast<void**>(&dispatch)),
        S_OK);
    dispatch->Release();
    void* none = nullptr;
    EXPECT_EQ(m_git->GetInterfaceFromGlobal(cookie, IID_IEnumVARIANT, &none), E_NOINTERFACE);

    ASSERT_EQ(m_git->RevokeInterfaceFromGlobal(cookie), S_OK);
    EXPECT_EQ(m_counter->m_dwRef, 1);
    EXPECT_EQ(m_git->RevokeInterfaceFromGlobal(cookie), E_INVALIDARG);
    EXPECT_EQ(m_git->GetInterfaceFromGlobal(cookie, ICounter::iid, &none), E_INVALIDARG);
    EXPECT_EQ(none, nullptr);
}

TEST_F(GlobalInterfaceTableTest, CookiesAreDistinctUnderConcurrentRegistration)
{
    IGlobalInterfaceTable* git = m_git;
    ICounter* counter = m_counter;
    std::vector<std::vector<DWORD>> cookies(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([git, counter, &cookies, t] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            for (int i = 0; i < 100; ++i) {
                DWORD cookie = 0;
                if (SUCCEEDED(git->RegisterInterfaceInGlobal(counter, ICounter::iid, &cookie)))
                    cookies[t].push_back(cookie);
            }
            CoUninitialize();
        });
    }
    for (std::thread& t : threads)
        t.join();
    std::set<DWORD> all;
    for (const auto& list : cookies)
        all.insert(list.begin(), list.end());
    EXPECT_EQ(all.size(), 400u);
    EXPECT_EQ(m_counter->m_dwRef, 401);
    for (DWORD cookie : all)
        EXPECT_EQ(m_git->RevokeInterfaceFromGlobal(cookie), S_OK);
    EXPECT_EQ(m_counter->m_dwRef, 1);
}

} // namespace

// An object registered from a single-threaded apartment runs its calls on that apartment's
// thread, which serves them when it pumps; its own thread gets the object itself.
TEST_F(GlobalInterfaceTableTest, ApartmentThreadedObjectsAreCalledOnTheirThread)
{
    com::typeInfoFor(com::DispatchInfo<ICounter>::table()); // the interface described
    struct Apartment
    {
        std::atomic<DWORD> cookie{0};
        std::atomic<bool> done{false};
        std::thread::id id;
        ICounter* own = nullptr;
    } apartment;
    IGlobalInterfaceTable* git = m_git;
    std::thread sta([&] {
        apartment.id = std::this_thread::get_id();
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        CComObject<CCounter>* counter = nullptr;
        ASSERT_EQ(CComObject<CCounter>::CreateInstance(&counter), S_OK);
        CComPtr<ICounter> keep(counter);
        DWORD cookie = 0;
        ASSERT_EQ(git->RegisterInterfaceInGlobal(keep, ICounter::iid, &cookie), S_OK);
        ASSERT_EQ(git->GetInterfaceFromGlobal(cookie, ICounter::iid,
                                              reinterpret_cast<void**>(&apartment.own)),
                  S_OK);
        EXPECT_EQ(apartment.own, static_cast<ICounter*>(counter));
        apartment.own->Release();
        apartment.cookie = cookie;
        while (!apartment.done)
            CoPumpMessages(10);
        EXPECT_EQ(git->RevokeInterfaceFromGlobal(cookie), S_OK);
        CoUninitialize();
    });
    while (!apartment.cookie)
        std::this_thread::yield();
    CComPtr<ICounter> proxy;
    ASSERT_EQ(m_git->GetInterfaceFromGlobal(apartment.cookie, ICounter::iid,
                                            reinterpret_cast<void**>(&proxy)),
              S_OK);
    EXPECT_NE(proxy.p, apartment.own);
    LONG total = 0;
    EXPECT_EQ(proxy->Add(5, &total), S_OK);
    EXPECT_EQ(total, 5);
    EXPECT_EQ(proxy->put_Name(CComBSTR("sta")), S_OK);
    CComBSTR name;
    EXPECT_EQ(proxy->get_Name(&name), S_OK);
    EXPECT_EQ(com::utf8FromUtf16(com::bstrView(name)), "sta");
    CComQIPtr<IDispatch> dispatch(proxy.p);
    ASSERT_TRUE(dispatch);
    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    proxy.Release();
    apartment.done = true;
    sta.join();
}

// After the apartment has ended, a proxy's calls fail instead of waiting for ever.
TEST_F(GlobalInterfaceTableTest, ProxiesOfAnEndedApartmentAreDisconnected)
{
    com::typeInfoFor(com::DispatchInfo<ICounter>::table());
    DWORD cookie = 0;
    IGlobalInterfaceTable* git = m_git;
    onThread([&] {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        CComObject<CCounter>* counter = nullptr;
        ASSERT_EQ(CComObject<CCounter>::CreateInstance(&counter), S_OK);
        CComPtr<ICounter> keep(counter);
        ASSERT_EQ(git->RegisterInterfaceInGlobal(keep, ICounter::iid, &cookie), S_OK);
        CoUninitialize();
    });
    CComPtr<ICounter> proxy;
    ASSERT_EQ(
        m_git->GetInterfaceFromGlobal(cookie, ICounter::iid, reinterpret_cast<void**>(&proxy)),
        S_OK);
    LONG value = 0;
    EXPECT_EQ(proxy->get_Value(&value), RPC_E_DISCONNECTED);
    proxy.Release();
    EXPECT_EQ(m_git->RevokeInterfaceFromGlobal(cookie), S_OK);
}

// A class object that calls back into the runtime from its QueryInterface is asked outside the
// runtime's lock.
TEST_F(GlobalInterfaceTableTest, ClassObjectsMayCallBackIntoTheRuntime)
{
    // Lives on the stack for the test: its counting does nothing.
    struct Reentrant : IClassFactory
    {
        HRESULT QueryInterface(REFIID riid, void** ppv) override
        {
            IClassFactory* table = nullptr;
            HRESULT hr =
                CoGetClassObject(CLSID_StdGlobalInterfaceTable, CLSCTX_INPROC_SERVER, nullptr,
                                 IID_IClassFactory, reinterpret_cast<void**>(&table));
            if (FAILED(hr))
                return hr;
            table->Release();
            if (riid != IID_IUnknown && riid != IID_IClassFactory)
                return E_NOINTERFACE;
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        ULONG AddRef() override { return 2; }
        ULONG Release() override { return 1; }
        HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
        {
            return CCounter::_CreatorClass::CreateInstance(outer, riid, ppv);
        }
        HRESULT LockServer(BOOL) override { return S_OK; }
    } reentrant;
    constexpr CLSID kClass{
        0x5C0E0009, 0x7A11, 0x4B2C, {0x9D, 1, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};
    IClassFactory* factory = &reentrant;
    DWORD cookie = 0;
    ASSERT_EQ(
        CoRegisterClassObject(kClass, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
        S_OK);
    CComPtr<ICounter> counter;
    EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, ICounter::iid,
                               reinterpret_cast<void**>(&counter)),
              S_OK);
    counter.Release();
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
}
