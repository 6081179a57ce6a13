#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Recognition of media files from their first bytes, and the picture size and
// codec code that their own headers record.
namespace slidora {

// Whether the file's extension names a still picture.
bool ItIsAPic(std::string_view path);

// The media kind: "mpg", "avi", "wav", "dat", "ram", "mid", "wmv", or the
// file's extension when the first bytes name none of these.
std::string FileTypeFromHeader(const std::string& path);

// The 32 base-2 digits of n, most significant first.
std::string NumberToBits(std::uint32_t n);
// The number whose base-2 digits these are.
std::uint32_t BitsToNumber(std::string_view digits);

// Reads the codec code (type, 5 characters, or empty when the headers give
// none) and the picture size of the file. The size is kept as it stands when
// an ASF header holds no picture size at all, as a media description keeps
// the size of the file identified before it.
void ReadHeaderInfo(const std::string& path, std::string& type, std::int16_t& width,
                    std::int16_t& height);

// The type as shown: cut at its first NUL character.
std::string ShownType(const std::string& type);

} // namespace slidora
