#pragma once
// The kernel calls of the platform that the diagnostics library needs: the thread's locale as
// a locale identifier (LCID), the user's default locale, environment expansion, the operating
// system's version and upper-casing. The thread locale is this library's own per-thread value:
// the process locale (setlocale, uselocale) is never changed; formatting code asks for the
// locale_t of an identifier and passes it explicitly.

#include "platform/reslib/Api.h"
#include "platform/wintypes/Types.h"

#include <locale.h>
#include <string>

// The module that carries the kernel entries, for binding them by name at run time.
inline constexpr const char* kKernelModule = "libreslib.so";

extern "C" {
// The calling thread's locale (the user's default until set).
RESLIB_API LCID GetThreadLocale();
RESLIB_API BOOL SetThreadLocale(LCID locale);
}

// The user's default locale, from LC_ALL, LC_MESSAGES, then LANG (English (United States)
// when none names a known language).
RESLIB_API LCID GetUserDefaultLCID();
// The user's language as a lower-case two-letter text ("fr"); empty when the settings name no
// language (C or POSIX).
RESLIB_API std::string GetUserLanguageAbbreviation();
// A C library locale for the identifier (0x400: the user's default), shared and never freed;
// the UTF-8 C locale when the system lacks the language.
RESLIB_API locale_t LocaleOfLcid(LCID locale);

// Replaces each %NAME% of an environment variable by its value (unknown names stay). Returns
// the number of bytes the result needs, zero included, and writes it only when it fits.
RESLIB_API DWORD ExpandEnvironmentStringsA(const char* source, char* destination, DWORD size);

inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
struct OSVERSIONINFOA
{
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};
// Reports the NT platform family, with the kernel release as version numbers.
RESLIB_API BOOL GetVersionExA(OSVERSIONINFOA* info);

// Upper-cases a zero-terminated UTF-8 text in place (characters whose upper case has another
// length in bytes stay as they are); returns the text.
RESLIB_API char* CharUpperA(char* text);

// A calendar time broken into its fields.
struct SYSTEMTIME
{
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
