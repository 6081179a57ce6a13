#include "platform/reslib/Module.h"

#include "platform/reslib/ResourceTable.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

namespace {

// The host's own table: a symbol of the program itself, not of a library it loaded.
void* HostSymbol(const char* name)
{
    void* program = dlopen(nullptr, RTLD_LAZY);
    link_map* programMap = nullptr;
    if (!program || dlinfo(program, RTLD_DI_LINKMAP, &programMap) != 0)
        return nullptr;
    void* symbol = dlsym(program, name);
    Dl_info info{};
    link_map* owner = nullptr;
    if (!symbol || !dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP))
        return nullptr;
    return owner == programMap ? symbol : nullptr;
}

} // namespace

HMODULE LoadLibraryA(const char* path)
{
    if (!path || !*path)
        return nullptr;
    return static_cast<HMODULE>(dlopen(path, RTLD_NOW | RTLD_LOCAL));
}

bool FreeLibrary(HMODULE module)
{
    return module && dlclose(module) == 0;
}

void* GetProcAddress(HMODULE module, const char* name)
{
    if (!name)
        return nullptr;
    return module ? dlsym(module, name) : HostSymbol(name);
}

std::string GetModuleFileNameA(HMODULE module)
{
    if (!module) {
        // The executable's path, whatever its length.
        std::string path(256, '\0');
        for (;;) {
            const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
            if (n < 0)
                return {};
            if (std::size_t(n) < path.size()) {
                path.resize(std::size_t(n));
                return path;
            }
            path.resize(path.size() * 2);
        }
    }
    link_map* map = nullptr;
    if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name)
        return {};
    return map->l_name;
}

int LoadStringA(HMODULE module, uint32_t id, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = 0;
    auto* table = static_cast<const VxResourceString*>(GetProcAddress(module, VX_RESOURCE_STRINGS));
    auto* count = static_cast<const uint32_t*>(GetProcAddress(module, VX_RESOURCE_STRING_COUNT));
    if (!table || !count)
        return 0;
    const VxResourceString* end = table + *count;
    const VxResourceString* found = std::lower_bound(
        table, end, id, [](const VxResourceString& e, uint32_t key) { return e.id < key; });
    if (found == end || found->id != id || !found->text)
        return 0;
    std::size_t n = std::min(std::strlen(found->text), std::size_t(size - 1));
    // Never cut a multi-byte character in two.
    while (n > 0 && n < std::strlen(found->text) && (found->text[n] & 0xC0) == 0x80)
        --n;
    std::memcpy(buffer, found->text, n);
    buffer[n] = 0;
    return int(n);
}
