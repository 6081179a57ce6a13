#pragma once
// The COM face of the diagnostics library: the interfaces of the type library
// VeltrixDiagnosticsLib, their identifiers and the class identifiers of its coclasses, and the
// two interfaces outside it (the internal service interface and the parent's). A client includes
// this header only; it creates the objects through the runtime, never linking the library.

#include "platform/com/Unknown.h"

// The library's own identifiers share the tail -C9E8-11D3-9BEE-00902743CC7A.
#define VX_DIAG_GUID(first)                                                                        \
    GUID                                                                                           \
    {                                                                                              \
        first, 0xC9E8, 0x11D3,                                                                     \
        {                                                                                          \
            0x9B, 0xEE, 0x00, 0x90, 0x27, 0x43, 0xCC, 0x7A                                         \
        }                                                                                          \
    }

inline constexpr GUID LIBID_VeltrixDiagnosticsLib = VX_DIAG_GUID(0x76FD9938);
inline constexpr CLSID CLSID_Topic = VX_DIAG_GUID(0x76FD9948);
inline constexpr CLSID CLSID_Topics = VX_DIAG_GUID(0x76FD994A);
inline constexpr CLSID CLSID_Diagnostics = VX_DIAG_GUID(0x76FD994C);

struct ISTopic : IDispatch
{
    static constexpr IID iid = VX_DIAG_GUID(0x76FD9947);
    virtual HRESULT get_Topic(BSTR* pVal) = 0;
    virtual HRESULT put_Topic(BSTR newVal) = 0;
    virtual HRESULT get_Verbosity(SHORT* pVal) = 0;
    virtual HRESULT put_Verbosity(SHORT newVal) = 0;
};

struct ISTopics : IDispatch
{
    static constexpr IID iid = VX_DIAG_GUID(0x76FD9949);
    virtual HRESULT Next(LONG lNumReq, ISTopic** ppPairs, LONG* plNumRet) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Skip(LONG numPairs) = 0;
    virtual HRESULT Clone(ISTopics** ppPairs) = 0;
    virtual HRESULT get_Count(LONG* pVal) = 0;
    virtual HRESULT get_Item(VARIANT Index, ISTopic** pVal) = 0;
    virtual HRESULT _NewEnum(IUnknown** pVal) = 0;
    virtual HRESULT Add(BSTR Topic, SHORT Verbosity) = 0;
    virtual HRESULT Delete(BSTR Topic) = 0;
};

// The callback interface a COM client implements.
struct ISDiagListener : IDispatch
{
    static constexpr IID iid = VX_DIAG_GUID(0x76FD9951);
    virtual HRESULT DiagnosticsMessage(BSTR Topic, SHORT Verbosity, BSTR message) = 0;
    virtual HRESULT Free() = 0;
};

struct ISDiagnostics : IDispatch
{
    static constexpr IID iid = VX_DIAG_GUID(0x76FD994B);
    virtual HRESULT get_Topics(ISTopics** ppPairs) = 0;
    virtual HRESULT RegisterProbeListener(ISDiagListener* pListener, ISTopics* pPairs) = 0;
    virtual HRESULT UnregisterProbeListener() = 0;
    virtual HRESULT ChangeProbeListenerTopicalFilter(ISTopics* pPairs) = 0;
    virtual HRESULT get_Registered(LONG* pVal) = 0;
};

// How the creator hands the Diagnostics object its parent and the server's factory reference.
struct ISInternalService : IUnknown
{
    static constexpr IID iid{
        0x8906A131, 0x034B, 0x11D3, {0xB3, 0x34, 0x00, 0xA0, 0xC9, 0xB0, 0x4E, 0x87}};
    virtual HRESULT ConnectService(BSTR factoryReference) = 0;
    virtual HRESULT AttachParent(IUnknown* parent) = 0;
};

// The parent service object of the report server's COM host. Only the slots the library calls
// are named; the others keep their places.
struct ISParentService : IUnknown
{
    static constexpr IID iid{
        0x4890733F, 0x42BC, 0x4ABC, {0x81, 0x9F, 0x67, 0xBA, 0x76, 0x16, 0x79, 0x00}};
    // Nonzero: the connection was re-established.
    virtual LONG ReconnectChild(ISDiagnostics* child) = 0;
    virtual LONG AttachChild(ISDiagnostics* child) = 0;
    virtual LONG DetachChild(ISDiagnostics* child) = 0;
    virtual HRESULT Unused6() = 0;
    virtual HRESULT Unused7() = 0;
    virtual HRESULT Unused8() = 0;
    virtual HRESULT Unused9() = 0;
    virtual HRESULT Unused10() = 0;
    virtual HRESULT Unused11() = 0;
    virtual HRESULT GetLocale(LCID* locale) = 0;
};
