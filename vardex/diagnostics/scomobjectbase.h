#pragma once
// The base of every COM class of the library: the free-threaded object root and the object's
// locale, and the entry steps every COM method performs (thread adoption, then the object's
// locale as the thread's resource locale), undone on every path out.

#include "platform/com/Atl.h"
#include "vardex/diagnostics/ComErrorReport.h"
#include "vardex/diagnostics/safeadopter.h"
#include "vardex/diagnostics/vardexmodule.h"

class SComObjectBase : public CComObjectRootEx<CComMultiThreadModel>
{
public:
    SComObjectBase() = default;
    virtual ~SComObjectBase() = default;

    // A locale of 0 (never set) is reported, and returned as it is.
    LCID GetObjectLocale() const;
    void SetObjectLocale(LCID locale) { m_ObjectLocale = locale; }

protected:
    LCID m_ObjectLocale = 0;
};

// The entry steps of one COM call, for the guard's lifetime. The thread locale is put back only
// when it was set: a failed ThreadInitialize has undone its own count already.
class SComEntry
{
public:
    explicit SComEntry(const SComObjectBase& object);
    ~SComEntry();
    SComEntry(const SComEntry&) = delete;
    SComEntry& operator=(const SComEntry&) = delete;

private:
    SafeAdopter m_adopter;
    LCID m_previous = 0;
    bool m_initialized = false;
};

// Reports an exception other than a client exception that reached a method's entry.
void SComUnexpected() noexcept;

// Runs a COM method's body within the entry steps. Nothing escapes: a client exception is
// reported to the COM client (clsid, iid) and its result returned; anything else gives
// E_UNEXPECTED after an assertion report. Once the library serves no more calls (the process
// ends, or it is a forked child) the body is not run.
template <class Body>
HRESULT SComCall(const SComObjectBase& object, REFCLSID clsid, REFIID iid, Body&& body) noexcept
{
    if (HRESULT refused = RefuseUnusable(clsid, iid); FAILED(refused))
        return refused;
    try {
        SComEntry entry(object);
        try {
            return body();
        } catch (const GenericClientException& e) {
            return ReportComException(clsid, iid, e);
        }
    } catch (...) {
        SComUnexpected();
        return E_UNEXPECTED;
    }
}
