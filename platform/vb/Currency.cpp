#include "platform/vb/Currency.h"

#include "platform/vb/Error.h"

#include <cmath>
#include <limits>

namespace vb {

namespace {

// Quotient of a / b rounded half to even.
int64_t DivideHalfEven(__int128 a, __int128 b)
{
    if (b < 0) {
        a = -a;
        b = -b;
    }
    __int128 q = a / b;
    __int128 r = a % b;
    if (r < 0) {
        q -= 1;
        r += b;
    }
    // q is the floor; decide between q and q + 1.
    if (2 * r > b || (2 * r == b && (q & 1) != 0)) {
        q += 1;
    }
    if (q > std::numeric_limits<int64_t>::max() || q < std::numeric_limits<int64_t>::min()) {
        Raise(ErrOverflow);
    }
    return static_cast<int64_t>(q);
}

int64_t Checked(__int128 value)
{
    if (value > std::numeric_limits<int64_t>::max() ||
        value < std::numeric_limits<int64_t>::min()) {
        Raise(ErrOverflow);
    }
    return static_cast<int64_t>(value);
}

} // namespace

Currency Currency::FromDouble(double value)
{
    const double scaled = std::nearbyint(value * Scale);
    // 2^63 is the first value that no longer fits.
    if (!std::isfinite(scaled) || scaled >= 9223372036854775808.0 ||
        scaled < -9223372036854775808.0) {
        Raise(ErrOverflow);
    }
    return FromScaled(static_cast<int64_t>(scaled));
}

Currency Currency::FromText(std::string_view text)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    __int128 scaled = 0;
    int decimals = 0;
    bool digits = false;
    bool point = false;
    int roundDigit = -1; // the fifth decimal, for rounding
    bool beyond = false; // any non-zero decimal after the fifth
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') {
            Raise(ErrTypeMismatch);
        }
        digits = true;
        if (!point || decimals < 4) {
            scaled = scaled * 10 + (c - '0');
            if (scaled > (static_cast<__int128>(1) << 64)) {
                Raise(ErrOverflow);
            }
            if (point) {
                ++decimals;
            }
        } else if (roundDigit < 0) {
            roundDigit = c - '0';
        } else if (c != '0') {
            beyond = true;
        }
    }
    if (!digits) {
        Raise(ErrTypeMismatch);
    }
    for (; decimals < 4; ++decimals) {
        scaled *= 10;
    }
    if (roundDigit > 5 || (roundDigit == 5 && (beyond || (scaled & 1) != 0))) {
        scaled += 1;
    }
    return FromScaled(Checked(negative ? -scaled : scaled));
}

std::string Currency::ToText() const
{
    const bool negative = scaled_ < 0;
    // Unsigned, so that the smallest value has a magnitude too.
    const uint64_t magnitude =
        negative ? static_cast<uint64_t>(0) - static_cast<uint64_t>(scaled_) : scaled_;
    std::string text = std::to_string(magnitude / Scale);
    uint64_t fraction = magnitude % Scale;
    if (fraction != 0) {
        std::string decimals = std::to_string(fraction + Scale).substr(1);
        while (decimals.back() == '0') {
            decimals.pop_back();
        }
        text += '.' + decimals;
    }
    return negative ? '-' + text : text;
}

Currency Currency::operator-() const
{
    return FromScaled(Checked(-static_cast<__int128>(scaled_)));
}

Currency& Currency::operator+=(Currency other)
{
    scaled_ = Checked(static_cast<__int128>(scaled_) + other.scaled_);
    return *this;
}

Currency& Currency::operator-=(Currency other)
{
    scaled_ = Checked(static_cast<__int128>(scaled_) - other.scaled_);
    return *this;
}

Currency& Currency::operator*=(Currency other)
{
    scaled_ = DivideHalfEven(static_cast<__int128>(scaled_) * other.scaled_, Scale);
    return *this;
}

Currency& Currency::operator/=(Currency other)
{
    if (other.scaled_ == 0) {
        Raise(ErrDivisionByZero);
    }
    scaled_ = DivideHalfEven(static_cast<__int128>(scaled_) * Scale, other.scaled_);
    return *this;
}

} // namespace vb
