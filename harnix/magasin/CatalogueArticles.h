#pragma once
// The import of a supplier's catalogue into the article table, in three stages through the
// catalogue's work table FICHIERARTICLE4: the prepared rows (one per product and size), their
// sizes as the system numbers them, and the articles made from them. Each stage writes in one
// transaction: the import undoes its own on an error; the preparation and the conversion leave
// theirs open, for the caller to roll back or to drop with the catalogue's connection. The rows
// a stage leaves aside are added to `ecartees`, each with its reason. Errors are vb::Error.

#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"

#include <string>
#include <vector>

namespace CatalogueArticles {

inline constexpr const char* TableDeTravail = "FICHIERARTICLE4";

using Ecartees = std::vector<std::string>;

// A table of the catalogue as the stages open it: client cursor, pessimistic locking.
ado::Recordset Ouvrir(const ado::Connection& cn, const std::string& texte);

// One prepared row per size row whose product is found and whose supplier reference holds the
// product's base reference, or per size row without product. The work table is emptied first:
// a second run makes the same rows, not twice as many. A size row without family is left aside.
void PreparerArticlesCatalogue(ado::Connection& catalogue, Ecartees& ecartees);

// Each prepared row takes the number of the size of its family (table Tailles of `cn`) whose
// name is its size name; rows without such a size keep theirs.
void ConvertirTaillesCatalogue(ado::Connection& catalogue, const ado::Connection& cn,
                               Ecartees& ecartees);

// One article of `cn` per prepared row, numbered as the catalogue numbers it, created today,
// its pack price the units per pack times the unit price. A row the database refuses (a number
// an article holds, a family or size the system lacks) is left aside; the others are added.
void ImporterArticlesCatalogue(ado::Connection& catalogue, ado::Connection& cn, Ecartees& ecartees);

} // namespace CatalogueArticles
