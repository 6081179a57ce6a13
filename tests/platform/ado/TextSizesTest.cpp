// Declared text sizes kept by statements as by record sets: Execute, stored queries, commands,
// INSERT ... SELECT; tables made later or by another connection; rollbacks and ALTER TABLE;
// views, virtual and attached tables; read-only files.

#include "AdoFixture.h"
#include "platform/ado/Catalogue.h"
#include "platform/ado/Command.h"
#include "platform/vb/Convert.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <initializer_list>
#include <string>

#include <unistd.h>

namespace {

using ado::testing::Raised;
using ado::testing::TempDatabase;

constexpr int32_t ErrMultipleStep = static_cast<int32_t>(0x80040E21);
const std::string TooLong =
    "L'opération en plusieurs étapes a généré des erreurs. Vérifiez chaque valeur d'état.";

void RawExecute(sqlite3* db, const std::string& sql)
{
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << error;
}

class TextSizesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A row an earlier version stored whole, before the guards: it stays readable and
        // its row stays writable.
        {
            sqlite3* raw = nullptr;
            ASSERT_EQ(sqlite3_open(db.Path().c_str(), &raw), SQLITE_OK);
            RawExecute(raw, "CREATE TABLE Articles (Id LONG PRIMARY KEY, Nom TEXT(5), "
                            "Code VARCHAR(3), Note MEMO, Prix CURRENCY);"
                            "INSERT INTO Articles VALUES (9, 'bien trop long', 'X', NULL, 1);"
                            "CREATE TABLE Source (Id LONG, Nom TEXT);"
                            "INSERT INTO Source VALUES (1, 'ok'), (2, 'abcdefgh'), (3, 'fin');"
                            "CREATE VIRTUAL TABLE Recherche USING fts5(Texte)");
            sqlite3_close(raw);
        }
        c = db.Open();
        ado::DefineView(c, "ArticlesChers", "SELECT * FROM Articles WHERE Prix > 10");
        ado::DefineQuery(c, "AjouteArticle", "[Num] Long, [LeNom] Text",
                         "INSERT INTO Articles (Id, Nom) VALUES ([Num], [LeNom])");
    }

    long Count(const std::string& where)
    {
        ado::Recordset rs;
        rs.Open("SELECT count(*) FROM Articles WHERE " + where, c);
        return vb::CLng(rs.Fields(0L).Value());
    }

    TempDatabase db;
    ado::Connection c;
};

// Each way a statement writes a text: refused beyond the size, with the record set's error, and
// nothing of the statement written; accepted up to the size, counted in characters.
TEST_F(TextSizesTest, StatementsKeepToTheDeclaredSizes)
{
    const struct
    {
        std::string statement;
        bool refused;
    } cases[] = {
        {"INSERT INTO Articles (Id, Nom) VALUES (1, 'abcdef')", true},
        {"INSERT INTO Articles (Id, Nom) VALUES (1, 'abcde')", false},
        {"INSERT INTO Articles (Id, Nom) VALUES (1, 'éééééé')", true},
        {"INSERT INTO Articles (Id, Nom) VALUES (1, 'ééééé')", false},
        {"INSERT INTO Articles (Id, Code) VALUES (1, 'abcd')", true},
        {"INSERT INTO Articles (Id, Code) VALUES (1, 12345)", true},
        {"INSERT INTO Articles (Id, Nom, Code) VALUES (1, Null, Null)", false},
        {"INSERT INTO Articles (Id, Note) VALUES (1, '" + std::string(300, 'n') + "')", false},
        {"UPDATE Articles SET Nom = 'abcdef' WHERE Id = 9", true},
        {"UPDATE Articles SET Code = 'abcd' WHERE Id = 9", true},
        {"UPDATE Articles SET Nom = Nom || 'x' WHERE Id = 9", true},
        // A too long text already stored is kept while the statement leaves it as it is.
        {"UPDATE Articles SET Prix = 2, Nom = Nom, Code = 'abc' WHERE Id = 9", false},
        {"INSERT INTO Articles (Id, Nom) SELECT Id, Nom FROM Source", true},
        {"INSERT INTO Articles (Id, Nom) SELECT Id, Nom FROM Source WHERE Id <> 2", false},
        {"EXEC AjouteArticle 1, 'abcdefg'", true},
        {"EXEC AjouteArticle 1, 'abc'", false},
    };
    for (const auto& k : cases) {
        c.BeginTrans();
        const long before = Count("Prix = 1 AND Nom = 'bien trop long' AND Code = 'X'");
        const auto [number, description] = Raised([&] { c.Execute(k.statement); });
        if (k.refused) {
            EXPECT_EQ(number, ErrMultipleStep) << k.statement;
            EXPECT_EQ(description, TooLong) << k.statement;
            EXPECT_EQ(Count("Id <> 9"), 0) << k.statement;
            EXPECT_EQ(Count("Prix = 1 AND Nom = 'bien trop long' AND Code = 'X'"), before)
                << k.statement;
        } else {
            EXPECT_EQ(number, 0) << k.statement << ": " << description;
        }
        c.RollbackTrans();
    }
    EXPECT_EQ(Count("Id = 9 AND Nom = 'bien trop long'"), 1);
}

// A table with more sized columns than one check of a row takes: its last columns are held too.
TEST_F(TextSizesTest, WideTables)
{
    std::string columns;
    for (int i = 0; i < 100; ++i)
        columns += ", C" + std::to_string(i) + " TEXT(3)";
    c.Execute("CREATE TABLE Large (Id LONG" + columns + ")");
    for (const auto& [statement, refused] : std::initializer_list<std::pair<std::string, bool>>{
             {"INSERT INTO Large (Id, C0, C99) VALUES (1, 'abc', 'abc')", false},
             {"INSERT INTO Large (Id, C99) VALUES (2, 'abcd')", true},
             {"INSERT INTO Large (Id, C45) VALUES (2, 'abcd')", true},
             {"UPDATE Large SET C98 = 'abcd' WHERE Id = 1", true},
             {"UPDATE Large SET C98 = 'xyz' WHERE Id = 1", false},
         }) {
        EXPECT_EQ(Raised([&, &statement = statement] { c.Execute(statement); }).first,
                  refused ? ErrMultipleStep : 0)
            << statement;
    }
}

// A command's parameter is held to the size as the record set counts it: an embedded zero is
// a character too.
TEST_F(TextSizesTest, CommandParameters)
{
    ado::Command command;
    command.SetActiveConnection(c);
    command.SetCommandText("INSERT INTO Articles (Id, Nom) VALUES (1, [LeNom])");
    command.Parameters().push_back({"LeNom", "", vb::Variant(std::string("ab\0cdef", 7))});
    EXPECT_EQ(Raised([&] { command.Execute(); }), std::make_pair(ErrMultipleStep, TooLong));
    command.Parameters()[0].value = vb::Variant(std::string("ab\0cd", 5));
    EXPECT_EQ(command.Execute(), 1);

    ado::Command stored = ado::ProcedureCommand(c, "AjouteArticle");
    stored.Parameters()[0].value = vb::Variant(int32_t{2});
    stored.Parameters()[1].value = vb::Variant(std::string("abcdef"));
    EXPECT_EQ(ado::testing::ErrorOf([&] { stored.Execute(); }), ErrMultipleStep);
}

// The record set refuses as before, with the same error, and writes what fits.
TEST_F(TextSizesTest, RecordsetsGiveTheSameError)
{
    c.Execute("DELETE FROM Source"); // the guards are made
    ado::Recordset rs;
    rs.Open("Articles", c, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.AddNew();
    rs["Id"] = int32_t{1};
    EXPECT_EQ(Raised([&] { rs["Nom"] = "abcdef"; }), std::make_pair(ErrMultipleStep, TooLong));
    rs["Nom"] = "ééééé";
    rs.Update();
    EXPECT_EQ(Count("Nom = 'ééééé'"), 1);
}

// Tables made later, by this connection or another, are guarded; so are those whose guards a
// rollback took away, and those an ALTER TABLE changed.
TEST_F(TextSizesTest, SchemaChangesAndRollbacks)
{
    c.Execute("CREATE TABLE Sites (NomSite TEXT(4))");
    EXPECT_EQ(Raised([&] { c.Execute("INSERT INTO Sites VALUES ('Lyons')"); }).first,
              ErrMultipleStep);

    ado::Connection other = db.Open();
    other.Execute("CREATE TABLE Badges (NoBadge TEXT(2))");
    EXPECT_EQ(Raised([&] { c.Execute("INSERT INTO Badges VALUES ('123')"); }).first,
              ErrMultipleStep);

    ado::Connection fresh = db.Open();
    fresh.Execute("BEGIN");
    fresh.Execute("INSERT INTO Sites VALUES ('Nice')"); // the guards are made in the transaction
    fresh.Execute("ROLLBACK");
    EXPECT_EQ(Raised([&] { fresh.Execute("INSERT INTO Sites VALUES ('Lyons')"); }).first,
              ErrMultipleStep);

    c.Execute("ALTER TABLE Articles DROP COLUMN Code");
    c.Execute("ALTER TABLE Sites RENAME TO Villes");
    EXPECT_EQ(
        Raised([&] { c.Execute("INSERT INTO Articles (Id, Nom) VALUES (1, 'abcdef')"); }).first,
        ErrMultipleStep);
    EXPECT_EQ(Raised([&] { c.Execute("INSERT INTO Villes VALUES ('Lyons')"); }).first,
              ErrMultipleStep);
    EXPECT_EQ(c.Execute("INSERT INTO Villes VALUES ('Caen')"), 1);
    // Nothing of the guards goes into the file.
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(db.Path().c_str(), &raw), SQLITE_OK);
    sqlite3_stmt* triggers = nullptr;
    sqlite3_prepare_v2(raw, "SELECT count(*) FROM sqlite_schema WHERE type = 'trigger'", -1,
                       &triggers, nullptr);
    ASSERT_EQ(sqlite3_step(triggers), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(triggers, 0), 0);
    sqlite3_finalize(triggers);
    sqlite3_close(raw);
}

// An attached file's table of the same name keeps its own sizes, unguarded; a virtual table
// takes any text.
TEST_F(TextSizesTest, AttachedAndVirtualTables)
{
    const std::string attached = (db.Folder() / "autre.db").string();
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(attached.c_str(), &raw), SQLITE_OK);
    RawExecute(raw, "CREATE TABLE Articles (Id INTEGER, Nom TEXT(50))");
    sqlite3_close(raw);
    c.Execute("DELETE FROM Source"); // the guards are made
    RawExecute(c.Handle(), "ATTACH DATABASE '" + attached + "' AS autre");
    RawExecute(c.Handle(), "INSERT INTO autre.Articles VALUES (1, 'plus long que cinq')");
    EXPECT_EQ(c.Execute("INSERT INTO Recherche VALUES ('un texte de toute longueur')"), 1);
    EXPECT_EQ(
        Raised([&] { c.Execute("INSERT INTO Articles (Id, Nom) VALUES (1, 'abcdef')"); }).first,
        ErrMultipleStep);
}

// A file that cannot be written opens and reads; a write is refused as read-only, not by the
// guards. (A superuser writes any file: the test takes the rights of nobody.)
TEST_F(TextSizesTest, ReadOnlyFile)
{
    c.Close();
    namespace fs = std::filesystem;
    fs::permissions(db.Folder(), fs::perms::all);
    fs::permissions(db.Path(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const bool superuser = geteuid() == 0;
    ASSERT_TRUE(!superuser || seteuid(65534) == 0);
    {
        ado::Connection readOnly = db.Open();
        EXPECT_TRUE(sqlite3_db_readonly(readOnly.Handle(), "main"));
        ado::Recordset rs;
        rs.Open("SELECT Nom FROM Articles", readOnly);
        EXPECT_EQ(rs["Nom"].Value().StringValue(), "bien trop long");
        for (const char* statement : {"INSERT INTO Articles (Id, Nom) VALUES (1, 'abc')",
                                      "INSERT INTO Articles (Id, Nom) VALUES (1, 'abcdef')"}) {
            EXPECT_EQ(Raised([&] { readOnly.Execute(statement); }),
                      std::make_pair(vb::ErrUnspecified,
                                     std::string("Mise à jour impossible ; base de données ou "
                                                 "objet en lecture seule.")))
                << statement;
        }
    }
    ASSERT_TRUE(!superuser || seteuid(0) == 0);
}

} // namespace
