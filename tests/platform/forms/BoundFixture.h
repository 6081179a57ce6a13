#pragma once

#include "platform/ado/Catalogue.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/testing/ProgramFolder.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"

#include <string>

// A real database file in a temporary program folder, with the tables the bound-control tests
// work on: articles with a key, families with a counter, and a company table without a key.
namespace forms::testing {

class BoundDatabase
{
public:
    BoundDatabase()
    {
        path_ = folder_.FilePath("zad.MDB").toStdString();
        ado::CreateDatabaseFile(path_, "");
        connection = Open();
        connection.Execute(
            "CREATE TABLE Articles (Reference LONG PRIMARY KEY, Designation "
            "TEXT(40), PrixAchatUnit CURRENCY, DateCreation DATETIME, Famille LONG)");
        connection.Execute("INSERT INTO Articles VALUES "
                           "(1000, 'GANTS', 12.5, '2024-05-12 00:00:00', 1), "
                           "(1001, 'CASQUE', 30, NULL, 2), "
                           "(1002, 'BOTTES', 45.25, '2024-04-01 00:00:00', NULL)");
        connection.Execute("CREATE TABLE Familles (NoFamille COUNTER, NomFamille TEXT(50))");
        connection.Execute("INSERT INTO Familles (NomFamille) VALUES ('GANTS'), ('CASQUES'), "
                           "('CHAUSSURES')");
        connection.Execute("CREATE TABLE InfoSociete (Nom TEXT(50), Tel TEXT(20), VD TEXT(10))");
        connection.Execute("INSERT INTO InfoSociete VALUES ('DUPONT SA', NULL, '001')");
    }

    ado::Connection Open() const
    {
        ado::Connection c;
        c.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_ +
               ";Jet OLEDB:Database Password=");
        return c;
    }

    // A recordset as the windows open theirs: client-side, dynamic, optimistic.
    ado::Recordset Recordset(const std::string& source) const
    {
        ado::Recordset rs;
        rs.SetCursorLocation(ado::adUseClient);
        rs.Open(source, connection, ado::adOpenDynamic, ado::adLockOptimistic);
        return rs;
    }

    // One value as the file holds it, read through a connection of its own; "<Null>" for Null.
    std::string Stored(const std::string& sql) const
    {
        ado::Connection other = Open();
        ado::Recordset rs;
        rs.Open(sql, other);
        const vb::Variant value = rs.Fields(0L).Value();
        return value.IsNull() ? "<Null>" : vb::CStr(value);
    }

    ado::Connection connection;

private:
    ProgramFolder folder_;
    std::string path_;
};

} // namespace forms::testing
