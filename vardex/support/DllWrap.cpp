#include "vardex/support/DllWrap.h"

#include "platform/reslib/Kernel.h"
#include "vardex/support/slog.h"

DllWrap::DllWrap(const char* moduleName) : m_moduleName(moduleName) {}

DllWrap::~DllWrap()
{
    if (m_module)
        FreeLibrary(m_module);
}

void* DllWrap::Function(std::atomic<void*>& slot, const char* name)
{
    if (void* known = slot.load(std::memory_order_acquire))
        return known;
    void* address = nullptr;
    {
        std::lock_guard guard(m_mutex);
        if (!m_loaded) {
            m_module = LoadLibraryA(m_moduleName.GetString());
            m_loaded = true;
        }
        address = m_module ? GetProcAddress(m_module, name) : nullptr;
    }
    if (!address) {
        if (GetLogLevel() > 255 && IsFileLogged(__FILE__))
            LogTrace("Unable to locate function %s in %s", name, m_moduleName.GetString());
        return nullptr;
    }
    slot.store(address, std::memory_order_release);
    return address;
}

LCID DllWrap::GetThreadLocale()
{
    auto* f = reinterpret_cast<LCID (*)()>(Function(m_getThreadLocale, "GetThreadLocale"));
    return f ? f() : 0;
}

BOOL DllWrap::SetThreadLocale(LCID locale)
{
    auto* f = reinterpret_cast<BOOL (*)(LCID)>(Function(m_setThreadLocale, "SetThreadLocale"));
    return f ? f(locale) : 0;
}

DllWrap& KernelBinding()
{
    static DllWrap binding(kKernelModule);
    return binding;
}
