#include "vardex/support/sresmanager.h"

#include "vardex/support/DllWrap.h"
#include "vardex/support/registry.h"
#include "vardex/support/sassert.h"
#include "vardex/support/scontainers.h"
#include "vardex/support/sfilesys.h"
#include "vardex/support/sreshelper.h"
#include "vardex/support/sversion.h"

#include "platform/registry/Registry.h"
#include "platform/reslib/Kernel.h"

#include <mutex>

namespace {

const char* const kFallbackLanguage = "en";
const char* const kStringsLibrary = "stringres";
const char* const kHtmlLibrary = "htmlres";

struct LanguageRow
{
    LCID lcid;
    const char* text;
};
constexpr LanguageRow kLanguages[] = {{0x409, "en"}, {0x40c, "fr"}, {0x407, "de"}, {0x411, "ja"},
                                      {0x40a, "es"}, {0x410, "it"}, {0x416, "pt"}};

// Recursive: a search reads the registry, whose reports may come back here through the logging.
struct Cache
{
    std::recursive_mutex mutex;
    SIMap<SStringBinary, HMODULE> libraries;
};
Cache& LibraryCache()
{
    static Cache* cache = new Cache; // lives to the process end with the libraries it names
    return *cache;
}

// Process-wide libraries; null stands for the host's own string table.
struct ProcessLibraries
{
    bool stringsLoaded = false; // under the cache's lock
    HMODULE strings = nullptr;
    std::mutex componentMutex;
    HMODULE component = nullptr;
};
ProcessLibraries& Process()
{
    static ProcessLibraries* process = new ProcessLibraries;
    return *process;
}

// Language texts make file names and cache keys: lower case, as the libraries are named.
SString Lower(const SString& text)
{
    SString lower;
    for (const char* p = text.GetString(); *p; ++p)
        lower.AppendChar(SCharValue(*p >= 'A' && *p <= 'Z' ? *p - 'A' + 'a' : (unsigned char)*p));
    return lower;
}

// The file of a library name in a folder, with the modules' extension.
HMODULE LoadFrom(const SString& folder, const SString& name)
{
    if (folder.IsEmpty())
        return nullptr;
    const SString path = SMakePath(nullptr, folder.GetString(), name.GetString(), kModuleExtension);
    // A library that another user could have put there is not loaded.
    return registry::isTrusted(path.GetString()) ? LoadLibraryA(path.GetString()) : nullptr;
}

HMODULE Search(const SString& name, const char* section)
{
    if (section) {
        SString folder = SharedToolsRegistry(section).ReadValue("Path");
        // A relative folder is taken from the current one now: the file name is registered as
        // the event log's message file and opened again later, from elsewhere.
        if (!folder.IsEmpty() && folder.GetString()[0] != '/')
            folder =
                SMakePath(nullptr, SGetCurrentDirectory().GetString(), folder.GetString(), nullptr);
        if (HMODULE module = LoadFrom(folder, name))
            return module;
    }
    SString drive, folder;
    SSplitPath(GetModuleFileNameA(nullptr).c_str(), &drive, &folder, nullptr, nullptr);
    if (HMODULE module = LoadFrom(drive + folder, name))
        return module;
    return LoadLibraryA((name + kModuleExtension).GetString());
}

// The cached library of a key, or a fresh load; `cached` tells which.
HMODULE CachedOrLoaded(const SStringBinary& key, const char* section, bool& cached)
{
    HMODULE module = nullptr;
    cached = LibraryCache().libraries.Lookup(key, module);
    return cached ? module : Search(key, section);
}

// The process-wide strings library, loaded on first need; null stands for the host's table.
HMODULE ProcessStrings()
{
    ProcessLibraries& process = Process();
    HMODULE retval = nullptr;
    bool loadedNow = false;
    {
        SAssertDeferral deferral;
        std::lock_guard guard(LibraryCache().mutex);
        loadedNow = !process.stringsLoaded;
        if (loadedNow) {
            process.stringsLoaded = true;
            process.strings = SResLoadLibrary(kStringsLibrary, GetUserLanguageText(), "Strings");
        }
        retval = process.strings;
    }
    // Reported once the cache's lock is released: the report may wait for the logging's set-up.
    if (loadedNow) {
        // clang-format off
        SASSERT_INFO(retval, (SString("Could not find resource DLL '") + kStringsLibrary + "'. Some strings may not appear.").GetString());
        // clang-format on
    }
    return retval;
}

// Loads the thread's two libraries for a locale into the record; false when either is missing.
bool LoadThreadLibraries(SResHandles& record, LCID locale)
{
    const SString language = GetLanguageText(locale);
    HMODULE strings = SResLoadLibrary(kStringsLibrary, language, "Strings");
    HMODULE html = SResLoadLibrary(kHtmlLibrary, language, "HTML");
    if (!strings || !html)
        return false;
    record.strings = strings;
    record.html = html;
    record.locale = locale;
    KernelBinding().SetThreadLocale(locale);
    return true;
}

// Lowers the use count; the last use deletes the record. True when it remains.
bool Unuse(SResHandles* record)
{
    if (--record->useCount > 0)
        return true;
    delete record;
    SResHelper::SetThreadRecord(nullptr);
    return false;
}

} // namespace

SString GetUserLanguageText()
{
    const std::string language = GetUserLanguageAbbreviation();
    return language.empty() ? SString(kFallbackLanguage) : SString(language.c_str());
}

SString GetLanguageText(LCID locale)
{
    if (locale == LOCALE_USER_DEFAULT)
        locale = GetUserDefaultLCID();
    const LCID primary = (locale & 0x3FF) | 0x400;
    for (const auto& row : kLanguages)
        if (row.lcid == primary)
            return row.text;
    return GetUserLanguageText();
}

HMODULE SResLoadLibrary(const char* baseName, const SString& languageText, const char* section)
{
    SString language = Lower(languageText);
    if (language == "ja")
        language = "jp";
    Cache& cache = LibraryCache();
    // Lock order: the logging's lock before the cache's. A search reports (registry access,
    // version texts) only once the cache's lock is released, since a report may set the logging
    // up, and the logging's set-up loads the strings library.
    SAssertDeferral deferral;
    std::lock_guard guard(cache.mutex);
    const SStringBinary key = SString(baseName) + "_" + language;
    HMODULE module = nullptr;
    if (cache.libraries.Lookup(key, module))
        return module;
    module = Search(key, section);
    const SStringBinary fallbackKey = SString(baseName) + "_" + kFallbackLanguage;
    if (module && !(language == kFallbackLanguage)) {
        bool cached = false;
        HMODULE fallback = CachedOrLoaded(fallbackKey, section, cached);
        SString localizedVersion, fallbackVersion;
        if (fallback && GetResourceVersion(module, localizedVersion) &&
            GetResourceVersion(fallback, fallbackVersion) &&
            CompareVersions(fallbackVersion.GetString(), localizedVersion.GetString()) == 1) {
            FreeLibrary(module);
            module = fallback;
        } else if (fallback && !cached) {
            FreeLibrary(fallback);
        }
    } else if (!module) {
        bool cached = false;
        module = CachedOrLoaded(fallbackKey, section, cached);
    }
    cache.libraries.SetAt(key, module);
    return module;
}

void SResInitializeProcess(const char* componentName)
{
    ProcessStrings();
    if (!componentName || !*componentName)
        return;
    const SString base = SString(componentName) + "_res";
    HMODULE retval = SResLoadLibrary(base.GetString(), GetUserLanguageText(), nullptr);
    // clang-format off
    SASSERT_INFO(retval, (SString("Could not find resource DLL '") + base + "'. Some strings may not appear.").GetString());
    // clang-format on
    ProcessLibraries& process = Process();
    std::lock_guard guard(process.componentMutex);
    process.component = retval;
}

bool ThreadInitialize(LCID locale, LCID& previous)
{
    // clang-format off
    SASSERT_TEXT(SResHelper::ThreadKey() > 0, "m_threadKey>0", "the thread key failed to initialize and you are using ThreadInitialize!!");
    // clang-format on
    SResHandles* record = SResHelper::GetThreadRecord();
    if (record) {
        previous = record->locale;
        ++record->useCount;
        if (previous == locale)
            return true;
    } else {
        previous = KernelBinding().GetThreadLocale();
        record = new SResHandles;
        record->useCount = 1;
        SResHelper::SetThreadRecord(record);
    }
    if (LoadThreadLibraries(*record, locale))
        return true;
    Unuse(record);
    return false;
}

void ThreadUninitialize(LCID previous)
{
    SResHandles* pResHandles = SResHelper::GetThreadRecord();
    // clang-format off
    SASSERT_INFO(pResHandles, "Couldn't load TLS object. Are you uninitializing too many times?");
    // clang-format on
    if (pResHandles && Unuse(pResHandles) && previous != pResHandles->locale)
        LoadThreadLibraries(*pResHandles, previous);
    KernelBinding().SetThreadLocale(previous);
}

SString LoadString(uint32_t id)
{
    char buffer[kMaxResourceString + 1];
    if (SResHandles* record = SResHelper::GetThreadRecord(); record && record->strings)
        if (LoadStringA(record->strings, id, buffer, sizeof buffer) > 0)
            return SString(buffer);
    ProcessLibraries& process = Process();
    if (LoadStringA(ProcessStrings(), id, buffer, sizeof buffer) > 0)
        return SString(buffer);
    HMODULE component = nullptr;
    {
        std::lock_guard guard(process.componentMutex);
        component = process.component;
    }
    if (LoadStringA(component, id, buffer, sizeof buffer) > 0)
        return SString(buffer);
    return SString();
}

SString GetStringsLibraryPath()
{
    HMODULE strings = ProcessStrings();
    return strings ? SString(GetModuleFileNameA(strings).c_str()) : SString();
}
