#pragma once
// The computations of the article card: purchase prices per unit and per pack and the alert
// threshold in packs and units.

#include "platform/vb/Currency.h"

#include <cstdint>
#include <string>

namespace PrixArticles {

// A typed price rounded to the cent: the text formatted with "0.00" and read as currency.
vb::Currency PrixSaisi(const std::string& texte);

// The unit price of a pack price, to the cent. A pack size of 0 raises error 11.
vb::Currency PrixUnitaire(vb::Currency prixPaquet, int32_t unitesParPaquet);

// The threshold q in packs of p units and the units left over: "2 P + 3 U". A pack size of 0
// raises error 11.
std::string TextePaquets(int32_t quantite, int32_t unitesParPaquet);

// The whole value of a box's text (a text that is not a number raises error 13).
int32_t ValeurEntiere(const std::string& texte);

} // namespace PrixArticles
