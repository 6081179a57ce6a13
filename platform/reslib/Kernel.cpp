#include "platform/reslib/Kernel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <map>
#include <mutex>
#include <sys/utsname.h>

namespace {

// Language and territory of the locale identifiers this system knows.
struct LocaleName
{
    LCID lcid;
    const char* name; // "ll_TT"
};
constexpr LocaleName kLocales[] = {
    {0x409, "en_US"}, {0x809, "en_GB"}, {0xC09, "en_AU"},  {0x1009, "en_CA"}, {0x40C, "fr_FR"},
    {0x80C, "fr_BE"}, {0xC0C, "fr_CA"}, {0x100C, "fr_CH"}, {0x140C, "fr_LU"}, {0x407, "de_DE"},
    {0x807, "de_CH"}, {0xC07, "de_AT"}, {0x411, "ja_JP"},  {0x40A, "es_ES"},  {0xC0A, "es_ES"},
    {0x80A, "es_MX"}, {0x410, "it_IT"}, {0x810, "it_CH"},  {0x416, "pt_BR"},  {0x816, "pt_PT"},
};

const char* NameOf(LCID lcid)
{
    for (const auto& entry : kLocales)
        if (entry.lcid == lcid)
            return entry.name;
    // The primary language with its default sublanguage.
    for (const auto& entry : kLocales)
        if ((entry.lcid & 0x3FF) == (lcid & 0x3FF))
            return entry.name;
    return nullptr;
}

// The locale setting of the user's messages ("fr_CA.UTF-8"), empty when unset.
std::string UserLocaleSetting()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(variable); value && *value)
            return value;
    return {};
}

thread_local LCID t_threadLocale = 0;

} // namespace

LCID GetUserDefaultLCID()
{
    const std::string setting = UserLocaleSetting();
    const std::string name = setting.substr(0, setting.find_first_of(".@"));
    for (const auto& entry : kLocales)
        if (name == entry.name)
            return entry.lcid;
    const std::string language = name.substr(0, name.find('_'));
    for (const auto& entry : kLocales)
        if (language == std::string(entry.name, 2))
            return entry.lcid;
    return 0x409;
}

std::string GetUserLanguageAbbreviation()
{
    const std::string setting = UserLocaleSetting();
    std::string language = setting.substr(0, setting.find_first_of("_.@"));
    if (language.size() < 2 || language == "C" || language == "POSIX")
        return {};
    language.resize(2);
    for (char& c : language)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return language;
}

extern "C" LCID GetThreadLocale()
{
    if (t_threadLocale == 0)
        t_threadLocale = GetUserDefaultLCID();
    return t_threadLocale;
}

extern "C" BOOL SetThreadLocale(LCID locale)
{
    if (locale == LOCALE_USER_DEFAULT)
        locale = GetUserDefaultLCID();
    t_threadLocale = locale;
    return TRUE;
}

locale_t LocaleOfLcid(LCID lcid)
{
    if (lcid == LOCALE_USER_DEFAULT || lcid == 0)
        lcid = GetUserDefaultLCID();
    static std::mutex mutex;
    // Kept to the end of the process: other threads may format with a locale at any time.
    static auto& cache = *new std::map<LCID, locale_t>;
    std::lock_guard guard(mutex);
    if (auto found = cache.find(lcid); found != cache.end())
        return found->second;
    locale_t locale = locale_t(0);
    if (const char* name = NameOf(lcid))
        locale = newlocale(LC_ALL_MASK, (std::string(name) + ".UTF-8").c_str(), locale_t(0));
    if (!locale)
        locale = newlocale(LC_ALL_MASK, "C.UTF-8", locale_t(0));
    cache.emplace(lcid, locale);
    return locale;
}

DWORD ExpandEnvironmentStringsA(const char* source, char* destination, DWORD size)
{
    std::string result;
    for (const char* p = source ? source : ""; *p;) {
        const char* close = *p == '%' ? std::strchr(p + 1, '%') : nullptr;
        if (!close) {
            result += *p++;
            continue;
        }
        const std::string name(p + 1, close);
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        if (value) {
            result += value;
            p = close + 1;
        } else {
            // An unknown name stays as written; its closing % may open the next name.
            result.append(p, close);
            p = close;
        }
    }
    const DWORD needed = DWORD(result.size() + 1);
    if (destination && size >= needed)
        std::memcpy(destination, result.c_str(), needed);
    return needed;
}

BOOL GetVersionExA(OSVERSIONINFOA* info)
{
    if (!info)
        return FALSE;
    utsname names{};
    uname(&names);
    unsigned major = 0, minor = 0, build = 0;
    std::sscanf(names.release, "%u.%u.%u", &major, &minor, &build);
    info->dwMajorVersion = major;
    info->dwMinorVersion = minor;
    info->dwBuildNumber = build;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    info->szCSDVersion[0] = 0;
    return TRUE;
}

char* CharUpperA(char* text)
{
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    for (unsigned char* p = reinterpret_cast<unsigned char*>(text); p && *p;) {
        // Decode one UTF-8 character; a stray byte counts as one character and stays.
        const int n = *p < 0x80 ? 1 : *p >= 0xF0 ? 4 : *p >= 0xE0 ? 3 : *p >= 0xC0 ? 2 : 1;
        char32_t c = n == 1 ? *p : *p & (0x7F >> n);
        int i = 1;
        for (; i < n && (p[i] & 0xC0) == 0x80; ++i)
            c = (c << 6) | (p[i] & 0x3F);
        if (i < n || (n == 1 && *p >= 0x80)) {
            p += i;
            continue;
        }
        const char32_t upper = utf8 ? char32_t(towupper_l(wint_t(c), utf8)) : c;
        const int width = upper < 0x80 ? 1 : upper < 0x800 ? 2 : upper < 0x10000 ? 3 : 4;
        if (upper != c && width == n) {
            if (n == 1) {
                p[0] = static_cast<unsigned char>(upper);
            } else {
                for (int k = n - 1; k > 0; --k)
                    p[k] = static_cast<unsigned char>(0x80 | ((upper >> (6 * (n - 1 - k))) & 0x3F));
                p[0] = static_cast<unsigned char>((0xF00 >> n) | (upper >> (6 * (n - 1))));
            }
        }
        p += n;
    }
    return text;
}
