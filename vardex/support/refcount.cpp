#include "vardex/support/refcount.h"

int32_t CRefCount::AddRef()
{
    return m_lRefCount.fetch_add(1, std::memory_order_relaxed) + 1;
}

int32_t CRefCount::Release()
{
    int32_t count = m_lRefCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (count == 0)
        delete this;
    return count;
}

void CRefCount::SetStackObject(bool isStackObject)
{
    m_IsStackObject = isStackObject;
}

bool CRefCount::IsStackObject() const
{
    return m_IsStackObject;
}

CRefCount::~CRefCount()
{
    SASSERT(m_lRefCount == ((m_IsStackObject) ? 1 : 0));
}
