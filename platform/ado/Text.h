#pragma once
// How the database layer compares texts: without regard to case (accented
// letters included: "É" equals "é"), in French order for sorting (letters with
// accents next to their base letter: e < é < f), and the pattern matching of
// LIKE and Find.

#include <string>
#include <string_view>

namespace ado {

// -1, 0 or 1. Equal texts differ at most in letter case.
int CompareText(std::string_view a, std::string_view b);

// LIKE: "*" and "%" stand for any run of characters, "?" and "_" for one,
// "[a-c]" for one of a class ("[!a-c]" for one outside it); letter case is
// ignored. `escape` (when not 0) makes the next character literal.
bool LikeMatch(std::string_view pattern, std::string_view text, char32_t escape = 0);

// The text as a LIKE pattern that matches it alone: each wildcard character
// ("*", "?", "#", "[", "%", "_") stands in brackets. Typed text goes through it
// before it joins a pattern.
std::string LikeLiteral(std::string_view text);

// The text as it stands between the quotes of an SQL or Find literal: each "'" doubled.
std::string DoubledQuotes(std::string_view text);

// A LIKE pattern prepared once for matching many texts.
class LikePattern
{
public:
    explicit LikePattern(std::string_view pattern, char32_t escape = 0);
    bool Matches(std::string_view text) const
    {
        if (!ascii_) {
            return MatchesCharacters(text);
        }
        // Most texts differ from the pattern in its first letters: compare those at once.
        if (text.size() < literal_) {
            return false;
        }
        for (size_t i = 0; i < literal_; ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            c = c >= 'A' && c <= 'Z' ? c + 32 : c;
            if (c != static_cast<unsigned char>(bytes_[i])) {
                return false;
            }
        }
        if (literal_ == bytes_.size()) {
            return text.size() == literal_;
        }
        return finalRun_ || MatchesBytes(text);
    }

private:
    bool MatchesBytes(std::string_view text) const;
    bool MatchesCharacters(std::string_view text) const;
    // The length of the pattern item at pi when it matches the character; 0 when not.
    size_t Step(size_t pi, char32_t c) const;

    std::u32string pattern_;
    char32_t escape_;
    // A pattern of ASCII characters only (the usual case) is matched on the text's bytes,
    // in lower case, without decoding the text.
    bool ascii_ = false;
    std::string bytes_;
    size_t literal_ = 0;    // the pattern's first bytes before any wildcard
    bool finalRun_ = false; // after them, only run wildcards (a prefix: "DU*")
};

} // namespace ado
