#include "vardex/diagnostics/client_exception_mapper.h"

#include "vardex/diagnostics/corbawstring.h"
#include "vardex/support/sassert.h"
#include "vardex/support/slog.h"
#include "vardex/support/sresmanager.h"

#include "norveli.hh"

#include <cstdio>
#include <cstring>

using message_union = GenericClientException::message_union;

namespace {

struct SystemExceptionRow
{
    const char* name;
    uint32_t hr;
    int32_t msgId;
};

constexpr int32_t kMsgOrbInternal = 42161;
constexpr int32_t kMsgSocksNegotiation = 47630;
constexpr int32_t kMsgSocksServer = 47631;

// In the order the mapping tests them; the ORB's exception classes have one name each.
constexpr SystemExceptionRow kSystemExceptions[] = {
    {"UNKNOWN", 0x80004005, kMsgUnidentifiedFailure},
    {"BAD_PARAM", 0x80070057, 42155},
    {"NO_MEMORY", 0x8007000E, 42156},
    {"IMP_LIMIT", 0x80040800, 42157},
    {"COMM_FAILURE", 0x80040801, 42158},
    {"INV_OBJREF", 0x80004003, 42159},
    {"NO_PERMISSION", 0x80070005, 42160},
    {"INTERNAL", 0x80040802, kMsgOrbInternal},
    {"MARSHAL", 0x80040803, kMsgOrbInternal},
    {"INITIALIZE", 0x80040804, kMsgOrbInternal},
    {"NO_IMPLEMENT", 0x80004001, 42162},
    {"BAD_TYPECODE", 0x80040805, 42163},
    {"BAD_OPERATION", 0x80040806, 42164},
    {"NO_RESOURCES", 0x80040807, 42165},
    {"NO_RESPONSE", 0x80040808, 42158},
    {"PERSIST_STORE", 0x80040809, 42166},
    {"BAD_INV_ORDER", 0x8004080A, kMsgOrbInternal},
    {"TRANSIENT", 0x8004080B, kMsgOrbInternal},
    {"FREE_MEM", 0x8004080C, 42167},
    {"INV_IDENT", 0x8004080D, kMsgOrbInternal},
    {"INV_FLAG", 0x8004080E, kMsgOrbInternal},
    {"INTF_REPOS", 0x8004080F, kMsgOrbInternal},
    {"BAD_CONTEXT", 0x80040810, kMsgOrbInternal},
    {"OBJ_ADAPTER", 0x80040811, 42159},
    {"DATA_CONVERSION", 0x80040812, kMsgOrbInternal},
    {"OBJECT_NOT_EXIST", 0x80040813, 42159},
    {"INV_POLICY", 0x80040814, kMsgOrbInternal},
    // A call that ran out of its time limit: a failure of the communication, with an HRESULT
    // of its own, on which no reconnection is made (a new connection would wait as long again).
    {"TIMEOUT", 0x80040817, 42158},
    // SOCKS proxy failures, for ORBs that raise them.
    {"SOCKS_NEGOTIATION", 0x80040815, kMsgSocksNegotiation},
    {"SOCKS_SERVER", 0x80040816, kMsgSocksServer},
};

// A record of the mapped exceptions: one free text.
void LogMapped(WORD eventType, const SString& text)
{
    LogEvent(eventType, kLogCategoryException, kMsgFreeText, text.GetString());
}

SString SiteText(const char* format, const char* file, int line)
{
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer, format, file ? file : "", line);
    return SString(buffer);
}

// A 16-bit server code as a failure HRESULT: sign-extended, with the bits of 0x80040000.
HRESULT CodeToHResult(int16_t code)
{
    return HRESULT(uint32_t(int32_t(code)) | 0x80040000u);
}

// Messages nest their arguments; a list nested deeper than this is malformed. Walking and
// formatting recurse once per level, so the bound keeps the stack small for any reply.
constexpr int32_t kMaxMessageDepth = 32;

// Checks the argument counts of a server's message list, walking it in prefix order. A count
// below zero or one that runs past the end of the list is reported and cut to the entries there;
// so is any count of a message nested kMaxMessageDepth deep (its arguments then stand alone).
int32_t CheckMessageAt(SIArray<message_union>& messages, int32_t position, int32_t depth = 0)
{
    message_union& entry = messages[position];
    ++position;
    if (entry._d() != GenericClientException::mt_id)
        return position;
    GenericClientException::message_id id = entry.msgId();
    const int32_t size = messages.GetSize();
    int32_t present = 0;
    while (depth + 1 < kMaxMessageDepth && present < id.num_strings && position < size) {
        position = CheckMessageAt(messages, position, depth + 1);
        ++present;
    }
    if (id.num_strings < 0 || present < id.num_strings) {
        SASSERT_INFO(false, "Server message list has a wrong number of arguments");
        id.num_strings = int16_t(present);
        entry.msgId(id);
    }
    return position;
}

void CheckMessageList(SIArray<message_union>& messages)
{
    int32_t position = 0;
    while (position < messages.GetSize())
        position = CheckMessageAt(messages, position);
}

[[noreturn]] void RaiseUnknown(const char* file, int line)
{
    SASSERT_INFO(false, "Unknown corba exception");
    SIArray<SString> noArgs;
    GenericClientException e(HRESULT(0x80004005), kMsgUnidentifiedFailure, noArgs,
                             SString("Unknown corba exception"));
    e.AddContext(SiteText("%s(%d) ", file, line).GetString());
    LogMapped(EVENTLOG_ERROR_TYPE, e.MessageText());
    LogMapped(EVENTLOG_DEBUG_TYPE, e.Details());
    throw e;
}

} // namespace

int32_t SocksReplyMessage(uint32_t minor)
{
    const uint32_t code = minor & 0xFFFF;
    if (code >= 1 && code <= 3)
        return int32_t(47610 + code);
    if (code == 4 || code == 12)
        return 47614;
    if (code >= 5 && code <= 11)
        return int32_t(47610 + code);
    if (code >= 13 && code <= 15)
        return int32_t(47610 + code);
    if (code == 16)
        return 47622;
    if (code >= 91 && code <= 93)
        return int32_t(47626 + code - 91);
    if (code == 100)
        return 47629;
    SASSERT(0);
    return 47614;
}

GenericClientException MapSystemException(const char* name, uint32_t minor, int32_t completed,
                                          const char* reason)
{
    const SystemExceptionRow* row = nullptr;
    for (const auto& candidate : kSystemExceptions)
        if (name && std::strcmp(name, candidate.name) == 0) {
            row = &candidate;
            break;
        }
    HRESULT hr = HRESULT(0x80004005);
    SIArray<message_union> messages;
    if (!row) {
        SASSERT_INFO(false, "Unknown corba exception");
        messages.Add(message_union::Id(kMsgUnidentifiedFailure, 0));
    } else {
        hr = HRESULT(row->hr);
        const SString upper = SStringConv::ToString(uint32_t((minor >> 16) + 1));
        if (row->msgId == kMsgSocksNegotiation) {
            messages.Add(message_union::Id(kMsgSocksNegotiation, 2));
            messages.Add(message_union::Text(upper));
            messages.Add(message_union::Text(LoadString(uint32_t(SocksReplyMessage(minor)))));
        } else if (row->msgId == kMsgSocksServer) {
            messages.Add(message_union::Id(kMsgSocksServer, 1));
            messages.Add(message_union::Text(upper));
        } else {
            messages.Add(message_union::Id(row->msgId, 0));
        }
    }
    SString detail("Type:");
    detail += name ? name : "";
    switch (completed) {
    case 0:
        detail += " Status: Failed on the server.";
        break;
    case 1:
        detail += " Status: Failed on the client.";
        break;
    case 2:
        detail += " Status: not known.";
        break;
    default:
        break;
    }
    detail += " Reason: ";
    if (reason)
        detail += reason;
    return GenericClientException(hr, messages, detail, GenericClientException::NoSupplInfo,
                                  nullptr);
}

GenericClientException::GenericClientException(const CORBA::SystemException& e)
    : GenericClientException(
          MapSystemException(e._name(), e.minor(), int32_t(e.completed()), e.NP_minorString()))
{
}

void RaiseFromSystemException(const CORBA::SystemException& e, const char* file, int line)
{
    GenericClientException mapped(e);
    mapped.AddContext(SiteText("%s(%d) ", file, line).GetString());
    LogMapped(EVENTLOG_WARNING_TYPE, mapped.MessageText());
    LogMapped(EVENTLOG_DEBUG_TYPE, mapped.Details());
    throw mapped;
}

void RaiseFromUserException(const CORBA::UserException&, const char* file, int line)
{
    RaiseUnknown(file, line);
}

void RaiseFromException(const CORBA::Exception&, const char* file, int line)
{
    RaiseUnknown(file, line);
}

void RaiseFromAbuse(const Norvel::norvel_abuse& e, const char* file, int line)
{
    const SString context = SiteText("Server exception caught at %s(%d) ", file, line);

    SIArray<message_union> messages;
    for (CORBA::ULong i = 0; i < e.messages.length(); ++i) {
        const Norvel::message_union& entry = e.messages[i];
        switch (entry._d()) {
        case Norvel::mt_id:
            messages.Add(message_union::Id(entry.msgId().msgId, entry.msgId().num_strings));
            break;
        case Norvel::mt_string:
            messages.Add(message_union::Text(AnsiFromCorba(entry.msgString())));
            break;
        default:
            SASSERT(0);
            break;
        }
    }
    CheckMessageList(messages);

    int32_t supplState = GenericClientException::UnknownSupplInfo;
    SupplErrorInfo::ErrInfoBatch batch;
    CORBA::TypeCode_var type = e.supplErrInfo.type();
    if (type->kind() == CORBA::tk_null) {
        supplState = GenericClientException::NoSupplInfo;
    } else if (type->kind() == CORBA::tk_struct &&
               type->equal(Norvel::Norveli::InfoStore::_tc_BatchError)) {
        const Norvel::Norveli::InfoStore::BatchError* value = nullptr;
        if (!(e.supplErrInfo >>= value) || !value) {
            SASSERT(0);
        } else {
            for (CORBA::ULong i = 0; i < value->failedItems.length(); ++i)
                batch.m_failedItems.Add(value->failedItems[i]);
            for (CORBA::ULong i = 0; i < value->failureCodes.length(); ++i)
                batch.m_failureCodes.Add(CodeToHResult(int16_t(value->failureCodes[i] & 0xFFFF)));
            for (CORBA::ULong i = 0; i < value->untriedItems.length(); ++i)
                batch.m_untriedItems.Add(value->untriedItems[i]);
            if (messages.GetSize() == 1 && messages[0]._d() == GenericClientException::mt_id &&
                messages[0].msgId().num_strings == 0) {
                messages.ElementAt(0).msgId({messages[0].msgId().msgId, 1});
                messages.Add(message_union::Text(batch.BatchText()));
            }
            supplState = GenericClientException::BatchError;
        }
    }

    GenericClientException mapped(CodeToHResult(e.errCode), messages, context, supplState, &batch);
    mapped.AddContext(AnsiFromCorba(e.details).GetString());
    // The debug record's text only when debug records are kept.
    if (EVENTLOG_DEBUG_TYPE <= GetLogLevel()) {
        SString record = mapped.MessageText();
        record += " ";
        record += mapped.Details();
        LogMapped(EVENTLOG_DEBUG_TYPE, record);
    }
    throw mapped;
}
