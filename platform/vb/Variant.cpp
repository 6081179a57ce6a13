#include "platform/vb/Variant.h"

#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"

#include <cmath>
#include <limits>

namespace vb {

namespace {

template <typename T> const T& Held(const auto& value)
{
    if (const T* held = std::get_if<T>(&value)) {
        return *held;
    }
    Raise(ErrTypeMismatch);
}

// The order of the numeric types for the result of an operation.
int Rank(VarType type)
{
    switch (type) {
    case VarType::Empty:
    case VarType::Boolean:
    case VarType::Integer:
        return 1;
    case VarType::Long:
        return 2;
    case VarType::Single:
        return 3;
    case VarType::Double:
    case VarType::String: // a text in arithmetic is read as a Double
        return 4;
    case VarType::Currency:
        return 5;
    default:
        return 6;
    }
}

template <typename T> int Order(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// The comparison of two values that are not Null.
int CompareValues(const Variant& a, const Variant& b)
{
    const VarType ta = a.Type();
    const VarType tb = b.Type();
    const bool textA = ta == VarType::String || ta == VarType::Empty;
    const bool textB = tb == VarType::String || tb == VarType::Empty;
    if (textA && textB) {
        return Order(CStr(a), CStr(b));
    }
    if (ta == VarType::Date || tb == VarType::Date) {
        // A text against a date is read as a date.
        return Order(CDate(a).serial, CDate(b).serial);
    }
    if (ta == VarType::Currency && tb == VarType::Currency) {
        return Order(a.CurrencyValue(), b.CurrencyValue());
    }
    return Order(CDbl(a), CDbl(b));
}

} // namespace

Variant Variant::Null()
{
    Variant v;
    v.value_ = NullValue{};
    return v;
}

bool Variant::BooleanValue() const
{
    return Held<bool>(value_);
}

int16_t Variant::IntegerValue() const
{
    return Held<int16_t>(value_);
}

int32_t Variant::LongValue() const
{
    return Held<int32_t>(value_);
}

float Variant::SingleValue() const
{
    return Held<float>(value_);
}

double Variant::DoubleValue() const
{
    return Held<double>(value_);
}

Currency Variant::CurrencyValue() const
{
    return Held<Currency>(value_);
}

Date Variant::DateValue() const
{
    return Held<Date>(value_);
}

const std::string& Variant::StringValue() const
{
    return Held<std::string>(value_);
}

const std::vector<uint8_t>& Variant::BytesValue() const
{
    return Held<std::vector<uint8_t>>(value_);
}

int Compare(const Variant& a, const Variant& b)
{
    if (a.IsNull() || b.IsNull()) {
        Raise(ErrInvalidUseOfNull);
    }
    return CompareValues(a, b);
}

bool operator==(const Variant& a, const Variant& b)
{
    return !a.IsNull() && !b.IsNull() && CompareValues(a, b) == 0;
}

bool operator!=(const Variant& a, const Variant& b)
{
    return !a.IsNull() && !b.IsNull() && CompareValues(a, b) != 0;
}

bool operator<(const Variant& a, const Variant& b)
{
    return !a.IsNull() && !b.IsNull() && CompareValues(a, b) < 0;
}

bool operator<=(const Variant& a, const Variant& b)
{
    return !a.IsNull() && !b.IsNull() && CompareValues(a, b) <= 0;
}

bool operator>(const Variant& a, const Variant& b)
{
    return !a.IsNull() && !b.IsNull() && CompareValues(a, b) > 0;
}

bool operator>=(const Variant& a, const Variant& b)
{
    return !a.IsNull() && !b.IsNull() && CompareValues(a, b) >= 0;
}

Variant operator+(const Variant& a, const Variant& b)
{
    const VarType ta = a.Type();
    const VarType tb = b.Type();
    if (ta == VarType::Null || tb == VarType::Null) {
        return Variant::Null();
    }
    if (ta == VarType::Empty && tb == VarType::Empty) {
        return Variant(int16_t{0});
    }
    if ((ta == VarType::String || ta == VarType::Empty) &&
        (tb == VarType::String || tb == VarType::Empty)) {
        return Variant(CStr(a) + CStr(b));
    }
    if (ta == VarType::Date || tb == VarType::Date) {
        return Variant(CDate(CDbl(a) + CDbl(b)));
    }
    const int rank = std::max(Rank(ta), Rank(tb));
    if (rank == 5) {
        // Currency with a Single or a Double gives a Double.
        if (Rank(ta) >= 3 && Rank(ta) <= 4) {
            return Variant(CDbl(a) + CDbl(b));
        }
        if (Rank(tb) >= 3 && Rank(tb) <= 4) {
            return Variant(CDbl(a) + CDbl(b));
        }
        return Variant(CCur(a) + CCur(b));
    }
    if (rank == 4) {
        return Variant(CDbl(a) + CDbl(b));
    }
    if (rank == 3) {
        // A Single with a Long is computed as a Double.
        if (ta == VarType::Long || tb == VarType::Long) {
            return Variant(CDbl(a) + CDbl(b));
        }
        return Variant(CSng(a) + CSng(b));
    }
    // Integer and Long widen instead of overflowing.
    const long long sum = static_cast<long long>(CLng(a)) + CLng(b);
    if (rank == 1 && sum >= std::numeric_limits<int16_t>::min() &&
        sum <= std::numeric_limits<int16_t>::max()) {
        return Variant(static_cast<int16_t>(sum));
    }
    if (sum >= std::numeric_limits<int32_t>::min() && sum <= std::numeric_limits<int32_t>::max()) {
        return Variant(static_cast<int32_t>(sum));
    }
    return Variant(static_cast<double>(sum));
}

} // namespace vb
