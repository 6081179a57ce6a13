#include "platform/barcode/CheckDigit.h"

#include <cstddef>

namespace barcode {

int Ean13CheckDigit(std::string_view twelve)
{
    int sum = 0;
    for (size_t i = 0; i < 12 && i < twelve.size(); ++i) {
        const char c = twelve[i];
        if (c >= '0' && c <= '9')
            sum += (c - '0') * (i % 2 == 0 ? 1 : 3);
    }
    return (10 - sum % 10) % 10;
}

} // namespace barcode
