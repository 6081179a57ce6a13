// The file alone holds every commit: a file left with a write-ahead journal is converted, a
// read-only run leaves nothing beside the file, a file that is not a database is never changed,
// and the lock of a large transaction lets the program's other connections read.
#include "AdoFixture.h"
#include "platform/vb/Convert.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using ado::testing::Count;
using ado::testing::ErrorOf;
using ado::testing::Raised;
using ado::testing::TempDatabase;

std::vector<std::string> Beside(const TempDatabase& db)
{
    std::vector<std::string> out;
    for (const char* suffixe : {"-wal", "-shm", "-journal"})
        if (fs::exists(db.Path() + suffixe))
            out.push_back(suffixe);
    return out;
}

// Leaves the file in write-ahead mode with rows in its journal only, as a program of an earlier
// version killed after its writes left it.
void LeaveWriteAheadJournal(const TempDatabase& db, int rows)
{
    const pid_t child = fork();
    if (child == 0) {
        sqlite3* raw = nullptr;
        sqlite3_open(db.Path().c_str(), &raw);
        sqlite3_exec(raw, "PRAGMA journal_mode=WAL; CREATE TABLE IF NOT EXISTS Sites (N LONG)",
                     nullptr, nullptr, nullptr);
        for (int i = 0; i < rows; ++i)
            sqlite3_exec(raw, "INSERT INTO Sites VALUES (1)", nullptr, nullptr, nullptr);
        kill(getpid(), SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

// A file of this version holding one row.
void UneLigne(const TempDatabase& db)
{
    ado::Connection c = db.Open();
    c.Execute("CREATE TABLE Sites (N LONG)");
    c.Execute("INSERT INTO Sites VALUES (1)");
}

// A folder that can be listed but not written.
void LectureSeule(const fs::path& folder)
{
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
}

// Runs the body with the rights of nobody (a superuser writes any file).
void AsNobody(const std::function<void()>& body)
{
    const bool superuser = geteuid() == 0;
    ASSERT_TRUE(!superuser || seteuid(65534) == 0);
    body();
    ASSERT_TRUE(!superuser || seteuid(0) == 0);
}

TEST(Journal, AWriteAheadFileIsTakenInAndConvertedAtItsFirstOpen)
{
    TempDatabase db;
    LeaveWriteAheadJournal(db, 5);
    ASSERT_FALSE(Beside(db).empty());
    {
        ado::Connection c = db.Open();
        EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM Sites"), 5);
        ado::Recordset mode;
        mode.Open("PRAGMA journal_mode", c);
        EXPECT_EQ(vb::CStr(mode.Fields(0L).Value()), "delete");
        EXPECT_EQ(Beside(db), std::vector<std::string>{});
    }
    // The file copied alone holds the rows that were in the journal.
    const fs::path copie = db.Folder() / "copie.MDB";
    fs::copy_file(db.Path(), copie);
    ado::Connection c;
    c.Open(db.ConnectionString(copie.string()));
    EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM Sites"), 5);
}

TEST(Journal, AReadOnlyRunLeavesNothingAndALaterRunSaves)
{
    for (const bool writeAhead : {false, true}) {
        SCOPED_TRACE(writeAhead ? "a file of an earlier version" : "a file of this version");
        TempDatabase db;
        UneLigne(db);
        if (writeAhead) {
            sqlite3* raw = nullptr;
            sqlite3_open(db.Path().c_str(), &raw);
            sqlite3_exec(raw, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
            sqlite3_close(raw);
        }
        fs::permissions(db.Folder(), fs::perms::all);
        fs::permissions(db.Path(),
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        AsNobody([&] {
            ado::Connection c = db.Open();
            EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM Sites"), 1);
            EXPECT_EQ(Raised([&] { c.Execute("INSERT INTO Sites VALUES (2)"); }).second,
                      "Mise à jour impossible ; base de données ou objet en lecture seule.");
            c.Close();
        });
        EXPECT_EQ(Beside(db), std::vector<std::string>{});
        fs::permissions(db.Path(), fs::perms::owner_read | fs::perms::owner_write |
                                       fs::perms::group_read | fs::perms::others_read);
        ado::Connection c = db.Open();
        c.Execute("INSERT INTO Sites VALUES (2)");
        EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM Sites"), 2);
    }
}

TEST(Journal, AFolderThatCannotBeWrittenIsReadOrSaysWhy)
{
    TempDatabase db;
    UneLigne(db);
    LectureSeule(db.Folder());
    AsNobody([&] {
        ado::Connection c = db.Open();
        EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM Sites"), 1);
        EXPECT_EQ(Raised([&] { c.Execute("INSERT INTO Sites VALUES (2)"); }).second,
                  "Mise à jour impossible ; base de données ou objet en lecture seule.");
    });
    // A write-ahead journal left beside the file is read with it; without the memory file that
    // goes with it, which the folder cannot take, the folder is named as the cause.
    fs::permissions(db.Folder(), fs::perms::all);
    LeaveWriteAheadJournal(db, 1);
    LectureSeule(db.Folder());
    AsNobody([&] {
        ado::Connection c = db.Open();
        EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM Sites"), 2);
    });
    fs::permissions(db.Folder(), fs::perms::all);
    fs::remove(db.Path() + "-shm");
    LectureSeule(db.Folder());
    AsNobody([&] {
        const auto [number, description] = Raised([&] { db.Open(); });
        EXPECT_EQ(number, ado::ErrCannotWriteBeside);
        EXPECT_NE(description.find("son dossier ne peut pas être écrit ou le disque est plein"),
                  std::string::npos)
            << description;
    });
    fs::permissions(db.Folder(), fs::perms::all);
}

TEST(Journal, AFileThatIsNotADatabaseIsRefusedAndNeverChanged)
{
    TempDatabase db;
    for (const std::string& contenu :
         {std::string(), std::string("SQLite"), std::string(4096, '\0')}) {
        const fs::path fichier = db.Folder() / "fichiervalmora.MDB";
        std::ofstream(fichier, std::ios::binary) << contenu;
        const auto avant = fs::last_write_time(fichier);
        EXPECT_EQ(ErrorOf([&] {
                      ado::Connection c;
                      c.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + fichier.string());
                  }),
                  vb::ErrUnspecified);
        EXPECT_EQ(fs::file_size(fichier), contenu.size());
        EXPECT_EQ(fs::last_write_time(fichier), avant);
    }
}

TEST(Journal, ModeReadOpensForReadingOnly)
{
    TempDatabase db;
    {
        ado::Connection c = db.Open();
        c.Execute("CREATE TABLE Sites (N LONG)");
    }
    const auto avant = fs::last_write_time(db.Path());
    ado::Connection c;
    c.Open(db.ConnectionString() + ";Mode=Read");
    EXPECT_TRUE(sqlite3_db_readonly(c.Handle(), "main"));
    EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM Sites"), 0);
    EXPECT_NE(ErrorOf([&] { c.Execute("INSERT INTO Sites VALUES (1)"); }), 0);
    EXPECT_EQ(fs::last_write_time(db.Path()), avant);
}

// A transaction far larger than the page cache keeps its pages in memory: the file's lock stays
// reserved until the commit, and another connection of the program reads at once in the middle.
TEST(Journal, AnotherConnectionReadsInTheMiddleOfALargeTransaction)
{
    TempDatabase db;
    ado::Connection writer = db.Open();
    ado::Connection reader = db.Open();
    writer.Execute("CREATE TABLE Lignes (N LONG, Texte TEXT)");
    writer.Execute("CREATE TABLE Sites (N LONG)");
    writer.Execute("INSERT INTO Sites VALUES (1)");
    writer.BeginTrans();
    // About 24 MB, twelve times the default page cache.
    for (int i = 0; i < 6000; ++i)
        writer.Execute("INSERT INTO Lignes VALUES (" + std::to_string(i) + ", '" +
                       std::string(4000, 'x') + "')");
    const auto debut = std::chrono::steady_clock::now();
    EXPECT_EQ(Count(reader, "SELECT COUNT(*) FROM Sites"), 1);
    EXPECT_EQ(Count(reader, "SELECT COUNT(*) FROM Lignes"), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(1));
    writer.CommitTrans();
    EXPECT_EQ(Count(reader, "SELECT COUNT(*) FROM Lignes"), 6000);
}

// Every window keeps its own connection: what one window holds open (record sets read, written
// and kept) never makes another window's save wait.
TEST(Journal, OpenRecordSetsOfOneWindowDoNotHoldUpAnotherWindowsSave)
{
    TempDatabase db;
    ado::Connection premiere = db.Open();
    ado::Connection seconde = db.Open();
    premiere.Execute("CREATE TABLE Articles (Reference LONG PRIMARY KEY, Qte LONG)");
    premiere.Execute("INSERT INTO Articles VALUES (1, 10), (2, 20)");
    ado::Recordset lu;
    lu.Open("SELECT * FROM Articles", premiere);
    ado::Recordset ecrit;
    ecrit.SetClientCursor(ado::adLockOptimistic);
    ecrit.Open("Articles", premiere);
    ecrit["Qte"] = 11;
    ecrit.Update();
    ecrit.AddNew();
    ecrit["Reference"] = 3;
    ecrit.Update();
    lu.MoveLast();

    const auto debut = std::chrono::steady_clock::now();
    seconde.BeginTrans();
    seconde.Execute("UPDATE Articles SET Qte = Qte - 1 WHERE Reference = 2");
    seconde.Execute("INSERT INTO Articles VALUES (4, 1)");
    seconde.CommitTrans();
    EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(1));
    EXPECT_EQ(Count(premiere, "SELECT Qte FROM Articles WHERE Reference = 2"), 19);
}

} // namespace
