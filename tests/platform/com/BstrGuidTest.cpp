#include "platform/com/Atl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <map>
#include <string>

namespace {

// A separately compiled client finds the runtime's functions by their plain names.
TEST(Runtime, TheCInterfaceHasUnmangledNames)
{
    for (const char* name :
         {"SysAllocString", "VariantClear", "SafeArrayCreate", "CoCreateInstance",
          "CoGetClassObject", "CoPumpMessages", "RegOpenKeyEx"})
        EXPECT_NE(::dlsym(RTLD_DEFAULT, name), nullptr) << name;
}

TEST(Bstr, LengthsCountCharactersAndBytesWithEmbeddedZeros)
{
    struct Case
    {
        std::u16string text;
    };
    const Case cases[] = {{u""},
                          {u"a"},
                          {u"Topic"},
                          {std::u16string(u"a\0b", 3)},
                          {std::u16string(u"\0\0", 2)},
                          {u"\U0001F600 é"}};
    for (const Case& c : cases) {
        BSTR b = SysAllocStringLen(c.text.data(), static_cast<UINT>(c.text.size()));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(SysStringLen(b), c.text.size());
        EXPECT_EQ(SysStringByteLen(b), c.text.size() * 2);
        EXPECT_EQ(com::bstrView(b), c.text);
        EXPECT_EQ(b[c.text.size()], u'\0'); // terminated after the length
        SysFreeString(b);
    }
    // SysAllocString stops at the first zero.
    BSTR cut = SysAllocString(u"ab\0cd");
    EXPECT_EQ(SysStringLen(cut), 2u);
    SysFreeString(cut);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(Bstr, ByteLengthStringsKeepOddLengthsAndAreTerminated)
{
    BSTR b = SysAllocStringByteLen("abc", 3);
    EXPECT_EQ(SysStringByteLen(b), 3u);
    EXPECT_EQ(SysStringLen(b), 1u);
    EXPECT_EQ(std::memcmp(b, "abc\0\0", 5), 0);
    SysFreeString(b);
    // Uninitialised content is still zero-terminated.
    BSTR blank = SysAllocStringLen(nullptr, 4);
    EXPECT_EQ(SysStringLen(blank), 4u);
    EXPECT_EQ(blank[4], u'\0');
    SysFreeString(blank);
}

TEST(Bstr, Utf8ConversionsRoundTripAndReplaceBadInput)
{
    const std::string texts[] = {"", "plain", "é à ç", "€", "\xF0\x9F\x98\x80 smile"};
    for (const std::string& t : texts)
        EXPECT_EQ(com::utf8FromUtf16(com::utf16FromUtf8(t)), t);
    EXPECT_EQ(com::utf16FromUtf8("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(com::utf16FromUtf8("a\xFF"
                                 "b"),
              u"a\uFFFDb");
    EXPECT_EQ(com::utf16FromUtf8("\xC3"), u"\uFFFD");           // truncated sequence
    EXPECT_EQ(com::utf16FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD"); // overlong form
    EXPECT_EQ(com::utf8FromUtf16(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(ComBstr, OrdersAsWideCompareWithNullFirst)
{
    CComBSTR null;
    CComBSTR empty(u"");
    CComBSTR upper(u"TOPIC");
    CComBSTR lower(u"topic");
    CComBSTR high(u"\u00E9"); // above every ASCII character as an unsigned value
    EXPECT_TRUE(null < empty);
    EXPECT_FALSE(null == empty);
    EXPECT_TRUE(null == CComBSTR());
    EXPECT_TRUE(empty < upper);
    EXPECT_TRUE(upper < lower);
    EXPECT_TRUE(lower < high);
    EXPECT_FALSE(high < lower);

    std::map<CComBSTR, long> index;
    index[CComBSTR(u"B")] = 2;
    index[CComBSTR()] = 0;
    index[CComBSTR(u"A")] = 1;
    index[CComBSTR(u"A")] = 3;
    ASSERT_EQ(index.size(), 3u);
    EXPECT_EQ(index.begin()->first.m_str, nullptr);
    EXPECT_EQ(index[CComBSTR(u"A")], 3);
}

TEST(ComBstr, CopiesAppendsAndChangesCase)
{
    CComBSTR a("Vardex é");
    EXPECT_EQ(a.Length(), 8u);
    CComBSTR b = a;
    EXPECT_NE(a.m_str, b.m_str);
    EXPECT_TRUE(a == b);
    b.Append(u" 8.0");
    EXPECT_EQ(b.toUtf8(), "Vardex é 8.0");
    b.ToUpper();
    EXPECT_EQ(b.toUtf8(), "VARDEX É 8.0");
    b.ToLower();
    EXPECT_EQ(b.toUtf8(), "vardex é 8.0");

    CComBSTR withZero(3, u"a\0b");
    CComBSTR copy(withZero);
    EXPECT_EQ(copy.Length(), 3u);
    BSTR out = nullptr;
    EXPECT_EQ(CComBSTR().CopyTo(&out), S_OK);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(copy.CopyTo(nullptr), E_POINTER);
}

TEST(Guid, TextFormRoundTrips)
{
    const GUID guids[] = {
        GUID_NULL,
        {0x76FD9938, 0xC9E8, 0x11D3, {0x9B, 0xEE, 0x00, 0x90, 0x27, 0x43, 0xCC, 0x7A}},
        {0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        IID_IDispatch,
    };
    for (const GUID& g : guids) {
        OLECHAR text[39];
        ASSERT_EQ(StringFromGUID2(g, text, 39), 39);
        EXPECT_EQ(com::utf8FromUtf16(text), com::guidToString(g));
        CLSID back{};
        EXPECT_EQ(CLSIDFromString(text, &back), NOERROR);
        EXPECT_EQ(back, g);
        IID iid{};
        EXPECT_EQ(IIDFromString(text, &iid), S_OK);
        EXPECT_EQ(iid, g);
    }
    EXPECT_EQ(com::guidToString(IID_IDispatch), "{00020400-0000-0000-C000-000000000046}");

    LPOLESTR allocated = nullptr;
    ASSERT_EQ(StringFromCLSID(CLSID_StdGlobalInterfaceTable, &allocated), S_OK);
    EXPECT_EQ(com::utf8FromUtf16(allocated), "{00000323-0000-0000-C000-000000000046}");
    CoTaskMemFree(allocated);

    // Lower-case digits are read too.
    CLSID lower{};
    EXPECT_EQ(CLSIDFromString(u"{76fd9938-c9e8-11d3-9bee-00902743cc7a}", &lower), NOERROR);
    EXPECT_EQ(lower, guids[1]);
}

TEST(Guid, MalformedTextIsRefused)
{
    const char16_t* const texts[] = {
        u"",
        u"76FD9938-C9E8-11D3-9BEE-00902743CC7A",    // no braces
        u"{76FD9938-C9E8-11D3-9BEE-00902743CC7A",   // no closing brace
        u"{76FD9938-C9E8-11D3-9BEE-00902743CC7A}x", // trailing text
        u"{76FD9938C9E8-11D3-9BEE-00902743CC7A-}",  // dash misplaced
        u"{76FD9938-C9E8-11D3-9BEE-00902743CC7G}",  // not a hex digit
        u"{76FD9938-C9E8-11D3-9BEE-00902743CC\u00E9A}",
    };
    for (const char16_t* t : texts) {
        CLSID clsid = IID_IDispatch;
        EXPECT_EQ(CLSIDFromString(t, &clsid), CO_E_CLASSSTRING);
        EXPECT_EQ(clsid, CLSID_NULL);
        IID iid{};
        EXPECT_EQ(IIDFromString(t, &iid), E_INVALIDARG);
    }
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromString(nullptr, &clsid), CO_E_CLASSSTRING);
    OLECHAR small[38];
    EXPECT_EQ(StringFromGUID2(GUID_NULL, small, 38), 0);
}

TEST(Guid, ResultCodesCompose)
{
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x2A37), com::hr(0x80042A37));
    EXPECT_EQ(HRESULT_FROM_WIN32(5), E_ACCESSDENIED);
    EXPECT_EQ(HRESULT_FROM_WIN32(0), S_OK);
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
    EXPECT_TRUE(FAILED(E_POINTER));
}

} // namespace
