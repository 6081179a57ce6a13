#pragma once
// Article numbers and the pool of machine article codes (table CodeArticle): a new article's
// number, the creation of codes 1 to N, and who holds a code.

#include "platform/ado/Connection.h"
#include "platform/vb/Variant.h"

#include <cstdint>
#include <string>

namespace CodesArticles {

// The highest code that may be created.
inline constexpr int32_t CodeMaximum = 2000;

// Adds an article with only its number and creation date (today, as its short date text) and
// returns its number: the greatest number + 1, or 1000 for the first article and when the
// greatest number is 0.
int32_t AjouterArticle(const ado::Connection& cn);

// The highest code to create read from the box: nothing when the text is not a number or its
// whole value is above CodeMaximum. Raises an overflow (error 6) for a number beyond a double
// or below the 32-bit range.
bool LireCodeMaximum(const std::string& texte, int32_t& plusHaut);

// Makes the pool hold the codes 1 to plusHaut: missing codes are appended free, and each code
// is marked as held by the article that has it, or free when no article has it.
void CreerCodes(const ado::Connection& cn, int32_t plusHaut);

// The Reference of the article the pool says holds the code; Null when the code is free or
// not in the pool.
vb::Variant Detenteur(const ado::Connection& cn, int32_t code);

// Marks the code as held by the article (Null frees it).
void MarquerCode(const ado::Connection& cn, int32_t code, const vb::Variant& reference);

} // namespace CodesArticles
