#pragma once
// Call-stack dumps: one symbol engine per thread, shared by the dumps a thread makes while one
// is running, and the text dump of the calling thread's stack (one line per return address:
// address, module, symbol and source line).

#include "vardex/support/refcount.h"
#include "vardex/support/sstring.h"

#include <cstdint>

class CSymbolEngine : public CRefCount
{
public:
    CSymbolEngine();
    ~CSymbolEngine() override;

    bool IsInitialized() const { return m_initialized; }
    // Appends the dump of the calling thread's stack (from its caller on).
    bool DumpCurrentStack(SString& out);

    // The text line of one code address.
    static SString FormatAddress(std::uintptr_t address);

private:
    bool m_initialized = false;
    unsigned long m_threadId;
};

// Holds the calling thread's engine while it lives (a second holder on the thread shares it).
class SStackDump
{
public:
    SStackDump();
    SStackDump(const SStackDump&) = delete;
    SStackDump& operator=(const SStackDump&) = delete;
    ~SStackDump();

    CSymbolEngine* Engine() const { return m_engine; }
    // Appends the dump of the calling thread's stack to `out`; false when it cannot be taken.
    bool DumpCurrentStack(SString& out);

private:
    CSymbolEngine* m_engine;
};
