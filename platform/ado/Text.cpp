#include "platform/ado/Text.h"

#include "platform/vb/Utf8.h"

#include <algorithm>
#include <string>
#include <vector>

namespace ado {
namespace {

// Lower case of the Latin letters the program's texts hold (ASCII, Latin-1, Latin Extended-A).
char32_t Lower(char32_t c)
{
    if (c >= 'A' && c <= 'Z') {
        return c + 32;
    }
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
        return c + 32;
    }
    if (c == 0x178) {
        return 0xFF;
    }
    if (c >= 0x100 && c <= 0x17F) {
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddUpper ? (c % 2 == 1) : (c % 2 == 0 && c != 0x138)) {
            return c + 1;
        }
    }
    return c;
}

// The base letters of a lower-case character, without accent ("é" -> "e", "œ" -> "oe").
std::u32string_view Base(char32_t c)
{
    static const std::u32string_view latin1[32] = {
        U"a", U"a", U"a", U"a", U"a", U"a", U"ae", U"c", U"e",  U"e", U"e",
        U"e", U"i", U"i", U"i", U"i", U"d", U"n",  U"o", U"o",  U"o", U"o",
        U"o", U"",  U"o", U"u", U"u", U"u", U"u",  U"y", U"th", U"ss"};
    struct Range
    {
        char32_t first, last;
        std::u32string_view base;
    };
    static const Range extended[] = {
        {0x100, 0x105, U"a"}, {0x106, 0x10D, U"c"},  {0x10E, 0x111, U"d"}, {0x112, 0x11B, U"e"},
        {0x11C, 0x123, U"g"}, {0x124, 0x127, U"h"},  {0x128, 0x131, U"i"}, {0x132, 0x133, U"ij"},
        {0x134, 0x135, U"j"}, {0x136, 0x138, U"k"},  {0x139, 0x142, U"l"}, {0x143, 0x14B, U"n"},
        {0x14C, 0x151, U"o"}, {0x152, 0x153, U"oe"}, {0x154, 0x159, U"r"}, {0x15A, 0x161, U"s"},
        {0x162, 0x167, U"t"}, {0x168, 0x173, U"u"},  {0x174, 0x175, U"w"}, {0x176, 0x178, U"y"},
        {0x179, 0x17E, U"z"}, {0x17F, 0x17F, U"s"}};
    if (c >= 0xE0 && c <= 0xFF && c != 0xF7) {
        return c == 0xFF ? U"y" : latin1[c - 0xE0];
    }
    for (const Range& r : extended) {
        if (c >= r.first && c <= r.last) {
            return r.base;
        }
    }
    return {};
}

struct Folded
{
    std::u32string primary;   // base letters, lower case
    std::u32string secondary; // lower case, accents kept
};

Folded Fold(std::string_view text)
{
    Folded f;
    f.primary.reserve(text.size());
    f.secondary.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const char32_t c = Lower(vb::utf8::Next(text, pos));
        f.secondary += c;
        const std::u32string_view base = Base(c);
        if (base.empty()) {
            f.primary += c;
        } else {
            f.primary += base;
        }
    }
    return f;
}

std::u32string LowerText(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        out += Lower(vb::utf8::Next(text, pos));
    }
    return out;
}

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

} // namespace

int CompareText(std::string_view a, std::string_view b)
{
    // Texts of plain ASCII compare letter by letter in lower case, without folding.
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    for (; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) {
            break;
        }
        const int lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
        const int ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
        if (lx != ly) {
            return lx < ly ? -1 : 1;
        }
    }
    if (i == n) {
        return Sign(static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size()));
    }
    a.remove_prefix(i);
    b.remove_prefix(i);
    const Folded fa = Fold(a);
    const Folded fb = Fold(b);
    if (int c = Sign(fa.primary.compare(fb.primary))) {
        return c;
    }
    return Sign(fa.secondary.compare(fb.secondary));
}

bool LikeMatch(std::string_view pattern, std::string_view text, char32_t escape)
{
    return LikePattern(pattern, escape).Matches(text);
}

LikePattern::LikePattern(std::string_view pattern, char32_t escape)
    : pattern_(LowerText(pattern)), escape_(escape)
{
    // Character classes ("[a-c]") take the matching on characters.
    ascii_ = escape < 0x80 && std::all_of(pattern.begin(), pattern.end(), [](char c) {
                 return static_cast<unsigned char>(c) < 0x80 && c != '[';
             });
    if (ascii_) {
        bytes_.assign(pattern_.begin(), pattern_.end());
        const char e = static_cast<char>(escape);
        while (literal_ < bytes_.size() && bytes_[literal_] != '*' && bytes_[literal_] != '%' &&
               bytes_[literal_] != '?' && bytes_[literal_] != '_' &&
               (escape == 0 || bytes_[literal_] != e)) {
            ++literal_;
        }
        finalRun_ = literal_ < bytes_.size() &&
                    bytes_.find_first_not_of("*%", literal_) == std::string::npos;
    }
}

namespace {

unsigned char LowerAscii(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c + 32 : c;
}

// The byte after the character that starts at i (a UTF-8 sequence is one character).
size_t NextCharacter(std::string_view text, size_t i)
{
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) {
        ++i;
    }
    return i;
}

} // namespace

bool LikePattern::MatchesBytes(std::string_view t) const
{
    // The same matching as on characters below: a pattern character other than a wildcard
    // is ASCII, so it never equals a byte of a longer character, and each wildcard steps over
    // whole characters.
    // Matches touched the literal start.
    const std::string& p = bytes_;
    const char escape = static_cast<char>(escape_);
    size_t pi = literal_, ti = literal_;
    size_t starP = std::string::npos, starT = 0;
    while (ti < t.size()) {
        if (pi < p.size()) {
            const char pc = p[pi];
            if (pc == '*' || pc == '%') {
                while (pi < p.size() && (p[pi] == '*' || p[pi] == '%')) {
                    ++pi;
                }
                if (pi == p.size()) {
                    return true; // a final run wildcard takes the rest
                }
                starP = pi - 1;
                starT = ti;
                continue;
            }
            const auto tc = LowerAscii(static_cast<unsigned char>(t[ti]));
            if (escape_ != 0 && pc == escape && pi + 1 < p.size()) {
                if (static_cast<unsigned char>(p[pi + 1]) == tc) {
                    pi += 2;
                    ++ti;
                    continue;
                }
            } else if (pc == '?' || pc == '_') {
                ++pi;
                ti = NextCharacter(t, ti);
                continue;
            } else if (static_cast<unsigned char>(pc) == tc) {
                ++pi;
                ++ti;
                continue;
            }
        }
        if (starP == std::string::npos) {
            return false;
        }
        pi = starP + 1;
        starT = NextCharacter(t, starT);
        ti = starT;
    }
    while (pi < p.size() && (p[pi] == '*' || p[pi] == '%')) {
        ++pi;
    }
    return pi == p.size();
}

size_t LikePattern::Step(size_t pi, char32_t c) const
{
    const std::u32string& p = pattern_;
    const char32_t pc = p[pi];
    if (escape_ != 0 && pc == escape_ && pi + 1 < p.size()) {
        return p[pi + 1] == c ? 2 : 0;
    }
    if (pc == U'?' || pc == U'_') {
        return 1;
    }
    if (pc == U'[') {
        // A class: [abc], [a-z], [!abc]; its first member may be "]". "[*]" matches "*".
        size_t k = pi + 1;
        const bool negated = k < p.size() && p[k] == U'!';
        if (negated) {
            ++k;
        }
        const size_t first = k;
        const size_t close = p.find(U']', first + 1);
        if (first < p.size() && close != std::u32string::npos) {
            bool member = false;
            for (k = first; k < close; ++k) {
                if (k + 2 < close && p[k + 1] == U'-') {
                    member = member || (p[k] <= c && c <= p[k + 2]);
                    k += 2;
                } else {
                    member = member || p[k] == c;
                }
            }
            return member != negated ? close - pi + 1 : 0;
        }
    }
    return pc == c ? 1 : 0;
}

bool LikePattern::MatchesCharacters(std::string_view text) const
{
    const std::u32string& p = pattern_;
    const std::u32string t = LowerText(text);
    // Iterative matching with one backtrack point for the last run wildcard.
    size_t pi = 0, ti = 0;
    size_t starP = std::u32string::npos, starT = 0;
    while (ti < t.size()) {
        if (pi < p.size()) {
            if (p[pi] == U'*' || p[pi] == U'%') {
                starP = pi++;
                starT = ti;
                continue;
            }
            if (const size_t length = Step(pi, t[ti])) {
                pi += length;
                ++ti;
                continue;
            }
        }
        if (starP == std::u32string::npos) {
            return false;
        }
        pi = starP + 1;
        ti = ++starT;
    }
    while (pi < p.size() && (p[pi] == U'*' || p[pi] == U'%')) {
        ++pi;
    }
    return pi == p.size();
}

std::string LikeLiteral(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '*' || c == '?' || c == '#' || c == '[' || c == '%' || c == '_') {
            out += '[';
            out += c;
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

std::string DoubledQuotes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out;
}

} // namespace ado
