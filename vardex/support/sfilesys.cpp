#include "vardex/support/sfilesys.h"

#include "platform/reslib/Module.h"
#include "vardex/support/sheap.h"
#include "vardex/support/sresmanager.h"
#include "vardex/support/sresstring.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// The message identifier of each kind of file-system failure.
uint32_t MessageOfKind(uint32_t kind)
{
    static const uint32_t ids[] = {46900, 46901, 46902, 46903, 46904, 46905, 46907,
                                   46908, 46909, 46910, 46912, 46914, 46917, 46920};
    return kind < std::size(ids) ? ids[kind] : 46906;
}

} // namespace

SString SMakePath(const char* drive, const char* folder, const char* name, const char* extension)
{
    SString path(drive);
    if (folder && *folder) {
        path += folder;
        if (!IsSeparator(folder[std::strlen(folder) - 1]))
            path += "/";
    }
    path += name;
    if (extension && *extension) {
        if (*extension != '.')
            path += ".";
        path += extension;
    }
    return path;
}

void SSplitPath(const char* path, SString* drive, SString* folder, SString* name,
                SString* extension)
{
    const char* text = path ? path : "";
    const char* fileStart = text;
    for (const char* p = text; *p; ++p)
        if (IsSeparator(*p))
            fileStart = p + 1;
    const char* dot = std::strrchr(fileStart, '.');
    const char* fileEnd = dot ? dot : fileStart + std::strlen(fileStart);
    if (drive)
        *drive = SString();
    if (folder)
        *folder = SString(text, fileStart);
    if (name)
        *name = SString(fileStart, fileEnd);
    if (extension)
        *extension = SString(fileEnd);
}

SString SModuleNameWithDefaultExtension(const char* name)
{
    SString module(name);
    if (module.FindChar('.') == module.GetLength())
        module += kModuleExtension;
    return module;
}

SString SGetCurrentDirectory()
{
    std::vector<char, SHeapAllocator<char>> buffer(260);
    if (getcwd(buffer.data(), buffer.size()))
        return SString(buffer.data());
    if (errno != ERANGE)
        return SString();
    for (;;) {
        buffer.resize(buffer.size() * 2);
        if (getcwd(buffer.data(), buffer.size()))
            return SString(buffer.data());
        if (errno != ERANGE)
            throw SFileSysException(14, LoadString(46921), SString(), SString(), SString());
    }
}

SFileSysException::SFileSysException(uint32_t kind, const SString& text1, const SString& text2,
                                     const SString& text3, const SString& text4)
    : m_kind(kind), m_texts{text1, text2, text3, text4}
{
}

SString SFileSysException::GetMessageText() const
{
    const uint32_t id = MessageOfKind(m_kind);
    sresstring message(id);
    message.AddArgument(m_texts[0].GetString()).AddArgument(m_texts[1].GetString());
    if (id == 46905 || id == 46912 || id == 46914 || id == 46920)
        message.AddArgument(m_texts[2].GetString());
    return message.Format();
}

SString SFileSysException::GetFullText() const
{
    return GetMessageText() + ":" + m_texts[2] + m_texts[3];
}
