#pragma once
// The runtime's process services: apartments, object creation through the registry store,
// the per-thread error information and the dispatch-by-table type information.

#include "platform/com/Bstr.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

#include <string>
#include <typeinfo>
#include <vector>

// Apartments, counted per thread.
inline constexpr DWORD COINIT_MULTITHREADED = 0x0;
inline constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
inline constexpr DWORD COINIT_DISABLE_OLE1DDE = 0x4;

// S_OK for the first entry of the thread, S_FALSE for a further one of the same kind,
// RPC_E_CHANGED_MODE (not counted) for one of the other kind.
COM_API HRESULT CoInitializeEx(void* reserved, DWORD coInit);
COM_API HRESULT CoInitialize(void* reserved);
COM_API void CoUninitialize();

enum APTTYPE { APTTYPE_CURRENT = -1, APTTYPE_STA = 0, APTTYPE_MTA = 1, APTTYPE_NA = 2 };
enum APTTYPEQUALIFIER { APTTYPEQUALIFIER_NONE = 0 };
// A single-threaded apartment's objects are called on its own thread: calls from other threads
// through the Global Interface Table wait in a queue that the thread serves when it pumps
// messages. Serves the queued calls, waiting at most timeoutMs milliseconds for the first: S_OK
// when some were served, S_FALSE when none (and in the multithreaded apartment, which has no
// queue), CO_E_NOTINITIALIZED outside an apartment.
COM_API HRESULT CoPumpMessages(DWORD timeoutMs);

// CO_E_NOTINITIALIZED when the thread is in no apartment.
COM_API HRESULT CoGetApartmentType(APTTYPE* type, APTTYPEQUALIFIER* qualifier);

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_ALL = 0x17;

// Marks an in-process server's exported entry points (DllGetClassObject, DllCanUnloadNow,
// DllRegisterServer, DllUnregisterServer).
#define COM_EXPORT extern "C" __attribute__((visibility("default")))

// Signatures of an in-process server's exports.
using DllGetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFunction = HRESULT (*)();

// Class objects come from the classes registered in the process (CoRegisterClassObject), the
// runtime's own (the Global Interface Table), and otherwise from the registry store:
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 names the shared library, which is loaded and
// asked through its exported DllGetClassObject. CO_E_NOTINITIALIZED outside an apartment,
// REGDB_E_CLASSNOTREG without a registration, CO_E_DLLNOTFOUND when the library does not load,
// CO_E_ERRORINDLL without the export.
COM_API HRESULT CoGetClassObject(REFCLSID clsid, DWORD clsContext, void* serverInfo, REFIID riid,
                                 void** ppv);
COM_API HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD clsContext, REFIID riid,
                                 void** ppv);
inline constexpr DWORD REGCLS_SINGLEUSE = 0;
inline constexpr DWORD REGCLS_MULTIPLEUSE = 1;
COM_API HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* classObject, DWORD clsContext,
                                      DWORD flags, DWORD* cookie);
COM_API HRESULT CoRevokeClassObject(DWORD cookie);
// Unloads the loaded servers whose DllCanUnloadNow answers S_OK.
COM_API void CoFreeUnusedLibraries();

// HKEY_CLASSES_ROOT\<progid>\CLSID, or that of the program identifier named by its CurVer.
// CO_E_CLASSSTRING when neither names a class.
COM_API HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);

// The error information of the calling thread. SetErrorInfo replaces it (null clears it);
// GetErrorInfo hands it over and clears it, S_FALSE when there is none.
COM_API HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* errorInfo);
COM_API HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** errorInfo);
COM_API HRESULT CreateErrorInfo(ICreateErrorInfo** createErrorInfo);

// Flags of a member in a type library.
inline constexpr WORD FUNCFLAG_FRESTRICTED = 0x1;

namespace com {

// Calls one member of a dispatch interface: `instance` is the interface pointer, `params` the
// automation arguments (last first), `result` the return value or null. Returns the failure of
// the argument conversion, or S_OK with the member's own result in *callResult.
using DispatchInvoker = HRESULT (*)(void* instance, DISPPARAMS* params, VARIANT* result,
                                    UINT* argErr, HRESULT* callResult);

// One member of a dispatch interface. A property's get and put share one identifier.
struct DispatchEntry
{
    DISPID id;
    const char* name;
    WORD kind; // DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT
    DispatchInvoker invoke;
    const char* help;
    WORD flags; // FUNCFLAG_FRESTRICTED: hidden from scripting clients
    // The member's vtable slot, and the function that a proxy of another apartment puts there.
    int slot;
    void* proxy;
    // The interface that declares the member: a proxy's vtable names it as its type.
    const std::type_info* owner;
    // The automation parameters' types (VT_BYREF for a by-reference one) and the return
    // value's (VT_VOID for none), as the type information describes the member.
    const VARTYPE* params;
    SHORT paramCount;
    VARTYPE result;
};

// The dispatch description of an interface: name, identifier, help text and members.
struct DispatchTable
{
    const char* name;
    IID iid;
    const char* help;
    std::vector<DispatchEntry> entries;
};

// Type information over a table; the object lives as long as the process. The table also
// describes its interface to the process's proxies (see loadTypeLibrary).
COM_VISIBLE ITypeInfo* typeInfoFor(const DispatchTable& table);
// The table that describes an interface to the process, or null.
COM_VISIBLE const DispatchTable* dispatchTableOf(REFIID iid);

// A type library: its interfaces and the keys that registration writes for it
// (HKEY_CLASSES_ROOT\TypeLib\{libid}\<major>.<minor> and HKEY_CLASSES_ROOT\Interface\{iid}).
struct TypeLibrary
{
    GUID libid;
    WORD major;
    WORD minor;
    LCID lcid;
    const char* name;
    const char* help;
    std::vector<const DispatchTable*> interfaces;
};
// Makes the library's interfaces known to the process, so that their objects in a
// single-threaded apartment can be called from other apartments through proxies.
COM_VISIBLE void loadTypeLibrary(const TypeLibrary& library);
COM_VISIBLE HRESULT registerTypeLibrary(const TypeLibrary& library, const std::string& modulePath);
COM_VISIBLE HRESULT unregisterTypeLibrary(const TypeLibrary& library);

// Full path of the shared object (or program) that holds `address`.
COM_VISIBLE std::string modulePathOf(const void* address);

} // namespace com
