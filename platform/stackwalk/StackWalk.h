#pragma once
// Walking the calling thread's stack and resolving code addresses to module, symbol and source
// line, over the C library's backtrace() and elfutils' libdw. Resolution is serialised behind
// one lock; the module list is read again when an address lies in a module loaded since.

#include <cstdint>
#include <string>
#include <vector>

namespace stackwalk {

// The return addresses of the calling thread's frames, innermost first, at most `max`.
std::vector<std::uintptr_t> CaptureStack(int max);

struct Location
{
    std::string module;              // full file name of the module; empty when unknown
    std::string symbol;              // demangled; empty when unknown
    std::uintptr_t symbolOffset = 0; // bytes past the symbol's start
    std::string file;                // source file; empty when unknown
    int line = 0;
    std::uintptr_t lineOffset = 0; // bytes past the first instruction of that line
};

// Prepares the resolver for this process; false when libdw cannot read it.
bool Initialize();
// What is known of a return address; its source line is that of the call before it.
Location Resolve(std::uintptr_t address);

} // namespace stackwalk
