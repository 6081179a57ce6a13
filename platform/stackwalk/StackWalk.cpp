#include "platform/stackwalk/StackWalk.h"

#include <cstdlib>
#include <cxxabi.h>
#include <elfutils/libdwfl.h>
#include <execinfo.h>
#include <mutex>
#include <unistd.h>

namespace stackwalk {

namespace {

char* g_debugInfoPath = nullptr;
const Dwfl_Callbacks kCallbacks = {dwfl_linux_proc_find_elf, dwfl_standard_find_debuginfo, nullptr,
                                   &g_debugInfoPath};

std::mutex g_mutex;
Dwfl* g_dwfl = nullptr;

// (Re)reads the process's modules; under g_mutex.
bool Report()
{
    if (!g_dwfl)
        g_dwfl = dwfl_begin(&kCallbacks);
    if (!g_dwfl)
        return false;
    dwfl_report_begin(g_dwfl);
    const int result = dwfl_linux_proc_report(g_dwfl, getpid());
    dwfl_report_end(g_dwfl, nullptr, nullptr);
    return result == 0;
}

std::string Demangle(const char* name)
{
    int status = 0;
    char* demangled = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    std::string result = status == 0 && demangled ? demangled : name;
    std::free(demangled);
    return result;
}

} // namespace

std::vector<std::uintptr_t> CaptureStack(int max)
{
    std::vector<void*> frames(std::size_t(max > 0 ? max : 0));
    const int n = max > 0 ? backtrace(frames.data(), max) : 0;
    std::vector<std::uintptr_t> addresses;
    // The first frame is this function.
    for (int i = 1; i < n; ++i)
        addresses.push_back(reinterpret_cast<std::uintptr_t>(frames[std::size_t(i)]));
    return addresses;
}

bool Initialize()
{
    std::lock_guard guard(g_mutex);
    return g_dwfl || Report();
}

Location Resolve(std::uintptr_t address)
{
    std::lock_guard guard(g_mutex);
    Location location;
    if (!g_dwfl && !Report())
        return location;
    Dwfl_Module* module = dwfl_addrmodule(g_dwfl, address);
    if (!module && Report()) // a module loaded since the last reading
        module = dwfl_addrmodule(g_dwfl, address);
    if (!module)
        return location;
    const char* mainFile = nullptr;
    const char* name =
        dwfl_module_info(module, nullptr, nullptr, nullptr, nullptr, nullptr, &mainFile, nullptr);
    location.module = mainFile ? mainFile : name ? name : "";
    GElf_Off offset = 0;
    GElf_Sym symbol{};
    if (const char* symbolName =
            dwfl_module_addrinfo(module, address, &offset, &symbol, nullptr, nullptr, nullptr)) {
        location.symbol = Demangle(symbolName);
        location.symbolOffset = offset;
    }
    // A return address follows its call: the call's own line is the one before it.
    if (Dwfl_Line* line = dwfl_module_getsrc(module, address - 1)) {
        Dwarf_Addr lineAddress = 0;
        int lineNumber = 0;
        if (const char* file =
                dwfl_lineinfo(line, &lineAddress, &lineNumber, nullptr, nullptr, nullptr)) {
            location.file = file;
            location.line = lineNumber;
            location.lineOffset = address - lineAddress;
        }
    }
    return location;
}

} // namespace stackwalk
