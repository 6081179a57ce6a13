#include "platform/ado/Translate.h"

#include "platform/ado/Catalogue.h"
#include "platform/ado/Session.h"
#include "platform/vb/Date.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace ado {
namespace {

enum class Kind { Space, Word, Quoted, String, Number, Punct, Raw };

struct Token
{
    Kind kind;
    std::string text; // SQLite text of the token
    std::string name; // Word and Quoted: the name itself
};

using Tokens = std::vector<Token>;

bool IsWordStart(unsigned char c)
{
    return std::isalpha(c) || c == '_' || c >= 0x80;
}

bool IsWordChar(unsigned char c)
{
    return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80;
}

using detail::QuoteIdentifier;
using detail::QuoteString;
using detail::UpperAscii;

// #m/d/yyyy#, #m/d/yyyy hh:nn[:ss]#, #yyyy-mm-dd ...#, #hh:nn[:ss]#: read month first as the
// Access dialect does, day first only when the month cannot be one.
std::optional<std::string> DateLiteral(std::string_view text)
{
    int a = 0, b = 0, c = 0, h = 0, n = 0, s = 0;
    char sep = 0;
    std::string t(text);
    int used = 0;
    auto validTime = [&] { return h >= 0 && h < 24 && n >= 0 && n < 60 && s >= 0 && s < 60; };
    char buf[64];
    // A day of the calendar: years 100 to 9999, the days its month has.
    auto validDay = [](int year, int month, int day) {
        return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
               day <= vb::DaysInMonth(year, month);
    };
    if (std::sscanf(t.c_str(), "%d-%d-%d%n", &a, &b, &c, &used) == 3 && a > 31) {
        std::sscanf(t.c_str() + used, " %d:%d:%d", &h, &n, &s);
        if (!validDay(a, b, c) || !validTime()) {
            return std::nullopt;
        }
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", a, b, c, h, n, s);
        return std::string(buf);
    }
    if (std::sscanf(t.c_str(), "%d%c%d%c%d%n", &a, &sep, &b, &sep, &c, &used) == 5 &&
        (sep == '/' || sep == '-' || sep == '.')) {
        std::sscanf(t.c_str() + used, " %d:%d:%d", &h, &n, &s);
        int month = a, day = b, year = c;
        if (month > 12 && day <= 12) {
            std::swap(month, day);
        }
        if (year >= 0 && year < 100) {
            year += year < 30 ? 2000 : 1900;
        }
        if (!validDay(year, month, day) || !validTime()) {
            return std::nullopt;
        }
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, h, n, s);
        return std::string(buf);
    }
    if (std::sscanf(t.c_str(), "%d:%d%n", &h, &n, &used) == 2) {
        std::sscanf(t.c_str() + used, ":%d", &s);
        if (!validTime()) {
            return std::nullopt;
        }
        std::snprintf(buf, sizeof buf, "1899-12-30 %02d:%02d:%02d", h, n, s);
        return std::string(buf);
    }
    return std::nullopt;
}

Tokens Tokenize(std::string_view sql)
{
    Tokens out;
    size_t i = 0;
    const size_t size = sql.size();
    while (i < size) {
        const unsigned char c = sql[i];
        if (std::isspace(c)) {
            size_t j = i;
            while (j < size && std::isspace(static_cast<unsigned char>(sql[j]))) {
                ++j;
            }
            out.push_back({Kind::Space, std::string(sql.substr(i, j - i)), {}});
            i = j;
        } else if (c == '[') {
            const size_t close = sql.find(']', i + 1);
            const size_t end = close == std::string_view::npos ? size : close;
            std::string_view inner = sql.substr(i + 1, end - i - 1);
            // [Table.Column] names two parts.
            size_t start = 0;
            while (true) {
                const size_t dot = inner.find('.', start);
                std::string_view part = inner.substr(start, dot - start);
                out.push_back({Kind::Quoted, QuoteIdentifier(part), std::string(part)});
                if (dot == std::string_view::npos) {
                    break;
                }
                out.push_back({Kind::Punct, ".", {}});
                start = dot + 1;
            }
            i = end == size ? size : end + 1;
        } else if (c == '\'' || c == '"') {
            // Both quote kinds are text literals in the Access dialect.
            std::string content;
            size_t j = i + 1;
            while (j < size) {
                if (sql[j] == static_cast<char>(c)) {
                    if (j + 1 < size && sql[j + 1] == static_cast<char>(c)) {
                        content += sql[j];
                        j += 2;
                        continue;
                    }
                    break;
                }
                content += sql[j++];
            }
            out.push_back({Kind::String, QuoteString(content), content});
            i = j + 1;
        } else if (c == '#') {
            const size_t close = sql.find('#', i + 1);
            std::optional<std::string> iso;
            if (close != std::string_view::npos) {
                iso = DateLiteral(sql.substr(i + 1, close - i - 1));
            }
            if (iso) {
                out.push_back({Kind::String, QuoteString(*iso), *iso});
                i = close + 1;
            } else {
                out.push_back({Kind::Punct, "#", {}});
                ++i;
            }
        } else if (std::isdigit(c) || (c == '.' && i + 1 < size &&
                                       std::isdigit(static_cast<unsigned char>(sql[i + 1])))) {
            size_t j = i;
            while (j < size &&
                   (std::isdigit(static_cast<unsigned char>(sql[j])) || sql[j] == '.')) {
                ++j;
            }
            if (j < size && (sql[j] == 'e' || sql[j] == 'E') && j + 1 < size &&
                (std::isdigit(static_cast<unsigned char>(sql[j + 1])) || sql[j + 1] == '+' ||
                 sql[j + 1] == '-')) {
                j += 2;
                while (j < size && std::isdigit(static_cast<unsigned char>(sql[j]))) {
                    ++j;
                }
            }
            out.push_back({Kind::Number, std::string(sql.substr(i, j - i)), {}});
            i = j;
        } else if (IsWordStart(c)) {
            size_t j = i;
            while (j < size && IsWordChar(static_cast<unsigned char>(sql[j]))) {
                ++j;
            }
            std::string word(sql.substr(i, j - i));
            if ((word == "N" || word == "n") && j < size && sql[j] == '\'') {
                i = j; // N'..' national literal: the quote follows
                continue;
            }
            out.push_back({Kind::Word, word, word});
            i = j;
        } else {
            static const std::array<std::string_view, 6> pairs = {
                "<>", "<=", ">=", "!=", "||", "=="};
            std::string op(1, static_cast<char>(c));
            for (std::string_view p : pairs) {
                if (sql.substr(i, 2) == p) {
                    op = std::string(p);
                }
            }
            out.push_back({Kind::Punct, op, {}});
            i += op.size();
        }
    }
    return out;
}

bool IsWord(const Token& t, std::string_view upperWord)
{
    return t.kind == Kind::Word && UpperAscii(t.name) == upperWord;
}

bool IsPunct(const Token& t, std::string_view p)
{
    return t.kind == Kind::Punct && t.text == p;
}

// Index of the next token that is not a blank, from i on; size() when none.
size_t Next(const Tokens& t, size_t i)
{
    while (i < t.size() && t[i].kind == Kind::Space) {
        ++i;
    }
    return i;
}

// Index of the parenthesis that closes the one at `open`; size() when missing.
size_t Matching(const Tokens& t, size_t open)
{
    int depth = 0;
    for (size_t i = open; i < t.size(); ++i) {
        if (IsPunct(t[i], "(")) {
            ++depth;
        } else if (IsPunct(t[i], ")")) {
            if (--depth == 0) {
                return i;
            }
        }
    }
    return t.size();
}

bool IsInterval(std::string_view word)
{
    static const std::array<std::string_view, 28> names = {
        "YEAR",   "YY", "YYYY", "QUARTER", "QQ", "Q",  "MONTH",   "MM", "M", "DAYOFYEAR", "DY", "Y",
        "DAY",    "DD", "D",    "WEEK",    "WK", "WW", "WEEKDAY", "DW", "W", "HOUR",      "HH", "H",
        "MINUTE", "MI", "N",    "SECOND"};
    const std::string u = UpperAscii(word);
    return std::find(names.begin(), names.end(), u) != names.end() || u == "SS" || u == "S";
}

// Word-level rewrites that need no structure.
Tokens Substitute(const Tokens& in)
{
    Tokens out;
    for (size_t i = 0; i < in.size(); ++i) {
        const Token& t = in[i];
        const size_t n = Next(in, i + 1);
        const bool call = n < in.size() && IsPunct(in[n], "(");
        const bool afterDot = !out.empty() && IsPunct(out.back(), ".");
        if ((t.kind == Kind::Word || t.kind == Kind::Quoted) && UpperAscii(t.name) == "DBO" &&
            n < in.size() && IsPunct(in[n], ".")) {
            i = n; // owner prefix
            continue;
        }
        if (t.kind == Kind::Word && !afterDot) {
            const std::string u = UpperAscii(t.name);
            if (!call && (u == "TRUE" || u == "FALSE")) {
                out.push_back({Kind::Number, u == "TRUE" ? "-1" : "0", {}});
                continue;
            }
            if (!call && u == "MOD") {
                out.push_back({Kind::Punct, "%", {}});
                continue;
            }
            if (u == "DISTINCTROW") {
                out.push_back({Kind::Word, "DISTINCT", "DISTINCT"});
                continue;
            }
            if (call && (u == "LEFT" || u == "RIGHT" || u == "ISNULL")) {
                out.push_back({Kind::Word, "vb_" + t.name, "vb_" + t.name});
                continue;
            }
            if (call && u == "GETDATE") {
                out.push_back({Kind::Word, "Now", "Now"});
                continue;
            }
            if (call && (u == "DATENAME" || u == "DATEPART" || u == "DATEADD" || u == "DATEDIFF")) {
                // SQL Server names the interval bare: DATENAME(month, x).
                out.push_back(t);
                const size_t a = Next(in, n + 1);
                const size_t comma = Next(in, a + 1);
                if (a < in.size() && in[a].kind == Kind::Word && IsInterval(in[a].name) &&
                    comma < in.size() && IsPunct(in[comma], ",")) {
                    for (size_t k = i + 1; k < a; ++k) {
                        out.push_back(in[k]);
                    }
                    out.push_back({Kind::String, QuoteString(in[a].name), in[a].name});
                    i = a;
                }
                continue;
            }
            if (call && u == "CONVERT") {
                // CONVERT(DATETIME, x, 103): the text read day first, as CDate reads it.
                const size_t close = Matching(in, n);
                const size_t type = Next(in, n + 1);
                if (close < in.size() && type < close && IsWord(in[type], "DATETIME")) {
                    size_t firstComma = Next(in, type + 1);
                    size_t lastComma = close;
                    int depth = 0;
                    for (size_t k = firstComma + 1; k < close; ++k) {
                        if (IsPunct(in[k], "(")) {
                            ++depth;
                        } else if (IsPunct(in[k], ")")) {
                            --depth;
                        } else if (depth == 0 && IsPunct(in[k], ",")) {
                            lastComma = k;
                        }
                    }
                    Tokens inner(in.begin() + static_cast<long>(firstComma) + 1,
                                 in.begin() + static_cast<long>(lastComma));
                    out.push_back({Kind::Word, "CDate", "CDate"});
                    out.push_back({Kind::Punct, "(", {}});
                    for (Token& k : Substitute(inner)) {
                        out.push_back(std::move(k));
                    }
                    out.push_back({Kind::Punct, ")", {}});
                    i = close;
                    continue;
                }
            }
        }
        if (IsPunct(t, "&")) {
            out.push_back({Kind::Punct, "||", {}});
            continue;
        }
        if (IsPunct(t, "/")) {
            // Division never truncates in the Access dialect.
            out.push_back({Kind::Punct, "*", {}});
            out.push_back({Kind::Number, "1.0", {}});
            out.push_back({Kind::Punct, "/", {}});
            continue;
        }
        out.push_back(t);
    }
    return out;
}

// DELETE * FROM t, DELETE t.* FROM t.
void DropDeleteStar(Tokens& t)
{
    for (size_t i = 0; i < t.size(); ++i) {
        if (!IsWord(t[i], "DELETE")) {
            continue;
        }
        size_t n = Next(t, i + 1);
        if (n < t.size() && IsPunct(t[n], "*")) {
            t.erase(t.begin() + static_cast<long>(n));
        } else if (n < t.size() && (t[n].kind == Kind::Word || t[n].kind == Kind::Quoted) &&
                   !IsWord(t[n], "FROM")) {
            size_t dot = Next(t, n + 1);
            size_t star = Next(t, dot + 1);
            if (star < t.size() && IsPunct(t[dot], ".") && IsPunct(t[star], "*")) {
                t.erase(t.begin() + static_cast<long>(n), t.begin() + static_cast<long>(star) + 1);
            }
        }
    }
}

// End of the select that starts at `select`: the closing parenthesis of its group, a ";", a
// compound operator or the end.
size_t SelectEnd(const Tokens& t, size_t select)
{
    int depth = 0;
    for (size_t i = select + 1; i < t.size(); ++i) {
        if (IsPunct(t[i], "(")) {
            ++depth;
        } else if (IsPunct(t[i], ")")) {
            if (depth-- == 0) {
                return i;
            }
        } else if (depth == 0 && (IsPunct(t[i], ";") || IsWord(t[i], "UNION") ||
                                  IsWord(t[i], "EXCEPT") || IsWord(t[i], "INTERSECT"))) {
            return i;
        }
    }
    return t.size();
}

// SELECT [DISTINCT] TOP n [PERCENT]: TOP 100 PERCENT is dropped, TOP n becomes LIMIT n.
void RewriteTop(Tokens& t)
{
    for (size_t i = 0; i < t.size(); ++i) {
        if (!IsWord(t[i], "SELECT")) {
            continue;
        }
        size_t top = Next(t, i + 1);
        if (top < t.size() && (IsWord(t[top], "DISTINCT") || IsWord(t[top], "ALL"))) {
            top = Next(t, top + 1);
        }
        if (top >= t.size() || !IsWord(t[top], "TOP")) {
            continue;
        }
        const size_t count = Next(t, top + 1);
        if (count >= t.size() || t[count].kind != Kind::Number) {
            continue;
        }
        size_t last = count;
        const size_t percent = Next(t, count + 1);
        const bool isPercent = percent < t.size() && IsWord(t[percent], "PERCENT");
        if (isPercent) {
            last = percent;
        }
        const std::string n = t[count].text;
        t.erase(t.begin() + static_cast<long>(top), t.begin() + static_cast<long>(last) + 1);
        if (!isPercent) {
            const size_t end = SelectEnd(t, i);
            t.insert(t.begin() + static_cast<long>(end), {Kind::Raw, " LIMIT " + n + " ", {}});
        } else if (n != "100") {
            // Any other share: the rows' count is known only to the statement itself.
            const size_t end = SelectEnd(t, i);
            std::string body;
            for (size_t k = i; k < end; ++k) {
                body += t[k].text;
            }
            const std::string limit =
                " LIMIT (SELECT (COUNT(*) * " + n + " + 99) / 100 FROM (" + body + ")) ";
            t.insert(t.begin() + static_cast<long>(end), {Kind::Raw, limit, {}});
        }
    }
}

// SELECT list INTO t FROM ... becomes CREATE TABLE t AS SELECT list FROM ...
void RewriteSelectInto(Tokens& t)
{
    const size_t first = Next(t, 0);
    if (first >= t.size() || !IsWord(t[first], "SELECT")) {
        return;
    }
    int depth = 0;
    for (size_t i = first + 1; i < t.size(); ++i) {
        if (IsPunct(t[i], "(")) {
            ++depth;
        } else if (IsPunct(t[i], ")")) {
            --depth;
        } else if (depth == 0 && IsWord(t[i], "FROM")) {
            return;
        } else if (depth == 0 && IsWord(t[i], "INTO")) {
            const size_t name = Next(t, i + 1);
            if (name >= t.size()) {
                return;
            }
            const Token table = t[name];
            t.erase(t.begin() + static_cast<long>(i), t.begin() + static_cast<long>(name) + 1);
            t.insert(t.begin() + static_cast<long>(first),
                     {Kind::Raw, "CREATE TABLE " + table.text + " AS ", {}});
            return;
        }
    }
}

bool IsTextType(const std::string& u)
{
    static const std::array<std::string_view, 11> types = {
        "TEXT",     "VARCHAR", "CHAR",  "MEMO",      "LONGTEXT", "STRING",
        "NVARCHAR", "NCHAR",   "NTEXT", "CHARACTER", "LONGCHAR"};
    return std::find(types.begin(), types.end(), u) != types.end();
}

// CREATE TABLE: text columns compare as the program compares texts; counters become
// autonumbered keys.
void RewriteCreateTable(Tokens& t)
{
    const size_t create = Next(t, 0);
    size_t table = Next(t, create + 1);
    if (create >= t.size() || !IsWord(t[create], "CREATE") || table >= t.size()) {
        return;
    }
    if (IsWord(t[table], "TEMP") || IsWord(t[table], "TEMPORARY")) {
        table = Next(t, table + 1);
    }
    if (table >= t.size() || !IsWord(t[table], "TABLE")) {
        return;
    }
    size_t open = table;
    while (open < t.size() && !IsPunct(t[open], "(")) {
        if (IsWord(t[open], "AS")) {
            return;
        }
        ++open;
    }
    const size_t close = Matching(t, open);
    if (close >= t.size()) {
        return;
    }
    // Column definitions, split at the commas of depth 1.
    std::vector<std::pair<size_t, size_t>> defs;
    size_t start = open + 1;
    int depth = 0;
    for (size_t i = open + 1; i <= close; ++i) {
        if (i < close && IsPunct(t[i], "(")) {
            ++depth;
        } else if (i < close && IsPunct(t[i], ")")) {
            --depth;
        } else if (i == close || (depth == 0 && IsPunct(t[i], ","))) {
            defs.emplace_back(start, i);
            start = i + 1;
        }
    }
    for (auto it = defs.rbegin(); it != defs.rend(); ++it) {
        const auto [from, to] = *it;
        const size_t name = Next(t, from);
        if (name >= to || IsWord(t[name], "PRIMARY") || IsWord(t[name], "UNIQUE") ||
            IsWord(t[name], "CONSTRAINT") || IsWord(t[name], "FOREIGN") ||
            IsWord(t[name], "CHECK")) {
            continue;
        }
        const size_t type = Next(t, name + 1);
        if (type >= to || t[type].kind != Kind::Word) {
            continue;
        }
        const std::string u = UpperAscii(t[type].name);
        bool hasCollate = false;
        for (size_t k = type; k < to; ++k) {
            hasCollate = hasCollate || IsWord(t[k], "COLLATE");
        }
        if (IsTextType(u) && !hasCollate) {
            t.insert(t.begin() + static_cast<long>(to),
                     {Kind::Raw, " COLLATE " + std::string(TextCollation), {}});
        } else if (u == "COUNTER" || u == "AUTOINCREMENT") {
            for (size_t k = type + 1; k < to; ++k) {
                const size_t key = Next(t, k + 1);
                if (IsWord(t[k], "PRIMARY") && key < to && IsWord(t[key], "KEY")) {
                    t.erase(t.begin() + static_cast<long>(k),
                            t.begin() + static_cast<long>(key) + 1);
                    break;
                }
            }
            t[type] = {Kind::Raw, "INTEGER PRIMARY KEY AUTOINCREMENT", {}};
        }
    }
}

std::string Text(const Tokens& t, size_t from, size_t to)
{
    std::string out;
    for (size_t i = from; i < to && i < t.size(); ++i) {
        out += t[i].text;
    }
    return out;
}

std::string Trimmed(std::string s)
{
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) {
        return {};
    }
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool StartsJoin(const Token& t)
{
    return IsWord(t, "INNER") || IsWord(t, "LEFT") || IsWord(t, "RIGHT") || IsWord(t, "FULL") ||
           IsWord(t, "CROSS") || IsWord(t, "JOIN") || IsWord(t, "NATURAL") || IsPunct(t, ",");
}

bool EndsFrom(const Token& t)
{
    return IsWord(t, "WHERE") || IsWord(t, "GROUP") || IsWord(t, "HAVING") || IsWord(t, "ORDER") ||
           IsWord(t, "UNION") || IsWord(t, "EXCEPT") || IsWord(t, "INTERSECT") ||
           IsWord(t, "LIMIT") || IsPunct(t, ";") || IsPunct(t, ")");
}

std::string RewriteStatement(const Tokens& t);

// Rebuilds a FROM clause's join expression with each ON bound to the nearest join still
// waiting for one (so "a JOIN b JOIN c ON x ON y" is "a JOIN (b JOIN c ON x) ON y").
std::string RewriteJoins(const Tokens& t, size_t from, size_t to)
{
    struct Operand
    {
        std::string text;
        bool isJoin;
    };
    std::vector<Operand> operands;
    std::vector<std::string> ops; // ops[k] joins operands[k] and operands[k + 1]
    auto reduce = [&](const std::string& condition) {
        if (operands.size() < 2 || ops.empty()) {
            return false;
        }
        Operand right = operands.back();
        operands.pop_back();
        Operand left = operands.back();
        operands.pop_back();
        std::string text = left.text + " " + ops.back() + " " +
                           (right.isJoin ? "(" + right.text + ")" : right.text);
        if (!condition.empty()) {
            text += " ON " + condition;
        }
        ops.pop_back();
        operands.push_back({text, true});
        return true;
    };
    size_t i = Next(t, from);
    while (i < to) {
        if (StartsJoin(t[i])) {
            std::string op;
            if (IsPunct(t[i], ",")) {
                op = ",";
                ++i;
            } else {
                while (i < to && !IsWord(t[i], "JOIN")) {
                    op += UpperAscii(t[i].text) + " ";
                    i = Next(t, i + 1);
                }
                op += "JOIN";
                ++i;
            }
            ops.push_back(op);
        } else if (IsWord(t[i], "ON")) {
            size_t end = i + 1;
            int depth = 0;
            for (; end < to; ++end) {
                if (IsPunct(t[end], "(")) {
                    ++depth;
                } else if (IsPunct(t[end], ")")) {
                    --depth;
                } else if (depth == 0 && (IsWord(t[end], "ON") ||
                                          (StartsJoin(t[end]) && !IsPunct(t[end], ",")))) {
                    break;
                }
            }
            // Conditions may hold subqueries.
            Tokens cond(t.begin() + static_cast<long>(i) + 1, t.begin() + static_cast<long>(end));
            if (!reduce(Trimmed(RewriteStatement(cond)))) {
                return Text(t, from, to);
            }
            i = end;
        } else {
            // A table (with its alias) or a parenthesised group.
            std::string text;
            if (IsPunct(t[i], "(")) {
                const size_t close = std::min(Matching(t, i), to);
                const size_t inner = Next(t, i + 1);
                if (inner < close && IsWord(t[inner], "SELECT")) {
                    Tokens sub(t.begin() + static_cast<long>(i) + 1,
                               t.begin() + static_cast<long>(close));
                    text = "(" + RewriteStatement(sub) + ")";
                } else {
                    text = "(" + RewriteJoins(t, i + 1, close) + ")";
                }
                i = close + 1;
            }
            while (i < to && !StartsJoin(t[i]) && !IsWord(t[i], "ON")) {
                text += t[i].text;
                ++i;
            }
            operands.push_back({Trimmed(text), false});
        }
        i = Next(t, i);
    }
    while (!ops.empty()) {
        if (!reduce({})) {
            break;
        }
    }
    if (operands.size() != 1) {
        return Text(t, from, to);
    }
    return operands.front().text;
}

// Applies the join rewrite to every FROM clause of a statement, nested ones included.
std::string RewriteStatement(const Tokens& t)
{
    std::string out;
    for (size_t i = 0; i < t.size(); ++i) {
        if (!IsWord(t[i], "FROM")) {
            out += t[i].text;
            continue;
        }
        // The FROM of DELETE FROM has no joins but passes through unchanged all the same.
        size_t end = i + 1;
        int depth = 0;
        for (; end < t.size(); ++end) {
            if (IsPunct(t[end], "(")) {
                ++depth;
            } else if (IsPunct(t[end], ")")) {
                if (depth-- == 0) {
                    break;
                }
            } else if (depth == 0 && EndsFrom(t[end])) {
                break;
            }
        }
        bool hasJoin = false;
        for (size_t k = i + 1; k < end; ++k) {
            hasJoin = hasJoin || IsWord(t[k], "JOIN") || IsWord(t[k], "SELECT");
        }
        out += t[i].text;
        if (hasJoin) {
            out += " " + RewriteJoins(t, i + 1, end) + " ";
        } else {
            out += Text(t, i + 1, end);
        }
        i = end - 1;
    }
    return out;
}

} // namespace

namespace detail {
std::optional<std::string> DateLiteralIso(std::string_view inner)
{
    return DateLiteral(inner);
}
} // namespace detail

std::string TranslateSql(std::string_view accessSql)
{
    return TranslateSql(accessSql, {});
}

std::string TranslateSql(std::string_view accessSql, const std::vector<Parameter>& parameters)
{
    Tokens tokens;
    for (Token& t : Tokenize(accessSql)) {
        const Parameter* parameter = nullptr;
        for (const Parameter& p : parameters) {
            if (t.kind == Kind::Quoted && UpperAscii(p.name) == UpperAscii(t.name)) {
                parameter = &p;
            }
        }
        if (parameter == nullptr) {
            tokens.push_back(std::move(t));
            continue;
        }
        for (Token& a : Tokenize(parameter->argument)) {
            tokens.push_back(std::move(a));
        }
    }
    // Each statement of a script on its own.
    std::string out;
    size_t start = 0;
    int depth = 0;
    for (size_t i = 0; i <= tokens.size(); ++i) {
        if (i < tokens.size()) {
            if (IsPunct(tokens[i], "(")) {
                ++depth;
            } else if (IsPunct(tokens[i], ")")) {
                --depth;
            }
            if (depth != 0 || !IsPunct(tokens[i], ";")) {
                continue;
            }
        }
        Tokens statement = Substitute(Tokens(tokens.begin() + static_cast<long>(start),
                                             tokens.begin() + static_cast<long>(i)));
        DropDeleteStar(statement);
        RewriteTop(statement);
        RewriteSelectInto(statement);
        RewriteCreateTable(statement);
        out += RewriteStatement(statement);
        if (i < tokens.size()) {
            out += ";";
        }
        start = i + 1;
    }
    return out;
}

} // namespace ado
