#include "vardex/diagnostics/safeadopter.h"

#include "vardex/support/sassert.h"

#include <new>

SafeAdopter::SafeAdopter()
{
    try {
        JTCThread::currentThread();
    } catch (const JTCUnknownThreadException&) {
        m_adopter.reset(new (std::nothrow) JTCAdoptCurrentThread);
        // clang-format off
        SASSERT(m_adopter);
        // clang-format on
    }
}

SafeAdopter::~SafeAdopter() = default;
