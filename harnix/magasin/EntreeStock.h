#pragma once
// The arithmetic of a stock receipt: the packs typed, the units they make and the live total,
// all within the 32-bit range of the stock columns.

#include <cstdint>
#include <string>

namespace EntreeStock {

// The number of packs typed: an optional minus sign, then digits, nothing else. Any other text
// (a lone "-", "3-") raises error 13; a number past the 32-bit range raises 6.
int32_t NombrePacks(const std::string& texte);

// packs × units per pack, and a stock plus units; past the 32-bit range, error 6.
int32_t Unites(int32_t packs, int32_t parPaquet);
int32_t Ajouter(int32_t stock, int32_t unites);

// "TOTAL: 4 x 5 = 20" for the packs text "4" and 5 units per pack; the packs text as typed.
std::string TexteTotal(const std::string& packs, int32_t parPaquet);

} // namespace EntreeStock
