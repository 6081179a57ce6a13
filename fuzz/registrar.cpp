// Registration scripts: the script registered, then unregistered, in a store of its own.

#include "platform/registry/Registrar.h"
#include "fuzz/FuzzSupport.h"

#include <cstdlib>
#include <filesystem>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("VARDEX_REGISTRY_ROOT", fuzz::Folder().c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view script = fuzz::Text(data, size);
    const registry::Replacements replacements{{"MODULE", "/usr/lib/harnix/libvardex.so"},
                                              {"CLSID", "{0F0E0D0C-0B0A-0908-0706-050403020100}"}};
    registry::runScript(script, true, replacements);
    registry::runScript(script, false, replacements);
    for (const char* hive : {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"})
        std::filesystem::remove(fuzz::Folder() + "/" + hive + ".reg");
    return 0;
}
