#pragma once
// A small dual interface and its class, shared by the framework tests and the test server.

#include "platform/com/Atl.h"

struct ICounter : IDispatch
{
    static constexpr IID iid{
        0x5C0E0001, 0x7A11, 0x4B2C, {0x9D, 0x01, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};
    virtual HRESULT get_Value(LONG* pVal) = 0;
    virtual HRESULT put_Value(LONG value) = 0;
    virtual HRESULT Add(LONG amount, LONG* pTotal) = 0;
    virtual HRESULT get_Name(BSTR* pVal) = 0;
    virtual HRESULT put_Name(BSTR value) = 0;
    virtual HRESULT Fail() = 0;
    virtual HRESULT get_Self(ICounter** ppVal) = 0;
    // Describes a VARIANT argument (its type number and, for an omitted one, "missing").
    virtual HRESULT Describe(SHORT width, VARIANT item, BSTR* pText) = 0;
    // pOther is a by-reference argument, pOld the return value.
    virtual HRESULT Exchange(LONG* pOther, LONG* pOld) = 0;
};

inline constexpr CLSID CLSID_Counter{
    0x5C0E0002, 0x7A11, 0x4B2C, {0x9D, 0x01, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};

template <> struct com::DispatchInfo<ICounter>
{
    static const DispatchTable& table()
    {
        static const DispatchTable t{
            "ICounter",
            ICounter::iid,
            "Counter Interface",
            {
                dispatchEntry<&ICounter::get_Value>(DISPID_VALUE, "Value", DISPATCH_PROPERTYGET,
                                                    "property value"),
                dispatchEntry<&ICounter::put_Value>(DISPID_VALUE, "Value", DISPATCH_PROPERTYPUT),
                dispatchEntry<&ICounter::Add>(0x60020002, "Add", DISPATCH_METHOD, "add"),
                dispatchEntry<&ICounter::get_Name>(0x60020003, "Name", DISPATCH_PROPERTYGET),
                dispatchEntry<&ICounter::put_Name>(0x60020003, "Name", DISPATCH_PROPERTYPUT),
                dispatchEntry<&ICounter::Fail>(0x60020005, "Fail", DISPATCH_METHOD),
                dispatchEntry<&ICounter::get_Self>(0x60020006, "Self", DISPATCH_PROPERTYGET),
                dispatchEntry<&ICounter::Describe>(0x60020007, "Describe", DISPATCH_METHOD),
                dispatchEntry<&ICounter::Exchange>(0x60020008, "Exchange", DISPATCH_METHOD),
            }};
        return t;
    }
};

class CCounter : public CComObjectRootEx<CComMultiThreadModel>,
                 public CComCoClass<CCounter, &CLSID_Counter>,
                 public IDispatchImpl<ICounter>,
                 public ISupportErrorInfoImpl<&ICounter::iid>
{
public:
    using _CreatorClass = CComNotAggregatable<CCounter>;

    static const _ATL_INTMAP_ENTRY* _GetEntries()
    {
        static constexpr _ATL_INTMAP_ENTRY entries[] = {
            com::interfaceEntry<CCounter, ICounter>(),
            com::interfaceEntry<CCounter, IDispatch, ICounter>(),
            com::interfaceEntry<CCounter, ISupportErrorInfo>(), com::interfaceMapEnd()};
        return entries;
    }

    static const char* registryScript()
    {
        return R"(
HKCR
{
    Test.Counter.1 = s 'Counter Class'
    {
        CLSID = s '{5C0E0002-7A11-4B2C-9D01-112233445566}'
    }
    Test.Counter = s 'Counter Class'
    {
        CLSID = s '{5C0E0002-7A11-4B2C-9D01-112233445566}'
        CurVer = s 'Test.Counter.1'
    }
    NoRemove CLSID
    {
        ForceRemove {5C0E0002-7A11-4B2C-9D01-112233445566} = s 'Counter Class'
        {
            ProgID = s 'Test.Counter.1'
            VersionIndependentProgID = s 'Test.Counter'
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Both'
            }
        }
    }
}
)";
    }

    HRESULT get_Value(LONG* pVal) override
    {
        if (!pVal)
            return E_POINTER;
        *pVal = m_value;
        return S_OK;
    }
    HRESULT put_Value(LONG value) override
    {
        m_value = value;
        return S_OK;
    }
    // Callers on several threads add at once: the object's critical section serialises them.
    HRESULT Add(LONG amount, LONG* pTotal) override
    {
        Lock();
        m_value += amount;
        if (pTotal)
            *pTotal = m_value;
        Unlock();
        return S_OK;
    }
    HRESULT get_Name(BSTR* pVal) override { return m_name.CopyTo(pVal); }
    HRESULT put_Name(BSTR value) override
    {
        m_name = value;
        return S_OK;
    }
    HRESULT Fail() override
    {
        ICreateErrorInfo* create = nullptr;
        CreateErrorInfo(&create);
        create->SetDescription(const_cast<LPOLESTR>(u"counter failed"));
        create->SetSource(const_cast<LPOLESTR>(u"Test.Counter"));
        IErrorInfo* info = nullptr;
        create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
        SetErrorInfo(0, info);
        info->Release();
        create->Release();
        return com::hr(0x80042A37);
    }
    HRESULT get_Self(ICounter** ppVal) override
    {
        if (!ppVal)
            return E_POINTER;
        *ppVal = this;
        InternalAddRef();
        return S_OK;
    }
    HRESULT Describe(SHORT width, VARIANT item, BSTR* pText) override
    {
        std::string text = (item.vt == VT_ERROR && item.scode == DISP_E_PARAMNOTFOUND)
                               ? "missing"
                               : std::to_string(item.vt);
        text = std::to_string(width) + "/" + text;
        *pText = CComBSTR(text.c_str()).Detach();
        return S_OK;
    }
    HRESULT Exchange(LONG* pOther, LONG* pOld) override
    {
        *pOld = m_value;
        m_value = *pOther;
        *pOther = *pOld;
        return S_OK;
    }

    LONG m_value = 0;
    CComBSTR m_name;
};
