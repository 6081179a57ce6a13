#include "platform/win/Locale.h"

#include <cstdlib>
#include <langinfo.h>
#include <locale.h>
#include <optional>

namespace win {
namespace {

bool IsCLocale(const std::string& name)
{
    // C.UTF-8 and the like are the C locale with another character set.
    return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

std::string EnvironmentValue(const char* variable)
{
    const char* value = std::getenv(variable);
    return value ? value : "";
}

} // namespace

std::string DecimalSeparatorOfLocale(const std::string& localeName)
{
    if (localeName.empty() || IsCLocale(localeName))
        return ",";
    locale_t locale = newlocale(LC_NUMERIC_MASK, localeName.c_str(), static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0))
        return ",";
    std::string separator = nl_langinfo_l(RADIXCHAR, locale);
    freelocale(locale);
    return separator.empty() ? "," : separator;
}

std::string DecimalSeparator()
{
    // The same precedence as the C library's own choice of the numeric locale.
    std::string name;
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        name = EnvironmentValue(variable);
        if (!name.empty())
            break;
    }
    if (name.empty() || IsCLocale(name))
        return ",";
    // Loading a locale is slow and numbers are converted often: the answer is kept for the
    // environment it was read in (the locale's name, and LOCPATH, where the C library looks for
    // it), and read again once either changes.
    struct Known
    {
        std::string name;
        std::string localePath;
        std::string separator;
    };
    thread_local std::optional<Known> known;
    std::string localePath = EnvironmentValue("LOCPATH");
    if (!known || known->name != name || known->localePath != localePath) {
        std::string separator = DecimalSeparatorOfLocale(name);
        known = Known{std::move(name), std::move(localePath), std::move(separator)};
    }
    return known->separator;
}

} // namespace win
