// The profile and machine line statements, read from the lines through the indexes, give the
// rows the articles-first statements gave, in the same order, on a generated company.

#include "tests/harnix/database/DatabaseFixture.h"
#include "tests/harnix/database/GeneratedCompany.h"

#include "harnix/distribution/FrmConfigMachine.h"
#include "harnix/staff/FenQuota.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace database::testing;

// The profile lines as the register and the profiles window read them before: every article
// scanned for each line.
std::string AncienneRequeteProfil(const std::string& condition)
{
    return "SELECT Quota.RefArticle, ArticleEnStock.Designation, ArticleEnStock.CodeArticle, "
           "Quota.QtePermise, Quota.Periodicite, Quota.NoQota, Quota.NoLigne, "
           "Tailles.NoTaille, Tailles.Taille, Tailles.NoFamille, Tailles.Ordre"
           " FROM (ArticleEnStock LEFT OUTER JOIN Tailles ON ArticleEnStock.Taille = "
           "Tailles.NoTaille) RIGHT OUTER JOIN Quota ON ArticleEnStock.Reference = "
           "Quota.RefArticle WHERE (Quota.NoQota " +
           condition + ")";
}

std::string AncienneRequeteMachine(const std::string& no)
{
    return "SELECT ConfigMachines.NoMachine, ConfigMachines.Etage, "
           "ConfigMachines.ReferenceArticle, ArticleEnStock.CodeArticle, "
           "ArticleEnStock.Designation FROM ArticleEnStock RIGHT OUTER JOIN ConfigMachines ON "
           "ArticleEnStock.Reference = ConfigMachines.ReferenceArticle WHERE "
           "(ConfigMachines.NoMachine =" +
           no + ")";
}

// Every row, every column, as text, in the recordset's order (after `tri` when given).
std::vector<std::string> Lignes(ado::Connection& cn, const std::string& sql,
                                const std::string& tri = {})
{
    ado::Recordset rs = OpenRecordset(cn, sql);
    if (!tri.empty())
        rs.SetSort(tri);
    std::vector<std::string> lignes;
    for (rs.RecordCount() > 0 ? rs.MoveFirst() : void(); !rs.Eof(); rs.MoveNext()) {
        std::string ligne;
        for (long i = 0; i < rs.Fields().Count(); ++i)
            ligne += Text(rs.Fields(i).Value()) + "|";
        lignes.push_back(ligne);
    }
    return lignes;
}

std::vector<std::string> Valeurs(ado::Connection& cn, const std::string& sql)
{
    std::vector<std::string> valeurs;
    ado::Recordset rs = OpenRecordset(cn, sql);
    for (; !rs.Eof(); rs.MoveNext())
        valeurs.push_back(Text(rs.Fields(0L).Value()));
    return valeurs;
}

TEST(LignesJointes, GiveTheRowsOfTheArticlesFirstStatementsInTheirOrder)
{
    TempFolder dossier;
    const std::string chemin = dossier.File("zad.MDB");
    database::data::Volumes volumes = SmallCompany();
    volumes.articles = 600;
    volumes.employees = 50;
    volumes.movements = 200;
    volumes.profiles = 8;
    volumes.quotaLines = 400;
    volumes.machines = 12;
    volumes.receipts = 20;
    CreateGenerated(chemin, volumes);
    ado::Connection cn = Open(chemin, database::ZadPassword());
    // A line without a profile, one without an article, two lines of one article in a profile,
    // and a machine line whose article is unknown.
    cn.Execute("INSERT INTO Quota (NoQota, RefArticle, QtePermise) VALUES (NULL, 1, 2)");
    cn.Execute("INSERT INTO Quota (NoQota, RefArticle, QtePermise) VALUES (1, NULL, 2)");
    cn.Execute("INSERT INTO Quota (NoQota, RefArticle, QtePermise) SELECT 1, RefArticle, 9 "
               "FROM Quota WHERE NoQota = 1 AND RefArticle IN (SELECT Reference FROM "
               "ArticleEnStock) ORDER BY NoLigne DESC LIMIT 1");
    cn.Execute("INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle) "
               "SELECT 2, MAX(Etage) + 1, 99999999 FROM ConfigMachines WHERE NoMachine = 2");
    // The generator leaves some lines of a profile naming an article gone from the catalogue.
    ASSERT_FALSE(Valeurs(cn, "SELECT NoLigne FROM Quota WHERE NoQota IS NOT NULL AND NOT EXISTS "
                             "(SELECT 1 FROM ArticleEnStock WHERE Reference = Quota.RefArticle) "
                             "AND RefArticle IS NOT NULL")
                     .empty());

    struct Cas
    {
        std::string quoi;
        std::string sqlCles;
        std::function<std::string(const std::string&)> nouvelle, ancienne;
        std::string tri; // the machine grid sorts its lines by line number
    };
    const Cas cas[] = {
        {"profile lines", "SELECT DISTINCT NoQota FROM Quota WHERE NoQota IS NOT NULL",
         [](const std::string& no) { return RequeteLignesProfil("=" + no); },
         [](const std::string& no) { return AncienneRequeteProfil("=" + no); }, ""},
        {"lines without a profile", "SELECT 'IS NULL'", RequeteLignesProfil, AncienneRequeteProfil,
         ""},
        {"machine lines", "SELECT DISTINCT NoMachine FROM ConfigMachines", RequeteLignesMachine,
         AncienneRequeteMachine, "Etage"},
    };
    for (const Cas& c : cas) {
        const std::vector<std::string> cles = Valeurs(cn, c.sqlCles);
        ASSERT_FALSE(cles.empty()) << c.quoi;
        for (const std::string& cle : cles) {
            const auto avant = Lignes(cn, c.ancienne(cle), c.tri);
            EXPECT_FALSE(avant.empty()) << c.quoi << " " << cle;
            EXPECT_EQ(Lignes(cn, c.nouvelle(cle), c.tri), avant) << c.quoi << " " << cle;
        }
    }
}

} // namespace
