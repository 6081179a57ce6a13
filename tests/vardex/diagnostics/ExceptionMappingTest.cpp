// The client exception model and the mapping of CORBA exceptions to client exceptions.

#include "tests/vardex/diagnostics/MessageList.h"
#include "tests/vardex/support/AssertRecorder.h"
#include "tests/vardex/support/SupportFixture.h"
#include "vardex/diagnostics/client_exception_mapper.h"
#include "vardex/diagnostics/corbawstring.h"
#include "vardex/support/slog.h"
#include "vardex/support/sresmanager.h"

#include "implserv.hh"
#include "norveli.hh"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

// The build's English message texts and a logging library that writes each record it gets to a
// file; the process's one logging facility sets itself up with them in the first test.
class DiagnosticsFixture : public SupportFixture
{
protected:
    static void SetUpTestSuite()
    {
        ::setenv("LANG", "en_US.UTF-8", 1);
        ::unsetenv("LC_ALL");
        ::unsetenv("LC_MESSAGES");
        s_records = std::filesystem::temp_directory_path() /
                    ("diagnostics-log-" + std::to_string(::getpid()));
        ::setenv("VX_FIXTURE_LOG", s_records.c_str(), 1);
        SetLogLevel(256);
    }
    static void TearDownTestSuite() { std::filesystem::remove(s_records); }

    void SetUp() override
    {
        SupportFixture::SetUp();
        writeText(kLoggingKey + "\\plain", "DLLPath",
                  std::string(FIXTURE_LOGGER_DIR) + "/plain_fixture.so");
        Records();
    }

    // The records the logging library got since the last call, as "type category id [text]".
    static std::vector<std::string> Records()
    {
        std::vector<std::string> lines;
        std::ifstream in(s_records);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("plain Error ", 0) == 0)
                lines.push_back(line.substr(12));
        std::filesystem::remove(s_records);
        return lines;
    }

    static inline std::filesystem::path s_records;
};

class ClientException : public DiagnosticsFixture
{
};
class ExceptionMapping : public DiagnosticsFixture
{
};
class AbuseMapping : public DiagnosticsFixture
{
};

TEST_F(ClientException, DefaultIsUnfilledMessageWithoutArguments)
{
    GenericClientException e;
    EXPECT_EQ(e.GetHResult(), 0);
    EXPECT_EQ(Entries(e), "48133/0");
    EXPECT_EQ(e.GetSupplState(), GenericClientException::NoSupplInfo);
    EXPECT_STREQ(e.Details().GetString(), "");
}

TEST_F(ClientException, AddContextPutsALineInFrontOfTheDetail)
{
    GenericClientException e(E_FAIL, 1, {}, SString("b"));
    e.AddContext("a");
    EXPECT_STREQ(e.Details().GetString(), "a\nb");
    GenericClientException empty;
    empty.AddContext("a");
    EXPECT_STREQ(empty.Details().GetString(), "a\n");
}

TEST_F(ClientException, DetailsAreCutToTheBuffer)
{
    GenericClientException e(E_FAIL, 1, {}, SString("abcdef"));
    char buffer[4] = {'x', 'x', 'x', 'x'};
    e.GetDetails(buffer, 4);
    EXPECT_STREQ(buffer, "abc");
    char one[1] = {'x'};
    e.GetDetails(one, 1);
    EXPECT_EQ(one[0], '\0');

    AssertRecorder recorder;
    e.GetDetails(nullptr, 4);
    e.GetDetails(buffer, 0);
    EXPECT_EQ(recorder.Expressions(), (std::vector<std::string>{"buffer != 0", "size > 0"}));
}

TEST_F(ClientException, CopiesCloneTheBatch)
{
    SupplErrorInfo::ErrInfoBatch batch;
    batch.m_failedItems.Add(3);
    batch.m_failureCodes.Add(HRESULT(0x80041E05));
    GenericClientException e(E_FAIL, {}, SString("d"), GenericClientException::BatchError, &batch);
    GenericClientException copy(e);
    e.SetNoSupplErrInfo();
    ASSERT_EQ(copy.GetSupplState(), GenericClientException::BatchError);
    EXPECT_EQ(copy.GetBatchError().m_failedItems.GetAt(0), 3);

    AssertRecorder recorder;
    EXPECT_EQ(e.GetBatchError().m_failedItems.GetSize(), 0);
    EXPECT_EQ(recorder.Expressions(), std::vector<std::string>{"m_discriminant == BatchError"});
}

TEST_F(ClientException, ReadingTheOtherMemberOfAnEntryIsReported)
{
    AssertRecorder recorder;
    GenericClientException::message_union entry;
    entry.msgId();
    entry.msgString(SString("x"));
    entry.msgId();
    entry.msgId({5, 0});
    entry.msgString();
    EXPECT_EQ(recorder.Expressions(),
              (std::vector<std::string>{"_ob_i_", "_OB_check((message_type)0)",
                                        "_OB_check((message_type)1)"}));
}

using Entry = GenericClientException::message_union;

GenericClientException WithEntries(std::initializer_list<Entry> entries)
{
    SIArray<Entry> messages;
    for (const Entry& entry : entries)
        messages.Add(entry);
    return GenericClientException(E_FAIL, messages, SString(), GenericClientException::NoSupplInfo,
                                  nullptr);
}

TEST_F(ClientException, MessagesAreFormattedWithTheirArgumentsInOrder)
{
    // A nested message is its argument's text; each top-level message ends with a line feed.
    GenericClientException e =
        WithEntries({Entry::Id(47630, 2), Entry::Id(47631, 1), Entry::Text(SString("x")),
                     Entry::Text(SString("y")), Entry::Id(42158, 0)});
    const std::string text = "The connection through the SOCKS proxy (version The SOCKS proxy "
                             "(version x) could not be reached.) failed: y\n"
                             "The communication with the report server failed.\n";
    EXPECT_EQ(e.MessageText().GetString(), text);

    char buffer[10];
    e.GetMessage(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), text.substr(0, 9));
    char one[1] = {'x'};
    e.GetMessage(one, 1);
    EXPECT_EQ(one[0], '\0');

    // A text where a message should start is reported and gives an empty message.
    AssertRecorder recorder;
    EXPECT_STREQ(
        WithEntries({Entry::Text(SString("x")), Entry::Id(42158, 0)}).MessageText().GetString(),
        "\nThe communication with the report server failed.\n");
    EXPECT_EQ(recorder.Expressions(), std::vector<std::string>{"0"});
}

TEST_F(ClientException, BatchFailureCodesFromTheirBaseHaveMessages)
{
    EXPECT_EQ(BatchFailureMessageId(HRESULT(0x80041E05)), 48165);
    EXPECT_EQ(BatchFailureMessageId(HRESULT(0x80041E00)), 48160);
    EXPECT_EQ(BatchFailureMessageId(HRESULT(0x80041DFF)), 0);
    EXPECT_EQ(BatchFailureMessageId(E_FAIL), 0);

    // The batch text: a line feed and the code's message text per failed item.
    SupplErrorInfo::ErrInfoBatch batch;
    batch.m_failedItems.Add(1);
    batch.m_failedItems.Add(2);
    batch.m_failureCodes.Add(HRESULT(0x80041E05));
    batch.m_failureCodes.Add(HRESULT(0x80041DFF));
    EXPECT_STREQ(batch.BatchText().GetString(), "\nAccess to an item of the batch was denied.\n");
}

struct SystemRow
{
    std::function<void()> raise;
    uint32_t hr;
    const char* entries;
};

// Each system exception of the ORB, raised and caught as the call sites catch it.
TEST_F(ExceptionMapping, SystemExceptionsMapToTheirHResultAndMessage)
{
    const SystemRow rows[] = {
        {[] { throw CORBA::UNKNOWN(); }, 0x80004005, "42154/0"},
        {[] { throw CORBA::BAD_PARAM(); }, 0x80070057, "42155/0"},
        {[] { throw CORBA::NO_MEMORY(); }, 0x8007000E, "42156/0"},
        {[] { throw CORBA::IMP_LIMIT(); }, 0x80040800, "42157/0"},
        {[] { throw CORBA::COMM_FAILURE(); }, 0x80040801, "42158/0"},
        {[] { throw CORBA::INV_OBJREF(); }, 0x80004003, "42159/0"},
        {[] { throw CORBA::NO_PERMISSION(); }, 0x80070005, "42160/0"},
        {[] { throw CORBA::INTERNAL(); }, 0x80040802, "42161/0"},
        {[] { throw CORBA::MARSHAL(); }, 0x80040803, "42161/0"},
        {[] { throw CORBA::INITIALIZE(); }, 0x80040804, "42161/0"},
        {[] { throw CORBA::NO_IMPLEMENT(); }, 0x80004001, "42162/0"},
        {[] { throw CORBA::BAD_TYPECODE(); }, 0x80040805, "42163/0"},
        {[] { throw CORBA::BAD_OPERATION(); }, 0x80040806, "42164/0"},
        {[] { throw CORBA::NO_RESOURCES(); }, 0x80040807, "42165/0"},
        {[] { throw CORBA::NO_RESPONSE(); }, 0x80040808, "42158/0"},
        {[] { throw CORBA::PERSIST_STORE(); }, 0x80040809, "42166/0"},
        {[] { throw CORBA::BAD_INV_ORDER(); }, 0x8004080A, "42161/0"},
        {[] { throw CORBA::TRANSIENT(); }, 0x8004080B, "42161/0"},
        {[] { throw CORBA::FREE_MEM(); }, 0x8004080C, "42167/0"},
        {[] { throw CORBA::INV_IDENT(); }, 0x8004080D, "42161/0"},
        {[] { throw CORBA::INV_FLAG(); }, 0x8004080E, "42161/0"},
        {[] { throw CORBA::INTF_REPOS(); }, 0x8004080F, "42161/0"},
        {[] { throw CORBA::BAD_CONTEXT(); }, 0x80040810, "42161/0"},
        {[] { throw CORBA::OBJ_ADAPTER(); }, 0x80040811, "42159/0"},
        {[] { throw CORBA::DATA_CONVERSION(); }, 0x80040812, "42161/0"},
        {[] { throw CORBA::OBJECT_NOT_EXIST(); }, 0x80040813, "42159/0"},
        {[] { throw CORBA::INV_POLICY(); }, 0x80040814, "42161/0"},
        {[] { throw CORBA::TIMEOUT(); }, 0x80040817, "42158/0"},
        {[] { throw CORBA::REBIND(); }, 0x80004005, "42154/0"},
    };
    AssertRecorder recorder;
    for (const auto& row : rows) {
        try {
            try {
                row.raise();
            }
            VX_CATCH_CORBA("site.cpp")
            FAIL() << "nothing raised";
        } catch (const GenericClientException& e) {
            EXPECT_EQ(uint32_t(e.GetHResult()), row.hr) << row.entries;
            EXPECT_EQ(Entries(e), row.entries);
            const std::string text = e.MessageText().GetString();
            EXPECT_GT(text.size(), 1u);
            // A warning with the message text, a debug record with the detail.
            const auto records = Records();
            ASSERT_EQ(records.size(), 2u) << row.entries;
            EXPECT_EQ(records[0], "2 21 34700 1 [" + text.substr(0, text.size() - 1) + " ]");
            EXPECT_EQ(records[1].rfind("256 21 34700 1 [site.cpp(", 0), 0u);
            EXPECT_EQ(e.GetSupplState(), GenericClientException::NoSupplInfo);
            EXPECT_EQ(std::string(e.Details().GetString()).rfind("site.cpp(", 0), 0u);
        }
    }
}

TEST_F(ExceptionMapping, AnUnknownSystemExceptionIsReported)
{
    AssertRecorder recorder;
    GenericClientException e(CORBA::REBIND(0, CORBA::COMPLETED_NO));
    EXPECT_EQ(uint32_t(e.GetHResult()), 0x80004005u);
    ASSERT_EQ(recorder.Reports().size(), 1u);
    EXPECT_EQ(recorder.Reports()[0].expression, "false");
    EXPECT_EQ(recorder.Reports()[0].information, "Unknown corba exception");
}

TEST_F(ExceptionMapping, DetailNamesTypeStatusAndReason)
{
    const char* statuses[] = {" Status: Failed on the server.", " Status: Failed on the client.",
                              " Status: not known.", ""};
    for (int32_t completed = 0; completed < 4; ++completed) {
        GenericClientException e = MapSystemException("TRANSIENT", 0, completed, "x");
        EXPECT_EQ(std::string(e.Details().GetString()),
                  std::string("Type:TRANSIENT") + statuses[completed] + " Reason: x");
    }
    GenericClientException noReason = MapSystemException("TRANSIENT", 0, 1, nullptr);
    EXPECT_STREQ(noReason.Details().GetString(),
                 "Type:TRANSIENT Status: Failed on the client. Reason: ");
}

TEST_F(ExceptionMapping, RaisingPutsTheCallSiteBeforeTheDetail)
{
    try {
        RaiseFromSystemException(CORBA::COMM_FAILURE(0, CORBA::COMPLETED_MAYBE), "site.cpp", 42);
    } catch (const GenericClientException& e) {
        EXPECT_STREQ(e.Details().GetString(),
                     "site.cpp(42) \nType:COMM_FAILURE Status: not known. Reason: ");
    }
    EXPECT_EQ(Records(),
              (std::vector<std::string>{
                  "2 21 34700 1 [The communication with the report server failed. ]",
                  "256 21 34700 1 [site.cpp(42)  Type:COMM_FAILURE Status: not known. Reason: ]"}));
}

TEST_F(ExceptionMapping, SocksFailuresCarryTheirArguments)
{
    GenericClientException negotiation = MapSystemException("SOCKS_NEGOTIATION", 0x00040005, 1, 0);
    EXPECT_EQ(uint32_t(negotiation.GetHResult()), 0x80040815u);
    EXPECT_EQ(Entries(negotiation), "47630/2 '5' 'The connection was refused.'");
    GenericClientException server = MapSystemException("SOCKS_SERVER", 0x00020001, 1, 0);
    EXPECT_EQ(uint32_t(server.GetHResult()), 0x80040816u);
    EXPECT_EQ(Entries(server), "47631/1 '3'");

    const std::pair<uint32_t, int32_t> replies[] = {
        {1, 47611},  {3, 47613},   {4, 47614},      {12, 47614}, {5, 47615},
        {11, 47621}, {13, 47623},  {15, 47625},     {16, 47622}, {91, 47626},
        {93, 47628}, {100, 47629}, {0x70001, 47611}};
    for (const auto& [minor, message] : replies)
        EXPECT_EQ(SocksReplyMessage(minor), message) << minor;
    AssertRecorder recorder;
    EXPECT_EQ(SocksReplyMessage(17), 47614);
    EXPECT_EQ(recorder.Expressions(), std::vector<std::string>{"0"});
}

Norvel::message_union IdEntry(int32_t id, int16_t count)
{
    Norvel::message_union entry;
    entry.msgId(Norvel::message_id{id, count});
    return entry;
}

Norvel::message_union TextEntry(const char16_t* text)
{
    Norvel::message_union entry;
    entry.msgString(CorbaWStringDup(text));
    return entry;
}

Norvel::norvel_abuse Abuse(CORBA::Short code, std::initializer_list<Norvel::message_union> entries,
                           const char16_t* details)
{
    Norvel::MessageSeq messages;
    messages.length(CORBA::ULong(entries.size()));
    CORBA::ULong i = 0;
    for (const auto& entry : entries)
        messages[i++] = entry;
    CORBA::WString_var wide = CorbaWStringDup(details);
    return Norvel::norvel_abuse(code, messages, wide.in(), CORBA::Any());
}

GenericClientException Raised(const Norvel::norvel_abuse& abuse)
{
    try {
        RaiseFromAbuse(abuse, "site.cpp", 7);
    } catch (const GenericClientException& e) {
        return e;
    }
    ADD_FAILURE() << "nothing raised";
    return {};
}

TEST_F(AbuseMapping, ServerCodeMessagesAndDetailsReachTheClientException)
{
    GenericClientException e =
        Raised(Abuse(5, {IdEntry(100, 2), IdEntry(200, 1), TextEntry(u"x"), TextEntry(u"Mémoire")},
                     u"disk full"));
    EXPECT_EQ(uint32_t(e.GetHResult()), 0x80040005u);
    EXPECT_EQ(Entries(e), "100/2 200/1 'x' 'Mémoire'");
    EXPECT_STREQ(e.Details().GetString(), "disk full\nServer exception caught at site.cpp(7) ");
    // One debug record: the message text, a blank and the detail.
    EXPECT_EQ(Records(),
              std::vector<std::string>{
                  "256 21 34700 1 [  disk full Server exception caught at site.cpp(7) ]"});
    // An empty Any: no supplementary information.
    EXPECT_EQ(e.GetSupplState(), GenericClientException::NoSupplInfo);

    EXPECT_EQ(uint32_t(Raised(Abuse(-1, {IdEntry(1, 0)}, u"")).GetHResult()), 0xFFFFFFFFu);
}

int CountCheckReports(const AssertRecorder& recorder)
{
    int count = 0;
    for (const auto& report : recorder.Reports())
        count += report.information == "Server message list has a wrong number of arguments";
    return count;
}

TEST_F(AbuseMapping, ArgumentCountsTheListCannotHoldAreCut)
{
    AssertRecorder recorder;
    EXPECT_EQ(Entries(Raised(Abuse(1, {IdEntry(100, 3), TextEntry(u"a")}, u""))), "100/1 'a'");
    EXPECT_EQ(Entries(Raised(Abuse(1, {IdEntry(100, -2), TextEntry(u"a")}, u""))), "100/0 'a'");
    EXPECT_EQ(Entries(Raised(Abuse(1, {IdEntry(100, 1), IdEntry(200, 4)}, u""))), "100/1 200/0");
    EXPECT_EQ(CountCheckReports(recorder), 3);
    // A well-formed list is taken as it is, without a report.
    recorder.Clear();
    EXPECT_EQ(Entries(Raised(Abuse(1, {IdEntry(100, 1), IdEntry(200, 0), IdEntry(300, 0)}, u""))),
              "100/1 200/0 300/0");
    EXPECT_EQ(CountCheckReports(recorder), 0);
}

// A server list that nests its messages tens of thousands deep (a reply well under the ORB's
// limit) is cut at a sane depth as a malformed list: mapping and formatting it stay on a small
// stack.
TEST_F(AbuseMapping, ListsNestedTooDeeplyAreCut)
{
    AssertRecorder recorder;
    constexpr CORBA::ULong depth = 45000;
    Norvel::MessageSeq messages;
    messages.length(depth + 1);
    for (CORBA::ULong i = 0; i < depth; ++i)
        messages[i] = IdEntry(100, 1);
    messages[depth] = TextEntry(u"end");
    CORBA::WString_var none = CorbaWStringDup(u"");
    GenericClientException e = Raised(Norvel::norvel_abuse(1, messages, none.in(), CORBA::Any()));
    ASSERT_EQ(e.Messages().GetSize(), int32_t(depth + 1));
    EXPECT_EQ(e.Messages()[30].msgId().num_strings, 1);
    EXPECT_EQ(e.Messages()[31].msgId().num_strings, 0);
    EXPECT_GE(CountCheckReports(recorder), 1);
    EXPECT_FALSE(std::string(e.MessageText().GetString()).empty());
}

Norvel::norvel_abuse WithSuppl(Norvel::norvel_abuse abuse, const CORBA::Any& suppl)
{
    abuse.supplErrInfo = suppl;
    return abuse;
}

CORBA::Any BatchAny(std::initializer_list<CORBA::Long> failed,
                    std::initializer_list<CORBA::Long> codes,
                    std::initializer_list<CORBA::Long> untried)
{
    Norvel::Norveli::InfoStore::BatchError batch;
    auto fill = [](auto& sequence, std::initializer_list<CORBA::Long> values) {
        sequence.length(CORBA::ULong(values.size()));
        CORBA::ULong i = 0;
        for (CORBA::Long v : values)
            sequence[i++] = v;
    };
    fill(batch.failedItems, failed);
    fill(batch.failureCodes, codes);
    fill(batch.untriedItems, untried);
    CORBA::Any any;
    any <<= batch;
    return any;
}

TEST_F(AbuseMapping, ABatchErrorBecomesState2AndAnArgumentOfALoneMessage)
{
    GenericClientException lone =
        Raised(WithSuppl(Abuse(2, {IdEntry(100, 0)}, u""),
                         BatchAny({1, 2}, {CORBA::Long(0x80041E05), 0x1E06}, {3})));
    ASSERT_EQ(lone.GetSupplState(), GenericClientException::BatchError);
    const auto batch = lone.GetBatchError();
    EXPECT_EQ(batch.m_failedItems.GetSize(), 2);
    EXPECT_EQ(uint32_t(batch.m_failureCodes.GetAt(0)), 0x80041E05u);
    EXPECT_EQ(uint32_t(batch.m_failureCodes.GetAt(1)), 0x80041E06u);
    EXPECT_EQ(batch.m_untriedItems.GetAt(0), 3);
    // The batch text: one line per failed item, each starting with a line feed.
    EXPECT_EQ(Entries(lone), "100/1 '" + std::string(batch.BatchText().GetString()) + "'");
    EXPECT_EQ(std::string(batch.BatchText().GetString()).substr(0, 1), "\n");

    GenericClientException two = Raised(
        WithSuppl(Abuse(2, {IdEntry(100, 0), IdEntry(101, 0)}, u""), BatchAny({1}, {0x8001}, {})));
    EXPECT_EQ(Entries(two), "100/0 101/0");
    ASSERT_EQ(two.GetSupplState(), GenericClientException::BatchError);
    // A code whose low half is negative widens with its sign.
    EXPECT_EQ(uint32_t(two.GetBatchError().m_failureCodes.GetAt(0)), 0xFFFF8001u);

    CORBA::Any other;
    other <<= CORBA::Long(3);
    EXPECT_EQ(Raised(WithSuppl(Abuse(2, {IdEntry(100, 0)}, u""), other)).GetSupplState(),
              GenericClientException::UnknownSupplInfo);
}

TEST_F(AbuseMapping, OtherUserExceptionsAreUnidentifiedFailures)
{
    AssertRecorder recorder;
    try {
        try {
            throw ImplServ::QuollFactory::connection_failure(1, Norvel::sev_error, L"x");
        }
        VX_CATCH_CORBA("site.cpp")
    } catch (const GenericClientException& e) {
        EXPECT_EQ(uint32_t(e.GetHResult()), 0x80004005u);
        EXPECT_EQ(Entries(e), "42154/0");
        const std::string detail = e.Details().GetString();
        EXPECT_EQ(detail.rfind("site.cpp(", 0), 0u);
        EXPECT_EQ(detail.substr(detail.find('\n')), "\nUnknown corba exception");
    }
    const auto records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], "1 21 34700 1 [An unidentified failure occurred in the communication "
                          "with the report server. ]");
    EXPECT_EQ(records[1].rfind("256 21 34700 1 [site.cpp(", 0), 0u);
    EXPECT_EQ(recorder.Reports().size(), 1u);
}

} // namespace
