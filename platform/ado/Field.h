#pragma once
// Fields of a recordset: one Field per column, read and written on the current
// row. Reading or writing a field while the recordset stands before its first
// or after its last row raises vb::Error 3021.

#include "platform/vb/Variant.h"

#include <memory>
#include <string>
#include <string_view>

namespace ado {

// DataTypeEnum values of the column types this layer knows.
enum DataType : long {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBoolean = 11,
    adVariant = 12,
    adBigInt = 20,
    adLongVarBinary = 205,
    adVarWChar = 202,
    adLongVarWChar = 203,
};

namespace detail {
struct RecordsetState;
}

class Field
{
public:
    std::string Name() const;
    vb::Variant Value() const;
    void SetValue(const vb::Variant& value);
    Field& operator=(const vb::Variant& value)
    {
        SetValue(value);
        return *this;
    }
    // rs2("Nom") = rs1("Nom") copies the value, as the language's default property does.
    Field& operator=(const Field& other)
    {
        SetValue(other.Value());
        return *this;
    }
    Field(const Field&) = default;
    operator vb::Variant() const { return Value(); }

    DataType Type() const;
    // Declared size in characters for text columns (255 when the column declares
    // none), the storage size for the others.
    long DefinedSize() const;

    // Table the field comes from; empty for a computed column.
    std::string BaseTable() const;

private:
    Field(std::shared_ptr<detail::RecordsetState> state, int index)
        : state_(std::move(state)), index_(index)
    {
    }
    std::shared_ptr<detail::RecordsetState> state_;
    int index_;
    friend class Fields;
    friend class Recordset;
};

class Fields
{
public:
    long Count() const;
    // By ordinal from 0, or by name without regard to case. An unknown name or
    // ordinal raises vb::Error 3265.
    Field Item(long index) const;
    Field Item(std::string_view name) const;
    Field operator[](long index) const { return Item(index); }
    Field operator[](std::string_view name) const { return Item(name); }
    Field operator()(long index) const { return Item(index); }
    Field operator()(std::string_view name) const { return Item(name); }

private:
    explicit Fields(std::shared_ptr<detail::RecordsetState> state) : state_(std::move(state)) {}
    std::shared_ptr<detail::RecordsetState> state_;
    friend class Recordset;
};

} // namespace ado
