#pragma once
// File-system services: building and splitting paths, the default extension of a module name,
// the current directory, and the file-system exception. Paths take "/" and "\" as separators;
// there are no drives here (a drive part is kept as given).

#include "vardex/support/sstring.h"

#include <cstdint>

// drive + folder (with a separator added when missing) + name + extension (with a full stop
// added when missing); any part may be null.
SString SMakePath(const char* drive, const char* folder, const char* name, const char* extension);
// The parts of a path: drive (always empty here), folder with its last separator, name, and
// extension with its full stop; any out part may be null.
void SSplitPath(const char* path, SString* drive, SString* folder, SString* name,
                SString* extension);
// The name itself when it holds a full stop, else the name with the modules' extension.
SString SModuleNameWithDefaultExtension(const char* name);
// The current directory, whatever its length; empty when it cannot be read.
SString SGetCurrentDirectory();

class SFileSysException
{
public:
    SFileSysException(uint32_t kind, const SString& text1, const SString& text2,
                      const SString& text3, const SString& text4);
    SFileSysException(const SFileSysException&) = default;
    SFileSysException& operator=(const SFileSysException&) = default;
    virtual ~SFileSysException() = default;

    // The resource message of the kind with its texts.
    virtual SString GetMessageText() const;
    // The message text, ":", texts 3 and 4.
    virtual SString GetFullText() const;

    uint32_t Kind() const { return m_kind; }

private:
    uint32_t m_kind;
    SString m_texts[4];
};
