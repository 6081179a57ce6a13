#pragma once
// A binding to a module's functions by name at run time: the module is loaded on first need
// and each function looked up on its first call. A missing function is traced and its call
// returns 0.

#include "platform/reslib/Module.h"
#include "platform/wintypes/Types.h"
#include "vardex/support/sstring.h"

#include <atomic>
#include <mutex>

class DllWrap
{
public:
    explicit DllWrap(const char* moduleName);
    DllWrap(const DllWrap&) = delete;
    DllWrap& operator=(const DllWrap&) = delete;
    ~DllWrap();

    LCID GetThreadLocale();
    BOOL SetThreadLocale(LCID locale);

private:
    // The address of `name`, looked up once; null (with a trace) when the module lacks it.
    void* Function(std::atomic<void*>& slot, const char* name);

    SString m_moduleName;
    std::mutex m_mutex;
    HMODULE m_module = nullptr;
    bool m_loaded = false;
    std::atomic<void*> m_getThreadLocale{nullptr};
    std::atomic<void*> m_setThreadLocale{nullptr};
};

// The kernel binding of the resource manager.
DllWrap& KernelBinding();
