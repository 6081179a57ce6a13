#include "platform/com/ObjectRoot.h"

HRESULT CComObjectRootBase::InternalQueryInterface(CComObjectRootBase* root,
                                                   const _ATL_INTMAP_ENTRY* entries, REFIID riid,
                                                   void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!entries || !entries[0].piid)
        return E_NOINTERFACE;
    const _ATL_INTMAP_ENTRY* found = nullptr;
    if (riid == IID_IUnknown) {
        found = entries;
    } else {
        for (const _ATL_INTMAP_ENTRY* e = entries; e->piid; ++e) {
            if (*e->piid == riid) {
                found = e;
                break;
            }
        }
    }
    if (!found)
        return E_NOINTERFACE;
    auto* unknown = static_cast<IUnknown*>(found->cast(root));
    unknown->AddRef();
    *ppv = unknown;
    return S_OK;
}
