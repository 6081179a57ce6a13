#pragma once
// The runtime's interfaces, in their platform vtable order. They are plain abstract structs
// without virtual destructors: objects are destroyed by their own Release.

#include "platform/com/Variant.h"

namespace com {
// The identifier of an interface type: every interface struct carries a static `iid`.
template <class T> constexpr const IID& uuidof()
{
    return T::iid;
}
} // namespace com

struct IUnknown
{
    static constexpr IID iid{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
};

struct IClassFactory : IUnknown
{
    static constexpr IID iid{0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;
};

inline constexpr DISPID DISPID_VALUE = 0;
inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;
inline constexpr DISPID DISPID_NEWENUM = -4;

inline constexpr WORD DISPATCH_METHOD = 0x1;
inline constexpr WORD DISPATCH_PROPERTYGET = 0x2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

// Arguments of IDispatch::Invoke, last argument first.
struct DISPPARAMS
{
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO
{
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

// Type information of one dispatch interface. Only the members that dispatch by name and
// identifier need are provided: the name table, invocation through the table and documentation.
// Its slots are not those of the platform's standard type information, so it answers to an
// identifier of this runtime's own: a client that asks for the standard interface by its
// identifier gets E_NOINTERFACE instead of calling the wrong slots.
struct ITypeInfo : IUnknown
{
    static constexpr IID iid{
        0x7E3A0F21, 0x5B1C, 0x4D8E, {0x9A, 0x41, 0x3C, 0x6D, 0x20, 0x8B, 0x11, 0x04}};
    // DISP_E_UNKNOWNNAME (and DISPID_UNKNOWN in ids) for a name not in the table; names
    // compare without regard to case. Names after the first (argument names) are not resolved.
    virtual HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) = 0;
    // Calls the member of the interface pointer `instance` (of this type's interface).
    virtual HRESULT Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) = 0;
    // MEMBERID -1 documents the interface itself. Any out pointer may be null.
    virtual HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* docString, DWORD* helpContext,
                                     BSTR* helpFile) = 0;
    // The member's flags (FUNCFLAG_FRESTRICTED); TYPE_E_ELEMENTNOTFOUND for an unknown member.
    virtual HRESULT GetFuncFlags(MEMBERID id, WORD* flags) = 0;
};

struct IDispatch : IUnknown
{
    static constexpr IID iid{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                  DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) = 0;
};

struct IEnumVARIANT : IUnknown
{
    static constexpr IID iid{0x00020404, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    virtual HRESULT Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) = 0;
    virtual HRESULT Skip(ULONG celt) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumVARIANT** ppEnum) = 0;
};

struct IErrorInfo : IUnknown
{
    static constexpr IID iid{
        0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
    virtual HRESULT GetGUID(GUID* pGUID) = 0;
    virtual HRESULT GetSource(BSTR* pBstrSource) = 0;
    virtual HRESULT GetDescription(BSTR* pBstrDescription) = 0;
    virtual HRESULT GetHelpFile(BSTR* pBstrHelpFile) = 0;
    virtual HRESULT GetHelpContext(DWORD* pdwHelpContext) = 0;
};

struct ICreateErrorInfo : IUnknown
{
    static constexpr IID iid{
        0x22F03340, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
    virtual HRESULT SetGUID(REFGUID rguid) = 0;
    virtual HRESULT SetSource(LPOLESTR szSource) = 0;
    virtual HRESULT SetDescription(LPOLESTR szDescription) = 0;
    virtual HRESULT SetHelpFile(LPOLESTR szHelpFile) = 0;
    virtual HRESULT SetHelpContext(DWORD dwHelpContext) = 0;
};

struct ISupportErrorInfo : IUnknown
{
    static constexpr IID iid{
        0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
    // S_OK when the interface reports error information, S_FALSE otherwise.
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;
};

struct IGlobalInterfaceTable : IUnknown
{
    static constexpr IID iid{0x00000146, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    virtual HRESULT RegisterInterfaceInGlobal(IUnknown* pUnk, REFIID riid, DWORD* pdwCookie) = 0;
    virtual HRESULT RevokeInterfaceFromGlobal(DWORD dwCookie) = 0;
    virtual HRESULT GetInterfaceFromGlobal(DWORD dwCookie, REFIID riid, void** ppv) = 0;
};

inline constexpr IID IID_IUnknown = IUnknown::iid;
inline constexpr IID IID_IClassFactory = IClassFactory::iid;
inline constexpr IID IID_IDispatch = IDispatch::iid;
inline constexpr IID IID_ITypeInfo = ITypeInfo::iid;
inline constexpr IID IID_IEnumVARIANT = IEnumVARIANT::iid;
inline constexpr IID IID_IErrorInfo = IErrorInfo::iid;
inline constexpr IID IID_ICreateErrorInfo = ICreateErrorInfo::iid;
inline constexpr IID IID_ISupportErrorInfo = ISupportErrorInfo::iid;
inline constexpr IID IID_IGlobalInterfaceTable = IGlobalInterfaceTable::iid;
inline constexpr CLSID CLSID_StdGlobalInterfaceTable{
    0x00000323, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
