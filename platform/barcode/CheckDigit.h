#pragma once
// The EAN-13 check digit, shared by the report engine's bar codes and the badge codes.

#include <string_view>

namespace barcode {

// The check digit of the first twelve characters: odd positions weigh 1, even ones 3; a
// position past the end or one that is not a digit counts 0.
int Ean13CheckDigit(std::string_view twelve);

} // namespace barcode
