#pragma once
// Resource strings by identifier, from the string tables of resource libraries found per
// language ("stringres_en.so", "htmlres_fr.so", a component's "<name>_res_en.so"), and the
// thread's locale for the length of a call into the library.

#include "platform/reslib/Module.h"
#include "platform/wintypes/Types.h"
#include "vardex/support/sstring.h"

#include <cstdint>

// The most bytes a resource string has.
inline constexpr int kMaxResourceString = 256;

// Loads the process-wide "stringres" library for the user's language (once), and with a
// component name the component's library "<name>_res". A library that cannot be found is
// reported and the host program's own string table takes its place.
void SResInitializeProcess(const char* componentName);

// Makes `locale` the calling thread's for resource strings and the thread locale; the locale
// it replaces goes to `previous`. False (with the thread's state unchanged) when the locale's
// libraries cannot be found. Calls nest; each is ended by ThreadUninitialize.
bool ThreadInitialize(LCID locale, LCID& previous);
void ThreadUninitialize(LCID previous);

// The text of a string-table entry (at most kMaxResourceString bytes): the thread's library,
// then the process-wide library, then the component's (the host's own table when missing).
SString LoadString(uint32_t id);

// The full file name of the process-wide "stringres" library; empty when there is none.
SString GetStringsLibraryPath();

// The language text of a locale ("en", "fr", ...; 0x400 is the user's default locale), the
// user's language text when the table lacks the locale's language.
SString GetLanguageText(LCID locale);
// The user's language as two lower-case letters, "en" when the settings name none.
SString GetUserLanguageText();

// The library of a base name for a language: from the cache, else searched in the section's
// "Path" folder (section null: none), the host's folder and the library search path, with the
// English library in place of an older or missing localized one. Null when none is found.
HMODULE SResLoadLibrary(const char* baseName, const SString& language, const char* section);
