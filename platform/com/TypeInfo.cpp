// Type information over dispatch tables, and the registration of a type library's keys.

#include "platform/com/Atl.h"
#include "platform/com/Internal.h"
#include "platform/registry/Ascii.h"
#include "platform/registry/Registrar.h"

#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <new>

namespace {

// Made once for each table, and kept for the whole run: its reference count is not kept.
class TableTypeInfo final : public ITypeInfo, public ITypeInfoFlags
{
public:
    explicit TableTypeInfo(const com::DispatchTable* table) : m_table(table) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_ITypeInfo)
            *ppv = static_cast<ITypeInfo*>(this);
        else if (riid == IID_ITypeInfoFlags)
            *ppv = static_cast<ITypeInfoFlags*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }

    // A dual interface described as its dispatch interface: its members are the table's.
    HRESULT GetTypeAttr(TYPEATTR** attributes) override
    {
        if (!attributes)
            return E_INVALIDARG;
        auto* a = new (std::nothrow) TYPEATTR{};
        if (!a)
            return E_OUTOFMEMORY;
        a->guid = m_table->iid;
        a->memidConstructor = MEMBERID_NIL;
        a->memidDestructor = MEMBERID_NIL;
        a->cbSizeInstance = sizeof(void*);
        a->typekind = TKIND_DISPATCH;
        a->cFuncs = WORD(m_table->entries.size());
        a->cbSizeVft = WORD(7 * sizeof(void*)); // IDispatch's seven slots
        a->cbAlignment = alignof(void*);
        a->wTypeFlags = TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE;
        a->tdescAlias.vt = VT_EMPTY;
        *attributes = a;
        return S_OK;
    }
    void ReleaseTypeAttr(TYPEATTR* attributes) override { delete attributes; }

    HRESULT GetFuncDesc(UINT index, FUNCDESC** description) override
    {
        if (!description)
            return E_INVALIDARG;
        *description = nullptr;
        if (index >= m_table->entries.size())
            return TYPE_E_ELEMENTNOTFOUND;
        const com::DispatchEntry& e = m_table->entries[index];
        auto* params =
            e.paramCount > 0 ? new (std::nothrow) ELEMDESC[std::size_t(e.paramCount)]{} : nullptr;
        auto* block = new (std::nothrow) FUNCDESC{};
        if (!block || (e.paramCount > 0 && !params)) {
            delete[] params;
            delete block;
            return E_OUTOFMEMORY;
        }
        for (SHORT i = 0; i < e.paramCount; ++i)
            params[i].tdesc.vt = e.params[i];
        FUNCDESC& d = *block;
        d.memid = e.id;
        d.lprgelemdescParam = params;
        d.funckind = FUNC_DISPATCH;
        d.invkind = INVOKEKIND(e.kind);
        d.callconv = CC_STDCALL;
        d.cParams = e.paramCount;
        d.oVft = SHORT(e.slot < 0 ? 0 : e.slot * int(sizeof(void*)));
        d.elemdescFunc.tdesc.vt = e.result;
        d.wFuncFlags = e.flags;
        *description = block;
        return S_OK;
    }
    void ReleaseFuncDesc(FUNCDESC* description) override
    {
        if (!description)
            return;
        delete[] description->lprgelemdescParam;
        delete description;
    }

    HRESULT GetNames(MEMBERID id, BSTR* names, UINT maxNames, UINT* count) override
    {
        if (!names || !count)
            return E_INVALIDARG;
        *count = 0;
        const char* name = nameOf(id);
        if (!name)
            return TYPE_E_ELEMENTNOTFOUND;
        if (maxNames > 0) {
            names[0] = CComBSTR(name).Detach();
            *count = 1;
        }
        return S_OK;
    }

    HRESULT GetTypeComp(ITypeComp** comp) override { return notImplemented(comp); }
    HRESULT GetVarDesc(UINT, VARDESC** description) override { return notImplemented(description); }
    void ReleaseVarDesc(VARDESC*) override {}
    HRESULT GetRefTypeOfImplType(UINT, HREFTYPE*) override { return E_NOTIMPL; }
    HRESULT GetImplTypeFlags(UINT, INT*) override { return E_NOTIMPL; }
    HRESULT GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override { return E_NOTIMPL; }
    HRESULT GetRefTypeInfo(HREFTYPE, ITypeInfo** info) override { return notImplemented(info); }
    HRESULT AddressOfMember(MEMBERID, INVOKEKIND, void** address) override
    {
        return notImplemented(address);
    }
    HRESULT CreateInstance(IUnknown*, REFIID, void** object) override
    {
        return notImplemented(object);
    }
    HRESULT GetMops(MEMBERID, BSTR* mops) override { return notImplemented(mops); }
    // The runtime keeps no type library object: the tables are described one by one.
    HRESULT GetContainingTypeLib(ITypeLib** library, UINT*) override
    {
        return notImplemented(library);
    }

    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override
    {
        if (!names || !ids)
            return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        if (count == 0)
            return S_OK;
        std::string wanted = com::utf8FromUtf16(names[0] ? names[0] : u"");
        for (const com::DispatchEntry& e : m_table->entries) {
            if (ascii::equalNoCase(e.name, wanted)) {
                ids[0] = e.id;
                return count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
            }
        }
        return DISP_E_UNKNOWNNAME;
    }

    HRESULT Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override
    {
        if (!instance)
            return E_INVALIDARG;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        if (!params)
            params = &none;
        bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
        bool namedValue = params->cNamedArgs == 1 && params->rgdispidNamedArgs &&
                          params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
        if (params->cNamedArgs > 0 && !(put && namedValue))
            return DISP_E_NONAMEDARGS;
        // A put names its value argument.
        if (put && !namedValue)
            return DISP_E_PARAMNOTFOUND;
        const com::DispatchEntry* entry = nullptr;
        for (const com::DispatchEntry& e : m_table->entries) {
            if (e.id != id)
                continue;
            bool matches = put ? e.kind == DISPATCH_PROPERTYPUT
                               : (e.kind & flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) != 0;
            if (matches) {
                entry = &e;
                break;
            }
        }
        if (!entry)
            return DISP_E_MEMBERNOTFOUND;
        HRESULT callResult = S_OK;
        HRESULT hr = entry->invoke(instance, params, put ? nullptr : result, argErr, &callResult);
        if (FAILED(hr))
            return hr;
        if (SUCCEEDED(callResult))
            return callResult;
        // A failing member is reported as an exception carrying its result and error text.
        if (excepInfo) {
            *excepInfo = EXCEPINFO{};
            excepInfo->scode = callResult;
            IErrorInfo* info = nullptr;
            if (GetErrorInfo(0, &info) == S_OK) {
                info->GetSource(&excepInfo->bstrSource);
                info->GetDescription(&excepInfo->bstrDescription);
                info->GetHelpFile(&excepInfo->bstrHelpFile);
                info->GetHelpContext(&excepInfo->dwHelpContext);
                info->Release();
            }
        }
        return DISP_E_EXCEPTION;
    }

    HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* docString, DWORD* helpContext,
                             BSTR* helpFile) override
    {
        const char* foundHelp = nullptr;
        const char* foundName = nameOf(id, &foundHelp);
        if (!foundName)
            return TYPE_E_ELEMENTNOTFOUND;
        if (name)
            *name = CComBSTR(foundName).Detach();
        if (docString)
            *docString = CComBSTR(foundHelp ? foundHelp : "").Detach();
        if (helpContext)
            *helpContext = 0;
        if (helpFile)
            *helpFile = nullptr;
        return S_OK;
    }

    HRESULT GetFuncFlags(MEMBERID id, WORD* flags) override
    {
        if (!flags)
            return E_INVALIDARG;
        for (const com::DispatchEntry& e : m_table->entries) {
            if (e.id == id) {
                *flags = e.flags;
                return S_OK;
            }
        }
        return TYPE_E_ELEMENTNOTFOUND;
    }

private:
    template <class T> static HRESULT notImplemented(T** out)
    {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }

    // The member's name, the interface's for MEMBERID_NIL; null for an unknown identifier.
    const char* nameOf(MEMBERID id, const char** help = nullptr) const
    {
        if (id == MEMBERID_NIL) {
            if (help)
                *help = m_table->help;
            return m_table->name;
        }
        for (const com::DispatchEntry& e : m_table->entries) {
            if (e.id == id) {
                if (help)
                    *help = e.help;
                return e.name;
            }
        }
        return nullptr;
    }

    const com::DispatchTable* m_table;
};

// Quoted script text: quotes doubled, percent signs escaped.
std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "''";
        else if (c == '%')
            out += "%%";
        else
            out += c;
    }
    return out + "'";
}

std::string typeLibraryScript(const com::TypeLibrary& library)
{
    char version[32];
    std::snprintf(version, sizeof version, "%u.%u", library.major, library.minor);
    char lcid[16];
    std::snprintf(lcid, sizeof lcid, "%x", library.lcid);
    std::string libid = com::guidToString(library.libid);
    std::string script = "HKCR\n{\n NoRemove TypeLib\n {\n  " + quoted(libid) + "\n  {\n   " +
                         quoted(version) + " = s " +
                         quoted(library.help && *library.help ? library.help : library.name) +
                         "\n   {\n    " + quoted(lcid) + "\n    {\n     win32 = s '%MODULE%'\n" +
                         "    }\n    FLAGS = s '0'\n    HELPDIR = s '%HELPDIR%'\n   }\n  }\n }\n";
    script += " NoRemove Interface\n {\n";
    for (const com::DispatchTable* table : library.interfaces) {
        script += "  ForceRemove " + quoted(com::guidToString(table->iid)) + " = s " +
                  quoted(table->name) + "\n  {\n" +
                  "   ProxyStubClsid32 = s '{00020424-0000-0000-C000-000000000046}'\n" +
                  "   TypeLib = s " + quoted(libid) + "\n   {\n    val Version = s " +
                  quoted(version) + "\n   }\n  }\n";
    }
    return script + " }\n}\n";
}

std::string folderOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

namespace {

// The interfaces described to the process, by identifier.
std::mutex g_tablesLock;
// Never destroyed, like the type information below: proxies and relay threads may still
// describe their interfaces during the process's exit steps.
std::map<IID, const com::DispatchTable*>& tables()
{
    static auto* byIid = new std::map<IID, const com::DispatchTable*>;
    return *byIid;
}

void describe(const com::DispatchTable& table)
{
    std::lock_guard<std::mutex> guard(g_tablesLock);
    tables()[table.iid] = &table;
}

} // namespace

ITypeInfo* com::typeInfoFor(const DispatchTable& table)
{
    describe(table);
    static std::mutex lock;
    static auto* infos = new std::map<const DispatchTable*, std::unique_ptr<TableTypeInfo>>;
    std::lock_guard<std::mutex> guard(lock);
    auto& info = (*infos)[&table];
    if (!info)
        info = std::make_unique<TableTypeInfo>(&table);
    return info.get();
}

const com::DispatchTable* com::dispatchTableOf(REFIID iid)
{
    std::lock_guard<std::mutex> guard(g_tablesLock);
    auto found = tables().find(iid);
    return found == tables().end() ? nullptr : found->second;
}

void com::loadTypeLibrary(const TypeLibrary& library)
{
    for (const DispatchTable* table : library.interfaces)
        describe(*table);
}

HRESULT com::registerTypeLibrary(const TypeLibrary& library, const std::string& modulePath)
{
    return registry::runScript(typeLibraryScript(library), true,
                               {{"MODULE", modulePath}, {"HELPDIR", folderOf(modulePath)}});
}

HRESULT com::unregisterTypeLibrary(const TypeLibrary& library)
{
    return registry::runScript(typeLibraryScript(library), false,
                               {{"MODULE", ""}, {"HELPDIR", ""}});
}
