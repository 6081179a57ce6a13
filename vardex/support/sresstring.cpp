#include "vardex/support/sresstring.h"

#include "vardex/support/sassert.h"
#include "vardex/support/sresmanager.h"

sresstring::sresstring(uint32_t id) : m_id(id), m_template(LoadString(id)) {}

sresstring& sresstring::AddArgument(const char* text)
{
    if (m_argumentCount < 5)
        m_arguments[m_argumentCount] = text;
    else
        m_overflow.Add(SString(text));
    ++m_argumentCount;
    return *this;
}

const SString& sresstring::Argument(int32_t number) const
{
    return number <= 5 ? m_arguments[number - 1] : m_overflow[number - 6];
}

SString sresstring::Format() const
{
    SString result;
    const char* text = m_template.GetString();
    const char* pending = text; // start of the text not yet appended
    for (const char* p = text; *p;) {
        if (*p == '%' && p[1] >= '1' && p[1] <= '9') {
            result.Append(pending, int32_t(p - pending));
            int64_t number = 0;
            const char* digits = p + 1;
            while (*digits >= '0' && *digits <= '9') {
                if (number <= INT32_MAX)
                    number = number * 10 + (*digits - '0');
                ++digits;
            }
            if (number <= m_argumentCount) {
                result += Argument(int32_t(number));
            } else {
                SString info("Error printing out correct message for id: ");
                info.AppendNumber(uint32_t(m_id));
                info += " Check number of variables and /%%i is matched or not.";
                LogAssert(__FILE__, SASSERT_STR(__LINE__), "false", info.GetString());
            }
            p = pending = digits;
        } else {
            p = SMbcs::NextChar(p);
        }
    }
    result += pending;
    return result;
}

SString SResFormat(uint32_t id, const char* const* texts, int32_t count)
{
    sresstring message(id);
    for (int32_t i = 0; i < count; ++i)
        if (texts && texts[i])
            message.AddArgument(texts[i]);
    return message.Format();
}
