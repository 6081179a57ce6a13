#pragma once
// What the fuzz targets share: files in a folder of the process's own, and the splitting of an
// input into parts.

#include "platform/vb/Variant.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

// The input as text.
inline std::string_view Text(const uint8_t* data, size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// The part of the input before its first zero byte (all of it when it has none); the input keeps
// what follows the zero.
std::string_view NextPart(std::string_view& input);

// A value of each kind the language has, made from the part of the input before its first zero:
// its first byte picks the kind, the rest gives the number, date or text.
vb::Variant NextValue(std::string_view& input);

// A folder of this process's own, made on first use (mode 0700, under TMPDIR or /tmp) and
// removed at exit.
const std::string& Folder();

// The path of a file of that name in Folder(), written with the bytes.
std::string WriteFile(const std::string& name, std::string_view bytes);

} // namespace fuzz
