#include "platform/win/Locale.h"

#include <cstdlib>
#include <langinfo.h>
#include <locale.h>

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
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const std::string name = EnvironmentValue(variable);
        if (!name.empty())
            return DecimalSeparatorOfLocale(name);
    }
    return ",";
}

} // namespace win
