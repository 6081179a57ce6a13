#include "AdoFixture.h"
#include "platform/ado/Catalogue.h"
#include "platform/ado/Command.h"
#include "platform/ado/Descriptions.h"
#include "platform/vb/Convert.h"
#include "platform/win/End.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <fstream>
#include <functional>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using ado::testing::Count;
using ado::testing::ErrorOf;
using ado::testing::Raised;
using ado::testing::TempDatabase;

TEST(ConnectionOpen, RefusesWhatCannotBeOpened)
{
    TempDatabase db("zad.MDB", "secret");
    std::ofstream(db.Folder() / "notes.MDB") << "not a database, only some text";
    const std::string folder = db.Folder().string();
    auto open = [](const std::string& text) {
        return ErrorOf([&] {
            ado::Connection c;
            c.Open(text);
        });
    };
    const std::string good = ";Jet OLEDB:Database Password=secret";
    EXPECT_EQ(open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder + "/absent.MDB" + good),
              vb::ErrUnspecified);
    EXPECT_EQ(open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder + "/zad.MDB"),
              vb::ErrUnspecified);
    EXPECT_EQ(open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder +
                   "/zad.MDB;Jet OLEDB:Database Password=Secret"),
              vb::ErrUnspecified);
    EXPECT_EQ(open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder + "/notes.MDB" + good),
              vb::ErrUnspecified);
    EXPECT_EQ(open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder + good),
              vb::ErrUnspecified);
    // Opening never creates a file.
    EXPECT_FALSE(std::filesystem::exists(db.Folder() / "absent.MDB"));
    // The name is looked up without regard to case; "\" separates folders too.
    std::string windowsPath = folder + "\\ZAD.mdb";
    EXPECT_EQ(open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + windowsPath + good), 0);
    // So are the folders, when they are not found as written.
    std::filesystem::create_directories(db.Folder() / "Programme");
    std::filesystem::copy_file(db.Path(), db.Folder() / "Programme" / "zad.MDB");
    EXPECT_EQ(open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder +
                   "\\PROGRAMME\\ZAD.MDB" + good),
              0);
    ado::Connection c;
    c.Open("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=" + folder + "/Zad.mdb" + good);
    EXPECT_EQ(c.State(), ado::adStateOpen);
    EXPECT_EQ(c.DataSource(), db.Path());
    EXPECT_EQ(ErrorOf([&] { c.Open(db.ConnectionString()); }), 3705);
    c.Close();
    EXPECT_EQ(c.State(), ado::adStateClosed);
    EXPECT_EQ(ErrorOf([&] { c.Execute("SELECT 1"); }), 3704);
}

TEST(ConnectionOpen, NoPasswordRecordedTakesNone)
{
    TempDatabase db("CP.MDB", "");
    ado::Connection c;
    c.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db.Path());
    EXPECT_EQ(ado::DatabasePassword(c), "");
    EXPECT_EQ(ErrorOf([&] {
                  ado::Connection other;
                  other.Open(db.ConnectionString() + "x");
              }),
              vb::ErrUnspecified);
}

TEST(ConnectionOpen, SetsJournalLocksAndRelations)
{
    TempDatabase db;
    ado::Connection c = db.Open();
    EXPECT_EQ(Count(c, "PRAGMA foreign_keys"), 1);
    // The rollback journal, written through at each commit, with the changed pages held until
    // the commit.
    ado::Recordset mode;
    mode.Open("PRAGMA journal_mode", c);
    EXPECT_EQ(vb::CStr(mode.Fields(0L).Value()), "delete");
    EXPECT_EQ(Count(c, "PRAGMA synchronous"), 2);
    EXPECT_EQ(Count(c, "PRAGMA cache_spill"), 0);
    EXPECT_EQ(ErrorOf([&] { ado::CreateDatabaseFile(db.Path(), "x"); }), vb::ErrUnspecified);
}

TEST(ConnectionOpen, LockedFileCannotBeOpened)
{
    TempDatabase db;
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(db.Path().c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    EXPECT_EQ(ErrorOf([&] { db.Open(); }), vb::ErrUnspecified);
    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
}

TEST(ConnectionExecute, RefusalsAndTransactions)
{
    TempDatabase db;
    ado::Connection c = db.Open();
    c.Execute("CREATE TABLE Sites (NoSite COUNTER, NomSite TEXT(50) UNIQUE)");
    c.Execute("CREATE TABLE Services (NoService COUNTER, Site LONG REFERENCES Sites(NoSite))");
    EXPECT_EQ(c.Execute("INSERT INTO Sites (NomSite) VALUES ('Lyon')"), 1);
    // A unique index and a relation refuse with 0x80040E14, names compared without case.
    EXPECT_EQ(ErrorOf([&] { c.Execute("INSERT INTO Sites (NomSite) VALUES ('LYON')"); }),
              vb::ErrDatabaseRefused);
    EXPECT_EQ(ErrorOf([&] { c.Execute("INSERT INTO Services (Site) VALUES (42)"); }),
              vb::ErrDatabaseRefused);

    c.BeginTrans();
    c.Execute("INSERT INTO Sites (NomSite) VALUES ('Paris')");
    c.BeginTrans();
    c.Execute("INSERT INTO Sites (NomSite) VALUES ('Nantes')");
    c.RollbackTrans();
    c.CommitTrans();
    c.BeginTrans();
    c.Execute("INSERT INTO Sites (NomSite) VALUES ('Brest')");
    c.RollbackTrans();
    EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM Sites"), 2);
    EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM Sites WHERE NomSite = 'paris'"), 1);
    EXPECT_EQ(ErrorOf([&] { c.CommitTrans(); }), 3034);

    // A second connection sees committed rows.
    ado::Connection other = db.Open();
    ado::Recordset sites;
    sites.Open("Sites", other);
    EXPECT_EQ(sites.RecordCount(), 2);
}

TEST(ConnectionExecute, StoredQueriesByNameAndWithArguments)
{
    TempDatabase db;
    ado::Connection c = db.Open();
    c.Execute("CREATE TABLE Machines (NoMachine LONG PRIMARY KEY, Location TEXT(50))");
    c.Execute("CREATE TABLE Remplissage (NoMachine LONG, Etage LONG, Qte LONG)");
    c.Execute("INSERT INTO Machines VALUES (1, 'Hall'), (3, 'Atelier')");
    c.Execute("INSERT INTO Remplissage VALUES (3, 1, 5), (3, 2, 0), (1, 1, 7)");
    ado::DefineQuery(
        c, "RemplissageMachine", "NoMachine",
        "SELECT Etage, Qte FROM Remplissage WHERE NoMachine = [NoMachine] ORDER BY Etage");
    ado::DefineQuery(
        c, "MachinesDe", "Lieu, Mini",
        "SELECT NoMachine FROM Machines WHERE Location LIKE [Lieu] AND NoMachine >= [Mini]");
    ado::DefineQuery(c, "Vider", "Machine",
                     "DELETE * FROM Remplissage WHERE NoMachine = [Machine]");
    ado::DefineView(c, "Lieux", "SELECT [Location] & ' (' & NoMachine & ')' AS Lieu FROM Machines");

    ado::Recordset rs;
    rs.Open("EXEC RemplissageMachine 3", c);
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(vb::CLng(rs["Qte"].Value()), 5);
    ado::Recordset named;
    named.Open("EXEC MachinesDe 'at*', 2", c);
    ASSERT_EQ(named.RecordCount(), 1);
    EXPECT_EQ(vb::CLng(named["NoMachine"].Value()), 3);
    ado::Recordset view;
    view.Open("Lieux order by Lieu", c);
    EXPECT_EQ(vb::CStr(view["Lieu"].Value()), "Atelier (3)");
    EXPECT_EQ(c.Execute("EXEC Vider 3"), 2);
    // Date arguments, written as the Access dialect writes them.
    c.Execute("CREATE TABLE Ventes (NumVente COUNTER, LaDate DATETIME)");
    c.Execute("INSERT INTO Ventes (LaDate) VALUES (#5/1/2024#), (#5/2/2024 10:00#), (#6/1/2024#)");
    ado::DefineQuery(
        c, "VentesEntre", "[Debut], [Fin]",
        "SELECT NumVente FROM Ventes WHERE LaDate > [Debut] AND LaDate < CDate([Fin])");
    ado::Recordset period;
    period.Open("EXEC VentesEntre #5/1/2024#, '31/05/2024 23:59:59'", c);
    ASSERT_EQ(period.RecordCount(), 1);
    EXPECT_EQ(vb::CLng(period["NumVente"].Value()), 2);

    ado::Command command;
    command.SetActiveConnection(c);
    command.SetCommandText("EXEC RemplissageMachine");
    EXPECT_EQ(ErrorOf([&] { command.Execute(); }), static_cast<int32_t>(0x80040E10));
    command.SetCommandText("EXEC Inconnue 1");
    EXPECT_EQ(ErrorOf([&] { command.Execute(); }), static_cast<int32_t>(0x80040E37));
    EXPECT_EQ(ErrorOf([&] { ado::DefineQuery(c, "Faux", "", "SELEC 1"); }), vb::ErrDatabaseRefused);
    ASSERT_TRUE(ado::FindStoredQuery(c, "remplissagemachine"));
    EXPECT_EQ(ado::FindStoredQuery(c, "remplissagemachine")->parameters, "NoMachine");
}

// A missing table or stored query is reported as such however the text goes on; a statement
// that changes no row reports none changed.
TEST(ConnectionExecute, MissingSourcesAndRowsChanged)
{
    TempDatabase db;
    ado::Connection c = db.Open();
    c.Execute("CREATE TABLE Dotation (Nom TEXT(50), Qte LONG)");
    for (const char* text :
         {"DotationEnCours", "DotationEnCours order by Nom", "[DotationEnCours] where Qte > 1",
          "SELECT * FROM DotationEnCours", "EXEC DotationEnCours 1"}) {
        ado::Recordset rs;
        EXPECT_EQ(ErrorOf([&] { rs.Open(text, c); }), static_cast<int32_t>(0x80040E37)) << text;
    }
    ado::Recordset rs;
    rs.Open("Dotation order by Nom", c);
    EXPECT_EQ(rs.RecordCount(), 0);

    EXPECT_EQ(c.Execute("INSERT INTO Dotation VALUES ('a', 1), ('b', 2), ('c', 3)"), 3);
    EXPECT_EQ(c.Execute("CREATE VIEW DotationEnCours AS SELECT * FROM Dotation"), 0);
    EXPECT_EQ(c.Execute("UPDATE Dotation SET Qte = 0 WHERE Qte > 5"), 0);
    EXPECT_EQ(c.Execute("DELETE * FROM Dotation WHERE Qte > 1"), 2);
    EXPECT_EQ(c.Execute("DROP VIEW DotationEnCours"), 0);
}

TEST(ConnectionErrors, DescriptionsReadAsOnAFrenchInstallation)
{
    TempDatabase db;
    std::ofstream(db.Folder() / "notes.MDB") << "not a database, only some text";
    ado::Connection c = db.Open();
    c.Execute("CREATE TABLE Sites (NoSite COUNTER, NomSite TEXT(50) UNIQUE)");
    c.Execute("INSERT INTO Sites (NomSite) VALUES ('Lyon')");
    ado::Recordset empty;
    empty.Open("SELECT * FROM Sites WHERE NoSite = 0", c);
    ado::Recordset closed;
    ado::Connection readOnly = db.Open();
    readOnly.Execute("PRAGMA query_only=1");
    const std::string folder = db.Folder().string();
    const struct
    {
        std::function<void()> statement;
        int32_t number;
        std::string description;
    } cases[] = {
        {[&] { readOnly.Execute("INSERT INTO Sites (NomSite) VALUES ('Brest')"); },
         vb::ErrUnspecified, "Mise à jour impossible ; base de données ou objet en lecture seule."},
        {[&] { c.Execute("INSERT INTO Sites (NomSite) VALUES ('LYON')"); }, vb::ErrDatabaseRefused,
         "Les modifications que vous avez demandées n'ont pas pu être effectuées correctement car "
         "elles créeraient des valeurs en double dans l'index, dans la clé primaire ou dans la "
         "relation. Modifiez les données dans le ou les champs qui contiennent des valeurs en "
         "double, supprimez l'index ou redéfinissez-le pour permettre les entrées en double et "
         "réessayez."},
        {[&] { empty["NomSite"].Value(); }, vb::ErrNoCurrentRecord,
         "BOF ou EOF est égal à True, ou l'enregistrement actuel a été supprimé. Les opérations "
         "demandées nécessitent un enregistrement actuel."},
        {[&] { closed.MoveNext(); }, 3704,
         "Cette opération n'est pas autorisée si l'objet est fermé."},
        {[&] { c.Execute("SELECT * FROM Absente"); }, static_cast<int32_t>(0x80040E37),
         "Impossible de trouver la table ou la requête source 'Absente'. Assurez-vous qu'elle "
         "existe et que son nom est correctement orthographié."},
        {[&] { db.Open().Execute("EXEC Inconnue 1"); }, static_cast<int32_t>(0x80040E37),
         "Impossible de trouver la table ou la requête source 'Inconnue'. Assurez-vous qu'elle "
         "existe et que son nom est correctement orthographié."},
        {[&] { ado::Connection().Open(db.ConnectionString(folder + "/absent.MDB")); },
         vb::ErrUnspecified, "Fichier '" + folder + "/absent.MDB' introuvable."},
        {[&] { ado::Connection().Open(db.ConnectionString(folder + "/notes.MDB")); },
         vb::ErrUnspecified, "Format de base de données non reconnu."},
    };
    // Texts with names and messages inside; a text the table does not know stays as it is.
    using ado::detail::FrenchDescription;
    EXPECT_EQ(FrenchDescription("Cannot open the file 'a.MDB': database is locked"),
              "Impossible d'ouvrir le fichier 'a.MDB' : Mise à jour impossible ; actuellement "
              "verrouillé.");
    EXPECT_EQ(FrenchDescription("Field 'Nom' cannot be updated."),
              "Le champ 'Nom' ne peut pas être mis à jour.");
    EXPECT_EQ(FrenchDescription("The field is too small to accept the amount of data you "
                                "attempted to add. Try inserting or pasting less data."),
              "Le champ est trop petit pour accepter le volume de données que vous avez tenté "
              "d'ajouter. Essayez d'insérer ou de coller moins de données.");
    EXPECT_EQ(FrenchDescription("Field 'Nom' cannot be updated"), "Field 'Nom' cannot be updated");
    EXPECT_EQ(FrenchDescription(""), "");

    for (const auto& test : cases) {
        const auto [number, description] = Raised(test.statement);
        EXPECT_EQ(number, test.number) << test.description;
        EXPECT_EQ(description, test.description);
    }
}

// The refusals of SQLite that a store keeper can meet read in French, the full disk of a real
// file among them.
TEST(ConnectionErrors, FileAndDiskRefusalsReadInFrench)
{
    TempDatabase db;
    ado::Connection c = db.Open();
    c.Execute("CREATE TABLE Lignes (Texte MEMO)");
    // The file may not grow: the next page it needs is a full disk.
    c.Execute("PRAGMA max_page_count=" + std::to_string(Count(c, "PRAGMA page_count")));
    const auto [number, description] =
        Raised([&] { c.Execute("INSERT INTO Lignes VALUES (zeroblob(100000))"); });
    EXPECT_EQ(number, vb::ErrUnspecified);
    EXPECT_EQ(description,
              "Espace insuffisant sur le disque : libérez de la place, puis recommencez "
              "l'opération.");

    const std::string corrompue =
        "La base de données est endommagée ou n'est pas un fichier de base de données.";
    const std::pair<int, std::string> cases[] = {
        {SQLITE_READONLY, "Mise à jour impossible ; base de données ou objet en lecture seule."},
        {SQLITE_LOCKED, "Mise à jour impossible ; actuellement verrouillé."},
        {SQLITE_BUSY, "Mise à jour impossible ; actuellement verrouillé."},
        {SQLITE_CANTOPEN, "Impossible d'ouvrir le fichier de base de données."},
        {SQLITE_IOERR, "Erreur de lecture ou d'écriture sur le disque ou le réseau."},
        {SQLITE_CORRUPT, corrompue},
        {SQLITE_NOTADB, "Format de base de données non reconnu."},
        {SQLITE_FULL,
         "Espace insuffisant sur le disque : libérez de la place, puis recommencez l'opération."},
        {SQLITE_PERM, "Accès au fichier de base de données refusé."},
        {SQLITE_NOMEM, "Mémoire insuffisante."},
    };
    using ado::detail::FrenchDescription;
    for (const auto& [code, french] : cases)
        EXPECT_EQ(FrenchDescription(sqlite3_errstr(code)), french) << sqlite3_errstr(code);
    EXPECT_EQ(FrenchDescription("malformed database schema (Sites) - near \"x\": syntax error"),
              corrompue);
    // Inside the refusal to open a file, as a missing folder or a full disk gives it.
    EXPECT_EQ(FrenchDescription("Cannot open the file 'zad.MDB': disk I/O error"),
              "Impossible d'ouvrir le fichier 'zad.MDB' : Erreur de lecture ou d'écriture sur le "
              "disque ou le réseau.");
}

// Runs the body in a child process with its own connections; returns the child's exit status,
// or -1 when it was killed.
int RunChild(const std::function<void()>& body)
{
    const pid_t child = fork();
    if (child == 0) {
        body();
        _exit(99);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The rows of Sites, read from a copy of the database file alone, without its journal.
long SitesInFileAlone(const TempDatabase& db)
{
    const std::filesystem::path copy = db.Folder() / "copie";
    std::filesystem::create_directories(copy);
    std::filesystem::copy_file(db.Path(), copy / "zad.MDB",
                               std::filesystem::copy_options::overwrite_existing);
    ado::Connection c;
    c.Open(db.ConnectionString((copy / "zad.MDB").string()));
    const long n = Count(c, "SELECT COUNT(*) FROM Sites");
    c.Close();
    std::filesystem::remove_all(copy);
    return n;
}

TEST(ConnectionEnd, EveryCommitIsInTheFileAlone)
{
    TempDatabase db;
    {
        ado::Connection c = db.Open();
        c.Execute("CREATE TABLE Sites (NoSite COUNTER, NomSite TEXT(50))");
    }
    const auto journaux = [&] {
        for (const char* suffixe : {"-wal", "-shm", "-journal"})
            if (std::filesystem::exists(db.Path() + suffixe))
                return true;
        return false;
    };
    // Two windows' connections still open, one of them reading, when the program ends; before
    // it ends, the file alone already holds both writes.
    EXPECT_EQ(RunChild([&] {
                  ado::Connection first = db.Open();
                  ado::Connection second = db.Open();
                  first.Execute("INSERT INTO Sites (NomSite) VALUES ('Lyon')");
                  second.Execute("INSERT INTO Sites (NomSite) VALUES ('Brest')");
                  ado::Recordset rs;
                  rs.Open("Sites", first);
                  if (journaux() || SitesInFileAlone(db) != 2)
                      _exit(2);
                  win::End(0);
              }),
              0);
    EXPECT_FALSE(journaux());
    EXPECT_EQ(SitesInFileAlone(db), 2);
    // Also after a write that failed before it could start (no text size guards could be made
    // while the connection only reads).
    {
        ado::Connection c = db.Open();
        c.Execute("INSERT INTO Sites (NomSite) VALUES ('Nice')");
        ado::Connection reader = db.Open();
        reader.Execute("PRAGMA query_only=1");
        EXPECT_THROW(reader.Execute("INSERT INTO Sites (NomSite) VALUES ('Brest')"), vb::Error);
        EXPECT_FALSE(journaux());
        EXPECT_EQ(SitesInFileAlone(db), 3);
    }
}

// A record set keeps its prepared writes while it is open: the end of the program, and closing
// its connection, finalize them, so that the file is really closed and its journals go.
TEST(ConnectionEnd, RecordSetsThatHaveWrittenDoNotKeepTheFileOpen)
{
    TempDatabase db;
    {
        ado::Connection c = db.Open();
        c.Execute("CREATE TABLE Sites (NoSite COUNTER, NomSite TEXT(50))");
        c.Execute("INSERT INTO Sites (NomSite) VALUES ('Lyon'), ('Brest')");
    }
    const auto journaux = [&] {
        return std::filesystem::exists(db.Path() + "-journal") ||
               std::filesystem::exists(db.Path() + "-wal");
    };
    // An added, a changed and a deleted row: each kind of write keeps its statement.
    const auto ecrire = [](ado::Recordset& rs) {
        rs.AddNew();
        rs["NomSite"] = "Paris";
        rs.Update();
        rs.MoveFirst();
        rs["NomSite"] = "Lille";
        rs.Update();
        rs.MoveLast();
        rs.Delete();
    };
    EXPECT_EQ(RunChild([&] {
                  ado::Connection c = db.Open();
                  ado::Recordset rs;
                  rs.Open("Sites", c, ado::adOpenDynamic, ado::adLockOptimistic);
                  ecrire(rs);
                  win::End(0);
              }),
              0);
    EXPECT_FALSE(journaux());
    EXPECT_EQ(SitesInFileAlone(db), 2);

    ado::Recordset rs;
    {
        ado::Connection c = db.Open();
        rs.Open("Sites", c, ado::adOpenDynamic, ado::adLockOptimistic);
        ecrire(rs);
        c.Close();
    }
    EXPECT_FALSE(journaux());
    // The record set still shows its rows, but writes no more.
    rs.MoveFirst();
    rs["NomSite"] = "Nantes";
    EXPECT_EQ(Raised([&] { rs.Update(); }).first, 3704);
}

TEST(ConnectionEnd, AKilledProcessLosesNothingAndABackupPutBackReadsAsTheBackup)
{
    TempDatabase db;
    {
        ado::Connection c = db.Open();
        c.Execute("CREATE TABLE Sites (NoSite COUNTER, NomSite TEXT(50))");
        c.Execute("INSERT INTO Sites (NomSite) VALUES ('Lyon')");
    }
    const std::string backup = db.Path() + ".copie";
    std::filesystem::copy_file(db.Path(), backup);
    EXPECT_EQ(RunChild([&] {
                  ado::Connection c = db.Open();
                  c.Execute("INSERT INTO Sites (NomSite) VALUES ('Brest')");
                  c.BeginTrans();
                  c.Execute("INSERT INTO Sites (NomSite) VALUES ('Nice')");
                  c.CommitTrans();
                  kill(getpid(), SIGKILL);
              }),
              -1);
    // Each commit is in the file, and nothing is left beside it.
    EXPECT_EQ(SitesInFileAlone(db), 3);
    for (const char* suffixe : {"-wal", "-shm", "-journal"})
        EXPECT_FALSE(std::filesystem::exists(db.Path() + suffixe)) << suffixe;
    // The backup put back in its place reads as it was copied.
    std::filesystem::copy_file(backup, db.Path(),
                               std::filesystem::copy_options::overwrite_existing);
    ado::Connection c = db.Open();
    EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM Sites"), 1);

    // A transaction cut by a kill is rolled back at the next open.
    EXPECT_EQ(RunChild([&] {
                  ado::Connection k = db.Open();
                  k.BeginTrans();
                  k.Execute("INSERT INTO Sites (NomSite) VALUES ('Brest')");
                  kill(getpid(), SIGKILL);
              }),
              -1);
    c.Close();
    c = db.Open();
    EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM Sites"), 1);
}

// Parameters set by name are converted to their declared type and bound, so that a day-first
// date compares as a date and a quote in a text stays text.
TEST(ConnectionExecute, ParametersByNameBoundWithTheirType)
{
    TempDatabase db;
    ado::Connection c = db.Open();
    c.Execute("CREATE TABLE Ventes (NumVente COUNTER, LaDate DATETIME, Nom TEXT(50))");
    c.Execute("CREATE TABLE Copie (NumVente LONG, Nom TEXT(50))");
    c.Execute("INSERT INTO Ventes (LaDate, Nom) VALUES (#2/28/2006 23:59:59#, 'A'), "
              "(#3/1/2006#, 'B'), (#3/31/2006 23:59:59#, 'O''Neil'), (#4/1/2006#, 'C')");
    ado::DefineQuery(c, "AjoutPeriode", "[DateDébut] DateTime, [DateFin] DateTime, [Qui] Text",
                     "INSERT INTO Copie SELECT NumVente, Nom FROM Ventes WHERE LaDate >= "
                     "[DateDébut] AND LaDate < DateAdd('d', 1, [DateFin]) AND Nom <> [Qui]");

    ado::Command command = ado::ProcedureCommand(c, "ajoutperiode");
    ASSERT_EQ(command.Parameters().size(), 3u);
    EXPECT_EQ(command.Parameters()[0].name, "[DateDébut]");
    EXPECT_EQ(command.Parameters()[0].type, "DateTime");
    for (ado::QueryParameter& p : command.Parameters()) {
        if (p.name == "[DateDébut]") {
            p.value = vb::Variant("01/03/2006");
        } else if (p.name == "[DateFin]") {
            p.value = vb::Variant("31/03/2006");
        } else {
            p.value = vb::Variant("x' OR 1=1 --");
        }
    }
    EXPECT_EQ(command.Execute(), 2);
    EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM Copie WHERE Nom = 'O''Neil'"), 1);

    // The same command opens a recordset with its parameters.
    ado::DefineQuery(c, "Periode", "[DateDébut] DateTime",
                     "SELECT NumVente FROM Ventes WHERE LaDate >= [DateDébut]");
    ado::Command select = ado::ProcedureCommand(c, "Periode");
    select.Parameters()[0].value = vb::Variant("01/04/2006");
    ado::Recordset rs;
    rs.Open(select);
    EXPECT_EQ(rs.RecordCount(), 1);
    // A statement of the program binds the parameters added to its command.
    ado::Command statement;
    statement.SetActiveConnection(c);
    statement.SetCommandText("SELECT NumVente FROM Ventes WHERE LaDate < [Fin] AND Nom <> [Qui]");
    statement.Parameters() = {{"[Fin]", "DateTime", vb::Variant("01/04/2006")},
                              {"[Qui]", "Text", vb::Variant("O'Neil")}};
    ado::Recordset bound;
    bound.Open(statement);
    EXPECT_EQ(bound.RecordCount(), 2);
    // A parameter left without a value is missing; an unknown query is refused.
    select.Parameters()[0].value = vb::Variant();
    EXPECT_EQ(ErrorOf([&] { select.Execute(); }), static_cast<int32_t>(0x80040E10));
    EXPECT_EQ(ErrorOf([&] { ado::ProcedureCommand(c, "Absente"); }),
              static_cast<int32_t>(0x80040E37));
}

} // namespace
