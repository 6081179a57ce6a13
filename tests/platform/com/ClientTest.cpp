// A client loads the test server with dlopen, registers it, and then creates and calls its
// objects through the registry store and IDispatch, as a scripting client would.

#include "platform/registry/Registry.h"
#include "tests/platform/com/Counter.h"
#include "tests/platform/registry/RegistryFixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <thread>

namespace {

using ServerEntry = HRESULT (*)();

class Client : public RegistryFixture
{
protected:
    void SetUp() override
    {
        RegistryFixture::SetUp();
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        m_server = ::dlopen(TEST_COM_SERVER, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_server, nullptr) << ::dlerror();
        m_register = entry("DllRegisterServer");
        m_unregister = entry("DllUnregisterServer");
        m_canUnload = entry("DllCanUnloadNow");
        char resolved[PATH_MAX];
        ASSERT_NE(::realpath(TEST_COM_SERVER, resolved), nullptr);
        m_serverPath = resolved;
    }
    void TearDown() override
    {
        CoUninitialize();
        if (m_server)
            ::dlclose(m_server);
        RegistryFixture::TearDown();
    }

    ServerEntry entry(const char* name)
    {
        auto f = reinterpret_cast<ServerEntry>(::dlsym(m_server, name));
        EXPECT_NE(f, nullptr) << name;
        return f;
    }

    // Creates a Counter as a scripting client does: program identifier, then class.
    CComPtr<IDispatch> createByProgId()
    {
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromProgID(u"Test.Counter", &clsid), S_OK);
        EXPECT_EQ(clsid, CLSID_Counter);
        CComPtr<IDispatch> object;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&object)),
                  S_OK);
        return object;
    }

    static DISPID idOf(IDispatch* object, const char16_t* name)
    {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        return id;
    }

    void* m_server = nullptr;
    ServerEntry m_register = nullptr;
    ServerEntry m_unregister = nullptr;
    ServerEntry m_canUnload = nullptr;
    std::string m_serverPath;
};

TEST_F(Client, RegistrationWritesTheClassTypeLibraryAndInterfaceKeys)
{
    ASSERT_EQ(m_register(), S_OK);
    const std::string classKey = "CLSID\\{5C0E0002-7A11-4B2C-9D01-112233445566}";
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32"), m_serverPath);
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", "ThreadingModel"), "Both");
    const std::string libKey = "TypeLib\\{5C0E0003-7A11-4B2C-9D01-112233445566}\\1.0";
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, libKey), "Test Counter Library 1.0");
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, libKey + "\\409\\win32"), m_serverPath);
    const std::string interfaceKey = "Interface\\{5C0E0001-7A11-4B2C-9D01-112233445566}";
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, interfaceKey), "ICounter");
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, interfaceKey + "\\TypeLib", "Version"), "1.0");

    ASSERT_EQ(m_unregister(), S_OK);
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, classKey));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, "TypeLib\\{5C0E0003-7A11-4B2C-9D01-112233445566}"));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, interfaceKey));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, "Test.Counter"));
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, "CLSID"));

    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"Test.Counter", &clsid), CO_E_CLASSSTRING);
    IDispatch* object = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&object)),
              REGDB_E_CLASSNOTREG);
}

TEST_F(Client, CreatesThroughTheRegistryAndCallsByDispatch)
{
    ASSERT_EQ(m_register(), S_OK);
    CComPtr<IDispatch> counter = createByProgId();
    ASSERT_TRUE(counter);
    EXPECT_EQ(m_canUnload(), S_FALSE);
    // The server's objects count in the server's module, not in the client's.
    EXPECT_EQ(com::atlModule().GetLockCount(), 0);

    DISPID add = idOf(counter, u"add");
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = SysAllocString(u"40");
    DISPPARAMS params{&arg, nullptr, 1, 0};
    CComVariant total;
    ASSERT_EQ(counter->Invoke(add, IID_NULL, 0, DISPATCH_METHOD, &params, &total, nullptr, nullptr),
              S_OK);
    VariantClear(&arg);
    EXPECT_EQ(total.vt, VT_I4);
    EXPECT_EQ(total.lVal, 40);

    CComVariant name("Magasin");
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS putParams{&name, &put, 1, 1};
    ASSERT_EQ(counter->Invoke(idOf(counter, u"NAME"), IID_NULL, 0, DISPATCH_PROPERTYPUT, &putParams,
                              nullptr, nullptr, nullptr),
              S_OK);
    CComVariant got;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ASSERT_EQ(counter->Invoke(idOf(counter, u"Name"), IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                              &got, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(com::bstrView(got.bstrVal), u"Magasin");

    // The default value: the object itself converts to its count.
    CComVariant asObject(counter.p);
    CComVariant asText;
    ASSERT_EQ(VariantChangeType(&asText, &asObject, 0, VT_BSTR), S_OK);
    EXPECT_EQ(com::bstrView(asText.bstrVal), u"40");

    EXCEPINFO excep{};
    EXPECT_EQ(counter->Invoke(idOf(counter, u"Fail"), IID_NULL, 0, DISPATCH_METHOD, &none, nullptr,
                              &excep, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, com::hr(0x80042A37));
    EXPECT_EQ(com::bstrView(excep.bstrDescription), u"counter failed");
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrSource);

    // The same object answers its dual interface through the vtable.
    CComQIPtr<ICounter> dual(static_cast<IUnknown*>(counter.p));
    ASSERT_TRUE(dual);
    LONG value = 0;
    EXPECT_EQ(dual->get_Value(&value), S_OK);
    EXPECT_EQ(value, 40);
    dual.Release();
    asObject.Clear();

    counter.Release();
    EXPECT_EQ(m_canUnload(), S_OK);
}

TEST_F(Client, ServerLocksKeepTheLibraryLoaded)
{
    ASSERT_EQ(m_register(), S_OK);
    CComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_Counter, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(m_canUnload(), S_OK);
    factory->LockServer(TRUE);
    EXPECT_EQ(m_canUnload(), S_FALSE);
    factory->LockServer(FALSE);
    EXPECT_EQ(m_canUnload(), S_OK);
    IUnknown* outer = factory; // any outer object: the class refuses aggregation
    void* p = nullptr;
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &p), CLASS_E_NOAGGREGATION);
}

TEST_F(Client, CreationFailuresAreTold)
{
    const CLSID broken{
        0x5C0E00FF, 0x7A11, 0x4B2C, {0x9D, 0x01, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};
    const std::string key = "CLSID\\" + com::guidToString(broken) + "\\InprocServer32";
    IUnknown* object = nullptr;
    EXPECT_EQ(CoCreateInstance(broken, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              REGDB_E_CLASSNOTREG);

    writeText(HKEY_CLASSES_ROOT, key, nullptr, m_root + "/missing.so");
    EXPECT_EQ(CoCreateInstance(broken, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              CO_E_DLLNOTFOUND);

    writeText(HKEY_CLASSES_ROOT, key, nullptr, "libm.so.6"); // loads, but serves no classes
    EXPECT_EQ(CoCreateInstance(broken, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              CO_E_ERRORINDLL);

    // The server itself does not know a class it did not register.
    writeText(HKEY_CLASSES_ROOT, key, nullptr, m_serverPath);
    EXPECT_EQ(CoCreateInstance(broken, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);

    ASSERT_EQ(m_register(), S_OK);
    std::thread([&] {
        IUnknown* outside = nullptr;
        EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&outside)),
                  CO_E_NOTINITIALIZED);
    }).join();
}

TEST_F(Client, ClassesRegisteredInTheProcessComeFirst)
{
    ASSERT_EQ(m_register(), S_OK);
    CComObjectNoLock<CComClassFactory>* local = new CComObjectNoLock<CComClassFactory>();
    local->SetVoid(reinterpret_cast<void*>(&CCounter::_CreatorClass::CreateInstance));
    local->AddRef();
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_Counter, local, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                    &cookie),
              S_OK);
    CComPtr<ICounter> counter;
    ASSERT_EQ(counter.CoCreateInstance(CLSID_Counter), S_OK);
    EXPECT_EQ(com::atlModule().GetLockCount(), 1); // made by this program's own class
    EXPECT_EQ(m_canUnload(), S_OK);
    counter.Release();
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(CoRevokeClassObject(cookie), CO_E_OBJNOTREG);
    local->Release();

    ASSERT_EQ(counter.CoCreateInstance(CLSID_Counter), S_OK); // from the server again
    EXPECT_EQ(com::atlModule().GetLockCount(), 0);
    EXPECT_EQ(m_canUnload(), S_FALSE);
}

} // namespace
