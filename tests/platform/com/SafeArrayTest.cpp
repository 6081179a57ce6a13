#include "tests/platform/com/Counter.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(SafeArray, BoundsAndDimensions)
{
    struct Case
    {
        std::vector<SAFEARRAYBOUND> bounds; // leftmost dimension first
    };
    const Case cases[] = {
        {{{0, 1}}}, // empty vector with lower bound 1
        {{{3, 0}}}, {{{5, -2}}}, {{{2, 1}, {3, 10}}}, {{{4, 0}, {1, 5}, {2, -1}}},
    };
    for (const Case& c : cases) {
        std::vector<SAFEARRAYBOUND> bounds = c.bounds;
        SAFEARRAY* psa = SafeArrayCreate(VT_I4, static_cast<UINT>(bounds.size()), bounds.data());
        ASSERT_NE(psa, nullptr);
        EXPECT_EQ(SafeArrayGetDim(psa), bounds.size());
        EXPECT_EQ(SafeArrayGetElemsize(psa), 4u);
        for (UINT d = 1; d <= bounds.size(); ++d) {
            LONG lower = 0;
            LONG upper = 0;
            ASSERT_EQ(SafeArrayGetLBound(psa, d, &lower), S_OK);
            ASSERT_EQ(SafeArrayGetUBound(psa, d, &upper), S_OK);
            EXPECT_EQ(lower, bounds[d - 1].lLbound);
            EXPECT_EQ(upper,
                      bounds[d - 1].lLbound + static_cast<LONG>(bounds[d - 1].cElements) - 1);
        }
        LONG ignored;
        EXPECT_EQ(SafeArrayGetLBound(psa, 0, &ignored), DISP_E_BADINDEX);
        EXPECT_EQ(SafeArrayGetUBound(psa, static_cast<UINT>(bounds.size()) + 1, &ignored),
                  DISP_E_BADINDEX);
        VARTYPE vt = VT_EMPTY;
        EXPECT_EQ(SafeArrayGetVartype(psa, &vt), S_OK);
        EXPECT_EQ(vt, VT_I4);
        EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
    }
    SAFEARRAYBOUND none{1, 0};
    EXPECT_EQ(SafeArrayCreate(VT_I4, 0, &none), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_EMPTY, 1, &none), nullptr);
}

TEST(SafeArray, LockCountsAndDestroyRefusal)
{
    SAFEARRAY* psa = SafeArrayCreateVector(VT_I4, 1, 3);
    ASSERT_NE(psa, nullptr);
    EXPECT_EQ(SafeArrayUnlock(psa), E_UNEXPECTED);
    ASSERT_EQ(SafeArrayLock(psa), S_OK);
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(psa, &data), S_OK);
    EXPECT_EQ(psa->cLocks, 2u);
    EXPECT_EQ(data, psa->pvData);
    EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayDestroyData(psa), DISP_E_ARRAYISLOCKED);
    // Elements can still be read and written while locked.
    LONG index = 2;
    LONG value = 42;
    EXPECT_EQ(SafeArrayPutElement(psa, &index, &value), S_OK);
    EXPECT_EQ(static_cast<LONG*>(data)[1], 42);
    EXPECT_EQ(SafeArrayUnaccessData(psa), S_OK);
    EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnlock(psa), S_OK);
    EXPECT_EQ(psa->cLocks, 0u);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(SafeArray, ElementsByIndexWithTheLeftmostIndexFastest)
{
    SAFEARRAYBOUND bounds[] = {{2, 1}, {3, 0}}; // (1..2, 0..2)
    SAFEARRAY* psa = SafeArrayCreate(VT_I2, 2, bounds);
    ASSERT_NE(psa, nullptr);
    for (LONG i = 1; i <= 2; ++i) {
        for (LONG j = 0; j <= 2; ++j) {
            LONG indices[] = {i, j};
            SHORT value = static_cast<SHORT>(i * 10 + j);
            ASSERT_EQ(SafeArrayPutElement(psa, indices, &value), S_OK);
        }
    }
    const SHORT* data = static_cast<const SHORT*>(psa->pvData);
    EXPECT_EQ(data[0], 10);
    EXPECT_EQ(data[1], 20);
    EXPECT_EQ(data[2], 11);
    EXPECT_EQ(data[5], 22);

    LONG outside[][2] = {{0, 0}, {3, 0}, {1, -1}, {1, 3}};
    for (auto& indices : outside) {
        SHORT value = 0;
        EXPECT_EQ(SafeArrayGetElement(psa, indices, &value), DISP_E_BADINDEX);
        EXPECT_EQ(SafeArrayPutElement(psa, indices, &value), DISP_E_BADINDEX);
    }
    LONG corner[] = {2, 1};
    SHORT value = 0;
    ASSERT_EQ(SafeArrayGetElement(psa, corner, &value), S_OK);
    EXPECT_EQ(value, 21);
    SafeArrayDestroy(psa);
}

TEST(SafeArray, OwnedElementsAreCopiedInAndOut)
{
    SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 0, 2);
    BSTR topic = SysAllocString(u"topic");
    LONG index = 0;
    ASSERT_EQ(SafeArrayPutElement(texts, &index, topic), S_OK);
    SysFreeString(topic); // the array holds its own copy
    BSTR out = nullptr;
    ASSERT_EQ(SafeArrayGetElement(texts, &index, &out), S_OK);
    EXPECT_EQ(com::bstrView(out), u"topic");
    SysFreeString(out);

    CComObject<CCounter>* counter = nullptr;
    ASSERT_EQ(CComObject<CCounter>::CreateInstance(&counter), S_OK);
    counter->AddRef();
    SAFEARRAY* variants = SafeArrayCreateVector(VT_VARIANT, 1, 2);
    CComVariant object(static_cast<IDispatch*>(counter));
    index = 1;
    ASSERT_EQ(SafeArrayPutElement(variants, &index, &object), S_OK);
    EXPECT_EQ(counter->m_dwRef, 3);

    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(variants, &copy), S_OK);
    EXPECT_EQ(counter->m_dwRef, 4);
    VARTYPE vt;
    SafeArrayGetVartype(copy, &vt);
    EXPECT_EQ(vt, VT_VARIANT);
    LONG lower = 0;
    SafeArrayGetLBound(copy, 1, &lower);
    EXPECT_EQ(lower, 1);

    // A VARIANT holding the array owns it: clearing it frees the elements.
    VARIANT holder;
    VariantInit(&holder);
    holder.vt = VT_ARRAY | VT_VARIANT;
    holder.parray = copy;
    CComVariant second;
    ASSERT_EQ(VariantCopy(&second, &holder), S_OK);
    EXPECT_EQ(counter->m_dwRef, 5);
    EXPECT_EQ(VariantClear(&holder), S_OK);
    EXPECT_EQ(second.Clear(), S_OK);
    EXPECT_EQ(SafeArrayDestroy(variants), S_OK);
    EXPECT_EQ(counter->m_dwRef, 2);
    EXPECT_EQ(SafeArrayDestroy(texts), S_OK);
    object.Clear();
    counter->Release();
}

} // namespace

// An array a client built itself (no hidden type block in front of it, storage of its own) is
// read, copied and destroyed without touching memory before its header or freeing its storage.
TEST(SafeArray, ClientBuiltArraysAreReadAndDestroyedInPlace)
{
    auto* psa = static_cast<SAFEARRAY*>(std::malloc(sizeof(SAFEARRAY)));
    BSTR items[2] = {SysAllocString(u"un"), SysAllocString(u"deux")};
    *psa = SAFEARRAY{1, FADF_STATIC | FADF_AUTO | FADF_BSTR, sizeof(BSTR), 0, items, {{2, 1}}};
    VARTYPE vt = VT_EMPTY;
    EXPECT_EQ(SafeArrayGetVartype(psa, &vt), S_OK);
    EXPECT_EQ(vt, VT_BSTR);
    LONG index = 2;
    BSTR second = nullptr;
    EXPECT_EQ(SafeArrayGetElement(psa, &index, &second), S_OK);
    EXPECT_EQ(com::utf8FromUtf16(com::bstrView(second)), "deux");
    SysFreeString(second);
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(psa, &copy), S_OK);
    EXPECT_EQ(copy->fFeatures & (FADF_STATIC | FADF_AUTO), 0);
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
    // The elements are released, the descriptor and its storage stay the client's.
    EXPECT_EQ(items[0], nullptr);
    EXPECT_EQ(psa->pvData, static_cast<void*>(items));
    std::free(psa);

    auto* numbers = static_cast<SAFEARRAY*>(std::malloc(sizeof(SAFEARRAY)));
    LONG values[3] = {1, 2, 3};
    *numbers = SAFEARRAY{1, FADF_AUTO, sizeof(LONG), 0, values, {{3, 0}}};
    EXPECT_EQ(SafeArrayGetVartype(numbers, &vt), E_INVALIDARG);
    ASSERT_EQ(SafeArrayCopy(numbers, &copy), S_OK);
    index = 2;
    LONG value = 0;
    EXPECT_EQ(SafeArrayGetElement(copy, &index, &value), S_OK);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
    EXPECT_EQ(SafeArrayDestroy(numbers), S_OK);
    std::free(numbers);
}
