#include "vardex/support/satlconv.h"
#include "vardex/support/scodepage.h"
#include "vardex/support/sstring.h"

#include "AssertRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

std::string Text(const SString& s)
{
    return std::string(s.GetString(), s.GetLength());
}

std::u16string Text(const SStringW& s)
{
    return std::u16string(s.GetString(), s.GetLength());
}

// "é" (C3 A9), "€" (E2 82 AC) and U+1F600 (F0 9F 98 80) as character values, low byte first.
constexpr SCharValue kEAcute = 0xA9C3;
constexpr SCharValue kEuro = 0xAC82E2;
constexpr SCharValue kGrin = 0x80989FF0;

TEST(SString, EmptyAndNullShareTheStaticEmptyBuffer)
{
    SString fromEmpty("");
    SString fromNull(static_cast<const char*>(nullptr));
    SString byDefault;
    SString counted("abc", 0);
    for (const SString* s : {&fromEmpty, &fromNull, &byDefault, &counted}) {
        EXPECT_EQ(s->GetLength(), 0);
        EXPECT_EQ(s->GetString(), byDefault.GetString());
        EXPECT_EQ(*s->GetString(), '\0');
        EXPECT_EQ(s->GetRefCount(), -1);
    }
    {
        std::vector<SString> copies(10, fromEmpty);
        SString assigned = "x";
        assigned = fromNull;
        EXPECT_EQ(assigned.GetString(), byDefault.GetString());
    }
    EXPECT_EQ(byDefault.GetRefCount(), -1);
    SString cleared("text");
    cleared.Empty();
    EXPECT_EQ(cleared.GetString(), byDefault.GetString());
    cleared = "";
    EXPECT_EQ(cleared.GetRefCount(), -1);
}

TEST(SString, CopyOnWrite)
{
    SString a("a");
    SString b = a;
    EXPECT_EQ(a.GetString(), b.GetString());
    EXPECT_EQ(a.GetRefCount(), 2);
    b.Append("b");
    EXPECT_EQ(Text(a), "a");
    EXPECT_EQ(Text(b), "ab");
    EXPECT_EQ(a.GetRefCount(), 1);
    EXPECT_EQ(b.GetRefCount(), 1);

    // Every writer unshares first.
    SString c = b;
    c.ReplaceChar(0, 'x');
    SString d = b;
    d.TrimRight(); // nothing to trim: keeps sharing
    EXPECT_EQ(d.GetString(), b.GetString());
    EXPECT_EQ(Text(b), "ab");
    EXPECT_EQ(Text(c), "xb");
}

TEST(SString, ConstructionAndAssignment)
{
    AssertRecorder asserts;
    const char text[] = "hello world";
    EXPECT_EQ(Text(SString(text, 5)), "hello");
    EXPECT_EQ(Text(SString(text + 6, text + 11)), "world");
    EXPECT_EQ(Text(SString(std::string("a\0b", 3).c_str(), 3)), std::string("a\0b", 3));
    EXPECT_EQ(Text(SString::FromChar('z')), "z");
    EXPECT_EQ(Text(SString::FromChar(kEAcute)), "\xC3\xA9");
    EXPECT_EQ(Text(SString::FromChar(kGrin)), "\xF0\x9F\x98\x80");
    EXPECT_TRUE(asserts.Reports().empty());

    SString fromNullCount(nullptr, 4);
    EXPECT_EQ(fromNullCount.GetLength(), 0);
    ASSERT_EQ(asserts.Reports().size(), 1u);
    EXPECT_EQ(asserts.Reports()[0].expression, "r!=0 || nNativeChars==0");
    EXPECT_EQ(asserts.Reports()[0].file, "sstringimpl");

    SString s("abcdef");
    const char* own = s.GetString();
    s = own; // its own character area: nothing happens
    EXPECT_EQ(s.GetString(), own);
    s = s.GetString() + 2; // a part of its own text
    EXPECT_EQ(Text(s), "cdef");
    SString shared = s;
    shared = shared.GetString() + 1;
    EXPECT_EQ(Text(shared), "def");
    EXPECT_EQ(Text(s), "cdef");
}

TEST(SString, AppendingKeepsTextWhateverTheSource)
{
    SString s("ab");
    s.Append(s); // itself
    EXPECT_EQ(Text(s), "abab");
    std::string model = "abab";
    for (int i = 0; i < 60; ++i) {
        // From its own buffer while the buffer is reallocated under it.
        s.Append(s.GetString() + i, 3);
        model += model.substr(i, 3);
    }
    EXPECT_EQ(Text(s), model);
    s.Append("", 0).Append(static_cast<const char*>(nullptr));
    EXPECT_EQ(s.GetLength(), int32_t(model.size()));

    SString n;
    n.AppendNumber(int32_t(-42)).AppendChar(' ').AppendNumber(uint32_t(4294967295u));
    n.AppendChar(kEuro);
    EXPECT_EQ(Text(n), "-42 4294967295\xE2\x82\xAC");
    SString copy = n;
    copy += SString("!");
    copy += "?";
    EXPECT_EQ(Text(copy), "-42 4294967295\xE2\x82\xAC!?");
    EXPECT_EQ(Text(n), "-42 4294967295\xE2\x82\xAC");

    // A long run of small appends.
    SString big;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        big.AppendNumber(int32_t(i));
        expected += std::to_string(i);
    }
    EXPECT_EQ(Text(big), expected);
}

TEST(SString, CharacterPositions)
{
    const SString s("h\xC3\xA9l\xE2\x82\xACo"); // h é l € o
    struct Case
    {
        int32_t n;
        const char* left;
        const char* right;
    };
    for (const Case& c : {Case{0, "", ""}, Case{1, "h", "o"}, Case{2, "h\xC3\xA9", "\xE2\x82\xACo"},
                          Case{4, "h\xC3\xA9l\xE2\x82\xAC", "\xC3\xA9l\xE2\x82\xACo"},
                          Case{5, "h\xC3\xA9l\xE2\x82\xACo", "h\xC3\xA9l\xE2\x82\xACo"},
                          Case{9, "h\xC3\xA9l\xE2\x82\xACo", "h\xC3\xA9l\xE2\x82\xACo"},
                          Case{-1, "", ""}, Case{INT32_MIN, "", ""}}) {
        EXPECT_EQ(Text(s.Left(c.n)), c.left) << c.n;
        EXPECT_EQ(Text(s.Right(c.n)), c.right) << c.n;
    }
    EXPECT_EQ(s.Right(5).GetString(), s.GetString()) << "the whole string is shared";
    EXPECT_EQ(Text(SString("abc").Right(5)), "abc");

    const std::vector<SCharValue> values = {'h', kEAcute, 'l', kEuro, 'o', 0, 0};
    for (int32_t i = 0; i < int32_t(values.size()); ++i)
        EXPECT_EQ(s.GetAt(i), values[i]) << i;
    EXPECT_EQ(SMbcs::CharCount(s.GetString()), 5);
    EXPECT_EQ(Text(s.Prefix(3)), "h\xC3\xA9");
    EXPECT_EQ(Text(s.Prefix(0)), "");
    EXPECT_EQ(Text(s.Prefix(99)), Text(s));

    // Search walks characters, so a byte run inside a character is not found.
    EXPECT_EQ(s.Find("l\xE2\x82\xAC"), 3);
    EXPECT_EQ(s.Find("\x82\xAC"), s.GetLength());
    EXPECT_EQ(s.Find("zz"), s.GetLength());
    EXPECT_EQ(s.Find(""), 0);
    EXPECT_EQ(s.FindChar(kEuro), 4);
    EXPECT_EQ(s.FindChar(0x82), s.GetLength());
    EXPECT_EQ(s.FindChar('q'), s.GetLength());

    // A cut sequence counts as the bytes it has; the walk never passes the zero.
    const SString broken("a\xE2\x82");
    EXPECT_EQ(SMbcs::CharCount(broken.GetString()), 2);
    EXPECT_EQ(broken.GetAt(1), 0x82E2u);
    EXPECT_EQ(broken.GetAt(2), 0u);
}

TEST(SString, ReplaceChar)
{
    AssertRecorder asserts;
    struct Case
    {
        const char* text;
        int32_t position;
        SCharValue value;
        const char* expected;
    };
    for (const Case& c : {
             Case{"abc", 1, kEAcute,
                  "a\xC3\xA9"
                  "c"}, // single by double: one byte longer
             Case{"a\xC3\xA9"
                  "c",
                  1, 'b', "abc"}, // double by single
             Case{"a\xC3\xA9"
                  "c",
                  1, kGrin,
                  "a\xF0\x9F\x98\x80"
                  "c"},
             Case{"abc", 2, kEuro, "ab\xE2\x82\xAC"}, // last character
             Case{"abc", 3, 'd', "abcd"},             // at the end
             Case{"abc", 0, 0, "bc"},                 // by nothing
         }) {
        SString s(c.text);
        SString original = s;
        s.ReplaceChar(c.position, c.value);
        EXPECT_EQ(Text(s), c.expected) << c.text << " @" << c.position;
        EXPECT_EQ(Text(original), c.text) << "copy on write";
    }
    EXPECT_TRUE(asserts.Reports().empty());

    SString same("abc");
    SString sharer = same;
    same.ReplaceChar(1, 'b'); // already that character: nothing, still shared
    EXPECT_EQ(same.GetString(), sharer.GetString());

    for (int32_t position : {4, -1}) {
        asserts.Clear();
        SString s("abc");
        s.ReplaceChar(position, 'x');
        EXPECT_EQ(Text(s), "abc");
        EXPECT_EQ(asserts.Expressions(), std::vector<std::string>{"nBytesToMove >= 0"});
    }
}

TEST(SString, Trim)
{
    struct Case
    {
        const char* text;
        const char* left;
        const char* right;
    };
    for (const Case& c : {Case{"   ", "", ""}, Case{"ab  ", "ab  ", "ab"},
                          Case{"  ab", "ab", "  ab"}, Case{"\t\n a b \r\n", "a b \r\n", "\t\n a b"},
                          Case{"", "", ""}, Case{" \xC3\xA9 ", "\xC3\xA9 ", " \xC3\xA9"}}) {
        SString left(c.text), right(c.text);
        left.TrimLeft();
        right.TrimRight();
        EXPECT_EQ(Text(left), c.left) << '"' << c.text << '"';
        EXPECT_EQ(Text(right), c.right) << '"' << c.text << '"';
    }
    SString spaces("   ");
    spaces.TrimLeft();
    EXPECT_EQ(spaces.GetRefCount(), -1);

    SString clean("ab");
    SString sharer = clean;
    clean.TrimLeft();
    clean.TrimRight();
    EXPECT_EQ(clean.GetString(), sharer.GetString());
}

TEST(SString, EqualityAndOrdering)
{
    EXPECT_TRUE(SString("abc") == SString("abc"));
    EXPECT_FALSE(SString("abc") == SString("abd"));
    EXPECT_FALSE(SString("abc") == SString("ABC"));
    EXPECT_TRUE(SString() == static_cast<const char*>(nullptr));
    EXPECT_TRUE(SString("x") == "x");

    EXPECT_TRUE(SStringBinary("B") < SStringBinary("a"));
    EXPECT_FALSE(SStringBinary("a") < SStringBinary("a"));

    auto equivalent = [](const char* a, const char* b) {
        SStringCaseInsensitive x(a), y(b);
        return !(x < y) && !(y < x);
    };
    EXPECT_TRUE(equivalent("B.CPP", "b.cpp"));
    EXPECT_TRUE(equivalent("\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89")); // Été / éTÉ
    EXPECT_FALSE(equivalent("a.cpp", "c.cpp"));
    EXPECT_TRUE(SStringCaseInsensitive("A") < SStringCaseInsensitive("b"));
    EXPECT_LT(SStringCompareNoCase("a", "B"), 0);
}

TEST(SStringConv, NumbersAndText)
{
    EXPECT_EQ(Text(SStringConv::ToString(int32_t(-2147483647 - 1))), "-2147483648");
    EXPECT_EQ(Text(SStringConv::ToString(int32_t(0))), "0");
    EXPECT_EQ(Text(SStringConv::ToString(uint32_t(4294967295u))), "4294967295");

    struct Case
    {
        const char* text;
        bool ok;
        int32_t value;
    };
    for (const Case& c :
         {Case{"12", true, 12}, Case{"-34", true, -34}, Case{"  +7", true, 7},
          Case{"12a", false, 12}, Case{"", false, 0}, Case{"12 ", false, 12},
          Case{"-2147483648", true, INT32_MIN}, Case{"2147483648", false, INT32_MAX},
          Case{"-99999999999", false, INT32_MIN}}) {
        int32_t value = -1;
        EXPECT_EQ(SStringConv::ToLong(c.text, value), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    struct UCase
    {
        const char* text;
        bool ok;
        uint32_t value;
    };
    for (const UCase& c :
         {UCase{"4294967295", true, 4294967295u}, UCase{"-1", true, 4294967295u},
          UCase{"4294967296", false, 4294967295u}, UCase{"x", false, 0}, UCase{" 15", true, 15}}) {
        uint32_t value = 1;
        EXPECT_EQ(SStringConv::ToULong(c.text, value), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    int32_t untouched = 5;
    EXPECT_FALSE(SStringConv::ToLong(nullptr, untouched));
}

TEST(SStringW, ConversionsWithTheAnsiCodePage)
{
    AssertRecorder asserts;
    const char* ansi = "h\xC3\xA9l\xE2\x82\xAC\xF0\x9F\x98\x80";
    SStringW wide(ansi);
    EXPECT_EQ(Text(wide), u"hél€\U0001F600");
    EXPECT_EQ(wide.GetLength(), 6); // the last character is a surrogate pair
    EXPECT_EQ(Text(SString(wide.GetString())), ansi);
    EXPECT_EQ(Text(SW2A(wide.GetString())), ansi);

    // Undecodable bytes and lone surrogates become U+FFFD.
    EXPECT_EQ(Text(SStringW("a\xFF"
                            "b")),
              u"a\uFFFDb");
    const char16_t lone[] = {u'x', 0xD800, u'y', 0};
    EXPECT_EQ(Text(SString(lone)), "x\xEF\xBF\xBDy");

    // Null leaves the string as it was and succeeds.
    SStringW keep(u"keep");
    EXPECT_TRUE(keep.AssignAnsi(nullptr));
    EXPECT_EQ(Text(keep), u"keep");
    SString keepA("keep");
    EXPECT_TRUE(keepA.AssignWide(nullptr));
    EXPECT_EQ(Text(keepA), "keep");
    EXPECT_EQ(SString(static_cast<const char16_t*>(nullptr)).GetRefCount(), -1);
    EXPECT_EQ(SStringW(u"").GetRefCount(), -1);
    EXPECT_EQ(SW2A(nullptr).GetLength(), 0);
    EXPECT_TRUE(asserts.Reports().empty());
}

TEST(SStringW, OtherCodePagesAndFailures)
{
    AssertRecorder asserts;
    SStringW w;
    EXPECT_TRUE(w.AssignAnsi("\xE9\x80", 1252));
    EXPECT_EQ(Text(w), u"é€");
    SString a;
    EXPECT_TRUE(a.AssignWide(u"é€ł", 1252)); // ł is not in the code page
    EXPECT_EQ(Text(a), "\xE9\x80?");
    EXPECT_TRUE(a.AssignWide(u"\u00e9", 28591));
    EXPECT_EQ(Text(a), "\xE9");
    EXPECT_TRUE(asserts.Reports().empty());

    // An unknown code page: reported, false, and the string keeps its text.
    SString kept("kept");
    EXPECT_FALSE(kept.AssignWide(u"x", 12345));
    EXPECT_EQ(Text(kept), "kept");
    SStringW keptW(u"kept");
    EXPECT_FALSE(keptW.AssignAnsi("x", 12345));
    EXPECT_EQ(Text(keptW), u"kept");
    const auto reports = asserts.Reports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].expression, "success");
    EXPECT_EQ(reports[0].information, "Error converting Unicode string to ANSI");
    EXPECT_EQ(reports[0].file, "sstring");
    EXPECT_EQ(reports[1].information, "Error converting ANSI string to Unicode");
}

TEST(SCodePage, ZeroTerminatedLength)
{
    char16_t wide[8] = {};
    EXPECT_EQ(SMultiByteToWide(1252, "\xE9t\xE9", -1, wide, 8), 4) << "the zero is converted too";
    EXPECT_EQ(std::u16string(wide, 4), std::u16string(u"\u00e9t\u00e9", 4));
    EXPECT_EQ(SMultiByteToWide(65001, "ab", -1, nullptr, 0), 3);
    char narrow[8] = {};
    EXPECT_EQ(SWideToMultiByte(1252, u"\u00e9", -1, narrow, 8), 2);
    EXPECT_EQ(std::string(narrow, 2), std::string("\xE9", 2));
    EXPECT_EQ(SMultiByteToWide(1252, "x", -2, wide, 8), -1) << "other negative lengths are refused";
    EXPECT_EQ(SWideToMultiByte(65001, u"x", -5, narrow, 8), -1);

    EXPECT_EQ(MultiByteToWideChar(65001, 0, "ab", -1, nullptr, 0), 3) << "measuring";
    EXPECT_EQ(MultiByteToWideChar(65001, 0, "abc", -1, wide, 2), 0) << "too small";
    EXPECT_EQ(WideCharToMultiByte(1252, 0, u"\u00e9", -1, narrow, 8, nullptr, nullptr), 2);
}

TEST(SStringCompareNoCase, LongTextsCompareWhole)
{
    const std::string a = std::string(300, 'a') + "X", b = std::string(300, 'A') + "x";
    EXPECT_EQ(SStringCompareNoCase(a.c_str(), b.c_str()), 0);
    EXPECT_LT(SStringCompareNoCase(a.c_str(), (b + "y").c_str()), 0);
}

TEST(SStringW, LongTextsConvertWhole)
{
    // Each unit takes three bytes: a room sized as for two bytes per unit would overflow.
    std::u16string euros(100000, u'€');
    SString a = SW2A(euros.c_str());
    ASSERT_EQ(a.GetLength(), 300000);
    EXPECT_EQ(SMbcs::CharCount(a.GetString()), 100000);
    EXPECT_EQ(Text(SStringW(a.GetString())), euros);
}

TEST(SAtlConv, InnerStepChecksItsPointers)
{
    AssertRecorder asserts;
    char room[4];
    EXPECT_EQ(SAtlW2AHelper(nullptr, u"x", 4, -1), nullptr);
    EXPECT_EQ(SAtlW2AHelper(room, nullptr, 4, -1), nullptr);
    EXPECT_EQ(asserts.Expressions(), (std::vector<std::string>{"lpa != 0", "lpw != 0"}));
    EXPECT_EQ(asserts.Reports()[0].file, "satlconv");
    EXPECT_EQ(SAtlW2AHelper(room, u"€€", 4, -1), nullptr) << "does not fit";
    EXPECT_EQ(SAtlW2AHelper(room, u"€", 4, -1), room);
    EXPECT_STREQ(room, "\xE2\x82\xAC");
}

TEST(SString, CopiesSharedBetweenThreads)
{
    const SString shared("shared text");
    std::vector<std::thread> threads;
    std::vector<std::string> results(8);
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&shared, &results, t] {
            SString last;
            for (int i = 0; i < 2000; ++i) {
                SString copy = shared;         // share
                SString second = copy;         // share again
                copy.AppendNumber(int32_t(t)); // unshare
                second.ReplaceChar(0, 'S');
                last = copy;
            }
            results[t] = Text(last);
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(Text(shared), "shared text");
    EXPECT_EQ(shared.GetRefCount(), 1);
    for (int t = 0; t < 8; ++t)
        EXPECT_EQ(results[t], "shared text" + std::to_string(t));
}

} // namespace
