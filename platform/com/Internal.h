#pragma once
// Shared inside the runtime library only.

#include "platform/com/Unknown.h"

namespace com {
// The calling thread has entered an apartment.
COM_VISIBLE bool inApartment();
// The process's one Global Interface Table.
COM_VISIBLE IGlobalInterfaceTable* globalInterfaceTable();

// An object of the runtime that lives as long as the process, with one interface I: counting
// its references changes nothing, and QueryInterface answers for IUnknown and I.
template <class I> class ProcessObject : public I
{
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == uuidof<I>()) {
            *ppv = static_cast<I*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
};
} // namespace com
