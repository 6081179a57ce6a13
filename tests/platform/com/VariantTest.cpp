#include "tests/platform/com/Counter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

CComVariant text(const char* t)
{
    return CComVariant(t);
}

CComVariant currency(LONGLONG scaled)
{
    return CComVariant(CY{scaled});
}

CComVariant date(double d)
{
    return CComVariant(d, VT_DATE);
}

std::string describe(const VARIANT& v)
{
    CComVariant copy(v);
    std::string s = "vt=" + std::to_string(v.vt);
    if (SUCCEEDED(VariantChangeType(&copy, &copy, VARIANT_ALPHABOOL, VT_BSTR)))
        s += " '" + com::utf8FromUtf16(com::bstrView(copy.bstrVal)) + "'";
    return s;
}

TEST(VariantChangeType, ConversionMatrix)
{
    struct Case
    {
        const char* what;
        CComVariant from;
        VARTYPE to;
        USHORT flags;
        HRESULT hr;
        CComVariant expected;
    };
    const Case cases[] = {
        {"I4 to I2 in range", CComVariant(LONG{-32768}), VT_I2, 0, S_OK,
         CComVariant(SHORT{-32768})},
        {"I4 to I2 overflow", CComVariant(LONG{70000}), VT_I2, 0, DISP_E_OVERFLOW, {}},
        {"I4 -1 to UI4", CComVariant(LONG{-1}), VT_UI4, 0, DISP_E_OVERFLOW, {}},
        {"I8 to I4 overflow", CComVariant(LONGLONG{1} << 40), VT_I4, 0, DISP_E_OVERFLOW, {}},
        {"I4 255 to UI1", CComVariant(LONG{255}), VT_UI1, 0, S_OK, CComVariant(BYTE{255})},
        {"I4 256 to UI1", CComVariant(LONG{256}), VT_UI1, 0, DISP_E_OVERFLOW, {}},
        {"R8 2.5 rounds to even", CComVariant(2.5), VT_I4, 0, S_OK, CComVariant(LONG{2})},
        {"R8 3.5 rounds to even", CComVariant(3.5), VT_I4, 0, S_OK, CComVariant(LONG{4})},
        {"R8 -2.5 rounds to even", CComVariant(-2.5), VT_I4, 0, S_OK, CComVariant(LONG{-2})},
        {"R8 1e10 to I4", CComVariant(1e10), VT_I4, 0, DISP_E_OVERFLOW, {}},
        {"R8 NaN to I4", CComVariant(std::nan("")), VT_I4, 0, DISP_E_OVERFLOW, {}},
        {"text with spaces to I4", text(" 42 "), VT_I4, 0, S_OK, CComVariant(LONG{42})},
        {"text 1e3 to I4", text("1e3"), VT_I4, 0, S_OK, CComVariant(LONG{1000})},
        {"huge text to I4", text("99999999999999999999"), VT_I4, 0, DISP_E_OVERFLOW, {}},
        {"bad text to I4", text("4x"), VT_I4, 0, DISP_E_TYPEMISMATCH, {}},
        {"empty text to I4", text(""), VT_I4, 0, DISP_E_TYPEMISMATCH, {}},
        {"text to R8", text("-1.5"), VT_R8, 0, S_OK, CComVariant(-1.5)},
        {"text True to BOOL", text("True"), VT_BOOL, 0, S_OK, CComVariant(true)},
        {"text false to BOOL", text("false"), VT_BOOL, 0, S_OK, CComVariant(false)},
        {"text 0 to BOOL", text("0"), VT_BOOL, 0, S_OK, CComVariant(false)},
        {"text True to I4", text("True"), VT_I4, 0, DISP_E_TYPEMISMATCH, {}},
        {"BOOL to text", CComVariant(true), VT_BSTR, 0, S_OK, text("-1")},
        {"BOOL to text, alpha", CComVariant(true), VT_BSTR, VARIANT_ALPHABOOL, S_OK, text("True")},
        {"BOOL false to text, alpha", CComVariant(false), VT_BSTR, VARIANT_ALPHABOOL, S_OK,
         text("False")},
        {"BOOL to I4", CComVariant(true), VT_I4, 0, S_OK, CComVariant(LONG{-1})},
        {"I4 5 to BOOL", CComVariant(LONG{5}), VT_BOOL, 0, S_OK, CComVariant(true)},
        {"R8 0 to BOOL", CComVariant(0.0), VT_BOOL, 0, S_OK, CComVariant(false)},
        {"I4 to text", CComVariant(LONG{-7}), VT_BSTR, 0, S_OK, text("-7")},
        {"UI4 to text", CComVariant(ULONG{4294967295u}), VT_BSTR, 0, S_OK, text("4294967295")},
        {"R8 1.5 to text", CComVariant(1.5), VT_BSTR, 0, S_OK, text("1.5")},
        {"R8 0.1 to text", CComVariant(0.1), VT_BSTR, 0, S_OK, text("0.1")},
        {"R4 0.1 to text", CComVariant(0.1f), VT_BSTR, 0, S_OK, text("0.1")},
        {"R8 1e20 to text", CComVariant(1e20), VT_BSTR, 0, S_OK, text("1E+20")},
        {"EMPTY to I4", CComVariant(), VT_I4, 0, S_OK, CComVariant(LONG{0})},
        {"EMPTY to text", CComVariant(), VT_BSTR, 0, S_OK, text("")},
        {"currency to text", currency(12345), VT_BSTR, 0, S_OK, text("1.2345")},
        {"negative currency to text", currency(-15000), VT_BSTR, 0, S_OK, text("-1.5")},
        {"currency 1.5 to I4", currency(15000), VT_I4, 0, S_OK, CComVariant(LONG{2})},
        {"currency 2.5 to I4", currency(25000), VT_I4, 0, S_OK, CComVariant(LONG{2})},
        {"R8 to currency", CComVariant(1.23456), VT_CY, 0, S_OK, currency(12346)},
        {"text to currency", text("2.5"), VT_CY, 0, S_OK, currency(25000)},
        {"error to I4", CComVariant(LONG{5}, VT_ERROR), VT_I4, 0, DISP_E_TYPEMISMATCH, {}},
        {"date 0 to text", date(0), VT_BSTR, 0, S_OK, text("1899-12-30")},
        {"date with time to text", date(36526.5), VT_BSTR, 0, S_OK, text("2000-01-01 12:00:00")},
        {"date NaN to text", date(std::nan("")), VT_BSTR, 0, DISP_E_OVERFLOW, {}},
        {"date past the calendar to text", date(1e300), VT_BSTR, 0, DISP_E_OVERFLOW, {}},
        {"text to date", text("2000-01-01"), VT_DATE, 0, S_OK, date(36526)},
        {"text to date, day past month end",
         text("2001-02-29"),
         VT_DATE,
         0,
         DISP_E_TYPEMISMATCH,
         {}},
        {"I4 to R8", CComVariant(LONG{3}), VT_R8, 0, S_OK, CComVariant(3.0)},
        {"text 1e300 to R4", text("1e300"), VT_R4, 0, DISP_E_OVERFLOW, {}},
    };
    for (const Case& c : cases) {
        CComVariant result;
        HRESULT hr = VariantChangeType(&result, &c.from, c.flags, c.to);
        EXPECT_EQ(hr, c.hr) << c.what;
        if (SUCCEEDED(c.hr) && SUCCEEDED(hr)) {
            EXPECT_TRUE(result == c.expected)
                << c.what << ": got " << describe(result) << ", expected " << describe(c.expected);
        }
        if (FAILED(hr)) {
            EXPECT_EQ(result.vt, VT_EMPTY) << c.what << ": destination left untouched";
        }
    }
}

// Unsigned 64-bit values past the signed range, from a real and back to text.
TEST(VariantChangeType, UnsignedAboveTheSignedRange)
{
    CComVariant result;
    const CComVariant from(1e19);
    ASSERT_EQ(VariantChangeType(&result, &from, 0, VT_UI8), S_OK);
    EXPECT_EQ(result.vt, VT_UI8);
    EXPECT_EQ(result.ullVal, 10000000000000000000ull);
    ASSERT_EQ(VariantChangeType(&result, &result, 0, VT_BSTR), S_OK);
    EXPECT_EQ(com::utf8FromUtf16(com::bstrView(result.bstrVal)), "10000000000000000000");
    EXPECT_EQ(VariantChangeType(&result, &from, 0, VT_I8), DISP_E_OVERFLOW);
}

TEST(VariantChangeType, NullConvertsOnlyToItself)
{
    VARIANT null;
    VariantInit(&null);
    null.vt = VT_NULL;
    CComVariant result;
    EXPECT_EQ(VariantChangeType(&result, &null, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantChangeType(&result, &null, 0, VT_BSTR), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantChangeType(&result, &null, 0, VT_NULL), S_OK);
    EXPECT_EQ(result.vt, VT_NULL);
}

TEST(VariantChangeType, InPlaceAndByReference)
{
    CComVariant v("12");
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 12);

    LONG number = 5;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &number;
    CComVariant out;
    ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_BSTR), S_OK);
    EXPECT_EQ(com::bstrView(out.bstrVal), u"5");
    EXPECT_EQ(VariantChangeType(&out, &ref, 0, VT_BYREF | VT_I4), DISP_E_TYPEMISMATCH);
}

class DispatchDefaultValue : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(CComObject<CCounter>::CreateInstance(&m_counter), S_OK);
        m_counter->AddRef();
        m_counter->m_value = 7;
    }
    void TearDown() override { m_counter->Release(); }
    CComObject<CCounter>* m_counter = nullptr;
};

TEST_F(DispatchDefaultValue, ObjectsConvertThroughTheirValueProperty)
{
    CComVariant object(static_cast<IDispatch*>(m_counter));
    CComVariant result;
    ASSERT_EQ(VariantChangeType(&result, &object, 0, VT_BSTR), S_OK);
    EXPECT_EQ(com::bstrView(result.bstrVal), u"7");
    ASSERT_EQ(VariantChangeType(&result, &object, 0, VT_R8), S_OK);
    EXPECT_EQ(result.dblVal, 7.0);
    EXPECT_EQ(VariantChangeType(&result, &object, VARIANT_NOVALUEPROP, VT_I4), DISP_E_TYPEMISMATCH);

    // To an interface type by QueryInterface, keeping the object.
    ASSERT_EQ(VariantChangeType(&result, &object, 0, VT_UNKNOWN), S_OK);
    EXPECT_EQ(result.punkVal, static_cast<IUnknown*>(static_cast<ICounter*>(m_counter)));
}

TEST_F(DispatchDefaultValue, CopyAndClearCountReferences)
{
    LONG before = m_counter->m_dwRef;
    {
        CComVariant object(static_cast<IDispatch*>(m_counter));
        CComVariant copy;
        ASSERT_EQ(VariantCopy(&copy, &object), S_OK);
        EXPECT_EQ(m_counter->m_dwRef, before + 2);
        ASSERT_EQ(VariantClear(&copy), S_OK);
        EXPECT_EQ(copy.vt, VT_EMPTY);
        EXPECT_EQ(m_counter->m_dwRef, before + 1);
    }
    EXPECT_EQ(m_counter->m_dwRef, before);
}

TEST(Variant, CopyIsDeepAndClearChecksTheType)
{
    VARIANT withZero;
    VariantInit(&withZero);
    withZero.vt = VT_BSTR;
    withZero.bstrVal = SysAllocStringLen(u"a\0b", 3);
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &withZero), S_OK);
    EXPECT_NE(copy.bstrVal, withZero.bstrVal);
    EXPECT_EQ(SysStringLen(copy.bstrVal), 3u);
    VariantClear(&copy);
    VariantClear(&withZero);

    VARIANT bad;
    VariantInit(&bad);
    bad.vt = 0x7F;
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantCopy(&copy, &bad), DISP_E_BADVARTYPE);

    // A locked array cannot be cleared away.
    VARIANT array;
    VariantInit(&array);
    array.vt = VT_ARRAY | VT_I4;
    array.parray = SafeArrayCreateVector(VT_I4, 0, 3);
    SafeArrayLock(array.parray);
    EXPECT_EQ(VariantClear(&array), DISP_E_ARRAYISLOCKED);
    SafeArrayUnlock(array.parray);
    EXPECT_EQ(VariantClear(&array), S_OK);
}

TEST(Variant, CopyIndTakesTheReferencedValue)
{
    BSTR text = SysAllocString(u"topic");
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_BSTR;
    ref.pbstrVal = &text;
    CComVariant copy;
    ASSERT_EQ(VariantCopyInd(&copy, &ref), S_OK);
    EXPECT_EQ(copy.vt, VT_BSTR);
    EXPECT_NE(copy.bstrVal, text);
    EXPECT_EQ(com::bstrView(copy.bstrVal), u"topic");
    SysFreeString(text);

    VARIANT inner;
    VariantInit(&inner);
    inner.vt = VT_I2;
    inner.iVal = 9;
    ref.vt = VT_BYREF | VT_VARIANT;
    ref.pvarVal = &inner;
    ASSERT_EQ(VariantCopyInd(&copy, &ref), S_OK);
    EXPECT_EQ(copy.vt, VT_I2);
    EXPECT_EQ(copy.iVal, 9);
}

} // namespace
