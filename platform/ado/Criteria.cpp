#include "platform/ado/Criteria.h"

#include "platform/ado/Session.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"

#include <cctype>
#include <cstdlib>

namespace ado::detail {
namespace {

[[noreturn]] void BadCriterion(std::string_view text)
{
    Raise(ErrBadArgument, "Arguments are of the wrong type, are out of acceptable range, or are "
                          "in conflict with one another: " +
                              std::string(text));
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) {
        s.remove_suffix(1);
    }
    return s;
}

bool IsWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool StartsWithWord(std::string_view text, std::string_view upperWord)
{
    if (text.size() < upperWord.size() ||
        UpperAscii(text.substr(0, upperWord.size())) != upperWord) {
        return false;
    }
    return text.size() == upperWord.size() || !IsWordChar(text[upperWord.size()]);
}

std::optional<double> Number(std::string_view text)
{
    const std::string s(Trim(text));
    if (s.empty()) {
        return std::nullopt;
    }
    const std::string u = UpperAscii(s);
    if (u == "TRUE") {
        return -1.0;
    }
    if (u == "FALSE") {
        return 0.0;
    }
    char* end = nullptr;
    const double d = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size()) {
        return std::nullopt;
    }
    return d;
}

std::optional<vb::Date> TextDate(std::string_view text)
{
    if (text.find_first_of("/-:") == std::string_view::npos) {
        return std::nullopt;
    }
    try {
        return vb::CDate(vb::Variant(std::string(text)));
    } catch (const vb::Error&) {
        return std::nullopt;
    }
}

// Where the criterion's text ends, skipping quoted and bracketed parts.
size_t SkipQuoted(std::string_view text, size_t i)
{
    const char open = text[i];
    const char close = open == '[' ? ']' : open;
    size_t j = i + 1;
    while (j < text.size()) {
        if (text[j] == close) {
            if (open == '\'' && j + 1 < text.size() && text[j + 1] == '\'') {
                j += 2;
                continue;
            }
            return j;
        }
        ++j;
    }
    return text.size();
}

} // namespace

bool Criterion::Holds(int c) const
{
    switch (op) {
    case Op::Equal:
        return c == 0;
    case Op::NotEqual:
        return c != 0;
    case Op::Less:
        return c < 0;
    case Op::Greater:
        return c > 0;
    case Op::LessEqual:
        return c <= 0;
    case Op::GreaterEqual:
        return c >= 0;
    case Op::Like:
        break;
    }
    return false;
}

bool Criterion::MatchesNumber(double a) const
{
    if (nullTest) {
        return op == Op::NotEqual;
    }
    if (!number) {
        BadCriterion(text);
    }
    return Holds((a > *number) - (a < *number));
}

bool Criterion::MatchesDate(double serial) const
{
    if (nullTest) {
        return op == Op::NotEqual;
    }
    if (!date) {
        BadCriterion(text);
    }
    return Holds((serial > date->serial) - (serial < date->serial));
}

bool Criterion::MatchesText(std::string_view value) const
{
    if (nullTest) {
        return op == Op::NotEqual;
    }
    if (op == Op::Like) {
        return pattern->Matches(value);
    }
    return Holds(CompareText(value, text));
}

bool Criterion::Matches(const vb::Variant& value) const
{
    if (value.IsNull() || value.IsEmpty()) {
        return MatchesNull();
    }
    if (nullTest) {
        return op == Op::NotEqual;
    }
    if (value.Type() == vb::VarType::String) {
        return MatchesText(value.StringValue());
    }
    if (op == Op::Like) {
        return pattern->Matches(vb::CStr(value));
    }
    if (value.Type() == vb::VarType::Date) {
        return MatchesDate(value.DateValue().serial);
    }
    return MatchesNumber(vb::CDbl(value));
}

Criterion ParseCriterion(std::string_view input)
{
    const std::string_view text = Trim(input);
    Criterion c;
    size_t i = 0;
    // The field: [name], (name), ([name]) or a bare name.
    if (!text.empty() && text[0] == '(') {
        const size_t close = text.find(')');
        if (close == std::string_view::npos) {
            BadCriterion(text);
        }
        std::string_view inner = Trim(text.substr(1, close - 1));
        if (inner.size() >= 2 && inner.front() == '[' && inner.back() == ']') {
            inner = inner.substr(1, inner.size() - 2);
        }
        c.field = std::string(inner);
        i = close + 1;
    } else if (!text.empty() && text[0] == '[') {
        const size_t close = SkipQuoted(text, 0);
        c.field = std::string(text.substr(1, close - 1));
        i = close + 1;
    } else {
        while (i < text.size() && IsWordChar(text[i])) {
            ++i;
        }
        c.field = std::string(text.substr(0, i));
    }
    if (c.field.empty()) {
        BadCriterion(text);
    }
    std::string_view rest = Trim(text.substr(std::min(i, text.size())));
    using Op = Criterion::Op;
    if (StartsWithWord(rest, "LIKE")) {
        c.op = Op::Like;
        rest = rest.substr(4);
    } else if (StartsWithWord(rest, "IS")) {
        rest = Trim(rest.substr(2));
        c.op = Op::Equal;
        if (StartsWithWord(rest, "NOT")) {
            c.op = Op::NotEqual;
            rest = Trim(rest.substr(3));
        }
        if (!StartsWithWord(rest, "NULL") || !Trim(rest.substr(4)).empty()) {
            BadCriterion(text);
        }
        c.nullTest = true;
        return c;
    } else {
        static const std::pair<std::string_view, Op> ops[] = {
            {"<=", Op::LessEqual}, {">=", Op::GreaterEqual}, {"<>", Op::NotEqual},
            {"=", Op::Equal},      {"<", Op::Less},          {">", Op::Greater}};
        bool found = false;
        for (const auto& [symbol, op] : ops) {
            if (rest.starts_with(symbol)) {
                c.op = op;
                rest = rest.substr(symbol.size());
                found = true;
                break;
            }
        }
        if (!found) {
            BadCriterion(text);
        }
    }
    rest = Trim(rest);
    if (rest.empty()) {
        BadCriterion(text);
    }
    if (rest.front() == '\'' || rest.front() == '"') {
        const size_t close = SkipQuoted(rest, 0);
        if (close >= rest.size() || !Trim(rest.substr(close + 1)).empty()) {
            BadCriterion(text);
        }
        std::string content;
        for (size_t k = 1; k < close; ++k) {
            content += rest[k];
            if (rest[k] == rest.front()) {
                ++k; // a doubled quote stands for one
            }
        }
        c.text = content;
        c.number = Number(content);
        c.date = vb::Date::FromIsoText(content);
        if (!c.date) {
            c.date = TextDate(content);
        }
    } else if (rest.front() == '#') {
        if (rest.size() < 2 || rest.back() != '#') {
            BadCriterion(text);
        }
        c.text = std::string(rest.substr(1, rest.size() - 2));
        const auto iso = DateLiteralIso(c.text);
        if (!iso) {
            BadCriterion(text);
        }
        c.date = vb::Date::FromIsoText(*iso);
    } else if (StartsWithWord(rest, "NULL") && rest.size() == 4) {
        if (c.op != Op::Equal && c.op != Op::NotEqual) {
            BadCriterion(text);
        }
        c.nullTest = true;
    } else {
        c.text = std::string(rest);
        c.number = Number(rest);
        c.date = TextDate(rest);
    }
    if (c.op == Op::Like) {
        c.pattern = std::make_shared<LikePattern>(c.text);
    }
    return c;
}

namespace {

// Splits at the top-level occurrences of a word (AND / OR), outside quotes, brackets, dates
// and parentheses.
std::vector<std::string_view> SplitAt(std::string_view text, std::string_view upperWord)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    int depth = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '\'' || ch == '"' || ch == '[' || ch == '#') {
            i = SkipQuoted(text, i);
        } else if (ch == '(') {
            ++depth;
        } else if (ch == ')') {
            --depth;
        } else if (depth == 0 && (i == 0 || !IsWordChar(text[i - 1])) &&
                   StartsWithWord(text.substr(i), upperWord)) {
            parts.push_back(text.substr(start, i - start));
            i += upperWord.size() - 1;
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}

FilterNode ParseGroup(std::string_view input)
{
    const std::string_view text = Trim(input);
    for (const std::string_view word : {std::string_view("OR"), std::string_view("AND")}) {
        if (const auto parts = SplitAt(text, word); parts.size() > 1) {
            FilterNode node;
            node.kind = word == "OR" ? FilterNode::Kind::Or : FilterNode::Kind::And;
            for (std::string_view part : parts) {
                node.children.push_back(ParseGroup(part));
            }
            return node;
        }
    }
    if (text.size() >= 2 && text.front() == '(' && text.back() == ')') {
        // A group in parentheses (not a field name in parentheses): its closing parenthesis
        // is the last character.
        int level = 0;
        size_t close = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\'' || text[i] == '"' || text[i] == '[' || text[i] == '#') {
                i = SkipQuoted(text, i);
            } else if (text[i] == '(') {
                ++level;
            } else if (text[i] == ')' && --level == 0) {
                close = i;
                break;
            }
        }
        if (close == text.size() - 1) {
            return ParseGroup(text.substr(1, text.size() - 2));
        }
    }
    FilterNode node;
    node.criterion = ParseCriterion(text);
    return node;
}

} // namespace

FilterNode ParseFilter(std::string_view input)
{
    // Refused at once when nested too deep: each level is split again, and parsed by recursion.
    int level = 0;
    for (size_t i = 0; i < input.size(); ++i) {
        const char ch = input[i];
        if (ch == '\'' || ch == '"' || ch == '[' || ch == '#') {
            i = SkipQuoted(input, i);
        } else if (ch == '(' && ++level > MaxFilterDepth) {
            BadCriterion(input.substr(0, 40));
        } else if (ch == ')') {
            --level;
        }
    }
    return ParseGroup(input);
}

} // namespace ado::detail
