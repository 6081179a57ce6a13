#pragma once
// BSTR: UTF-16 text preceded by its byte length (32 bits) and followed by a zero character.
// The pointer handed out points at the first character; embedded zeros are kept.

#include "platform/wintypes/Types.h"

#include <string>
#include <string_view>

COM_API BSTR SysAllocString(LPCOLESTR text);
// len characters from text (or uninitialised, zero-terminated, when text is null).
COM_API BSTR SysAllocStringLen(const OLECHAR* text, UINT len);
// len bytes from text (or uninitialised); the length prefix counts bytes.
COM_API BSTR SysAllocStringByteLen(const char* text, UINT len);
COM_API void SysFreeString(BSTR bstr);
// Characters (byte length / 2); 0 for a null BSTR.
COM_API UINT SysStringLen(BSTR bstr);
COM_API UINT SysStringByteLen(BSTR bstr);

// Task memory, also used for strings handed from callee to caller.
COM_API void* CoTaskMemAlloc(std::size_t size);
COM_API void CoTaskMemFree(void* p);

namespace com {
// Length of a zero-terminated UTF-16 text.
COM_VISIBLE std::size_t olestrlen(LPCOLESTR text);
// Decodes the UTF-8 character at text[i] and moves i past it; a byte that starts no valid
// sequence (overlong, surrogate, past U+10FFFF or cut short) gives U+FFFD and counts alone.
COM_VISIBLE char32_t decodeUtf8(std::string_view text, std::size_t& i);
// Writes the UTF-8 bytes of a character (4 at most) to out; their number.
COM_VISIBLE int encodeUtf8(char32_t c, char* out);
// UTF-8 <-> UTF-16 conversions; invalid sequences become U+FFFD.
COM_VISIBLE std::u16string utf16FromUtf8(std::string_view text);
COM_VISIBLE std::string utf8FromUtf16(std::u16string_view text);
// A new BSTR with the same content (embedded zeros included); null for a null BSTR or when out
// of memory.
COM_VISIBLE BSTR bstrCopy(BSTR bstr);
// A BSTR's whole content (embedded zeros included); empty for a null BSTR.
inline std::u16string_view bstrView(BSTR bstr)
{
    return bstr ? std::u16string_view(bstr, SysStringLen(bstr)) : std::u16string_view();
}
} // namespace com
