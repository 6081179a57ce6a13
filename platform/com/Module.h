#pragma once
// The module of one shared object: object map, lock count, class factories and registration.
// Each shared object that uses the framework has its own module (the accessor has hidden
// visibility), so that DllCanUnloadNow counts the objects of that library only.

#include "platform/com/Com.h"

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

struct _ATL_OBJMAP_ENTRY
{
    const CLSID* pclsid;
    HRESULT (*pfnUpdateRegistry)(BOOL doRegister);
    HRESULT (*pfnGetClassObject)(void* pv, REFIID riid, void** ppv);
    HRESULT (*pfnCreateInstance)(void* pv, REFIID riid, void** ppv);
    IUnknown* pCF; // the cached class factory
};

class CComModule;

namespace com {
CComModule& atlModule();
}

// The module of one shared object: the object map, the lock count and registration.
class CComModule
{
public:
    CComModule();
    // The default module of a shared object without a module of its own: not registered.
    struct Fallback
    {
    };
    explicit CComModule(Fallback) {}
    ~CComModule();
    CComModule(const CComModule&) = delete;
    CComModule& operator=(const CComModule&) = delete;

    // The map ends with an entry whose pclsid is null.
    HRESULT Init(_ATL_OBJMAP_ENTRY* objectMap, const GUID* libid = nullptr);
    // Releases the cached class factories.
    void Term();

    LONG Lock() { return ++m_lockCount; }
    LONG Unlock() { return --m_lockCount; }
    LONG GetLockCount() const { return m_lockCount.load(); }

    // One factory per class, created on first request; CLASS_E_CLASSNOTAVAILABLE for a class
    // outside the map.
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
    // Runs each class's registration, then registers the type library when one is given;
    // the first failure is returned.
    HRESULT RegisterServer(const com::TypeLibrary* typeLibrary = nullptr);
    HRESULT UnregisterServer(const com::TypeLibrary* typeLibrary = nullptr);
    HRESULT DllCanUnloadNow() const { return GetLockCount() == 0 ? S_OK : S_FALSE; }

    // Runs a registration script with %MODULE% replaced by the module's full path.
    HRESULT UpdateRegistryFromScript(std::string_view script, bool doRegister);
    // Full path of the shared object this module belongs to.
    std::string GetModuleFileName() const;
    // The type library identifier given to Init, or null.
    const GUID* GetTypeLibId() const { return m_libid; }

private:
    std::atomic<LONG> m_lockCount{0};
    _ATL_OBJMAP_ENTRY* m_objectMap = nullptr;
    const GUID* m_libid = nullptr;
    std::mutex m_mapLock;
};

namespace com {
// The module registered by a CComModule of this shared object, else a default one.
__attribute__((visibility("hidden"))) inline CComModule* g_currentModule = nullptr;
__attribute__((visibility("hidden"))) inline CComModule& atlModule()
{
    if (g_currentModule)
        return *g_currentModule;
    static CComModule fallback{CComModule::Fallback{}};
    return fallback;
}
} // namespace com

inline CComModule::CComModule()
{
    if (!com::g_currentModule)
        com::g_currentModule = this;
}

inline CComModule::~CComModule()
{
    Term();
    if (com::g_currentModule == this)
        com::g_currentModule = nullptr;
}

inline HRESULT CComModule::Init(_ATL_OBJMAP_ENTRY* objectMap, const GUID* libid)
{
    m_objectMap = objectMap;
    m_libid = libid;
    return S_OK;
}

inline void CComModule::Term()
{
    std::lock_guard<std::mutex> guard(m_mapLock);
    for (_ATL_OBJMAP_ENTRY* e = m_objectMap; e && e->pclsid; ++e) {
        if (e->pCF) {
            e->pCF->Release();
            e->pCF = nullptr;
        }
    }
}

inline HRESULT CComModule::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    std::lock_guard<std::mutex> guard(m_mapLock);
    for (_ATL_OBJMAP_ENTRY* e = m_objectMap; e && e->pclsid; ++e) {
        if (*e->pclsid != clsid)
            continue;
        if (!e->pCF) {
            HRESULT hr = e->pfnGetClassObject(reinterpret_cast<void*>(e->pfnCreateInstance),
                                              IID_IUnknown, reinterpret_cast<void**>(&e->pCF));
            if (FAILED(hr))
                return hr;
        }
        return e->pCF->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

inline HRESULT CComModule::RegisterServer(const com::TypeLibrary* typeLibrary)
{
    for (_ATL_OBJMAP_ENTRY* e = m_objectMap; e && e->pclsid; ++e) {
        HRESULT hr = e->pfnUpdateRegistry(TRUE);
        if (FAILED(hr))
            return hr;
    }
    return typeLibrary ? com::registerTypeLibrary(*typeLibrary, GetModuleFileName()) : S_OK;
}

inline HRESULT CComModule::UnregisterServer(const com::TypeLibrary* typeLibrary)
{
    for (_ATL_OBJMAP_ENTRY* e = m_objectMap; e && e->pclsid; ++e) {
        HRESULT hr = e->pfnUpdateRegistry(FALSE);
        if (FAILED(hr))
            return hr;
    }
    return typeLibrary ? com::unregisterTypeLibrary(*typeLibrary) : S_OK;
}

inline std::string CComModule::GetModuleFileName() const
{
    return com::modulePathOf(reinterpret_cast<const void*>(&com::atlModule));
}

namespace com {
COM_VISIBLE HRESULT runRegistrationScript(std::string_view script, bool doRegister,
                                          const std::string& modulePath);
}

inline HRESULT CComModule::UpdateRegistryFromScript(std::string_view script, bool doRegister)
{
    return com::runRegistrationScript(script, doRegister, GetModuleFileName());
}

// The four exported entry points of an in-process server, served by its module; typeLibrary
// (a const com::TypeLibrary*, or nullptr) is registered with the classes.
#define COM_MODULE_EXPORTS(module, typeLibrary)                                                    \
    COM_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)                  \
    {                                                                                              \
        return (module).GetClassObject(clsid, riid, ppv);                                          \
    }                                                                                              \
    COM_EXPORT HRESULT DllCanUnloadNow()                                                           \
    {                                                                                              \
        return (module).DllCanUnloadNow();                                                         \
    }                                                                                              \
    COM_EXPORT HRESULT DllRegisterServer()                                                         \
    {                                                                                              \
        return (module).RegisterServer(typeLibrary);                                               \
    }                                                                                              \
    COM_EXPORT HRESULT DllUnregisterServer()                                                       \
    {                                                                                              \
        return (module).UnregisterServer(typeLibrary);                                             \
    }
