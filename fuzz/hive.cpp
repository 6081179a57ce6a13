// Hive files of the registry store: every key and value read back, one value written and the
// hive read again.

#include "fuzz/FuzzSupport.h"
#include "platform/registry/Registry.h"

#include <cstdlib>
#include <vector>

namespace {

void Walk(HKEY key, int depth)
{
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        DWORD type = 0;
        BYTE value[512];
        DWORD valueSize = sizeof value;
        const LSTATUS status =
            RegEnumValue(key, i, name, &nameSize, nullptr, &type, value, &valueSize);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_SUCCESS) {
            DWORD size = 0;
            RegQueryValueEx(key, name, nullptr, &type, nullptr, &size);
            std::vector<BYTE> whole(size);
            RegQueryValueEx(key, name, nullptr, &type, whole.data(), &size);
        }
        if (i > 10000)
            std::abort();
    }
    for (DWORD i = 0; depth < 64; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        const LSTATUS status =
            RegEnumKeyEx(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        HKEY sub = nullptr;
        if (status == ERROR_SUCCESS &&
            RegOpenKeyEx(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            Walk(sub, depth + 1);
            RegCloseKey(sub);
        }
        if (i > 10000)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("VARDEX_REGISTRY_ROOT", fuzz::Folder().c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::WriteFile("HKEY_CURRENT_USER.reg", fuzz::Text(data, size));
    Walk(HKEY_CURRENT_USER, 0);
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Harnix", 0, nullptr, 0, KEY_ALL_ACCESS,
                       nullptr, &key, nullptr) == ERROR_SUCCESS) {
        const char text[] = "valeur";
        RegSetValueEx(key, "Nom", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
        RegCloseKey(key);
    }
    Walk(HKEY_CURRENT_USER, 0);
    return 0;
}
