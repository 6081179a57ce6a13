// Registers an in-process server in the registry store, or removes its registration:
//   regsvr [-u] library.so
// The library's own DllRegisterServer (DllUnregisterServer) writes (removes) its keys.

#include "platform/com/Com.h"

#include <cstdio>
#include <cstring>

#include <dlfcn.h>

int main(int argc, char** argv)
{
    bool unregister = argc == 3 && std::strcmp(argv[1], "-u") == 0;
    if (argc != (unregister ? 3 : 2)) {
        std::fprintf(stderr, "usage: %s [-u] library.so\n", argv[0]);
        return 2;
    }
    const char* path = argv[argc - 1];
    void* library = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "%s: %s\n", argv[0], ::dlerror());
        return 1;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto function = reinterpret_cast<HRESULT (*)()>(::dlsym(library, entry));
    if (!function) {
        std::fprintf(stderr, "%s: %s has no %s\n", argv[0], path, entry);
        return 1;
    }
    HRESULT hr = function();
    if (FAILED(hr)) {
        std::fprintf(stderr, "%s: %s failed: 0x%08X\n", argv[0], entry, unsigned(hr));
        return 1;
    }
    std::printf("%s: %s succeeded\n", path, entry);
    return 0;
}
