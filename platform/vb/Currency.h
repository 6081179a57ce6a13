#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace vb {

// An exact amount with four decimals, kept as a 64-bit integer scaled by 10 000.
// Results outside the range raise error 6 (overflow).
class Currency
{
public:
    static constexpr int64_t Scale = 10000;

    constexpr Currency() = default;

    static constexpr Currency FromScaled(int64_t scaled)
    {
        Currency c;
        c.scaled_ = scaled;
        return c;
    }
    // Rounds to four decimals, half to even.
    static Currency FromDouble(double value);
    // An exact decimal text with "." as separator ("-12.3456", "7"); more than four decimals are
    // rounded half to even. Raises error 13 on anything else.
    static Currency FromText(std::string_view text);

    constexpr int64_t Scaled() const { return scaled_; }
    double ToDouble() const { return static_cast<double>(scaled_) / Scale; }
    // The exact decimal text with "." as separator and no trailing zeros: "12.5", "-3", "0.0001".
    std::string ToText() const;

    Currency operator-() const;
    Currency& operator+=(Currency other);
    Currency& operator-=(Currency other);
    Currency& operator*=(Currency other);
    Currency& operator/=(Currency other);
    friend Currency operator+(Currency a, Currency b) { return a += b; }
    friend Currency operator-(Currency a, Currency b) { return a -= b; }
    friend Currency operator*(Currency a, Currency b) { return a *= b; }
    friend Currency operator/(Currency a, Currency b) { return a /= b; }

    friend constexpr bool operator==(Currency a, Currency b) = default;
    friend constexpr auto operator<=>(Currency a, Currency b) = default;

private:
    int64_t scaled_ = 0;
};

} // namespace vb
