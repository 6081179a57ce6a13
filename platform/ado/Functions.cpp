#include "platform/ado/Functions.h"

#include "platform/ado/Catalogue.h"
#include "platform/ado/Text.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Error.h"
#include "platform/vb/Format.h"
#include "platform/vb/Strings.h"
#include "platform/vb/Utf8.h"
#include "platform/vb/Variant.h"

#include <sqlite3.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string>

namespace ado {
namespace {

std::string_view TextOf(sqlite3_value* v)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? std::string_view(p, static_cast<size_t>(sqlite3_value_bytes(v)))
             : std::string_view();
}

// A value as the language sees it; ISO texts are dates.
vb::Variant ToVariant(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
        return vb::Variant::Null();
    case SQLITE_INTEGER: {
        const sqlite3_int64 i = sqlite3_value_int64(v);
        if (i >= std::numeric_limits<int32_t>::min() && i <= std::numeric_limits<int32_t>::max()) {
            return vb::Variant(static_cast<int32_t>(i));
        }
        return vb::Variant(static_cast<double>(i));
    }
    case SQLITE_FLOAT:
        return vb::Variant(sqlite3_value_double(v));
    default: {
        std::string text(TextOf(v));
        if (auto date = vb::Date::FromIsoText(text)) {
            return vb::Variant(*date);
        }
        return vb::Variant(std::move(text));
    }
    }
}

void SetResult(sqlite3_context* ctx, const vb::Variant& value)
{
    switch (value.Type()) {
    case vb::VarType::Empty:
    case vb::VarType::Null:
        sqlite3_result_null(ctx);
        break;
    case vb::VarType::Boolean:
        sqlite3_result_int(ctx, value.BooleanValue() ? -1 : 0);
        break;
    case vb::VarType::Integer:
        sqlite3_result_int(ctx, value.IntegerValue());
        break;
    case vb::VarType::Long:
        sqlite3_result_int(ctx, value.LongValue());
        break;
    case vb::VarType::Single:
        sqlite3_result_double(ctx, value.SingleValue());
        break;
    case vb::VarType::Double:
        sqlite3_result_double(ctx, value.DoubleValue());
        break;
    case vb::VarType::Currency:
        sqlite3_result_double(ctx, value.CurrencyValue().ToDouble());
        break;
    case vb::VarType::Date: {
        const std::string iso = value.DateValue().ToIsoText();
        sqlite3_result_text(ctx, iso.c_str(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
        break;
    }
    case vb::VarType::String: {
        const std::string& s = value.StringValue();
        sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        break;
    }
    case vb::VarType::Bytes: {
        const std::vector<uint8_t>& b = value.BytesValue();
        if (b.empty()) {
            sqlite3_result_zeroblob(ctx, 0);
        } else {
            sqlite3_result_blob(ctx, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
        }
        break;
    }
    }
}

using Body = std::function<vb::Variant(int argc, sqlite3_value** argv)>;

void Call(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    const Body& body = *static_cast<const Body*>(sqlite3_user_data(ctx));
    try {
        SetResult(ctx, body(argc, argv));
    } catch (const vb::Error& e) {
        sqlite3_result_error(ctx, e.Description().c_str(), -1);
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

void Register(sqlite3* db, const char* name, int argc, Body body)
{
    auto* holder = new Body(std::move(body));
    sqlite3_create_function_v2(db, name, argc, SQLITE_UTF8, holder, Call, nullptr, nullptr,
                               [](void* p) { delete static_cast<Body*>(p); });
}

bool AnyNull(int argc, sqlite3_value** argv)
{
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            return true;
        }
    }
    return false;
}

// A function whose result is Null as soon as one argument is Null.
void RegisterStrict(sqlite3* db, const char* name, int argc, Body body)
{
    Register(db, name, argc, [body = std::move(body)](int n, sqlite3_value** v) {
        return AnyNull(n, v) ? vb::Variant::Null() : body(n, v);
    });
}

vb::Date DateArg(sqlite3_value* v)
{
    return vb::CDate(ToVariant(v));
}

std::string TextArg(sqlite3_value* v)
{
    return vb::CStr(ToVariant(v));
}

// Interval names of both dialects ("month", "mm", "m" ...) as the language names them.
std::string Interval(sqlite3_value* v)
{
    std::string s = vb::LCase(TextOf(v));
    if (s == "year" || s == "yy" || s == "yyyy") {
        return "yyyy";
    }
    if (s == "quarter" || s == "qq" || s == "q") {
        return "q";
    }
    if (s == "month" || s == "mm" || s == "m") {
        return "m";
    }
    if (s == "dayofyear" || s == "dy" || s == "y") {
        return "y";
    }
    if (s == "day" || s == "dd" || s == "d") {
        return "d";
    }
    if (s == "week" || s == "wk" || s == "ww") {
        return "ww";
    }
    if (s == "weekday" || s == "dw" || s == "w") {
        return "w";
    }
    if (s == "hour" || s == "hh" || s == "h") {
        return "h";
    }
    if (s == "minute" || s == "mi" || s == "n") {
        return "n";
    }
    if (s == "second" || s == "ss" || s == "s") {
        return "s";
    }
    return s;
}

int CollateFrench(void*, int na, const void* a, int nb, const void* b)
{
    return CompareText(std::string_view(static_cast<const char*>(a), static_cast<size_t>(na)),
                       std::string_view(static_cast<const char*>(b), static_cast<size_t>(nb)));
}

void Like(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (AnyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    char32_t escape = 0;
    if (argc == 3) {
        const std::string_view e = TextOf(argv[2]);
        escape = e.empty() ? 0 : static_cast<unsigned char>(e[0]);
    }
    sqlite3_result_int(ctx, LikeMatch(TextOf(argv[0]), TextOf(argv[1]), escape) ? 1 : 0);
}

// True when the value's text has more characters than the size, counted as a record set counts
// them (embedded zeros included).
bool TextLonger(sqlite3_value* value, sqlite3_int64 size)
{
    if (sqlite3_value_type(value) == SQLITE_NULL)
        return false;
    const std::string_view text = TextOf(value);
    // A text has no more characters than bytes: most are settled without counting.
    return static_cast<sqlite3_int64>(text.size()) > size && vb::utf8::Length(text) > size;
}

// ado_TextLonger(size, value, size, value, ...): 1 when a value is longer than its size. One call
// checks many columns of a row, which costs far less than a call for each column.
void TextsLonger(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    for (int i = 0; i + 1 < argc; i += 2) {
        if (TextLonger(argv[i + 1], sqlite3_value_int64(argv[i]))) {
            sqlite3_result_int(ctx, 1);
            return;
        }
    }
    sqlite3_result_int(ctx, 0);
}

// ado_TextChangedLonger(size, value, old, ...): the same for the values that differ from the old
// ones, so that a text stored longer by an earlier version does not block other changes.
void TextsChangedLonger(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    for (int i = 0; i + 2 < argc; i += 3) {
        if (TextLonger(argv[i + 1], sqlite3_value_int64(argv[i])) &&
            (sqlite3_value_type(argv[i + 2]) == SQLITE_NULL ||
             TextOf(argv[i + 2]) != TextOf(argv[i + 1]))) {
            sqlite3_result_int(ctx, 1);
            return;
        }
    }
    sqlite3_result_int(ctx, 0);
}

} // namespace

void RegisterFunctions(sqlite3* db)
{
    const std::string collation(TextCollation);
    sqlite3_create_collation(db, collation.c_str(), SQLITE_UTF8, nullptr, CollateFrench);
    sqlite3_create_function(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, Like,
                            nullptr, nullptr);
    sqlite3_create_function(db, "like", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, Like,
                            nullptr, nullptr);
    constexpr int guard = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function(db, "ado_TextLonger", -1, guard, nullptr, TextsLonger, nullptr,
                            nullptr);
    sqlite3_create_function(db, "ado_TextChangedLonger", -1, guard, nullptr, TextsChangedLonger,
                            nullptr, nullptr);

    using V = vb::Variant;
    using A = sqlite3_value**;
    RegisterStrict(db, "CDate", 1, [](int, A v) { return V(DateArg(v[0])); });
    RegisterStrict(db, "DateValue", 1, [](int, A v) { return V(DateArg(v[0]).DatePart()); });
    RegisterStrict(db, "DateSerial", 3, [](int, A v) {
        return V(vb::DateSerial(sqlite3_value_int(v[0]), sqlite3_value_int(v[1]),
                                sqlite3_value_int(v[2])));
    });
    Register(db, "Format", 1, [](int, A v) { return V(vb::Format(ToVariant(v[0]))); });
    Register(db, "Format", 2,
             [](int, A v) { return V(vb::Format(ToVariant(v[0]), TextOf(v[1]))); });
    Register(db, "Nz", 1, [](int, A v) {
        return sqlite3_value_type(v[0]) == SQLITE_NULL ? V(std::string()) : ToVariant(v[0]);
    });
    Register(db, "Nz", 2, [](int, A v) {
        return ToVariant(sqlite3_value_type(v[0]) == SQLITE_NULL ? v[1] : v[0]);
    });
    RegisterStrict(db, "UCase", 1, [](int, A v) { return V(vb::UCase(TextArg(v[0]))); });
    RegisterStrict(db, "LCase", 1, [](int, A v) { return V(vb::LCase(TextArg(v[0]))); });
    RegisterStrict(db, "Year", 1, [](int, A v) { return V(int32_t(vb::Year(DateArg(v[0])))); });
    RegisterStrict(db, "Month", 1, [](int, A v) { return V(int32_t(vb::Month(DateArg(v[0])))); });
    RegisterStrict(db, "Day", 1, [](int, A v) { return V(int32_t(vb::Day(DateArg(v[0])))); });
    RegisterStrict(db, "Hour", 1, [](int, A v) { return V(int32_t(vb::Hour(DateArg(v[0])))); });
    RegisterStrict(db, "Minute", 1, [](int, A v) { return V(int32_t(vb::Minute(DateArg(v[0])))); });
    RegisterStrict(db, "Second", 1, [](int, A v) { return V(int32_t(vb::Second(DateArg(v[0])))); });
    RegisterStrict(db, "Weekday", 1,
                   [](int, A v) { return V(int32_t(vb::Weekday(DateArg(v[0])))); });
    RegisterStrict(db, "Weekday", 2, [](int, A v) {
        return V(int32_t(vb::Weekday(DateArg(v[0]), sqlite3_value_int(v[1]))));
    });
    RegisterStrict(db, "DatePart", 2, [](int, A v) {
        return V(int32_t(vb::DatePart(Interval(v[0]), DateArg(v[1]))));
    });
    RegisterStrict(db, "DateAdd", 3, [](int, A v) {
        return V(vb::DateAdd(Interval(v[0]), sqlite3_value_double(v[1]), DateArg(v[2])));
    });
    RegisterStrict(db, "DateDiff", 3, [](int, A v) {
        return V(static_cast<double>(vb::DateDiff(Interval(v[0]), DateArg(v[1]), DateArg(v[2]))));
    });
    RegisterStrict(db, "DateName", 2, [](int, A v) {
        const std::string interval = Interval(v[0]);
        const vb::Date date = DateArg(v[1]);
        if (interval == "m") {
            return V(vb::MonthName(vb::Month(date)));
        }
        if (interval == "w") {
            return V(vb::WeekdayName(vb::Weekday(date)));
        }
        return V(std::to_string(vb::DatePart(interval, date)));
    });
    Register(db, "Now", 0, [](int, A) { return V(vb::Now()); });
    Register(db, "Date", 0, [](int, A) { return V(vb::Today()); });
    Register(db, "Time", 0, [](int, A) { return V(vb::Time()); });
    RegisterStrict(db, "CStr", 1, [](int, A v) { return V(vb::CStr(ToVariant(v[0]))); });
    RegisterStrict(db, "CLng", 1, [](int, A v) { return V(vb::CLng(ToVariant(v[0]))); });
    RegisterStrict(db, "CInt", 1, [](int, A v) { return V(vb::CInt(ToVariant(v[0]))); });
    RegisterStrict(db, "CDbl", 1, [](int, A v) { return V(vb::CDbl(ToVariant(v[0]))); });
    RegisterStrict(db, "CCur", 1, [](int, A v) { return V(vb::CCur(ToVariant(v[0]))); });
    RegisterStrict(db, "CBool", 1, [](int, A v) { return V(vb::CBool(ToVariant(v[0]))); });
    RegisterStrict(db, "Int", 1, [](int, A v) { return V(vb::Int(vb::CDbl(ToVariant(v[0])))); });
    RegisterStrict(db, "Fix", 1, [](int, A v) { return V(vb::Fix(vb::CDbl(ToVariant(v[0])))); });
    RegisterStrict(db, "Round", 1,
                   [](int, A v) { return V(vb::Round(sqlite3_value_double(v[0]))); });
    RegisterStrict(db, "Round", 2, [](int, A v) {
        return V(vb::Round(sqlite3_value_double(v[0]), sqlite3_value_int(v[1])));
    });
    Register(db, "Val", 1, [](int, A v) { return V(vb::Val(TextOf(v[0]))); });
    RegisterStrict(db, "Len", 1, [](int, A v) { return V(int32_t(vb::Len(TextArg(v[0])))); });
    RegisterStrict(db, "vb_Left", 2,
                   [](int, A v) { return V(vb::Left(TextArg(v[0]), sqlite3_value_int(v[1]))); });
    RegisterStrict(db, "vb_Right", 2,
                   [](int, A v) { return V(vb::Right(TextArg(v[0]), sqlite3_value_int(v[1]))); });
    RegisterStrict(db, "Mid", 2,
                   [](int, A v) { return V(vb::Mid(TextArg(v[0]), sqlite3_value_int(v[1]))); });
    RegisterStrict(db, "Mid", 3, [](int, A v) {
        return V(vb::Mid(TextArg(v[0]), sqlite3_value_int(v[1]), sqlite3_value_int(v[2])));
    });
    RegisterStrict(db, "InStr", 3, [](int, A v) {
        return V(int32_t(vb::InStr(sqlite3_value_int(v[0]), TextArg(v[1]), TextArg(v[2]))));
    });
    RegisterStrict(db, "Space", 1, [](int, A v) { return V(vb::Space(sqlite3_value_int(v[0]))); });
    Register(db, "vb_IsNull", 1,
             [](int, A v) { return V(sqlite3_value_type(v[0]) == SQLITE_NULL); });
}

} // namespace ado
