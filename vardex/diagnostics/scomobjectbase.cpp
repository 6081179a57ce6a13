#include "vardex/diagnostics/scomobjectbase.h"

#include "vardex/support/sassert.h"
#include "vardex/support/sresmanager.h"

#include <typeinfo>

LCID SComObjectBase::GetObjectLocale() const
{
    // clang-format off
    SASSERT_INFO(m_ObjectLocale!=0, typeid(*this).name());
    // clang-format on
    return m_ObjectLocale;
}

SComEntry::SComEntry(const SComObjectBase& object)
{
    m_initialized = ThreadInitialize(object.GetObjectLocale(), m_previous);
}

SComEntry::~SComEntry()
{
    if (m_initialized)
        ThreadUninitialize(m_previous);
}

void SComUnexpected() noexcept
{
    LogAssert(__FILE__, SASSERT_STR(__LINE__), "unexpected exception at a COM entry", "");
}
