// COM error reporting through the error-report component, registered in the registry store and
// not. The component instance that ReportComException creates is kept for the life of the
// process: the case without the component runs in a fresh process.

#include "vardex/diagnostics/ComErrorReport.h"
#include "platform/com/Atl.h"
#include "platform/errorreport/ErrorReport.h"
#include "tests/platform/registry/RegistryFixture.h"
#include "tests/platform/win/FreshProcess.h"
#include "tests/vardex/support/AssertRecorder.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <string>

namespace {

constexpr CLSID kClass{
    0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
constexpr IID kInterface{
    0x66666666, 0x7777, 0x8888, {0x99, 0x99, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}};

SIArray<SString> Args(std::initializer_list<const char*> texts)
{
    SIArray<SString> args;
    for (const char* text : texts)
        args.Add(SString(text));
    return args;
}

class ComErrorReport : public RegistryFixture
{
protected:
    void SetUp() override
    {
        RegistryFixture::SetUp();
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    }
    void TearDown() override
    {
        CoUninitialize();
        RegistryFixture::TearDown();
    }

    void RegisterComponent()
    {
        void* module = ::dlopen(ERROR_REPORT_COMPONENT, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module, nullptr) << ::dlerror();
        auto registerServer = reinterpret_cast<HRESULT (*)()>(::dlsym(module, "DllRegisterServer"));
        ASSERT_NE(registerServer, nullptr);
        ASSERT_EQ(registerServer(), S_OK);
    }

    // The thread's error information: GUID, source and description.
    static std::string ErrorInfo()
    {
        IErrorInfo* info = nullptr;
        if (GetErrorInfo(0, &info) != S_OK)
            return "none";
        GUID guid{};
        info->GetGUID(&guid);
        CComBSTR source;
        CComBSTR description;
        info->GetSource(&source);
        info->GetDescription(&description);
        info->Release();
        return com::guidToString(guid) + " " + com::utf8FromUtf16(com::bstrView(source)) + " " +
               com::utf8FromUtf16(com::bstrView(description));
    }
};

TEST_F(ComErrorReport, WithoutTheComponentTheResultIsTheFailure)
{
    testing_support::ExpectInFreshProcess([] {
        AssertRecorder recorder;
        EXPECT_EQ(ReportComError(kClass, kInterface, 42505, {}, E_POINTER), E_POINTER);
        EXPECT_EQ(ReportComError(kClass, kInterface, 42505, {}, S_OK), DISP_E_EXCEPTION);
        EXPECT_EQ(ReportComException(kClass, kInterface, GenericClientException()),
                  DISP_E_EXCEPTION);
        GenericClientException failure(HRESULT(0x80040005), 1, {}, SString());
        EXPECT_EQ(uint32_t(ReportComException(kClass, kInterface, failure)), 0x80040005u);
        EXPECT_EQ(recorder.Expressions(), std::vector<std::string>(4, "((HRESULT)(hr) >= 0)"));
        EXPECT_EQ(ErrorInfo(), "none");
    });
}

TEST_F(ComErrorReport, TheRegisteredComponentPublishesTheMessages)
{
    RegisterComponent();
    EXPECT_EQ(ReportComError(kClass, kInterface, 47014, Args({"a", "b"}), E_POINTER), E_POINTER);
    EXPECT_EQ(ErrorInfo(), "{66666666-7777-8888-9999-AAAAAAAAAAAA} "
                           "{11111111-2222-3333-4444-555555555555} 47014(a, b)");
    EXPECT_EQ(ReportComError(CLSID_NULL, IID_NULL, 42503, {}, S_OK), DISP_E_EXCEPTION);
    EXPECT_EQ(ErrorInfo(), "{00000000-0000-0000-0000-000000000000} "
                           "{00000000-0000-0000-0000-000000000000} 42503");
}

TEST_F(ComErrorReport, ACaughtExceptionCarriesItsBatchToTheComponent)
{
    RegisterComponent();
    using Entry = GenericClientException::message_union;
    SIArray<Entry> messages;
    for (const Entry& entry : {Entry::Id(100, 2), Entry::Id(200, 1), Entry::Text(SString("x")),
                               Entry::Text(SString("y")), Entry::Id(300, 0)})
        messages.Add(entry);
    SupplErrorInfo::ErrInfoBatch batch;
    batch.m_failedItems.Add(1);
    batch.m_failedItems.Add(2);
    batch.m_failureCodes.Add(HRESULT(0x80041E05));
    batch.m_failureCodes.Add(HRESULT(0x80041E06));
    batch.m_untriedItems.Add(3);
    GenericClientException e(HRESULT(0x80040005), messages, SString("d"),
                             GenericClientException::BatchError, &batch);

    EXPECT_EQ(uint32_t(ReportComException(kClass, kInterface, e)), 0x80040005u);
    EXPECT_EQ(ErrorInfo(), "{66666666-7777-8888-9999-AAAAAAAAAAAA} "
                           "{11111111-2222-3333-4444-555555555555} 100(200(x), y)\n300\n"
                           "failed items: 1 2\nfailure codes: 80041E05 80041E06\nuntried items: 3");
}

// The component renders a list of any depth without recursion: lists reach it from any client.
TEST_F(ComErrorReport, TheComponentRendersADeepListOnAFlatStack)
{
    RegisterComponent();
    using Entry = GenericClientException::message_union;
    constexpr int depth = 300000;
    SIArray<Entry> messages;
    for (int i = 0; i < depth; ++i)
        messages.Add(Entry::Id(7, 1));
    messages.Add(Entry::Text(SString("x")));
    GenericClientException e(HRESULT(0x80040005), messages, SString("d"),
                             GenericClientException::NoSupplInfo, nullptr);

    EXPECT_EQ(uint32_t(ReportComException(kClass, kInterface, e)), 0x80040005u);
    std::string expected = "{66666666-7777-8888-9999-AAAAAAAAAAAA} "
                           "{11111111-2222-3333-4444-555555555555} ";
    for (int i = 0; i < depth; ++i)
        expected += "7(";
    expected += "x" + std::string(depth, ')');
    EXPECT_TRUE(ErrorInfo() == expected);
}

} // namespace
