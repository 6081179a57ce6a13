#include "vardex/support/sstackdump.h"

#include "platform/stackwalk/StackWalk.h"
#include "vardex/support/scontainers.h"

#include <cinttypes>
#include <cstdio>
#include <mutex>
#include <pthread.h>

namespace {

constexpr int kMaxFrames = 512;

struct EngineMap
{
    std::mutex mutex;
    SIMap<unsigned long, CSymbolEngine*> engines;
};
EngineMap& Engines()
{
    static EngineMap* map = new EngineMap; // used by threads that may outlive static destruction
    return *map;
}

unsigned long CurrentThreadId()
{
    return static_cast<unsigned long>(pthread_self());
}

} // namespace

CSymbolEngine::CSymbolEngine()
    : m_initialized(stackwalk::Initialize()), m_threadId(CurrentThreadId())
{
}

CSymbolEngine::~CSymbolEngine()
{
    EngineMap& map = Engines();
    std::lock_guard guard(map.mutex);
    CSymbolEngine* registered = nullptr;
    if (map.engines.Lookup(m_threadId, registered) && registered == this)
        map.engines.RemoveKey(m_threadId);
}

SString CSymbolEngine::FormatAddress(std::uintptr_t address)
{
    char number[64];
    // The full width of a pointer.
    std::snprintf(number, sizeof number, "0x%0*" PRIxPTR " ", int(2 * sizeof(void*)), address);
    SString line(number);
    const stackwalk::Location location = stackwalk::Resolve(address);
    if (location.module.empty()) {
        line += "<unknown module>: ";
    } else {
        line += location.module.substr(location.module.find_last_of('/') + 1).c_str();
        line += ": ";
    }
    if (location.symbol.empty()) {
        line += "<unknown symbol>";
    } else {
        line += location.symbol.c_str();
        if (location.symbolOffset != 0) {
            std::snprintf(number, sizeof number, " + %" PRIuPTR " bytes", location.symbolOffset);
            line += number;
        }
        if (!location.file.empty()) {
            line += "\n\t\t";
            line += location.file.c_str();
            std::snprintf(number, sizeof number, ", Line %d", location.line);
            line += number;
            if (location.lineOffset != 0) {
                std::snprintf(number, sizeof number, " + %" PRIuPTR " bytes", location.lineOffset);
                line += number;
            }
        }
    }
    line += "\n";
    return line;
}

bool CSymbolEngine::DumpCurrentStack(SString& out)
{
    const std::vector<std::uintptr_t> addresses = stackwalk::CaptureStack(kMaxFrames);
    if (addresses.empty())
        return false;
    // The first address is this routine's own caller frame inside the dump.
    for (std::size_t i = 1; i < addresses.size(); ++i)
        if (addresses[i] != 0)
            out += FormatAddress(addresses[i]);
    return true;
}

SStackDump::SStackDump()
{
    EngineMap& map = Engines();
    const unsigned long thread = CurrentThreadId();
    {
        std::lock_guard guard(map.mutex);
        CSymbolEngine* engine = nullptr;
        if (map.engines.Lookup(thread, engine)) {
            engine->AddRef();
            m_engine = engine;
            return;
        }
    }
    m_engine = new CSymbolEngine;
    if (m_engine->IsInitialized()) {
        std::lock_guard guard(map.mutex);
        map.engines.SetAt(thread, m_engine);
    }
}

SStackDump::~SStackDump()
{
    m_engine->Release();
}

bool SStackDump::DumpCurrentStack(SString& out)
{
    return m_engine->DumpCurrentStack(out);
}
