#pragma once
// The rows of a recordset, stored column by column: one array per column in the form of its
// type (32-bit integers for Yes/No, Integer and Long; doubles for Single, Double and dates;
// scaled 64-bit integers for currency; texts in one buffer with offsets), a null bitmap, and
// the rare value that does not fit its column's type (SQLite keeps any value in any column)
// kept aside as a Variant. A Variant is built only when a value is read. Computed columns
// (without a declared type) and picture bytes are held as Variants.
// A value whose typed form would not bind back to the very value stored (a Yes/No stored as 1,
// a Single stored with more digits, a date stored as a number, an amount with more than four
// decimals) also keeps its stored form, so that an update can check that the row still holds
// what was read.

#include "platform/ado/Criteria.h"
#include "platform/ado/PlainArray.h"
#include "platform/ado/Values.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ado::detail {

// One bit per row.
class RowBits
{
public:
    bool Test(uint32_t row) const
    {
        const size_t word = row >> 6;
        return word < words_.size() && (words_[word] >> (row & 63) & 1) != 0;
    }
    void Set(uint32_t row, bool on);
    bool Any() const { return any_; }
    void Clear()
    {
        words_.clear();
        any_ = false;
    }
    void ShrinkToFit() { words_.shrink_to_fit(); }

private:
    std::vector<uint64_t> words_;
    bool any_ = false; // a bit was set at some time
};

// A value as SQLite stores it: its storage class and what it holds.
struct StoredValue
{
    int type = SQLITE_NULL;
    int64_t integer = 0;
    double real = 0;
    std::string bytes; // text or blob
};

class Column
{
public:
    enum class Storage { Ints, Reals, Scaled, Text, Variants };

    explicit Column(ColumnKind kind);

    // Appends the value of a statement's column, read as ReadColumn reads it.
    void Append(sqlite3_stmt* stmt, int column);
    void AppendNull();
    void PopBack();
    // Replaces a row's value (already in the column's type, or any value read back).
    void Set(uint32_t row, const vb::Variant& value);
    vb::Variant Get(uint32_t row) const;
    // Replaces a row's value with the value of a statement's column (a row read back).
    void SetRead(uint32_t row, sqlite3_stmt* stmt, int column);
    // Binds a row's value as the table stores it, so that "column IS ?" holds while the stored
    // value is still the one read.
    void BindStored(sqlite3_stmt* stmt, int index, uint32_t row) const;

    // The text of a row that holds one.
    std::string_view Text(uint32_t row) const
    {
        return std::string_view(chars_.data() + starts_[row], lengths_[row]);
    }

    // -1, 0 or 1 in the order of Sort: nulls first, numbers before texts.
    int Compare(uint32_t a, uint32_t b) const;
    bool Matches(const Criterion& criterion, uint32_t row) const;
    // The first position from `from` (stepping by `step`, stopping before `end`) of the rows
    // `view` whose value matches; -1 when none does.
    long FindIn(const Criterion& criterion, const uint32_t* view, long from, long end,
                long step) const;

    // Room for that many rows (a requery reads about as many as before).
    void Reserve(uint32_t rows);
    void ShrinkToFit();

private:
    // Appends a value read as ReadColumn reads it (kept apart from Append, which every value
    // passes through).
    [[gnu::noinline]] void AppendRead(sqlite3_stmt* stmt, int column);
    void SetOdd(uint32_t row, vb::Variant value);
    void PushDefault();
    void AppendText(std::string_view text);
    void KeepStored(uint32_t row, sqlite3_value* value);
    void ForgetStored(uint32_t row);

    ColumnKind kind_;
    Storage storage_;
    uint32_t size_ = 0;
    PlainArray<int32_t> ints_;
    PlainArray<double> reals_;
    PlainArray<int64_t> scaled_;
    PlainArray<char> chars_;
    PlainArray<uint32_t> starts_;
    PlainArray<uint32_t> lengths_;
    std::vector<vb::Variant> variants_;
    RowBits nulls_;
    RowBits odd_;
    std::unordered_map<uint32_t, vb::Variant> oddValues_;
    RowBits kept_; // rows whose stored form is kept
    std::unordered_map<uint32_t, StoredValue> stored_;
};

// -1, 0 or 1 in the order of Sort for two values of any type.
int CompareValues(const vb::Variant& a, const vb::Variant& b);

} // namespace ado::detail
