// The database tool run as a program, and the databases it makes.

#include "DatabaseFixture.h"
#include "platform/vb/DateTime.h"
#include "platform/win/Clock.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace database::testing {
namespace {

int RunTool(const std::string& arguments)
{
    const std::string command =
        "'" + std::string(HARNIX_DBTOOL) + "' " + arguments + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

long Count(ado::Connection& connection, const std::string& source)
{
    ado::Recordset rs = OpenRecordset(connection, source);
    return rs.RecordCount();
}

TEST(DbTool, CreatesTheThreeDatabasesOfAProgramFolderWithDemoData)
{
    TempFolder folder;
    ASSERT_EQ(RunTool("create " + folder.Path().string() + " --demo"), 0);

    ado::Connection zad = Open(folder.File("zad.MDB"), ZadPassword());
    EXPECT_EQ(Count(zad, "InfoSociete"), 1);
    // The families that the settings' defaults name: shoes 3, gloves 1.
    ado::Recordset families = OpenRecordset(zad, "Familles");
    EXPECT_EQ(ValueWhere(families, "NoFamille", "3", "NomFamille"), "CHAUSSURES");
    EXPECT_EQ(ValueWhere(families, "NoFamille", "1", "NomFamille"), "GANTS");
    EXPECT_GE(Count(zad, "StockGlobal"), 20);
    EXPECT_GE(Count(zad, "GrUtilisateur"), 15);
    EXPECT_GE(Count(zad, "select * from Machines"), 1);

    ado::Connection mainten = Open(folder.File("MAINTEN.MDB"), "");
    EXPECT_EQ(Count(mainten, "Erreurs"), 0);

    // The suppliers' window finds a town by its five typed digits.
    ado::Connection cp = Open(folder.File("CP.MDB"), "");
    ado::Recordset towns = OpenRecordset(cp, "CodesPostaux order by CodePostal");
    towns.Find("CodePostal=06000");
    ASSERT_FALSE(towns.Eof());
    EXPECT_EQ(Text(towns.Fields("Localite").Value()), "NICE");
    towns.MoveFirst();
    towns.Find("CodePostal=99999");
    EXPECT_TRUE(towns.Eof());
}

// A file made before an index joined the schema gets it when the program opens it, once.
TEST(DbTool, AFileWithoutAnIndexOfTheSchemaGetsItAtStart)
{
    TempFolder folder;
    const std::string path = folder.File("zad.MDB");
    CreateZad(path, false);
    ado::Connection zad = Open(path, ZadPassword());
    const std::string index =
        "SELECT sql FROM sqlite_master WHERE type = 'index' AND name = 'VentesLaDate'";
    EXPECT_EQ(Count(zad, index), 1);
    zad.Execute("DROP INDEX VentesLaDate");
    zad.Execute("INSERT INTO Ventes (LaDate, Utilisateur) VALUES (#2024-03-01#, '1000')");
    EXPECT_EQ(Count(zad, index), 0);
    AddMissingIndexes(zad);
    AddMissingIndexes(zad);
    ado::Recordset made = OpenRecordset(zad, index);
    ASSERT_EQ(made.RecordCount(), 1);
    EXPECT_NE(Text(made.Fields(0L).Value()).find("(LaDate)"), std::string::npos);
    EXPECT_EQ(Count(zad, "Ventes"), 1);
}

TEST(DbTool, WithoutDemoDataTheTablesAndQueriesAreEmpty)
{
    TempFolder folder;
    ASSERT_EQ(RunTool("create " + folder.Path().string()), 0);
    ado::Connection zad = Open(folder.File("zad.MDB"), ZadPassword());
    for (const char* source : {"InfoSociete", "ArticleEnStock", "Familles", "Utilisateurs",
                               "StockGlobal", "Stock", "GrUtilisateur", "Ventes", "CA"}) {
        EXPECT_EQ(Count(zad, source), 0) << source;
    }
}

TEST(DbTool, NeverOverwritesAFileAndMakesNothingThen)
{
    TempFolder folder;
    const std::string folderArg = folder.Path().string();
    ASSERT_EQ(RunTool("create " + folderArg + " --demo"), 0);
    const auto size = std::filesystem::file_size(folder.File("zad.MDB"));
    EXPECT_EQ(RunTool("create " + folderArg), 1);
    EXPECT_EQ(std::filesystem::file_size(folder.File("zad.MDB")), size);
    ado::Connection zad = Open(folder.File("zad.MDB"), ZadPassword());
    EXPECT_GE(Count(zad, "ArticleEnStock"), 20);

    // One existing file stops the whole creation.
    TempFolder other;
    CreateCodesPostaux(other.File("CP.MDB"));
    EXPECT_EQ(RunTool("create " + other.Path().string()), 1);
    EXPECT_FALSE(std::filesystem::exists(other.File("zad.MDB")));
    EXPECT_FALSE(std::filesystem::exists(other.File("MAINTEN.MDB")));
}

TEST(DbTool, RefusesWrongArguments)
{
    TempFolder folder;
    EXPECT_EQ(RunTool(""), 2);
    EXPECT_EQ(RunTool("make " + folder.Path().string()), 2);
    EXPECT_EQ(RunTool("create " + folder.Path().string() + " --demos"), 2);
    EXPECT_EQ(RunTool("create " + folder.File("missing")), 1);
    EXPECT_FALSE(std::filesystem::exists(folder.File("zad.MDB")));
}

constexpr const char* QuotaLinesOfMissingArticles = "quota lines of missing articles or profiles";

// Rows that data made by the tool never hold, each with what they would show.
constexpr std::pair<const char*, const char*> Incoherences[] = {
    {"articles whose size is not of their family",
     "SELECT ArticleEnStock.Reference FROM ArticleEnStock INNER JOIN Tailles ON "
     "ArticleEnStock.Taille = Tailles.NoTaille WHERE Tailles.NoFamille <> "
     "ArticleEnStock.Famille"},
    {"shoe sizes outside family 3",
     "SELECT Utilisateurs.NoBadge FROM Utilisateurs INNER JOIN Tailles ON "
     "Utilisateurs.TailleChaussure = Tailles.NoTaille WHERE Tailles.NoFamille <> 3"},
    {"glove sizes outside family 1",
     "SELECT Utilisateurs.NoBadge FROM Utilisateurs INNER JOIN Tailles ON "
     "Utilisateurs.TailleMain = Tailles.NoTaille WHERE Tailles.NoFamille <> 1"},
    {"codes held by an article and free in the pool, or the other way",
     "SELECT CodeArticle.CodeArticle FROM CodeArticle LEFT JOIN ArticleEnStock ON "
     "CodeArticle.CodeArticle = ArticleEnStock.CodeArticle WHERE "
     "(ArticleEnStock.Reference IS NULL AND CodeArticle.Reference IS NOT NULL) OR "
     "(ArticleEnStock.Reference <> CodeArticle.Reference) OR "
     "(CodeArticle.Reference IS NULL AND ArticleEnStock.Reference IS NOT NULL)"},
    {"articles with a code outside the pool",
     "SELECT Reference FROM ArticleEnStock WHERE CodeArticle IS NOT NULL AND CodeArticle "
     "NOT IN (SELECT CodeArticle FROM CodeArticle)"},
    {"suppliers whose number is not their autonumber",
     "SELECT Nauto FROM Fournisseur WHERE [No] <> Nauto"},
    {"articles whose supplier does not exist",
     "SELECT Reference FROM ArticleEnStock WHERE NoFournisseur NOT IN (SELECT [No] FROM "
     "Fournisseur)"},
    {QuotaLinesOfMissingArticles,
     "SELECT NoLigne FROM Quota WHERE RefArticle NOT IN (SELECT Reference FROM "
     "ArticleEnStock) OR NoQota NOT IN (SELECT NoQuota FROM ProfileQuota)"},
    {"services of a site whose employees are on another site",
     "SELECT Utilisateurs.NoBadge FROM Utilisateurs INNER JOIN Services ON "
     "Utilisateurs.Service = Services.NoService WHERE Services.Site <> Utilisateurs.Site"},
    {"pack prices other than unit price times units",
     "SELECT Reference FROM ArticleEnStock WHERE ABS(PrixAchatGlobal - PrixAchatUnit * "
     "QteParPaket) > 0.00005"},
    {"movements without lines, or whose total is not the sum of their unit prices",
     "SELECT Ventes.NumVente FROM Ventes LEFT JOIN DetailVente ON Ventes.NumVente = "
     "DetailVente.NumVente GROUP BY Ventes.NumVente, Ventes.Total HAVING "
     "COUNT(DetailVente.NumVente) = 0 OR ABS(Ventes.Total - SUM(DetailVente.PrixAchatUnit)) "
     "> 0.00005"},
    {"movement lines of missing articles or with no quantity",
     "SELECT NumVente FROM DetailVente WHERE Quantite IS NULL OR Quantite < 1 OR Reference "
     "NOT IN (SELECT Reference FROM ArticleEnStock)"},
    {"movements of unknown employees, or numbered out of the order of their dates",
     "SELECT a.NumVente FROM Ventes a, Ventes b WHERE a.Utilisateur NOT IN (SELECT NoBadge "
     "FROM Utilisateurs) OR (a.NumVente < b.NumVente AND a.LaDate > b.LaDate)"},
    {"counter lines without the profile number, allocation lines without its name",
     "SELECT DetailVente.NumVente FROM DetailVente INNER JOIN Ventes ON "
     "Ventes.NumVente = DetailVente.NumVente WHERE (Ventes.TypeMouvement = 3 AND "
     "DetailVente.Profile NOT IN (SELECT CAST(NoQuota AS TEXT) FROM ProfileQuota)) OR "
     "(Ventes.TypeMouvement = 1 AND DetailVente.Profile NOT IN (SELECT Profile FROM "
     "ProfileQuota))"},
};

// The demonstration data hold together as the windows expect.
TEST(DemoData, IsConsistent)
{
    // The data runs up to today: the day stays the one the test reads.
    win::Clock::Freeze();
    struct Unfreeze
    {
        ~Unfreeze() { win::Clock::Reset(); }
    } unfreeze;
    TempFolder folder;
    CreateZad(folder.File("zad.MDB"), true);
    ado::Connection zad = Open(folder.File("zad.MDB"), ZadPassword());
    for (const auto& [what, sql] : Incoherences) {
        EXPECT_EQ(Count(zad, sql), 0) << what;
    }
    // Counter issues and an allocation over the last months, up to the day the data is made, so
    // that the reports of a fresh folder have something to show.
    const std::string today = vb::Today().ToIsoText();
    const std::string months = (vb::Today() - 183).ToIsoText();
    for (int type : {1, 3}) {
        EXPECT_GT(
            Count(zad, "SELECT NumVente FROM Ventes WHERE TypeMouvement = " + std::to_string(type) +
                           " AND LaDate >= '" + months + "' AND LaDate < '" + today + "'"),
            0)
            << type;
    }
    EXPECT_EQ(Count(zad, "SELECT NumVente FROM Ventes WHERE LaDate < '" + months +
                             "' OR LaDate >= '" + today + "'"),
              0);
    // Counter issues took their units off the stock.
    ado::Recordset articles = OpenRecordset(zad, "ArticleEnStock");
    EXPECT_EQ(ValueWhere(articles, "Reference", "1001", "QteEnStock"), "178");

    // Authorised machines name rows of the machine list by position.
    ado::Recordset machines = OpenRecordset(zad, "select * from Machines");
    ado::Recordset staff = OpenRecordset(zad, "Utilisateurs");
    for (const std::string& list : Column(staff, "MachineAutorise")) {
        for (char c : list) {
            if (c != ',' && list != "Null") {
                EXPECT_LE(c - '0', machines.RecordCount()) << list;
            }
        }
    }
}

// The standard sqlite3 shell, with the program's extension loaded; what it prints.
std::string Shell(const std::string& file, const std::string& sql)
{
#ifdef HARNIX_SHELL_PRELOAD
    // Leaks of the shell itself are not the extension's.
    const std::string preload = "LD_PRELOAD=" HARNIX_SHELL_PRELOAD " ASAN_OPTIONS=detect_leaks=0 ";
#else
    const std::string preload;
#endif
    const std::string command = preload + "sqlite3 -cmd '.load \"" +
                                std::string(HARNIX_SQL_EXTENSION) + "\"' '" + file + "' \"" + sql +
                                "\" 2>&1";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    return out;
}

// A large company's data, at a small size: the counts asked, the same file for the same seed and
// day, another for another seed, and rows that hold together as the demonstration's do. Some quota
// lines name an article gone from the catalogue, as a deleted article leaves them.
TEST(GeneratedData, HasTheAskedCountsTheSameRowsForASeedAndHoldsTogether)
{
    const std::string volumes = " --large --employees 300 --articles 1000 --movements 5000 "
                                "--profiles 10 --quota-lines 400 --machines 20 --receipts 500 "
                                "--last-day 2026-06-30 --seed ";
    TempFolder first, second, other;
    ASSERT_EQ(RunTool("create " + first.Path().string() + volumes + "3"), 0);
    ASSERT_EQ(RunTool("create " + second.Path().string() + volumes + "3"), 0);
    ASSERT_EQ(RunTool("create " + other.Path().string() + volumes + "4"), 0);
    EXPECT_EQ(Shell(first.File("zad.MDB"), ".dump"), Shell(second.File("zad.MDB"), ".dump"));
    EXPECT_NE(Shell(first.File("zad.MDB"), ".dump"), Shell(other.File("zad.MDB"), ".dump"));

    ado::Connection zad = Open(first.File("zad.MDB"), ZadPassword());
    const std::pair<const char*, long> counts[] = {
        {"ArticleEnStock", 1000}, {"Utilisateurs", 300},   {"DetailVente", 5000},
        {"ProfileQuota", 10},     {"Quota", 400},          {"Machines", 20},
        {"ConfigMachines", 130},  {"MouvementStock", 500}, {"Ventes", 3050}};
    for (const auto& [table, count] : counts) {
        EXPECT_EQ(Count(zad, std::string("SELECT * FROM ") + table), count) << table;
    }
    for (const auto& [what, sql] : Incoherences) {
        if (what != std::string_view(QuotaLinesOfMissingArticles)) {
            EXPECT_EQ(Count(zad, sql), 0) << what;
        }
    }
    EXPECT_GT(Count(zad, "SELECT NoLigne FROM Quota WHERE RefArticle NOT IN (SELECT Reference "
                         "FROM ArticleEnStock)"),
              0);
    EXPECT_EQ(Count(zad, "SELECT NumVente FROM Ventes WHERE LaDate >= '2026-07-01'"), 0);
    EXPECT_EQ(RunTool("create " + other.Path().string() + "x --large --employees 0"), 2);
    EXPECT_EQ(RunTool("create " + other.Path().string() + " --large --seed"), 2);
}

TEST(DbTool, TheStandardShellChecksAndQueriesTheFilesWithTheExtension)
{
    TempFolder folder;
    ASSERT_EQ(RunTool("create " + folder.Path().string() + " --demo"), 0);
    for (const char* file : {"zad.MDB", "MAINTEN.MDB", "CP.MDB"})
        EXPECT_EQ(Shell(folder.File(file), "PRAGMA integrity_check"), "ok\n") << file;

    const std::string zad = folder.File("zad.MDB");
    EXPECT_EQ(Shell(zad, "SELECT NomFamille FROM Familles WHERE NoFamille = 3"), "CHAUSSURES\n");
    // French order and the unique indexes that ignore case, accents' case included.
    EXPECT_EQ(Shell(zad, "INSERT INTO ArticleEnStock (Reference, CodeBar) VALUES "
                         "(9001, 'ÉCRAN-1'), (9002, 'zèbre'), (9003, 'eclair');"
                         "SELECT CodeBar FROM ArticleEnStock WHERE Reference > 9000 "
                         "ORDER BY CodeBar"),
              "eclair\nÉCRAN-1\nzèbre\n");
    EXPECT_NE(Shell(zad, "INSERT INTO ArticleEnStock (Reference, CodeBar) VALUES "
                         "(9004, 'écran-1')")
                  .find("UNIQUE"),
              std::string::npos);
    // The stored queries run in the shell too.
    EXPECT_EQ(Shell(zad, "SELECT count(*) > 0 FROM StockGlobal"), "1\n");
}

} // namespace
} // namespace database::testing
