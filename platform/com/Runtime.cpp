// Apartments, class objects (registered, built in, or loaded from the registry store) and
// program identifiers.

#include "platform/com/Apartment.h"
#include "platform/com/Atl.h"
#include "platform/com/Com.h"
#include "platform/com/Internal.h"
#include "platform/registry/Registrar.h"
#include "platform/registry/Registry.h"

#include <climits>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <dlfcn.h>
#include <unistd.h>

namespace {

struct Apartment
{
    int count = 0;
    APTTYPE type = APTTYPE_MTA;
    // A single-threaded apartment's calls from other threads.
    std::shared_ptr<com::CallQueue> queue;
};
thread_local Apartment t_apartment;

std::mutex g_classLock;

struct RegisteredClass
{
    CLSID clsid;
    IUnknown* object;
};
std::map<DWORD, RegisteredClass> g_registered;
DWORD g_nextClassCookie = 1;

struct LoadedServer
{
    void* handle;
    DllGetClassObjectFunction getClassObject;
    DllCanUnloadNowFunction canUnloadNow;
};
std::map<std::string, LoadedServer> g_servers;

// The class object of the Global Interface Table: creates nothing, hands out the one table.
class GitClassFactory final : public com::ProcessObject<IClassFactory>
{
public:
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return com::globalInterfaceTable()->QueryInterface(riid, ppv);
    }
    HRESULT LockServer(BOOL) override { return S_OK; }
};
GitClassFactory g_gitFactory;

bool readDefaultValue(HKEY hive, const std::string& path, std::string* value)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(hive, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    bool ok = RegQueryValueEx(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
              (type == REG_SZ || type == REG_EXPAND_SZ);
    if (ok) {
        std::string data(size, '\0');
        ok = RegQueryValueEx(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                             &size) == ERROR_SUCCESS;
        data.resize(size);
        while (!data.empty() && data.back() == '\0')
            data.pop_back();
        *value = data;
    }
    RegCloseKey(key);
    return ok;
}

// The in-process server named by the class's InprocServer32 key, loaded once.
HRESULT serverFor(REFCLSID clsid, LoadedServer* server)
{
    std::string path;
    if (!readDefaultValue(HKEY_CLASSES_ROOT,
                          "CLSID\\" + com::guidToString(clsid) + "\\InprocServer32", &path) ||
        path.empty())
        return REGDB_E_CLASSNOTREG;
    std::lock_guard<std::mutex> guard(g_classLock);
    auto it = g_servers.find(path);
    if (it != g_servers.end()) {
        *server = it->second;
        return S_OK;
    }
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return CO_E_DLLNOTFOUND;
    auto getClassObject =
        reinterpret_cast<DllGetClassObjectFunction>(::dlsym(handle, "DllGetClassObject"));
    if (!getClassObject) {
        ::dlclose(handle);
        return CO_E_ERRORINDLL;
    }
    auto canUnloadNow =
        reinterpret_cast<DllCanUnloadNowFunction>(::dlsym(handle, "DllCanUnloadNow"));
    *server = g_servers[path] = {handle, getClassObject, canUnloadNow};
    return S_OK;
}

} // namespace

bool com::inApartment()
{
    return t_apartment.count > 0;
}

HRESULT CoInitializeEx(void*, DWORD coInit)
{
    APTTYPE type = (coInit & COINIT_APARTMENTTHREADED) ? APTTYPE_STA : APTTYPE_MTA;
    if (t_apartment.count == 0) {
        t_apartment.type = type;
        t_apartment.count = 1;
        if (type == APTTYPE_STA)
            t_apartment.queue = std::make_shared<com::CallQueue>();
        return S_OK;
    }
    if (t_apartment.type != type)
        return RPC_E_CHANGED_MODE;
    ++t_apartment.count;
    return S_FALSE;
}

HRESULT CoInitialize(void* reserved)
{
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

void CoUninitialize()
{
    if (t_apartment.count > 0 && --t_apartment.count == 0 && t_apartment.queue) {
        t_apartment.queue->close();
        t_apartment.queue.reset();
    }
}

std::shared_ptr<com::CallQueue> com::currentCallQueue()
{
    return t_apartment.count > 0 ? t_apartment.queue : nullptr;
}

HRESULT CoPumpMessages(DWORD timeoutMs)
{
    if (!com::inApartment())
        return CO_E_NOTINITIALIZED;
    if (!t_apartment.queue)
        return S_FALSE;
    return t_apartment.queue->serve(timeoutMs) > 0 ? S_OK : S_FALSE;
}

HRESULT CoGetApartmentType(APTTYPE* type, APTTYPEQUALIFIER* qualifier)
{
    if (!type || !qualifier)
        return E_INVALIDARG;
    *qualifier = APTTYPEQUALIFIER_NONE;
    if (t_apartment.count == 0) {
        *type = APTTYPE_CURRENT;
        return CO_E_NOTINITIALIZED;
    }
    *type = t_apartment.type;
    return S_OK;
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD clsContext, void*, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_INVALIDARG;
    *ppv = nullptr;
    if (!com::inApartment())
        return CO_E_NOTINITIALIZED;
    // The class object is asked outside the lock: it may call back into the runtime.
    IUnknown* registered = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_classLock);
        for (const auto& [cookie, entry] : g_registered)
            if (entry.clsid == clsid) {
                registered = entry.object;
                registered->AddRef();
                break;
            }
    }
    if (registered) {
        HRESULT hr = registered->QueryInterface(riid, ppv);
        registered->Release();
        return hr;
    }
    if (clsid == CLSID_StdGlobalInterfaceTable)
        return g_gitFactory.QueryInterface(riid, ppv);
    if (!(clsContext & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)))
        return REGDB_E_CLASSNOTREG;
    LoadedServer server;
    HRESULT hr = serverFor(clsid, &server);
    if (FAILED(hr))
        return hr;
    return server.getClassObject(clsid, riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD clsContext, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (outer && riid != IID_IUnknown)
        return CLASS_E_NOAGGREGATION;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(clsid, clsContext, nullptr, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(outer, riid, ppv);
    factory->Release();
    return hr;
}

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* classObject, DWORD, DWORD, DWORD* cookie)
{
    if (!classObject || !cookie)
        return E_INVALIDARG;
    if (!com::inApartment())
        return CO_E_NOTINITIALIZED;
    classObject->AddRef();
    std::lock_guard<std::mutex> guard(g_classLock);
    *cookie = g_nextClassCookie++;
    g_registered[*cookie] = {clsid, classObject};
    return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie)
{
    IUnknown* object = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_classLock);
        auto it = g_registered.find(cookie);
        if (it == g_registered.end())
            return CO_E_OBJNOTREG;
        object = it->second.object;
        g_registered.erase(it);
    }
    object->Release();
    return S_OK;
}

void CoFreeUnusedLibraries()
{
    // DllCanUnloadNow runs outside the lock, as a server may call back into the runtime.
    std::map<std::string, LoadedServer> servers;
    {
        std::lock_guard<std::mutex> guard(g_classLock);
        servers = g_servers;
    }
    for (const auto& [path, server] : servers) {
        if (!server.canUnloadNow || server.canUnloadNow() != S_OK)
            continue;
        std::lock_guard<std::mutex> guard(g_classLock);
        auto it = g_servers.find(path);
        if (it != g_servers.end() && it->second.handle == server.handle) {
            ::dlclose(server.handle);
            g_servers.erase(it);
        }
    }
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid)
{
    if (!progId || !clsid)
        return E_INVALIDARG;
    std::string name = com::utf8FromUtf16(progId);
    std::string text;
    if (!readDefaultValue(HKEY_CLASSES_ROOT, name + "\\CLSID", &text)) {
        std::string current;
        if (!readDefaultValue(HKEY_CLASSES_ROOT, name + "\\CurVer", &current) ||
            !readDefaultValue(HKEY_CLASSES_ROOT, current + "\\CLSID", &text))
            return CO_E_CLASSSTRING;
    }
    return com::guidFromString(text, clsid) ? S_OK : CO_E_CLASSSTRING;
}

std::string com::modulePathOf(const void* address)
{
    Dl_info info{};
    if (::dladdr(address, &info) && info.dli_fname && *info.dli_fname) {
        char resolved[PATH_MAX];
        if (::realpath(info.dli_fname, resolved))
            return resolved;
    }
    char self[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        self[n] = '\0';
        return self;
    }
    return {};
}

HRESULT com::runRegistrationScript(std::string_view script, bool doRegister,
                                   const std::string& modulePath)
{
    return registry::runScript(script, doRegister, {{"MODULE", modulePath}});
}
