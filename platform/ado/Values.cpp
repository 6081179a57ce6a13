#include "platform/ado/Values.h"

#include "platform/ado/Session.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"

#include <cmath>
#include <limits>

namespace ado::detail {
namespace {

bool Has(const std::string& text, const char* word)
{
    return text.find(word) != std::string::npos;
}

std::string_view TextOf(sqlite3_stmt* stmt, int column)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return p ? std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(stmt, column)))
             : std::string_view();
}

vb::Variant Dynamic(sqlite3_stmt* stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return vb::Variant::Null();
    case SQLITE_INTEGER: {
        const sqlite3_int64 i = sqlite3_column_int64(stmt, column);
        if (i >= std::numeric_limits<int32_t>::min() && i <= std::numeric_limits<int32_t>::max()) {
            return vb::Variant(static_cast<int32_t>(i));
        }
        return vb::Variant(static_cast<double>(i));
    }
    case SQLITE_FLOAT:
        return vb::Variant(sqlite3_column_double(stmt, column));
    default: {
        // Computed dates (DateAdd, CDate ...) come as the ISO text of the stored dates.
        const std::string_view text = TextOf(stmt, column);
        if ((text.size() == 19 || text.size() == 10) && text[4] == '-' && text[7] == '-') {
            if (auto date = vb::Date::FromIsoText(text)) {
                return vb::Variant(*date);
            }
        }
        return vb::Variant(std::string(text));
    }
    }
}

} // namespace

ColumnKind KindOfDeclaredType(std::string_view declared)
{
    const std::string t = UpperAscii(declared);
    if (t.empty()) {
        return ColumnKind::Dynamic;
    }
    if (Has(t, "CHAR") || Has(t, "TEXT") || Has(t, "CLOB") || Has(t, "MEMO") || Has(t, "STRING")) {
        return ColumnKind::Text;
    }
    if (Has(t, "BINARY") || Has(t, "BLOB") || Has(t, "OLEOBJECT") || t == "IMAGE") {
        return ColumnKind::Bytes;
    }
    if (Has(t, "BOOL") || t == "BIT" || Has(t, "YESNO") || Has(t, "LOGICAL")) {
        return ColumnKind::Boolean;
    }
    if (Has(t, "DATE") || Has(t, "TIME")) {
        return ColumnKind::Date;
    }
    if (Has(t, "CURRENCY") || Has(t, "MONEY")) {
        return ColumnKind::Currency;
    }
    if (Has(t, "SMALLINT") || Has(t, "SHORT") || Has(t, "TINYINT") || Has(t, "BYTE") ||
        Has(t, "INT2")) {
        return ColumnKind::Integer;
    }
    if (Has(t, "INT") || Has(t, "LONG") || Has(t, "COUNTER") || Has(t, "AUTOINCREMENT")) {
        return ColumnKind::Long;
    }
    if (Has(t, "SINGLE") || Has(t, "FLOAT4")) {
        return ColumnKind::Single;
    }
    if (Has(t, "REAL") || Has(t, "DOUB") || Has(t, "FLOA") || Has(t, "NUMERIC") ||
        Has(t, "DECIMAL") || Has(t, "NUMBER")) {
        return ColumnKind::Double;
    }
    return ColumnKind::Dynamic;
}

DataType DataTypeOf(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Boolean:
        return adBoolean;
    case ColumnKind::Integer:
        return adSmallInt;
    case ColumnKind::Long:
        return adInteger;
    case ColumnKind::Single:
        return adSingle;
    case ColumnKind::Double:
        return adDouble;
    case ColumnKind::Currency:
        return adCurrency;
    case ColumnKind::Date:
        return adDate;
    case ColumnKind::Text:
        return adVarWChar;
    case ColumnKind::Bytes:
        return adLongVarBinary;
    case ColumnKind::Dynamic:
        break;
    }
    return adVariant;
}

long DefinedSizeOf(ColumnKind kind, std::string_view declared)
{
    switch (kind) {
    case ColumnKind::Boolean:
        return 2;
    case ColumnKind::Integer:
        return 2;
    case ColumnKind::Long:
    case ColumnKind::Single:
        return 4;
    case ColumnKind::Double:
    case ColumnKind::Currency:
    case ColumnKind::Date:
        return 8;
    case ColumnKind::Text: {
        const size_t open = declared.find('(');
        if (open != std::string_view::npos) {
            return std::strtol(std::string(declared.substr(open + 1)).c_str(), nullptr, 10);
        }
        const std::string t = UpperAscii(declared);
        return Has(t, "MEMO") || Has(t, "LONG") ? 1073741823 : 255;
    }
    case ColumnKind::Bytes:
        return 1073741823;
    case ColumnKind::Dynamic:
        break;
    }
    return 16;
}

std::optional<int64_t> ScaledWhole(int64_t whole)
{
    if (whole >= std::numeric_limits<int64_t>::min() / vb::Currency::Scale &&
        whole <= std::numeric_limits<int64_t>::max() / vb::Currency::Scale) {
        return whole * vb::Currency::Scale;
    }
    return std::nullopt;
}

vb::Variant ReadColumn(sqlite3_stmt* stmt, int column, ColumnKind kind)
{
    const int type = sqlite3_column_type(stmt, column);
    if (type == SQLITE_NULL) {
        return vb::Variant::Null();
    }
    switch (kind) {
    case ColumnKind::Boolean:
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            return vb::Variant(sqlite3_column_double(stmt, column) != 0);
        }
        break;
    case ColumnKind::Integer:
        if (type == SQLITE_INTEGER) {
            const auto i = sqlite3_column_int64(stmt, column);
            if (i >= -32768 && i <= 32767) {
                return vb::Variant(static_cast<int16_t>(i));
            }
        }
        break;
    case ColumnKind::Long:
        break; // Dynamic reads integers as Long
    case ColumnKind::Single:
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            return vb::Variant(static_cast<float>(sqlite3_column_double(stmt, column)));
        }
        break;
    case ColumnKind::Double:
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            return vb::Variant(sqlite3_column_double(stmt, column));
        }
        break;
    case ColumnKind::Currency:
        if (type == SQLITE_INTEGER) {
            if (auto scaled = ScaledWhole(sqlite3_column_int64(stmt, column))) {
                return vb::Variant(vb::Currency::FromScaled(*scaled));
            }
            break;
        }
        if (type == SQLITE_FLOAT) {
            return vb::Variant(vb::Currency::FromDouble(sqlite3_column_double(stmt, column)));
        }
        break;
    case ColumnKind::Date:
        if (type == SQLITE_TEXT) {
            if (auto date = vb::Date::FromIsoText(TextOf(stmt, column))) {
                return vb::Variant(*date);
            }
        } else {
            // A number outside the calendar is no date: it is read as the number it is.
            const double serial = sqlite3_column_double(stmt, column);
            if (serial > vb::Date::FirstDay - 1 && serial < vb::Date::EndDay) {
                return vb::Variant(vb::Date{serial});
            }
        }
        break;
    case ColumnKind::Text:
        return vb::Variant(std::string(TextOf(stmt, column)));
    case ColumnKind::Bytes: {
        const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(stmt, column));
        return vb::Variant(
            std::vector<uint8_t>(p, p + static_cast<size_t>(sqlite3_column_bytes(stmt, column))));
    }
    case ColumnKind::Dynamic:
        break;
    }
    return Dynamic(stmt, column);
}

vb::Variant Coerce(ColumnKind kind, const vb::Variant& value)
{
    if (value.IsNull() || value.IsEmpty()) {
        return vb::Variant::Null();
    }
    switch (kind) {
    case ColumnKind::Boolean:
        return vb::Variant(vb::CBool(value));
    case ColumnKind::Integer:
        return vb::Variant(vb::CInt(value));
    case ColumnKind::Long:
        return vb::Variant(vb::CLng(value));
    case ColumnKind::Single:
        return vb::Variant(vb::CSng(value));
    case ColumnKind::Double:
        return vb::Variant(vb::CDbl(value));
    case ColumnKind::Currency:
        return vb::Variant(vb::CCur(value));
    case ColumnKind::Date:
        return vb::Variant(vb::CDate(value));
    case ColumnKind::Text:
        return value.Type() == vb::VarType::String ? value : vb::Variant(vb::CStr(value));
    case ColumnKind::Bytes:
        if (value.Type() != vb::VarType::Bytes) {
            vb::Raise(vb::ErrTypeMismatch);
        }
        return value;
    case ColumnKind::Dynamic:
        break;
    }
    return value;
}

void Bind(sqlite3_stmt* stmt, int index, ColumnKind kind, const vb::Variant& value)
{
    auto text = [&](const std::string& s) {
        sqlite3_bind_text(stmt, index, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    };
    switch (value.Type()) {
    case vb::VarType::Empty:
    case vb::VarType::Null:
        sqlite3_bind_null(stmt, index);
        return;
    case vb::VarType::Boolean:
        sqlite3_bind_int(stmt, index, value.BooleanValue() ? -1 : 0);
        return;
    case vb::VarType::Integer:
        sqlite3_bind_int(stmt, index, value.IntegerValue());
        return;
    case vb::VarType::Long:
        sqlite3_bind_int(stmt, index, value.LongValue());
        return;
    case vb::VarType::Single:
        sqlite3_bind_double(stmt, index, value.SingleValue());
        return;
    case vb::VarType::Double:
        sqlite3_bind_double(stmt, index, value.DoubleValue());
        return;
    case vb::VarType::Currency:
        if (kind == ColumnKind::Currency || kind == ColumnKind::Text) {
            text(value.CurrencyValue().ToText());
        } else {
            sqlite3_bind_double(stmt, index, value.CurrencyValue().ToDouble());
        }
        return;
    case vb::VarType::Date:
        text(value.DateValue().ToIsoText());
        return;
    case vb::VarType::String:
        text(value.StringValue());
        return;
    case vb::VarType::Bytes: {
        const std::vector<uint8_t>& b = value.BytesValue();
        // A null pointer would bind Null: empty bytes are a blob of no bytes.
        if (b.empty()) {
            sqlite3_bind_zeroblob(stmt, index, 0);
        } else {
            sqlite3_bind_blob(stmt, index, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
        }
        return;
    }
    }
}

} // namespace ado::detail
