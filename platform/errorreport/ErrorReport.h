#pragma once
// The error-report component of the report server: an in-process COM class that publishes a
// component's failure to its COM client as the calling thread's error information. The caller
// hands over its message list in place, behind a small handle record.

#include "platform/com/Unknown.h"

#include <cstdint>

inline constexpr CLSID CLSID_ErrorReport{
    0x0D1D15C2, 0xC958, 0x11D3, {0x9C, 0x02, 0x00, 0x90, 0x27, 0x19, 0x14, 0x8B}};

// The handle of a message list, read by the component for the duration of the call: at offset 0
// the kind 2 (16 bits, then 2 bytes of padding), at 4 the signature 0xAF0EC58C, at 8 the address
// of the caller's message list (8 bytes with 64-bit pointers; 16 bytes in all).
struct MessageListHandle
{
    static constexpr uint16_t kKind = 2;
    static constexpr uint32_t kSignature = 0xAF0EC58C;

    uint16_t kind = kKind;
    uint16_t padding = 0;
    uint32_t signature = kSignature;
    const void* list = nullptr;
};
static_assert(sizeof(MessageListHandle) == 16);

// The message list the handle points at, as it lies in the caller's memory (64-bit): the array
// object is a table pointer followed by the first, end and end-of-capacity pointers of its
// entries. Each entry is 24 bytes: the message identifier (32 bits) at 0, the number of argument
// entries that follow it (16 bits) at 4, the text at 8 (a pointer to a text buffer whose
// characters, zero-terminated UTF-8, start 12 bytes in), a set flag (8 bits) at 16 and the kind
// (32 bits: 0 identifier, 1 text) at 20. A message is an identifier entry followed by its
// arguments, each a text entry or a nested message, in prefix order.
struct MessageListView
{
    struct Entry
    {
        int32_t msgId;
        int16_t numStrings;
        const unsigned char* textBuffer;
        uint8_t set;
        int32_t kind;

        const char* Text() const
        {
            return textBuffer ? reinterpret_cast<const char*>(textBuffer + 12) : "";
        }
    };
    static_assert(sizeof(Entry) == 24);

    const void* table;
    const Entry* first;
    const Entry* end;
    const Entry* capacity;
};

struct IErrorReport : IUnknown
{
    static constexpr IID iid{
        0xE73EE82C, 0xE12D, 0x45D7, {0x8B, 0x9E, 0x29, 0x21, 0xE6, 0x3C, 0x1A, 0xA2}};
    // Publishes the failure hr of interface *iid of class *clsid with its messages and
    // supplementary information (state 0 unknown, 1 none, 2 a batch error whose data is a
    // VARIANT array of three arrays: failed items, failure codes, untried items). Returns the
    // HRESULT the component's method is to return.
    virtual HRESULT ReportError(const CLSID* clsid, const IID* iid, MessageListHandle* messages,
                                HRESULT hr, LONG supplState, VARIANT supplData) = 0;
};
