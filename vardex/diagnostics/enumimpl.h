#pragma once
// The enumeration machinery of the library's collections: a shared cursor over counted
// elements (Next, Reset, Skip, Clone), the automation face (Count, Item by ordinal, name or
// element, _NewEnum) and the index from an element's name key to its position.

#include "platform/com/Atl.h"
#include "platform/jtc/RecursiveMutex.h"
#include "vardex/diagnostics/scomobjectbase.h"
#include "vardex/diagnostics/ssyncguard.h"
#include "vardex/support/sassert.h"
#include "vardex/support/satlconv.h"
#include "vardex/support/scontainers.h"

#include <vector>

// Orders name keys by their 16-bit characters as unsigned values; a null key comes first and
// equals only another null key.
struct SBstrKeyLess
{
    bool operator()(const CComBSTR& a, const CComBSTR& b) const;
};

// The key of a name: its ANSI text upper-cased by the platform's ANSI upper-casing, back as a
// BSTR. Null for a null or empty name.
CComBSTR SNameKey(BSTR name);

// Reports a null pointer argument (source file, the text given) to the log and to the COM client
// with the null GUIDs; returns what the report returns (E_POINTER or E_INVALIDARG).
HRESULT SReportNullArgument(const char* file, const char* line, const char* text, HRESULT hr,
                            int32_t msgId);
#define VX_NULL_POINTER(text)                                                                      \
    SReportNullArgument(__FILE__, SASSERT_STR(__LINE__), text, E_POINTER, 42505)
#define VX_NULL_ARGUMENT(text)                                                                     \
    SReportNullArgument(__FILE__, SASSERT_STR(__LINE__), text, E_INVALIDARG, 42503)

class EnumImplBase : public SComObjectBase
{
protected:
    SIMap<CComBSTR, long, SBstrKeyLess> m_index;
    JTCRecursiveMutex m_mapLock;
};

// T: the implementing class; Collection: its dual collection interface; Element: the element
// interface. m_lock guards the elements and the cursor, m_mapLock the index; where both are
// held, m_lock is taken first.
template <class T, class Collection, class Element, const CLSID* pclsid>
class IEnumImpl : public EnumImplBase, public IDispatchImpl<Collection>
{
public:
    HRESULT Next(LONG lNumReq, Element** ppPairs, LONG* plNumRet) override
    {
        return SComCall(*this, *pclsid, Collection::iid, [&]() -> HRESULT {
            if (!ppPairs)
                return VX_NULL_POINTER("Invalid pointer ppElements");
            if (!plNumRet && lNumReq != 1)
                return ReportComError(*pclsid, Collection::iid, 42505, SIArray<SString>(),
                                      E_POINTER);
            LONG fetched = 0;
            {
                SSyncGuard guard(m_lock);
                while (m_position < LONG(m_elements.size()) && fetched < lNumReq) {
                    HRESULT hr = ValidateElement(m_position);
                    if (FAILED(hr))
                        return hr;
                    ppPairs[fetched] = m_elements[m_position];
                    if (ppPairs[fetched])
                        ppPairs[fetched]->AddRef();
                    ++fetched;
                    ++m_position;
                }
            }
            if (plNumRet)
                *plNumRet = fetched;
            return fetched < lNumReq ? S_FALSE : S_OK;
        });
    }

    // Reset and Skip perform no entry steps.
    HRESULT Reset() override
    {
        SSyncGuard guard(m_lock);
        m_position = 0;
        return S_OK;
    }

    HRESULT Skip(LONG numPairs) override
    {
        SSyncGuard guard(m_lock);
        for (LONG i = 0; i < numPairs; ++i) {
            if (m_position >= LONG(m_elements.size()))
                return S_FALSE;
            ++m_position;
        }
        return S_OK;
    }

    HRESULT Clone(Collection** ppPairs) override
    {
        return SComCall(*this, *pclsid, Collection::iid, [&]() -> HRESULT {
            if (!ppPairs)
                return VX_NULL_POINTER("Invalid pointer ppIEnElements");
            *ppPairs = nullptr;
            CComObject<T>* copy = nullptr;
            if (FAILED(CComObject<T>::CreateInstance(&copy)))
                return ReportComError(*pclsid, Collection::iid, 42200, SIArray<SString>(),
                                      HRESULT(0x80042A2F));
            CComPtr<IUnknown> hold(static_cast<Collection*>(copy));
            {
                SSyncGuard guard(m_lock);
                copy->m_elements = m_elements;
                copy->m_position = m_position;
                SSyncGuard mapGuard(m_mapLock);
                for (const auto& [key, position] : m_index)
                    copy->m_index.SetAt(key, position);
            }
            copy->SetObjectLocale(m_ObjectLocale);
            return copy->QueryInterface(Collection::iid, reinterpret_cast<void**>(ppPairs));
        });
    }

    HRESULT get_Count(LONG* pVal) override
    {
        return SComCall(*this, *pclsid, Collection::iid, [&]() -> HRESULT {
            if (!pVal)
                return VX_NULL_POINTER("Invalid pointer pNElements");
            SSyncGuard guard(m_lock);
            *pVal = LONG(m_elements.size());
            return S_OK;
        });
    }

    HRESULT get_Item(VARIANT Index, Element** pVal) override
    {
        return SComCall(*this, *pclsid, Collection::iid,
                        [&]() -> HRESULT { return Item(Index, pVal); });
    }

    HRESULT _NewEnum(IUnknown** pVal) override
    {
        if (!pVal)
            return SReportNullArgument("enumimpl.h", SASSERT_STR(__LINE__), "Invalid pointer pVal",
                                       E_POINTER, 42505);
        *pVal = nullptr;
        return SComCall(*this, *pclsid, Collection::iid,
                        [&]() -> HRESULT { return NewEnum(pVal); });
    }

    // Every read of an element for a caller passes here: a null element is reported.
    virtual HRESULT ValidateElement(long Index)
    {
        // clang-format off
        SASSERT_INFO(m_elements[Index], "m_elements[Index]");
        // clang-format on
        return S_OK;
    }

protected:
    std::vector<CComPtr<Element>, SHeapAllocator<CComPtr<Element>>> m_elements;
    LONG m_position = 0;
    JTCRecursiveMutex m_lock;

private:
    HRESULT Item(const VARIANT& Index, Element** pVal)
    {
        if (!pVal)
            return VX_NULL_POINTER("Invalid pointer pElement");
        CComVariant index;
        if (FAILED(VariantCopyInd(&index, &Index))) {
            VariantClear(&index);
            index.vt = VT_ERROR;
        }
        // The position is found and the element read under one lock, so that a concurrent
        // Delete cannot move the elements in between.
        SSyncGuard guard(m_lock);
        long position = -1;
        if (index.vt == VT_EMPTY || index.vt == VT_ERROR) {
            VariantClear(&index);
            index.vt = VT_I4;
            index.lVal = 1;
        }
        if (index.vt == VT_DISPATCH) {
            CComPtr<Element> element;
            if (index.pdispVal && SUCCEEDED(index.pdispVal->QueryInterface(
                                      Element::iid, reinterpret_cast<void**>(&element)))) {
                for (std::size_t i = 0; i < m_elements.size(); ++i)
                    if (m_elements[i].p == element.p) {
                        position = long(i);
                        break;
                    }
                return Found(position, index, pVal);
            }
            // A null object is no element; another object goes on by its default value.
            if (!index.pdispVal || FAILED(VariantChangeType(&index, &index, 0, VT_BSTR)))
                return Found(-1, index, pVal);
        }
        if (index.vt == VT_BSTR) {
            CComBSTR key = SNameKey(index.bstrVal);
            SSyncGuard mapGuard(m_mapLock);
            long found = 0;
            if (key.m_str && m_index.Lookup(key, found))
                position = found;
        } else if (index.vt != VT_DISPATCH && index.vt != VT_UNKNOWN) {
            CComVariant ordinal;
            if (SUCCEEDED(VariantChangeType(&ordinal, &index, 0, VT_I4)) && ordinal.lVal >= 1 &&
                ordinal.lVal <= LONG(m_elements.size()))
                position = ordinal.lVal - 1;
        }
        return Found(position, index, pVal);
    }

    HRESULT Found(long position, const VARIANT& index, Element** pVal)
    {
        if (position >= 0 && position < long(m_elements.size())) {
            ValidateElement(position);
            *pVal = m_elements[position];
            if (*pVal)
                (*pVal)->AddRef();
            return S_OK;
        }
        SIArray<SString> args;
        CComVariant text;
        if (SUCCEEDED(VariantChangeType(&text, &index, 0, VT_BSTR)))
            args.Add(SW2A(text.bstrVal));
        return ReportComError(*pclsid, Collection::iid, 42208, args, HRESULT(0x80042A37));
    }

    HRESULT NewEnum(IUnknown** pVal)
    {
        // Counted and copied under one lock, so that a concurrent Delete cannot leave the
        // snapshot with empty items.
        SSyncGuard guard(m_lock);
        std::vector<VARIANT> items;
        try {
            // Value-initialised: every item starts as VT_EMPTY.
            items.resize(m_elements.size() + 1);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        CComObject<CComEnumVariant>* enumerator = nullptr;
        if (FAILED(CComObject<CComEnumVariant>::CreateInstance(&enumerator)))
            return ReportComError(*pclsid, Collection::iid, 42502, SIArray<SString>(),
                                  E_OUTOFMEMORY);
        std::size_t count = m_elements.size();
        for (std::size_t i = 0; i < count; ++i) {
            ValidateElement(long(i));
            if (m_elements[i]) {
                items[i].vt = VT_DISPATCH;
                items[i].pdispVal = m_elements[i];
                items[i].pdispVal->AddRef();
            }
        }
        HRESULT hr = enumerator->Init(items.data(), items.data() + count,
                                      static_cast<Collection*>(this), AtlFlagCopy);
        if (SUCCEEDED(hr))
            hr = enumerator->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(pVal));
        if (FAILED(hr))
            delete enumerator;
        for (VARIANT& v : items)
            VariantClear(&v);
        return hr;
    }
};
