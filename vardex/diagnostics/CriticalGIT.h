#pragma once
// The process's COM Global Interface Table behind a monitor, shared by the COM client's threads,
// the ORB's threads and the relay threads through counted pointers.

#include "platform/com/Unknown.h"
#include "platform/jtc/Monitor.h"
#include "vardex/support/refcount.h"

class CriticalGlobalInterfaceTable : public CRefCount
{
public:
    // Throws a GenericClientException (E_FAIL, message 42264) when the table cannot be had.
    CriticalGlobalInterfaceTable();

    // Each holds the monitor around the one call and returns the table's result.
    HRESULT RegisterInterfaceInGlobal(IUnknown* pUnk, REFIID riid, DWORD* pdwCookie);
    HRESULT RevokeInterfaceFromGlobal(DWORD dwCookie);
    HRESULT GetInterfaceFromGlobal(DWORD dwCookie, REFIID riid, void** ppv);

protected:
    ~CriticalGlobalInterfaceTable() override;

private:
    IGlobalInterfaceTable* m_pGIT = nullptr;
    JTCMonitor m_monitor;
};

// The thread within an apartment for the guard's lifetime, as the table and the error report
// want one: a thread outside any apartment enters the multithreaded apartment, one within an
// apartment stays in its own.
class SApartmentScope
{
public:
    SApartmentScope();
    ~SApartmentScope();
    SApartmentScope(const SApartmentScope&) = delete;
    SApartmentScope& operator=(const SApartmentScope&) = delete;

private:
    bool m_entered;
};
