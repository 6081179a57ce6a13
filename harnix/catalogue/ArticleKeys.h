#pragma once
// The keys each box of the article card accepts.

#include <string>

namespace PrixArticles {

// The key that the card's box of that index keeps of a typed one (0 drops it). Control keys
// always pass; in the price boxes "," and "." both give the decimal separator of the settings.
int FiltreTouche(int index, int keyAscii, const std::string& separateurDecimal);

} // namespace PrixArticles
