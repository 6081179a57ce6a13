#pragma once
// The one exception class that carries failures inside the library: an HRESULT and a message
// list for the COM client, a detail text for the logs, and supplementary error information of
// the report server's batch operations.

#include "platform/wintypes/Types.h"
#include "vardex/support/scontainers.h"
#include "vardex/support/sstring.h"

#include <cstdint>
#include <memory>

namespace CORBA {
class SystemException;
}

// Message identifiers of this model.
inline constexpr int32_t kMsgUnfilledException = 48133; // created, not yet filled
inline constexpr int32_t kMsgUnidentifiedFailure = 42154;
inline constexpr int32_t kMsgFirstBatchFailure = 48160; // batch code 0x80041E00

// The message identifier of a batch failure code: the codes from 0x80041E00 up (unsigned)
// count from 48160; a code below has no message (0).
int32_t BatchFailureMessageId(HRESULT failureCode);

namespace SupplErrorInfo {

class ErrInfoBase
{
public:
    virtual ~ErrInfoBase() = default;
};

// The outcome of a batch: the items that failed, one failure code (an HRESULT) per failed item,
// and the items not attempted.
class ErrInfoBatch : public ErrInfoBase
{
public:
    SIArray<LONG> m_failedItems;
    SIArray<LONG> m_failureCodes;
    SIArray<LONG> m_untriedItems;

    // One line per failure code, each a line feed and the code's message text as stored.
    SString BatchText() const;
};

} // namespace SupplErrorInfo

class AbGenericClientException
{
public:
    virtual HRESULT GetHResult() const = 0;
    // Copy the message text (or the detail text) into buffer, at most size characters with the
    // terminating zero always at size - 1.
    virtual void GetMessage(char* buffer, int32_t size) const = 0;
    virtual void GetDetails(char* buffer, int32_t size) const = 0;
    // Puts a line in front of the detail text.
    virtual void AddContext(const char* text) = 0;
    virtual ~AbGenericClientException() = default;
};

class GenericClientException : public AbGenericClientException
{
public:
    enum message_type : int32_t { mt_id = 0, mt_string = 1 };

    struct message_id
    {
        int32_t msgId;
        int16_t num_strings;
    };

    // One entry of a message list: a message identifier with the number of argument entries
    // that follow it, or a text. The error-report component reads message lists in place, so
    // the layout is fixed; with 64-bit pointers it is: msgId at 0, num_strings at 4, the text
    // (one SString handle, 8 bytes) at 8, the set flag (8 bits) at 16, the discriminator
    // (32 bits) at 20; 24 bytes in all.
    class message_union
    {
    public:
        message_union() = default;
        // An identifier entry, and a text entry.
        static message_union Id(int32_t msgId, int32_t numStrings);
        static message_union Text(const SString& text);

        message_type _d() const { return message_type(m_discriminator); }
        bool IsSet() const { return m_set != 0; }

        void msgId(const message_id& id);
        void msgString(const SString& text);
        // Reading the member of the other kind, or of an unset entry, is reported.
        const message_id& msgId() const;
        const SString& msgString() const;

    private:
        message_id m_id{0, 0};
        SString m_string;
        uint8_t m_set = 0;
        int32_t m_discriminator = 0;

        friend struct MessageUnionLayout;
    };

    // The states of the supplementary error information.
    enum SupplState : int32_t { UnknownSupplInfo = 0, NoSupplInfo = 1, BatchError = 2 };

    // HRESULT 0, message 48133 without arguments, no detail, no supplementary information.
    GenericClientException();
    // One message with text arguments.
    GenericClientException(HRESULT hr, int32_t msgId, const SIArray<SString>& args,
                           const SString& detail);
    // Everything given: a supplementary state 2 takes a copy of batch; a state outside 0-2 (or
    // 2 without a batch) is reported and kept without an object.
    GenericClientException(HRESULT hr, const SIArray<message_union>& messages,
                           const SString& detail, int32_t supplState,
                           const SupplErrorInfo::ErrInfoBatch* batch);
    // The mapped exception of the ORB (client_exception_mapper).
    explicit GenericClientException(const CORBA::SystemException& e);

    GenericClientException(const GenericClientException& other);
    GenericClientException& operator=(const GenericClientException& other);
    ~GenericClientException() override;

    HRESULT GetHResult() const override { return m_hr; }
    void GetMessage(char* buffer, int32_t size) const override;
    void GetDetails(char* buffer, int32_t size) const override;
    void AddContext(const char* text) override;

    // The messages formatted one after the other, each followed by a line feed.
    SString MessageText() const;
    const SString& Details() const { return m_details; }
    const SIArray<message_union>& Messages() const { return m_messages; }

    int32_t GetSupplState() const { return m_discriminant; }
    void SetUnknownSupplErrInfo();
    void SetNoSupplErrInfo();
    void SetBatchError(const SupplErrorInfo::ErrInfoBatch& batch);
    // The batch of state 2; another state is reported and gives an empty batch.
    SupplErrorInfo::ErrInfoBatch GetBatchError() const;

private:
    void SetSuppl(int32_t state, std::unique_ptr<SupplErrorInfo::ErrInfoBase> info);
    void CopySuppl(const GenericClientException& other);
    // Formats the message at position, moving position past it and its arguments.
    SString FormatMessageAt(int32_t& position) const;

    HRESULT m_hr = 0;
    SIArray<message_union> m_messages;
    SString m_details;
    int32_t m_discriminant = NoSupplInfo;
    std::unique_ptr<SupplErrorInfo::ErrInfoBase> m_supplErrInfo;
};
