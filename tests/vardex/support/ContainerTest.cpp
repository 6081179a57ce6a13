#include "vardex/support/scontainers.h"
#include "vardex/support/ssafearray.h"
#include "vardex/support/sstring.h"

#include "AssertRecorder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<LONG> Values(const SIArray<LONG>& a)
{
    return std::vector<LONG>(a.begin(), a.end());
}

SIArray<LONG> Longs(std::initializer_list<LONG> values)
{
    SIArray<LONG> a;
    for (LONG v : values)
        a.Add(v);
    return a;
}

// A VARIANT whose type the runtime rejects, so that copying it fails.
CComVariant Uncopyable()
{
    CComVariant v;
    v.vt = 0x0FFF;
    return v;
}

TEST(SIArray, ElementsAndCopies)
{
    AssertRecorder asserts;
    SIArray<SString> a;
    EXPECT_EQ(a.Add("one"), 0);
    EXPECT_EQ(a.Add("two"), 1);
    a.SetAt(1, "deux");
    SIArray<SString> copy = a;
    copy.SetAt(0, "un");
    EXPECT_STREQ(a.GetAt(0).GetString(), "one");
    EXPECT_STREQ(a.GetAt(1).GetString(), "deux");
    EXPECT_STREQ(copy.GetAt(0).GetString(), "un");
    EXPECT_TRUE(asserts.Reports().empty());

    // Out of range: reported, nothing read or written outside the array.
    EXPECT_EQ(a.GetAt(2).GetLength(), 0);
    a.SetAt(-1, "x");
    EXPECT_THROW(a.ElementAt(5), std::out_of_range);
    EXPECT_EQ(asserts.Reports().size(), 3u);
    EXPECT_EQ(a.GetSize(), 2);

    a.RemoveAll();
    EXPECT_EQ(a.GetSize(), 0);

    // Deleted through a base pointer of the same template.
    std::unique_ptr<SIArray<LONG>> owned(new SIArray<LONG>(Longs({1, 2})));
    EXPECT_EQ(Values(*owned), (std::vector<LONG>{1, 2}));
}

TEST(SIArray, SetSizeGrowth)
{
    SIArray<CComVariant> variants;
    variants.SetSize(3, -1);
    ASSERT_EQ(variants.GetSize(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(variants[i].vt, VT_EMPTY);

    struct Case
    {
        int32_t initial; // size and capacity before
        int32_t newSize;
        int32_t growBy;
        int32_t capacity; // after
    };
    for (const Case& c : {Case{100, 101, -1, 112}, Case{10000, 10001, -1, 11024},
                          Case{16, 17, -1, 20},    // step at least 4
                          Case{100, 150, -1, 150}, // beyond one step: exactly the size
                          Case{100, 101, 50, 150}, Case{100, 60, -1, 100}}) {
        SIArray<LONG> a;
        a.SetSize(c.initial);
        ASSERT_EQ(a.GetCapacity(), c.initial);
        a.SetAt(c.initial - 1, 77);
        a.SetSize(c.newSize, c.growBy);
        EXPECT_EQ(a.GetSize(), c.newSize);
        EXPECT_EQ(a.GetCapacity(), c.capacity) << c.initial << " -> " << c.newSize;
        if (c.newSize > c.initial) {
            EXPECT_EQ(a.GetAt(c.initial - 1), 77);
            EXPECT_EQ(a.GetAt(c.newSize - 1), 0);
        }
    }
    SIArray<LONG> a = Longs({1, 2, 3});
    a.SetSize(0);
    EXPECT_EQ(a.GetSize(), 0);
}

TEST(SIArray, VariantElementsAreDeepCopiesOrErrors)
{
    SIArray<CComVariant> a;
    a.Add(CComVariant(u"text"));
    a.Add(Uncopyable());
    SIArray<CComVariant> copy = a;
    ASSERT_EQ(copy[0].vt, VT_BSTR);
    EXPECT_NE(copy[0].bstrVal, a[0].bstrVal);
    EXPECT_EQ(std::u16string(copy[0].bstrVal), u"text");
    EXPECT_EQ(copy[1].vt, VT_ERROR);
    EXPECT_EQ(copy[1].scode, DISP_E_BADVARTYPE);
    a.ElementAt(1).vt = VT_EMPTY; // let the original clear normally
}

TEST(SIMap, LookupSetAtAndKeyOrder)
{
    SIMap<SStringBinary, int> byName;
    byName.SetAt("b", 2);
    byName.SetAt("B", 20);
    byName.SetAt("a", 1);
    byName.SetAt("b", 3); // replaces
    int value = 0;
    EXPECT_TRUE(byName.Lookup("b", value));
    EXPECT_EQ(value, 3);
    EXPECT_FALSE(byName.Lookup("c", value));
    EXPECT_EQ(value, 3) << "a failed lookup leaves the value";
    std::vector<std::string> keys;
    for (const auto& [key, v] : byName)
        keys.push_back(key.GetString());
    EXPECT_EQ(keys, (std::vector<std::string>{"B", "a", "b"}));

    SIMap<CComBSTR, LONG> index;
    index.SetAt(CComBSTR(u"TOPIC"), 0);
    index.SetAt(CComBSTR(u"OTHER"), 1);
    index.SetAt(CComBSTR(u"TOPIC"), 2);
    LONG position = -1;
    EXPECT_TRUE(index.Lookup(CComBSTR(u"TOPIC"), position));
    EXPECT_EQ(position, 2);
    EXPECT_EQ(index.GetCount(), 2);
    index.RemoveAll();
    EXPECT_FALSE(index.Lookup(CComBSTR(u"TOPIC"), position));
}

TEST(SISet, CaseInsensitiveSourceNames)
{
    SISet<SStringCaseInsensitive> filter;
    EXPECT_TRUE(filter.Insert("a.cpp"));
    EXPECT_TRUE(filter.Insert("b.cpp"));
    EXPECT_FALSE(filter.Insert("A.CPP"));
    EXPECT_TRUE(filter.Contains("B.CPP"));
    EXPECT_FALSE(filter.Contains("c.cpp"));
    std::vector<std::string> names;
    for (const auto& name : filter)
        names.push_back(name.GetString());
    EXPECT_EQ(names, (std::vector<std::string>{"a.cpp", "b.cpp"}));
}

LONG Bound(SAFEARRAY* psa, bool upper)
{
    LONG bound = -99;
    EXPECT_EQ(upper ? SafeArrayGetUBound(psa, 1, &bound) : SafeArrayGetLBound(psa, 1, &bound),
              S_OK);
    return bound;
}

VARIANT ElementOf(SAFEARRAY* psa, LONG index)
{
    VARIANT v;
    VariantInit(&v);
    EXPECT_EQ(SafeArrayGetElement(psa, &index, &v), S_OK);
    return v;
}

TEST(SSafeArray, LongsAreLockedWhileTheWrapperLivesAndHandedOverUnlocked)
{
    CComVariant result;
    SAFEARRAY* psa;
    {
        SSafeArray<LONG> wrapper(Longs({5, -7, 9}), 1);
        psa = wrapper.GetArray();
        ASSERT_NE(psa, nullptr);
        EXPECT_EQ(wrapper.GetCount(), 3u);
        EXPECT_EQ(psa->cLocks, 1u);
        EXPECT_EQ(SafeArrayGetDim(psa), 1u);
        VARTYPE type = VT_EMPTY;
        EXPECT_EQ(SafeArrayGetVartype(psa, &type), S_OK);
        EXPECT_EQ(type, VT_VARIANT);
        EXPECT_EQ(Bound(psa, false), 1);
        EXPECT_EQ(Bound(psa, true), 3);
        const LONG expected[] = {5, -7, 9};
        for (LONG i = 1; i <= 3; ++i) {
            VARIANT v = ElementOf(psa, i);
            EXPECT_EQ(v.vt, VT_I4);
            EXPECT_EQ(v.lVal, expected[i - 1]);
        }

        result = CComVariant(u"replaced by the hand-over");
        wrapper.HandOver(&result);
        EXPECT_FALSE(wrapper.IsOwner());
        EXPECT_EQ(result.vt, VT_ARRAY | VT_VARIANT);
        EXPECT_EQ(result.parray, psa);
        // Still locked: the holder cannot free it before the wrapper is gone.
        EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);

        AssertRecorder asserts;
        CComVariant second;
        wrapper.HandOver(&second);
        EXPECT_EQ(second.vt, VT_EMPTY) << "one array, one holder";
        EXPECT_EQ(asserts.Expressions(), std::vector<std::string>{"m_owner"});

        // A target that cannot be cleared (its array is still locked) keeps what it holds.
        asserts.Clear();
        SSafeArray<LONG> other(Longs({1}), 0);
        other.HandOver(&result);
        EXPECT_EQ(result.parray, psa);
        EXPECT_TRUE(other.IsOwner());
        EXPECT_EQ(asserts.Reports().size(), 1u);
    }
    EXPECT_EQ(psa->cLocks, 0u);
    EXPECT_EQ(result.Clear(), S_OK);
}

TEST(SSafeArray, EmptyArrayKeepsItsLowerBound)
{
    SSafeArray<LONG> wrapper(SIArray<LONG>(), 5);
    SAFEARRAY* psa = wrapper.GetArray();
    ASSERT_NE(psa, nullptr);
    EXPECT_EQ(wrapper.GetCount(), 0u);
    EXPECT_EQ(psa->rgsabound[0].cElements, 0u);
    EXPECT_EQ(Bound(psa, false), 5);
    // Not handed over: the wrapper destroys it (the leak checker would see it otherwise).
}

TEST(SSafeArray, VariantElementsAreCopied)
{
    SIArray<CComVariant> items;
    items.Add(CComVariant(u"text"));
    items.Add(CComVariant(LONG(12)));
    items.Add(Uncopyable());
    SSafeArray<CComVariant> wrapper(items, 0);
    items.ElementAt(2).vt = VT_EMPTY;
    SAFEARRAY* psa = wrapper.GetArray();
    ASSERT_NE(psa, nullptr);
    VARIANT* data = static_cast<VARIANT*>(psa->pvData);
    EXPECT_EQ(data[0].vt, VT_BSTR);
    EXPECT_NE(data[0].bstrVal, items[0].bstrVal);
    EXPECT_EQ(std::u16string(data[0].bstrVal), u"text");
    EXPECT_EQ(data[1].vt, VT_I4);
    EXPECT_EQ(data[1].lVal, 12);
    EXPECT_EQ(data[2].vt, VT_ERROR);
    EXPECT_EQ(data[2].scode, DISP_E_BADVARTYPE);
}

TEST(SSafeArray, BatchErrorValue)
{
    // Three item lists, each handed into one element of a three-element
    // VARIANT array, which becomes the array handed to the result.
    CComVariant result;
    {
        SIArray<CComVariant> lists;
        lists.SetSize(3);
        SSafeArray<LONG> failed(Longs({2, 4}), 1);
        SSafeArray<LONG> codes(Longs({LONG(E_FAIL), LONG(E_POINTER)}), 1);
        SSafeArray<LONG> untried(Longs({5}), 1);
        failed.HandOver(&lists.ElementAt(0));
        codes.HandOver(&lists.ElementAt(1));
        untried.HandOver(&lists.ElementAt(2));
        SSafeArray<CComVariant> outer(lists, 1);
        outer.HandOver(&result);
    }
    ASSERT_EQ(result.vt, VT_ARRAY | VT_VARIANT);
    SAFEARRAY* outer = result.parray;
    EXPECT_EQ(outer->cLocks, 0u);
    EXPECT_EQ(Bound(outer, false), 1);
    EXPECT_EQ(Bound(outer, true), 3);
    const std::vector<std::vector<LONG>> expected = {{2, 4}, {LONG(E_FAIL), LONG(E_POINTER)}, {5}};
    for (LONG i = 1; i <= 3; ++i) {
        VARIANT list = ElementOf(outer, i);
        ASSERT_EQ(list.vt, VT_ARRAY | VT_VARIANT);
        EXPECT_EQ(Bound(list.parray, false), 1);
        std::vector<LONG> values;
        for (LONG j = 1; j <= Bound(list.parray, true); ++j)
            values.push_back(ElementOf(list.parray, j).lVal);
        EXPECT_EQ(values, expected[i - 1]);
        EXPECT_EQ(VariantClear(&list), S_OK);
    }
    EXPECT_EQ(result.Clear(), S_OK);
}

} // namespace
