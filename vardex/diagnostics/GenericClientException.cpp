#include "vardex/diagnostics/GenericClientException.h"

#include "vardex/support/sassert.h"
#include "vardex/support/sresmanager.h"
#include "vardex/support/sresstring.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

using message_union = GenericClientException::message_union;

// The layout the error-report component relies on.
struct MessageUnionLayout
{
    static_assert(offsetof(message_union, m_id) +
                      offsetof(GenericClientException::message_id, msgId) ==
                  0);
    static_assert(offsetof(message_union, m_id) +
                      offsetof(GenericClientException::message_id, num_strings) ==
                  4);
    static_assert(offsetof(message_union, m_string) == 8);
    static_assert(offsetof(message_union, m_set) == 16);
    static_assert(offsetof(message_union, m_discriminator) == 20);
    static_assert(sizeof(message_union) == 24);
};

int32_t BatchFailureMessageId(HRESULT failureCode)
{
    const uint32_t code = uint32_t(failureCode);
    if (code < 0x80041E00u)
        return 0;
    return int32_t(code - 0x80041E00u + uint32_t(kMsgFirstBatchFailure));
}

SString SupplErrorInfo::ErrInfoBatch::BatchText() const
{
    SASSERT(m_failedItems.GetSize() == m_failureCodes.GetSize());
    SString text;
    for (LONG code : m_failureCodes) {
        text += "\n";
        text += LoadString(uint32_t(BatchFailureMessageId(code)));
    }
    return text;
}

void message_union::msgId(const message_id& id)
{
    m_string.Empty();
    m_id = id;
    m_discriminator = GenericClientException::mt_id;
    m_set = 1;
}

void message_union::msgString(const SString& text)
{
    m_id = {0, 0};
    m_string = text;
    m_discriminator = GenericClientException::mt_string;
    m_set = 1;
}

message_union message_union::Id(int32_t msgId, int32_t numStrings)
{
    message_union entry;
    entry.msgId({msgId, int16_t(numStrings)});
    return entry;
}

message_union message_union::Text(const SString& text)
{
    message_union entry;
    entry.msgString(text);
    return entry;
}

const GenericClientException::message_id& message_union::msgId() const
{
    if (!m_set)
        LogAssert(__FILE__, SASSERT_STR(__LINE__), "_ob_i_", "");
    else if (m_discriminator != GenericClientException::mt_id)
        LogAssert(__FILE__, SASSERT_STR(__LINE__), "_OB_check((message_type)0)", "");
    return m_id;
}

const SString& message_union::msgString() const
{
    if (!m_set)
        LogAssert(__FILE__, SASSERT_STR(__LINE__), "_ob_i_", "");
    else if (m_discriminator != GenericClientException::mt_string)
        LogAssert(__FILE__, SASSERT_STR(__LINE__), "_OB_check((message_type)1)", "");
    return m_string;
}

namespace {

// Copies text into buffer (at most size - 1 characters and the zero).
void CopyOut(const SString& text, char* buffer, int32_t size)
{
    SASSERT(buffer != 0);
    SASSERT(size > 0);
    if (!buffer || size <= 0)
        return;
    const int32_t n = std::min(text.GetLength(), size - 1);
    std::memcpy(buffer, text.GetString(), std::size_t(n));
    buffer[n] = '\0';
    buffer[size - 1] = '\0';
}

} // namespace

GenericClientException::GenericClientException()
{
    m_messages.Add(message_union::Id(kMsgUnfilledException, 0));
}

GenericClientException::GenericClientException(HRESULT hr, int32_t msgId,
                                               const SIArray<SString>& args, const SString& detail)
    : m_hr(hr), m_details(detail)
{
    m_messages.Add(message_union::Id(msgId, args.GetSize()));
    for (const SString& arg : args)
        m_messages.Add(message_union::Text(arg));
}

GenericClientException::GenericClientException(HRESULT hr, const SIArray<message_union>& messages,
                                               const SString& detail, int32_t supplState,
                                               const SupplErrorInfo::ErrInfoBatch* batch)
    : m_hr(hr), m_messages(messages), m_details(detail)
{
    if (supplState == BatchError && batch) {
        SetBatchError(*batch);
    } else if (supplState == UnknownSupplInfo) {
        SetUnknownSupplErrInfo();
    } else if (supplState != NoSupplInfo) {
        // A state without its object, as a copy keeps it.
        SASSERT(0);
        SetSuppl(supplState, nullptr);
    }
}

GenericClientException::GenericClientException(const GenericClientException& other)
    : AbGenericClientException(other), m_hr(other.m_hr), m_messages(other.m_messages),
      m_details(other.m_details)
{
    CopySuppl(other);
}

GenericClientException& GenericClientException::operator=(const GenericClientException& other)
{
    if (this != &other) {
        m_hr = other.m_hr;
        m_messages = other.m_messages;
        m_details = other.m_details;
        CopySuppl(other);
    }
    return *this;
}

GenericClientException::~GenericClientException() = default;

void GenericClientException::CopySuppl(const GenericClientException& other)
{
    switch (other.m_discriminant) {
    case UnknownSupplInfo:
    case NoSupplInfo:
        SetSuppl(other.m_discriminant, nullptr);
        break;
    case BatchError: {
        auto* batch = dynamic_cast<const SupplErrorInfo::ErrInfoBatch*>(other.m_supplErrInfo.get());
        SetSuppl(BatchError,
                 batch ? std::make_unique<SupplErrorInfo::ErrInfoBatch>(*batch) : nullptr);
        break;
    }
    default:
        SASSERT(0);
        SetSuppl(other.m_discriminant, nullptr);
        break;
    }
}

void GenericClientException::SetSuppl(int32_t state,
                                      std::unique_ptr<SupplErrorInfo::ErrInfoBase> info)
{
    m_supplErrInfo = std::move(info);
    m_discriminant = state;
}

void GenericClientException::SetUnknownSupplErrInfo()
{
    SetSuppl(UnknownSupplInfo, nullptr);
}

void GenericClientException::SetNoSupplErrInfo()
{
    SetSuppl(NoSupplInfo, nullptr);
}

void GenericClientException::SetBatchError(const SupplErrorInfo::ErrInfoBatch& batch)
{
    SetSuppl(BatchError, std::make_unique<SupplErrorInfo::ErrInfoBatch>(batch));
}

SupplErrorInfo::ErrInfoBatch GenericClientException::GetBatchError() const
{
    SASSERT(m_discriminant == BatchError);
    auto* batch = dynamic_cast<const SupplErrorInfo::ErrInfoBatch*>(m_supplErrInfo.get());
    if (m_discriminant != BatchError || !batch)
        return {};
    return *batch;
}

void GenericClientException::GetMessage(char* buffer, int32_t size) const
{
    CopyOut(MessageText(), buffer, size);
}

void GenericClientException::GetDetails(char* buffer, int32_t size) const
{
    CopyOut(m_details, buffer, size);
}

void GenericClientException::AddContext(const char* text)
{
    SString detail(text);
    detail += "\n";
    detail += m_details;
    m_details = detail;
}

SString GenericClientException::MessageText() const
{
    SString text;
    int32_t position = 0;
    while (position < m_messages.GetSize()) {
        text += FormatMessageAt(position);
        text += "\n";
    }
    return text;
}

SString GenericClientException::FormatMessageAt(int32_t& position) const
{
    const int32_t size = m_messages.GetSize();
    if (position >= size || m_messages[position]._d() != mt_id || !m_messages[position].IsSet()) {
        SASSERT(0);
        ++position;
        return {};
    }
    const message_id id = m_messages[position].msgId();
    ++position;
    sresstring message(uint32_t(id.msgId));
    bool broken = false;
    // A count that runs past the end of the list takes the arguments that are there.
    for (int32_t i = 0; i < id.num_strings && position < size; ++i) {
        const message_union& entry = m_messages[position];
        if (entry.IsSet() && entry._d() == mt_id) {
            message.AddArgument(FormatMessageAt(position).GetString());
        } else if (entry.IsSet() && entry._d() == mt_string) {
            message.AddArgument(entry.msgString().GetString());
            ++position;
        } else {
            SASSERT(0);
            ++position;
            broken = true;
        }
    }
    if (broken)
        return {};
    return message.Format();
}
