#pragma once
// A year of sample movements: for each month of 2005, each article of the stock view and each
// employee, one movement of type 2 dated the first of the month at midnight, with one line of
// 5 units, written through the one movement writer.

#include "platform/ado/Connection.h"

namespace MouvementsMensuels {

// Writes the movements in the order month, article, employee, all in one transaction on the
// connection: a failure leaves nothing written. Returns the number of movements. Raises the
// database's vb::Error.
long Generer(ado::Connection& connexion);

} // namespace MouvementsMensuels
