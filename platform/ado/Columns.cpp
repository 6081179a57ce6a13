#include "platform/ado/Columns.h"

#include "platform/ado/Session.h"
#include "platform/ado/Text.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"

#include <limits>

namespace ado::detail {

void RowBits::Set(uint32_t row, bool on)
{
    const size_t word = row >> 6;
    if (word >= words_.size()) {
        if (!on) {
            return;
        }
        words_.resize(word + 1);
    }
    const uint64_t mask = uint64_t{1} << (row & 63);
    if (on) {
        words_[word] |= mask;
        any_ = true;
    } else {
        words_[word] &= ~mask;
    }
}

namespace {

Column::Storage StorageOf(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Boolean:
    case ColumnKind::Integer:
    case ColumnKind::Long:
        return Column::Storage::Ints;
    case ColumnKind::Single:
    case ColumnKind::Double:
    case ColumnKind::Date:
        return Column::Storage::Reals;
    case ColumnKind::Currency:
        return Column::Storage::Scaled;
    case ColumnKind::Text:
        return Column::Storage::Text;
    case ColumnKind::Bytes:
    case ColumnKind::Dynamic:
        break;
    }
    return Column::Storage::Variants;
}

// The Variant type a column of that kind holds in its typed array.
vb::VarType NaturalType(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Boolean:
        return vb::VarType::Boolean;
    case ColumnKind::Integer:
        return vb::VarType::Integer;
    case ColumnKind::Long:
        return vb::VarType::Long;
    case ColumnKind::Single:
        return vb::VarType::Single;
    case ColumnKind::Double:
        return vb::VarType::Double;
    case ColumnKind::Date:
        return vb::VarType::Date;
    case ColumnKind::Currency:
        return vb::VarType::Currency;
    case ColumnKind::Text:
        return vb::VarType::String;
    case ColumnKind::Bytes:
    case ColumnKind::Dynamic:
        break;
    }
    return vb::VarType::Empty;
}

int Sign(double a, double b)
{
    return (a > b) - (a < b);
}

// Integers up to this size read as a double without rounding.
constexpr int64_t ExactInDouble = int64_t{1} << 53;

// Whether a number read as a double stands for the stored number exactly.
bool ExactDouble(int type, sqlite3_value* value, bool single)
{
    if (type == SQLITE_INTEGER) {
        const int64_t i = sqlite3_value_int64(value);
        if (i > ExactInDouble || i < -ExactInDouble) {
            return false;
        }
    }
    const double d = sqlite3_value_double(value);
    return !single || static_cast<double>(static_cast<float>(d)) == d;
}

// The amount's double, as a four-decimal text converts to a number.
double AmountDouble(int64_t scaled)
{
    return static_cast<double>(scaled) / vb::Currency::Scale;
}

// Whether a value read from a stored one binds back to it (BindValue below).
bool BindsBack(sqlite3_value* value, const vb::Variant& read)
{
    const int type = sqlite3_value_type(value);
    switch (read.Type()) {
    case vb::VarType::Empty:
    case vb::VarType::Null:
        return type == SQLITE_NULL;
    case vb::VarType::String:
        return type == SQLITE_TEXT;
    case vb::VarType::Bytes:
        return type == SQLITE_BLOB;
    case vb::VarType::Boolean:
        return type == SQLITE_INTEGER &&
               sqlite3_value_int64(value) == (read.BooleanValue() ? -1 : 0);
    case vb::VarType::Integer:
    case vb::VarType::Long:
        return type == SQLITE_INTEGER;
    case vb::VarType::Single:
    case vb::VarType::Double:
        return (type == SQLITE_INTEGER || type == SQLITE_FLOAT) &&
               ExactDouble(type, value, read.Type() == vb::VarType::Single);
    case vb::VarType::Currency:
        return type == SQLITE_INTEGER ||
               (type == SQLITE_FLOAT &&
                AmountDouble(read.CurrencyValue().Scaled()) == sqlite3_value_double(value));
    case vb::VarType::Date: {
        if (type != SQLITE_TEXT) {
            return false;
        }
        const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(value));
        return read.DateValue().ToIsoText() ==
               std::string_view(p, static_cast<size_t>(sqlite3_value_bytes(value)));
    }
    }
    return false;
}

void BindAmount(sqlite3_stmt* stmt, int index, int64_t scaled)
{
    if (scaled % vb::Currency::Scale == 0) {
        sqlite3_bind_int64(stmt, index, scaled / vb::Currency::Scale);
    } else {
        sqlite3_bind_double(stmt, index, AmountDouble(scaled));
    }
}

void BindIsoText(sqlite3_stmt* stmt, int index, double serial)
{
    const std::string text = vb::Date{serial}.ToIsoText();
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// Binds a value read from the table in the form the table stored it.
void BindValue(sqlite3_stmt* stmt, int index, const vb::Variant& value)
{
    switch (value.Type()) {
    case vb::VarType::Currency:
        BindAmount(stmt, index, value.CurrencyValue().Scaled());
        return;
    case vb::VarType::Date:
        BindIsoText(stmt, index, value.DateValue().serial);
        return;
    default:
        Bind(stmt, index, ColumnKind::Dynamic, value);
        return;
    }
}

} // namespace

Column::Column(ColumnKind kind) : kind_(kind), storage_(StorageOf(kind)) {}

void Column::PushDefault()
{
    switch (storage_) {
    case Storage::Ints:
        ints_.push_back(0);
        break;
    case Storage::Reals:
        reals_.push_back(0);
        break;
    case Storage::Scaled:
        scaled_.push_back(0);
        break;
    case Storage::Text:
        starts_.push_back(0);
        lengths_.push_back(0);
        break;
    case Storage::Variants:
        variants_.emplace_back();
        break;
    }
    ++size_;
}

void Column::AppendText(std::string_view text)
{
    if (chars_.size() + text.size() > std::numeric_limits<uint32_t>::max()) {
        Raise(vb::ErrOutOfMemory, "Out of memory");
    }
    starts_.push_back(static_cast<uint32_t>(chars_.size()));
    lengths_.push_back(static_cast<uint32_t>(text.size()));
    chars_.append(text.data(), text.size());
    ++size_;
}

void Column::SetOdd(uint32_t row, vb::Variant value)
{
    odd_.Set(row, true);
    oddValues_[row] = std::move(value);
}

void Column::KeepStored(uint32_t row, sqlite3_value* value)
{
    StoredValue& v = stored_[row];
    v.type = sqlite3_value_type(value);
    switch (v.type) {
    case SQLITE_INTEGER:
        v.integer = sqlite3_value_int64(value);
        break;
    case SQLITE_FLOAT:
        v.real = sqlite3_value_double(value);
        break;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const auto* p = v.type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(value))
                                              : sqlite3_value_blob(value);
        v.bytes.assign(static_cast<const char*>(p),
                       static_cast<size_t>(sqlite3_value_bytes(value)));
        break;
    }
    default:
        break;
    }
    kept_.Set(row, true);
}

void Column::ForgetStored(uint32_t row)
{
    if (kept_.Any() && kept_.Test(row)) {
        kept_.Set(row, false);
        stored_.erase(row);
    }
}

void Column::SetRead(uint32_t row, sqlite3_stmt* stmt, int column)
{
    const vb::Variant read = ReadColumn(stmt, column, kind_);
    Set(row, read);
    sqlite3_value* value = sqlite3_column_value(stmt, column);
    if (!BindsBack(value, read)) {
        KeepStored(row, value);
    }
}

void Column::BindStored(sqlite3_stmt* stmt, int index, uint32_t row) const
{
    if (kept_.Any() && kept_.Test(row)) {
        const StoredValue& v = stored_.at(row);
        switch (v.type) {
        case SQLITE_INTEGER:
            sqlite3_bind_int64(stmt, index, v.integer);
            return;
        case SQLITE_FLOAT:
            sqlite3_bind_double(stmt, index, v.real);
            return;
        case SQLITE_TEXT:
            sqlite3_bind_text(stmt, index, v.bytes.data(), static_cast<int>(v.bytes.size()),
                              SQLITE_TRANSIENT);
            return;
        case SQLITE_BLOB:
            sqlite3_bind_blob(stmt, index, v.bytes.data(), static_cast<int>(v.bytes.size()),
                              SQLITE_TRANSIENT);
            return;
        default:
            sqlite3_bind_null(stmt, index);
            return;
        }
    }
    if (storage_ == Storage::Variants || (odd_.Any() && odd_.Test(row))) {
        BindValue(stmt, index, Get(row));
        return;
    }
    if (nulls_.Test(row)) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (storage_) {
    case Storage::Ints:
        sqlite3_bind_int(stmt, index, ints_[row]);
        return;
    case Storage::Reals:
        if (kind_ == ColumnKind::Date) {
            BindIsoText(stmt, index, reals_[row]);
        } else {
            sqlite3_bind_double(stmt, index, reals_[row]);
        }
        return;
    case Storage::Scaled:
        BindAmount(stmt, index, scaled_[row]);
        return;
    case Storage::Text: {
        // An empty text has no characters to point at: "" keeps it a text, not a Null.
        const std::string_view text = Text(row);
        sqlite3_bind_text(stmt, index, text.empty() ? "" : text.data(),
                          static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return;
    }
    case Storage::Variants:
        break;
    }
}

void Column::AppendNull()
{
    if (storage_ == Storage::Variants) {
        variants_.push_back(vb::Variant::Null());
        ++size_;
        return;
    }
    nulls_.Set(size_, true);
    PushDefault();
}

void Column::AppendRead(sqlite3_stmt* stmt, int column)
{
    const uint32_t row = size_;
    vb::Variant read = ReadColumn(stmt, column, kind_);
    sqlite3_value* value = sqlite3_column_value(stmt, column);
    const bool bindsBack = BindsBack(value, read);
    if (storage_ == Storage::Variants) {
        variants_.push_back(std::move(read));
        ++size_;
    } else {
        PushDefault();
        Set(row, read);
    }
    if (!bindsBack) {
        KeepStored(row, value);
    }
}

void Column::Append(sqlite3_stmt* stmt, int column)
{
    if (storage_ == Storage::Variants) {
        AppendRead(stmt, column);
        return;
    }
    // The value read once, then its parts (each sqlite3_column_ call looks the column up
    // again under the connection's lock).
    sqlite3_value* value = sqlite3_column_value(stmt, column);
    const int type = sqlite3_value_type(value);
    if (type == SQLITE_NULL) {
        AppendNull();
        return;
    }
    auto text = [value] {
        const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(value));
        return p ? std::string_view(p, static_cast<size_t>(sqlite3_value_bytes(value)))
                 : std::string_view();
    };
    switch (kind_) {
    case ColumnKind::Text:
        if (type != SQLITE_TEXT) {
            KeepStored(size_, value);
        }
        AppendText(text());
        return;
    case ColumnKind::Long:
    case ColumnKind::Integer:
        if (type == SQLITE_INTEGER) {
            const sqlite3_int64 i = sqlite3_value_int64(value);
            const bool fits = kind_ == ColumnKind::Long
                                  ? i >= std::numeric_limits<int32_t>::min() &&
                                        i <= std::numeric_limits<int32_t>::max()
                                  : i >= -32768 && i <= 32767;
            if (fits) {
                ints_.push_back(static_cast<int32_t>(i));
                ++size_;
                return;
            }
        }
        break;
    case ColumnKind::Boolean:
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            const bool yes = sqlite3_value_double(value) != 0;
            if (type != SQLITE_INTEGER || sqlite3_value_int64(value) != (yes ? -1 : 0)) {
                KeepStored(size_, value); // 1, or another number standing for Yes
            }
            ints_.push_back(yes ? -1 : 0);
            ++size_;
            return;
        }
        break;
    case ColumnKind::Double:
    case ColumnKind::Single:
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            const double d = sqlite3_value_double(value);
            if (!ExactDouble(type, value, kind_ == ColumnKind::Single)) {
                KeepStored(size_, value);
            }
            reals_.push_back(kind_ == ColumnKind::Single ? static_cast<float>(d) : d);
            ++size_;
            return;
        }
        break;
    case ColumnKind::Date:
        if (type == SQLITE_TEXT) {
            if (auto date = vb::Date::FromIsoText(text())) {
                // The usual stored form reads back as it is; another one ("2024-05-12") is kept.
                if (text().size() != 19 && date->ToIsoText() != text()) {
                    KeepStored(size_, value);
                }
                reals_.push_back(date->serial);
                ++size_;
                return;
            }
        }
        break;
    case ColumnKind::Currency:
        if (type == SQLITE_INTEGER) {
            if (auto scaled = ScaledWhole(sqlite3_value_int64(value))) {
                scaled_.push_back(*scaled);
                ++size_;
                return;
            }
        } else if (type == SQLITE_FLOAT) {
            const double d = sqlite3_value_double(value);
            const int64_t scaled = vb::Currency::FromDouble(d).Scaled();
            if (AmountDouble(scaled) != d) {
                KeepStored(size_, value); // more than four decimals, from a computation
            }
            scaled_.push_back(scaled);
            ++size_;
            return;
        }
        break;
    case ColumnKind::Bytes:
    case ColumnKind::Dynamic:
        break;
    }
    // The less common forms (a date stored as a number, a value outside its column's type)
    // take the general reading.
    AppendRead(stmt, column);
}

void Column::PopBack()
{
    if (size_ == 0) {
        return;
    }
    const uint32_t row = --size_;
    switch (storage_) {
    case Storage::Ints:
        ints_.pop_back();
        break;
    case Storage::Reals:
        reals_.pop_back();
        break;
    case Storage::Scaled:
        scaled_.pop_back();
        break;
    case Storage::Text:
        if (starts_.back() + lengths_.back() == chars_.size()) {
            chars_.resize(starts_.back());
        }
        starts_.pop_back();
        lengths_.pop_back();
        break;
    case Storage::Variants:
        variants_.pop_back();
        break;
    }
    nulls_.Set(row, false);
    if (odd_.Test(row)) {
        odd_.Set(row, false);
        oddValues_.erase(row);
    }
    ForgetStored(row);
}

void Column::Set(uint32_t row, const vb::Variant& value)
{
    ForgetStored(row);
    if (storage_ == Storage::Variants) {
        variants_[row] = value;
        return;
    }
    if (odd_.Test(row)) {
        odd_.Set(row, false);
        oddValues_.erase(row);
    }
    const bool null = value.IsNull() || value.IsEmpty();
    nulls_.Set(row, null);
    if (null) {
        return;
    }
    if (value.Type() != NaturalType(kind_)) {
        SetOdd(row, value);
        return;
    }
    switch (kind_) {
    case ColumnKind::Boolean:
        ints_[row] = value.BooleanValue() ? -1 : 0;
        break;
    case ColumnKind::Integer:
        ints_[row] = value.IntegerValue();
        break;
    case ColumnKind::Long:
        ints_[row] = value.LongValue();
        break;
    case ColumnKind::Single:
        reals_[row] = value.SingleValue();
        break;
    case ColumnKind::Double:
        reals_[row] = value.DoubleValue();
        break;
    case ColumnKind::Date:
        reals_[row] = value.DateValue().serial;
        break;
    case ColumnKind::Currency:
        scaled_[row] = value.CurrencyValue().Scaled();
        break;
    case ColumnKind::Text: {
        const std::string& text = value.StringValue();
        if (text.size() <= lengths_[row]) {
            // Fits in the place of the old text.
            std::copy(text.begin(), text.end(), chars_.data() + starts_[row]);
            lengths_[row] = static_cast<uint32_t>(text.size());
            break;
        }
        if (chars_.size() + text.size() > std::numeric_limits<uint32_t>::max()) {
            Raise(vb::ErrOutOfMemory, "Out of memory");
        }
        starts_[row] = static_cast<uint32_t>(chars_.size());
        lengths_[row] = static_cast<uint32_t>(text.size());
        chars_.append(text.data(), text.size());
        break;
    }
    case ColumnKind::Bytes:
    case ColumnKind::Dynamic:
        break;
    }
}

vb::Variant Column::Get(uint32_t row) const
{
    if (storage_ == Storage::Variants) {
        return variants_[row];
    }
    if (nulls_.Test(row)) {
        return vb::Variant::Null();
    }
    if (odd_.Any() && odd_.Test(row)) {
        return oddValues_.at(row);
    }
    switch (kind_) {
    case ColumnKind::Boolean:
        return vb::Variant(ints_[row] != 0);
    case ColumnKind::Integer:
        return vb::Variant(static_cast<int16_t>(ints_[row]));
    case ColumnKind::Long:
        return vb::Variant(ints_[row]);
    case ColumnKind::Single:
        return vb::Variant(static_cast<float>(reals_[row]));
    case ColumnKind::Double:
        return vb::Variant(reals_[row]);
    case ColumnKind::Date:
        return vb::Variant(vb::Date{reals_[row]});
    case ColumnKind::Currency:
        return vb::Variant(vb::Currency::FromScaled(scaled_[row]));
    case ColumnKind::Text:
        return vb::Variant(std::string(Text(row)));
    case ColumnKind::Bytes:
    case ColumnKind::Dynamic:
        break;
    }
    return vb::Variant::Null();
}

int Column::Compare(uint32_t a, uint32_t b) const
{
    if (storage_ == Storage::Variants || (odd_.Any() && (odd_.Test(a) || odd_.Test(b)))) {
        return CompareValues(Get(a), Get(b));
    }
    const bool an = nulls_.Test(a);
    const bool bn = nulls_.Test(b);
    if (an || bn) {
        return an == bn ? 0 : (an ? -1 : 1);
    }
    switch (storage_) {
    case Storage::Ints:
        return (ints_[a] > ints_[b]) - (ints_[a] < ints_[b]);
    case Storage::Reals:
        return Sign(reals_[a], reals_[b]);
    case Storage::Scaled:
        return (scaled_[a] > scaled_[b]) - (scaled_[a] < scaled_[b]);
    case Storage::Text:
        return CompareText(Text(a), Text(b));
    case Storage::Variants:
        break;
    }
    return 0;
}

bool Column::Matches(const Criterion& c, uint32_t row) const
{
    if (storage_ == Storage::Variants || (odd_.Any() && odd_.Test(row))) {
        return c.Matches(Get(row));
    }
    if (nulls_.Test(row)) {
        return c.MatchesNull();
    }
    switch (storage_) {
    case Storage::Text:
        return c.MatchesText(Text(row));
    case Storage::Ints:
        return c.op == Criterion::Op::Like ? c.Matches(Get(row)) : c.MatchesNumber(ints_[row]);
    case Storage::Scaled:
        return c.op == Criterion::Op::Like
                   ? c.Matches(Get(row))
                   : c.MatchesNumber(static_cast<double>(scaled_[row]) / vb::Currency::Scale);
    case Storage::Reals:
        if (c.op == Criterion::Op::Like) {
            return c.Matches(Get(row));
        }
        return kind_ == ColumnKind::Date ? c.MatchesDate(reals_[row])
                                         : c.MatchesNumber(reals_[row]);
    case Storage::Variants:
        break;
    }
    return false;
}

namespace {

template <class Match> long Scan(const uint32_t* view, long i, long end, long step, Match match)
{
    for (; i != end; i += step) {
        if (match(view[i])) {
            return i;
        }
    }
    return -1;
}

} // namespace

long Column::FindIn(const Criterion& c, const uint32_t* view, long from, long end, long step) const
{
    using Op = Criterion::Op;
    if (from == end) {
        return -1;
    }
    // The common searches over a column without values kept aside run on its array directly.
    if (!odd_.Any() && !c.nullTest) {
        if (storage_ == Storage::Text && c.op == Op::Like) {
            const LikePattern& pattern = *c.pattern;
            const char* chars = chars_.data();
            const uint32_t* starts = starts_.data();
            const uint32_t* lengths = lengths_.data();
            return Scan(view, from, end, step, [&](uint32_t r) {
                return pattern.Matches(std::string_view(chars + starts[r], lengths[r])) &&
                       !nulls_.Test(r);
            });
        }
        if (storage_ == Storage::Ints && c.op != Op::Like && c.number) {
            const double n = *c.number;
            const int32_t* values = ints_.data();
            auto holds = [&](auto test) {
                return Scan(view, from, end, step,
                            [&](uint32_t r) { return test(values[r]) && !nulls_.Test(r); });
            };
            if (c.op == Op::Equal && n >= std::numeric_limits<int32_t>::min() &&
                n <= std::numeric_limits<int32_t>::max() && n == static_cast<int32_t>(n)) {
                // The usual search of a key: compare the integers themselves.
                const auto wanted = static_cast<int32_t>(n);
                return holds([wanted](int32_t v) { return v == wanted; });
            }
            switch (c.op) {
            case Op::Equal:
                return holds([n](double v) { return v == n; });
            case Op::NotEqual:
                return holds([n](double v) { return v != n; });
            case Op::Less:
                return holds([n](double v) { return v < n; });
            case Op::Greater:
                return holds([n](double v) { return v > n; });
            case Op::LessEqual:
                return holds([n](double v) { return v <= n; });
            case Op::GreaterEqual:
                return holds([n](double v) { return v >= n; });
            case Op::Like:
                break;
            }
        }
    }
    return Scan(view, from, end, step, [&](uint32_t r) { return Matches(c, r); });
}

void Column::Reserve(uint32_t rows)
{
    switch (storage_) {
    case Storage::Ints:
        ints_.reserve(rows);
        break;
    case Storage::Reals:
        reals_.reserve(rows);
        break;
    case Storage::Scaled:
        scaled_.reserve(rows);
        break;
    case Storage::Text:
        starts_.reserve(rows);
        lengths_.reserve(rows);
        break;
    case Storage::Variants:
        variants_.reserve(rows);
        break;
    }
}

void Column::ShrinkToFit()
{
    ints_.shrink_to_fit();
    reals_.shrink_to_fit();
    scaled_.shrink_to_fit();
    chars_.shrink_to_fit();
    starts_.shrink_to_fit();
    lengths_.shrink_to_fit();
    variants_.shrink_to_fit();
    nulls_.ShrinkToFit();
    odd_.ShrinkToFit();
    kept_.ShrinkToFit();
}

int CompareValues(const vb::Variant& a, const vb::Variant& b)
{
    const bool an = a.IsNull() || a.IsEmpty();
    const bool bn = b.IsNull() || b.IsEmpty();
    if (an || bn) {
        return an == bn ? 0 : (an ? -1 : 1);
    }
    const bool as = a.Type() == vb::VarType::String;
    const bool bs = b.Type() == vb::VarType::String;
    if (as && bs) {
        return CompareText(a.StringValue(), b.StringValue());
    }
    if (as != bs) {
        return as ? 1 : -1; // numbers before texts
    }
    const double x = a.Type() == vb::VarType::Date ? a.DateValue().serial : vb::CDbl(a);
    const double y = b.Type() == vb::VarType::Date ? b.DateValue().serial : vb::CDbl(b);
    return Sign(x, y);
}

} // namespace ado::detail
