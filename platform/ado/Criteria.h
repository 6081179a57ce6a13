#pragma once
// Criteria of Find and Filter: "[Nom] like 'DU*'", "Reference =1000",
// "(LaDate)>=12/05/2024", "CodeArticle = #5/12/2024#", "Service = Null";
// Filter joins them with AND, OR and parentheses.

#include "platform/ado/Text.h"
#include "platform/vb/Variant.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ado::detail {

struct Criterion
{
    enum class Op { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual, Like };
    std::string field;
    Op op = Op::Equal;
    bool nullTest = false; // "= Null", "Is Null", "<> Null", "Is Not Null"
    std::string text;      // the value as written (quotes removed)
    std::optional<double> number;
    std::optional<vb::Date> date;
    std::shared_ptr<LikePattern> pattern;

    bool Matches(const vb::Variant& value) const;
    // The same for a value known to be of one kind (not null): a number, a date serial, a
    // text. Raises 3001 when the criterion's value is not of that kind.
    bool MatchesNumber(double value) const;
    bool MatchesDate(double serial) const;
    bool MatchesText(std::string_view value) const;
    bool MatchesNull() const { return nullTest && op == Op::Equal; }
    // The comparison's outcome from the sign of value against the criterion's value.
    bool Holds(int sign) const;
};

// Raises vb::Error 3001 when the text is not one criterion.
Criterion ParseCriterion(std::string_view text);

struct FilterNode
{
    enum class Kind { Criterion, And, Or } kind = Kind::Criterion;
    Criterion criterion;
    int column = -1; // the criterion's column, resolved by the recordset
    std::vector<FilterNode> children;
};

// Raises 3001 for a text that is no filter, also one nested deeper than MaxFilterDepth.
inline constexpr int MaxFilterDepth = 100;
FilterNode ParseFilter(std::string_view text);

} // namespace ado::detail
