#pragma once
// The catalogue a database file holds besides its tables and views:
// - the database password: the one row of SysPassword(Password TEXT NOT NULL);
//   no table, no row or an empty text means no password;
// - parameterised stored queries: rows of SysQueries(Name, Parameters, Body);
//   Parameters is the comma-separated list of parameter names, each with its
//   type when declared ("[DateDébut] DateTime, [DateFin] DateTime"), Body the
//   query in the Access dialect with [name] for each parameter. "EXEC name a, b"
//   binds the arguments by position, ProcedureCommand's parameters by name;
// - stored queries without parameters: plain SQLite views.
//
// Text columns compare without regard to case and sort in French order when
// they are declared with the collation TextCollation ("Nom TEXT COLLATE
// FRENCH"); TranslateSql adds it to the text columns of CREATE TABLE.

#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"

#include <optional>
#include <string>
#include <string_view>

namespace ado {

inline constexpr std::string_view TextCollation = "FRENCH";

// The one way to make a new, empty database file (with its catalogue tables).
// Raises vb::Error 0x80004005 when the file exists or cannot be made.
void CreateDatabaseFile(const std::string& path, std::string_view password);

// Records (or replaces) a parameterised stored query.
void DefineQuery(Connection& connection, std::string_view name, std::string_view parameters,
                 std::string_view body);

// Creates (or replaces) a view from a query in the Access dialect.
void DefineView(Connection& connection, std::string_view name, std::string_view accessSql);

// The password recorded in an open database; empty for none.
std::string DatabasePassword(Connection& connection);

// The parameter list and body of a stored query; none when the name is unknown.
struct StoredQuery
{
    std::string name;
    std::string parameters;
    std::string body;
};
std::optional<StoredQuery> FindStoredQuery(Connection& connection, std::string_view name);

// The command of a parameterised stored query, bound to the connection, with the parameters it
// declares (values not set). Raises 0x80040E37 when there is no such query.
Command ProcedureCommand(Connection& connection, std::string_view name);

} // namespace ado
