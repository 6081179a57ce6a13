#pragma once
// A message by resource identifier: its template text (from the resource libraries) with
// numbered placeholders %1, %2, ... and the texts that fill them.

#include "vardex/support/scontainers.h"
#include "vardex/support/sstring.h"

#include <cstdint>

class sresstring
{
public:
    explicit sresstring(uint32_t id);

    // Adds the next argument (%1 first).
    sresstring& AddArgument(const char* text);
    int32_t ArgumentCount() const { return m_argumentCount; }

    // The template with each placeholder replaced by its argument. A placeholder without an
    // argument is reported and left out; a "%" not followed by a digit 1 to 9 stays text.
    SString Format() const;

private:
    const SString& Argument(int32_t number) const;

    uint32_t m_id;
    SString m_template;
    int32_t m_argumentCount = 0;
    SString m_arguments[5];
    SIArray<SString> m_overflow; // arguments 6 and up
};

// The message of an identifier formatted with the texts, null texts skipped.
SString SResFormat(uint32_t id, const char* const* texts, int32_t count);
