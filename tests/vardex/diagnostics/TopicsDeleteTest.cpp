// Deleting from a large Topics collection of libvardex.so, reached as a COM client: registered
// with the registration command, created through the registry store.

#include "platform/com/Atl.h"
#include "tests/platform/registry/RegistryFixture.h"
#include "vardex/diagnostics/VeltrixDiagnosticsLib.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

class TopicsDelete : public RegistryFixture
{
protected:
    void SetUp() override
    {
        RegistryFixture::SetUp();
        std::string command = "'" + std::string(REGSVR) + "' '" + VARDEX_LIBRARY + "' > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    }
    void TearDown() override
    {
        CoUninitialize();
        RegistryFixture::TearDown();
    }
};

std::string Name(int i)
{
    return "topic." + std::to_string(i);
}

// Each deletion shifts the later positions once: 2 000 deletions from 100 000 topics take well
// under a second (the bound leaves room for sanitizer builds), and every name left still finds
// its own topic.
TEST_F(TopicsDelete, ADeletionCostsOneShiftOfTheLaterPositions)
{
    constexpr int kTopics = 100000;
    constexpr int kStep = 50;
    CComPtr<ISTopics> topics;
    ASSERT_EQ(CoCreateInstance(CLSID_Topics, nullptr, CLSCTX_INPROC_SERVER, ISTopics::iid,
                               reinterpret_cast<void**>(&topics)),
              S_OK);
    for (int i = 0; i < kTopics; ++i)
        ASSERT_EQ(topics->Add(CComBSTR(Name(i).c_str()), SHORT(i % 7)), S_OK);

    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < kTopics; i += kStep)
        ASSERT_EQ(topics->Delete(CComBSTR(Name(i).c_str())), S_OK);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_LT(took, std::chrono::seconds(15));

    LONG count = 0;
    ASSERT_EQ(topics->get_Count(&count), S_OK);
    EXPECT_EQ(count, kTopics - kTopics / kStep);
    for (int i : {1, 49, 51, 50001, 99999}) {
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
    EXPECT_NE(topics->get_Item(CComVariant(Name(50000).c_str()), &deleted), S_OK);
}

} // namespace
