#pragma once

#include "platform/vb/Error.h"

#include <cstdint>
#include <functional>

namespace vb::testing {

// The number of the vb::Error the call raises; 0 when it raises none.
inline int32_t ErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const vb::Error& e) {
        return e.Number();
    }
    return 0;
}

} // namespace vb::testing
