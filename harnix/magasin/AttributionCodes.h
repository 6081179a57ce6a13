#pragma once
// A pick in the article card's code list: the card's article takes a machine article code of
// the pool, or exchanges its code with the article that holds the one picked.

#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"

#include <cstdint>

namespace CodesArticles {

// What a pick did, and so which codes the list offers next: the free ones after a code was
// given, every code after an exchange, the list unchanged when the pick was refused.
enum class Attribution {
    Refusee,
    Attribuee,
    Echangee,
};

// The article at the card's row takes the code and the pool marks it as the article's, its
// former code freed. A code another article holds is only given through an exchange: nothing
// changes.
Attribution AttribuerCode(const ado::Connection& cn, ado::Recordset& fiche, int32_t code);

// The article at the card's row and the article of the card's rows that holds the code swap
// their codes, and the pool follows the holders; the card stays on its article. A code that no
// article holds is given as AttribuerCode gives it.
Attribution EchangerCode(const ado::Connection& cn, ado::Recordset& fiche, int32_t code);

} // namespace CodesArticles
