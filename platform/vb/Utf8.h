#pragma once

#include <string>
#include <string_view>

// Walking UTF-8 texts by characters; used inside the runtime only.
namespace vb::utf8 {

// The character at pos, advancing pos past it. A byte that does not start a valid sequence
// counts as one character of its own (its byte value), so that no byte is lost.
char32_t Next(std::string_view text, size_t& pos);

void Append(std::string& text, char32_t ch);

// The byte offset of character `index` (from 0), or text.size() past the end.
size_t Offset(std::string_view text, long index);

long Length(std::string_view text);

} // namespace vb::utf8
