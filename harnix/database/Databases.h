#pragma once
// The database files of a program folder: zad.MDB (the main database, with its
// password), MAINTEN.MDB (the error log) and CP.MDB (the postal codes).
// Each is made from the schema of this folder; the functions serve the
// database tool and the tests' fixtures alike.

#include "platform/ado/Connection.h"

#include <functional>
#include <string>
#include <string_view>

namespace ado {
class Connection;
}

namespace database {

// The password recorded in zad.MDB.
std::string_view ZadPassword();

// The connection string the program builds for a database file.
std::string ConnectionString(std::string_view path, std::string_view password = {});

// Each creates a new file and raises vb::Error 0x80004005 when the file exists
// or cannot be made.
// zad.MDB: tables, indexes, relations and stored queries; with demo, the
// demonstration data as well.
void CreateZad(const std::string& path, bool demo);
// zad.MDB with the rows that fill writes in the transaction that lays the schema.
void CreateZad(const std::string& path, const std::function<void(ado::Connection&)>& fill);
// MAINTEN.MDB: the error log table, empty.
void CreateMainten(const std::string& path);
// CP.MDB: the postal-code table with its towns.
void CreateCodesPostaux(const std::string& path);

// Gives an open zad.MDB the indexes of its schema that it lacks, as a file made before they were
// added does; those it has stay as they are. Only searches depend on them: an index that cannot
// be made now (a read-only or locked file) is left for a later start, without a word.
void AddMissingIndexes(ado::Connection& connection);

} // namespace database
