#include "vardex/support/satlconv.h"

#include "vardex/support/scodepage.h"

char* SAtlW2AHelper(char* lpa, const char16_t* lpw, int32_t nChars, int codePage)
{
    SASSERT(lpw != 0);
    SASSERT(lpa != 0);
    if (!lpw || !lpa)
        return nullptr;
    const int32_t units = SWideLength(lpw) + 1;
    return SWideToMultiByte(codePage, lpw, units, lpa, nChars) > 0 ? lpa : nullptr;
}

SString SW2A(const char16_t* lpw)
{
    SString result;
    if (!lpw)
        return result;
    const int32_t size = SWideToMultiByte(-1, lpw, SWideLength(lpw) + 1, nullptr, 0);
    if (size <= 0)
        return result;
    if (!SAtlW2AHelper(result.GetBufferSetLength(size - 1), lpw, size, -1))
        result.Empty();
    return result;
}
