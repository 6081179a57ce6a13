// Deleting from a large Topics collection of libvardex.so, reached as a COM client: registered
// with the registration command, created through the registry store.

#include "platform/com/Atl.h"
#include "tests/vardex/diagnostics/VardexRegistration.h"
#include "vardex/diagnostics/VeltrixDiagnosticsLib.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

using TopicsDelete = VardexApartmentFixture;

// Topic paths share a long start, as a server's do: each comparison of two keys runs through it.
std::string Name(int i)
{
    return "Report server/Diagnostics/Connections/Listener/" + std::to_string(i);
}

// The most a deletion from the front may cost, in deletions from the end. Both pass over the
// whole index; only the front's pass writes. Storing each later position again (a key search
// apiece) costs some 7 times as much in a plain build. Under ThreadSanitizer each write is
// checked at the cost of a few reads, which puts the shift alone at about 3 times.
#if defined(__SANITIZE_THREAD__)
constexpr int kFrontCost = 6;
#else
constexpr int kFrontCost = 3;
#endif

// A deletion costs one shift of the later positions, not a new index entry for each (a key
// search apiece): deleting the first of 100 000 topics takes little more than deleting the
// last, which shifts nothing. The two kinds alternate over 2 000 deletions, so that the load of
// the machine weighs on both alike; every name left still finds its own topic.
TEST_F(TopicsDelete, ADeletionCostsOneShiftOfTheLaterPositions)
{
    constexpr int kTopics = 100000;
    constexpr int kDeletions = 2000;
    CComPtr<ISTopics> topics;
    ASSERT_EQ(CoCreateInstance(CLSID_Topics, nullptr, CLSCTX_INPROC_SERVER, ISTopics::iid,
                               reinterpret_cast<void**>(&topics)),
              S_OK);
    for (int i = 0; i < kTopics; ++i)
        ASSERT_EQ(topics->Add(CComBSTR(Name(i).c_str()), SHORT(i % 7)), S_OK);

    using Clock = std::chrono::steady_clock;
    auto timed = [&](int i, Clock::duration& total) {
        const CComBSTR name(Name(i).c_str());
        const auto started = Clock::now();
        const HRESULT hr = topics->Delete(name);
        total += Clock::now() - started;
        return hr;
    };
    Clock::duration first{}, last{};
    for (int i = 0; i < kDeletions / 2; ++i) {
        ASSERT_EQ(timed(i, first), S_OK);
        ASSERT_EQ(timed(kTopics - 1 - i, last), S_OK);
    }
    EXPECT_LT(first, last * kFrontCost)
        << std::chrono::duration_cast<std::chrono::milliseconds>(first).count() << " ms against "
        << std::chrono::duration_cast<std::chrono::milliseconds>(last).count() << " ms";

    LONG count = 0;
    ASSERT_EQ(topics->get_Count(&count), S_OK);
    EXPECT_EQ(count, kTopics - kDeletions);
    for (int i : {kDeletions / 2, 50000, kTopics - 1 - kDeletions / 2}) {
        CComPtr<ISTopic> topic;
        ASSERT_EQ(topics->get_Item(CComVariant(Name(i).c_str()), &topic), S_OK) << i;
        SHORT verbosity = -1;
        topic->get_Verbosity(&verbosity);
        EXPECT_EQ(verbosity, i % 7) << i;
        CComBSTR text;
        topic->get_Topic(&text);
        EXPECT_EQ(com::utf8FromUtf16(com::bstrView(text)), Name(i));
    }
    CComPtr<ISTopic> deleted;
    EXPECT_NE(topics->get_Item(CComVariant(Name(0).c_str()), &deleted), S_OK);
}

} // namespace
