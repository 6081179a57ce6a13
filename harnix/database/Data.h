#pragma once
// Rows that the database tool writes: the demonstration data of zad.MDB and the
// towns of CP.MDB.

#include "platform/ado/Connection.h"

#include <string>
#include <string_view>

namespace database::data {

void FillDemo(ado::Connection& connection);
// The company, the families with their sizes, the suppliers, the sites and the services of the
// demonstration: the tables a generated database shares with it.
void FillCompanyTables(ado::Connection& connection);
void FillPostalCodes(ado::Connection& connection);

// An SQL text literal: quoted, with its quotes doubled.
std::string Quote(std::string_view text);

} // namespace database::data
