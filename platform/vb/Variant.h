#pragma once

#include "platform/vb/Currency.h"
#include "platform/vb/Date.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace vb {

// Bytes is the language's array of Byte (binary data such as a picture read from a table).
enum class VarType {
    Empty,
    Null,
    Boolean,
    Integer,
    Long,
    Single,
    Double,
    Currency,
    Date,
    String,
    Bytes
};

// The language's Variant: one value of the types above. Integer is 16-bit, Long 32-bit.
class Variant
{
public:
    Variant() = default; // Empty
    Variant(bool value) : value_(value) {}
    Variant(int16_t value) : value_(value) {}
    Variant(int32_t value) : value_(value) {}
    Variant(float value) : value_(value) {}
    Variant(double value) : value_(value) {}
    Variant(Currency value) : value_(value) {}
    Variant(Date value) : value_(value) {}
    Variant(std::string value) : value_(std::move(value)) {}
    Variant(const char* value) : value_(std::string(value)) {}
    Variant(std::vector<uint8_t> value) : value_(std::move(value)) {}

    static Variant Null();

    VarType Type() const { return static_cast<VarType>(value_.index()); }
    bool IsEmpty() const { return Type() == VarType::Empty; }
    bool IsNull() const { return Type() == VarType::Null; }

    // The value held, without conversion; error 13 when the Variant holds another type.
    // The conversions of Convert.h (CStr, CLng ...) convert as the language does.
    bool BooleanValue() const;
    int16_t IntegerValue() const;
    int32_t LongValue() const;
    float SingleValue() const;
    double DoubleValue() const;
    Currency CurrencyValue() const;
    Date DateValue() const;
    const std::string& StringValue() const;
    const std::vector<uint8_t>& BytesValue() const;

    // Comparison as the language compares: Empty is 0 or "", numbers by value, a text against
    // a number or a date is converted to it (error 13 when it is not one), texts by their
    // characters. Any comparison with Null is false, "!=" included.
    friend bool operator==(const Variant& a, const Variant& b);
    friend bool operator!=(const Variant& a, const Variant& b);
    friend bool operator<(const Variant& a, const Variant& b);
    friend bool operator<=(const Variant& a, const Variant& b);
    friend bool operator>(const Variant& a, const Variant& b);
    friend bool operator>=(const Variant& a, const Variant& b);

    // The language's "+": texts are joined, numbers added in the wider of the two types
    // (Integer and Long widen on overflow), Null gives Null.
    friend Variant operator+(const Variant& a, const Variant& b);

private:
    struct NullValue
    {
        bool operator==(const NullValue&) const = default;
    };
    std::variant<std::monostate, NullValue, bool, int16_t, int32_t, float, double, Currency, Date,
                 std::string, std::vector<uint8_t>>
        value_;
};

// -1, 0 or 1 as the comparison operators order the two values; error 94 when one is Null.
int Compare(const Variant& a, const Variant& b);

} // namespace vb
