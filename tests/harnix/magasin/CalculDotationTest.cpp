// The allocation computation and commit over a real zad.MDB: the statement as the planner sends
// it, translated and run by SQLite, its rows turned into grid lines and movements.

#include "harnix/magasin/CalculDotation.h"
#include "harnix/magasin/EnregistrementDotation.h"

#include "tests/harnix/database/DatabaseFixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <functional>

#include <string>
#include <vector>

namespace {

using CalculDotation::Critere;
using database::testing::ErrorOf;

// Two profiles of our own, 3 and 4, and employees made for each case; the fixture's own
// employees are removed so that only those of the case are counted. Article 1000 (GANTS T8,
// size 8, stock 10, 1.50) and 1001 (CHAUSSURES P42, size 42, stock 3, 40.00).
class Dotation : public ::testing::Test
{
public:
    void SetUp() override
    {
        for (const char* sql : {"DELETE FROM Utilisateurs", "DELETE FROM Quota",
                                "INSERT INTO ProfileQuota (NoQuota, Profile) VALUES (3, 'P3')",
                                "INSERT INTO ProfileQuota (NoQuota, Profile) VALUES (4, 'P4')"})
            Execute(sql);
    }

    void Execute(const std::string& sql) { zad.Connection().Execute(sql); }

    void Quota(int profil, int article, int quantite, const std::string& periode)
    {
        Execute("INSERT INTO Quota (NoQota, RefArticle, QtePermise, Periodicite) VALUES (" +
                std::to_string(profil) + ", " + std::to_string(article) + ", " +
                std::to_string(quantite) + ", " + periode + ")");
    }

    // Site and service numbers, or "NULL"; sites 1 LYON, 2 NANTES; services 1 MAINTENANCE and
    // 2 ATELIER of LYON, 3 ATELIER of NANTES.
    void Salarie(const std::string& badge, const std::string& site, const std::string& service,
                 int profil, const std::string& machines = "NULL")
    {
        Execute("INSERT INTO Utilisateurs (NoBadge, Nom, Prenom, Site, Service, Quota, "
                "MachineAutorise) VALUES ('" +
                badge + "', 'NOM" + badge + "', 'P', " + site + ", " + service + ", " +
                std::to_string(profil) + ", " + machines + ")");
    }

    CalculDotation::Resultat Calculer(const std::vector<Critere>& criteres, int32_t jours = 30,
                                      const std::string& machine = {})
    {
        return CalculDotation::Calculer(zad.Connection(), jours, Filtre(criteres, machine));
    }

    static std::string Filtre(const std::vector<Critere>& criteres, const std::string& machine = {})
    {
        return CalculDotation::Filtre(CalculDotation::ConstruireConditions(criteres), machine);
    }

    static std::vector<std::string> Textes(const CalculDotation::Resultat& r)
    {
        std::vector<std::string> textes;
        for (const auto& ligne : r.Lignes)
            textes.push_back(ligne.Texte);
        return textes;
    }

    std::string Stored(const std::string& sql)
    {
        ado::Recordset rs;
        rs.Open(sql, zad.Connection());
        return rs.Eof() ? "(no row)" : database::testing::Text(rs.Fields(0L).Value());
    }

    static Critere Site(int site) { return {site, 0, 0}; }
    static Critere Service(int site, int service) { return {site, service, 0}; }

    database::testing::ZadFixture zad;
};

std::string Gants(int quantite, const std::string& site, const std::string& service)
{
    return "\t\t\t1000\tGANTS T8\t8\t" + std::to_string(quantite) + "\t" + site + "\t" + service;
}

std::string Total(int quantite)
{
    return "\t\tTOTAL\t\t\t\t" + std::to_string(quantite) + "\t\t";
}

TEST_F(Dotation, ConditionsFollowTheCriteriaAsThePlannerBuildsThem)
{
    const auto sites = CalculDotation::ConstruireConditions({Site(1), Site(2)});
    EXPECT_EQ(sites.CritereSites, "=1 OR  Utilisateurs.Site =2");
    EXPECT_EQ(Filtre({Site(1), Site(2)}), " HAVING      ( Utilisateurs.Site =1 OR  "
                                          "Utilisateurs.Site =2)");
    // A row with a profile gives its site and never its service.
    const auto profil = CalculDotation::ConstruireConditions({{1, 2, 3}, Service(2, 3)});
    EXPECT_EQ(profil.CritereProfile, "=3");
    EXPECT_EQ(profil.CritereServices, "=3");
    EXPECT_EQ(Filtre({{1, 0, 3}, {2, 0, 3}}),
              " HAVING      ( Utilisateurs.Site =1 OR  Utilisateurs.Site =2) AND ( "
              "ProfileQuota.NoQuota =3)");
    // The machine restricts the whole condition, as an element of the list.
    EXPECT_EQ(Filtre({Service(1, 1), Service(1, 2)}, "1"),
              " HAVING       (( Utilisateurs.Service =1 OR  Utilisateurs.Service =2) AND (',' & "
              "Utilisateurs.MachineAutorise & ',' LIKE N'%,1,%'))");
    EXPECT_EQ(Filtre({}), "");
}

TEST_F(Dotation, ComputationsGroupByArticleSiteAndService)
{
    struct Cas
    {
        const char* nom;
        std::function<void(Dotation&)> donnees;
        std::vector<Critere> criteres;
        int32_t jours;
        std::string machine;
        std::vector<std::string> lignes;
        bool stockInsuffisant;
    };
    const Cas cas[] = {
        {"2.5 + 2.5 gives 4: each row rounded half to even before the sum",
         [](Dotation& d) {
             d.Quota(3, 1000, 1, "12");
             d.Salarie("1", "1", "2", 3);
             d.Salarie("2", "1", "2", 3);
         },
         {Site(1)},
         30,
         {},
         {Gants(4, "LYON", "ATELIER")},
         false},
        {"a single group shows no TOTAL",
         [](Dotation& d) {
             d.Quota(3, 1000, 5, "30");
             d.Salarie("1", "1", "2", 3);
         },
         {Site(1)},
         30,
         {},
         {Gants(5, "LYON", "ATELIER")},
         false},
        {"groups of 3 and 4 close with TOTAL 7; stock 10 is enough",
         [](Dotation& d) {
             d.Quota(3, 1000, 3, "30");
             d.Quota(4, 1000, 4, "30");
             d.Salarie("1", "1", "1", 4);
             d.Salarie("2", "1", "2", 3);
         },
         {Site(1)},
         30,
         {},
         {Gants(3, "LYON", "ATELIER"), Gants(4, "LYON", "MAINTENANCE"), Total(7)},
         false},
        {"stock 7 against 3 + 4: the whole need counts, equal is insufficient",
         [](Dotation& d) {
             d.Execute("UPDATE ArticleEnStock SET QteEnStock = 7 WHERE Reference = 1000");
             d.Quota(3, 1000, 3, "30");
             d.Quota(4, 1000, 4, "30");
             d.Salarie("1", "1", "1", 4);
             d.Salarie("2", "1", "2", 3);
         },
         {Site(1)},
         30,
         {},
         {Gants(3, "LYON", "ATELIER"), Gants(4, "LYON", "MAINTENANCE"), Total(7)},
         true},
        {"a Null stock counts as 0",
         [](Dotation& d) {
             d.Execute("UPDATE ArticleEnStock SET QteEnStock = NULL WHERE Reference = 1000");
             d.Quota(3, 1000, 1, "30");
             d.Salarie("1", "1", "2", 3);
         },
         {Site(1)},
         30,
         {},
         {Gants(1, "LYON", "ATELIER")},
         true},
        {"machine 1 selects the list 1,3 and not the list 12, over every service chosen",
         [](Dotation& d) {
             d.Quota(3, 1000, 1, "30");
             d.Salarie("1", "1", "2", 3, "'12'");
             d.Salarie("2", "1", "2", 3, "'1,3'");
             d.Salarie("3", "1", "1", 3, "'2'");
             d.Salarie("4", "1", "1", 3, "'3,1'");
         },
         {Service(1, 1), Service(1, 2)},
         30,
         "1",
         {Gants(1, "LYON", "ATELIER"), Gants(1, "LYON", "MAINTENANCE"), Total(2)},
         false},
        {"a chosen service of one site and the whole of another: only the service counts",
         [](Dotation& d) {
             d.Quota(3, 1000, 1, "30");
             d.Salarie("1", "1", "2", 3);
             d.Salarie("2", "1", "1", 3);
             d.Salarie("3", "2", "3", 3);
         },
         {Site(2), Service(1, 2)},
         30,
         {},
         {Gants(1, "LYON", "ATELIER")},
         false},
        {"an employee without a service is a group of his own",
         [](Dotation& d) {
             d.Quota(3, 1000, 1, "30");
             d.Salarie("1", "1", "2", 3);
             d.Salarie("2", "1", "NULL", 3);
             d.Salarie("3", "1", "2", 3);
         },
         {Site(1)},
         30,
         {},
         {Gants(1, "", ""), Gants(2, "LYON", "ATELIER"), Total(3)},
         false},
        {"a year: 365 days of one per 73 days",
         [](Dotation& d) {
             d.Quota(3, 1000, 1, "73");
             d.Salarie("1", "1", "2", 3);
         },
         {Site(1)},
         365,
         {},
         {Gants(5, "LYON", "ATELIER")},
         false},
        {"articles stay apart, in reference order",
         [](Dotation& d) {
             d.Quota(3, 1001, 1, "180");
             d.Quota(3, 1000, 2, "30");
             d.Salarie("1", "2", "3", 3);
         },
         {Site(2)},
         360,
         {},
         {Gants(24, "NANTES", "ATELIER"), "\t\t\t1001\tCHAUSSURES P42\t42\t2\tNANTES\tATELIER"},
         true},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        zad.Connection().BeginTrans();
        c.donnees(*this);
        const auto resultat = Calculer(c.criteres, c.jours, c.machine);
        EXPECT_EQ(Textes(resultat), c.lignes);
        EXPECT_EQ(resultat.StockInsuffisant, c.stockInsuffisant);
        EXPECT_TRUE(resultat.LignesSansPeriode.empty());
        zad.Connection().RollbackTrans();
    }
}

TEST_F(Dotation, TotalLinesCarryTheRemainingStock)
{
    Quota(3, 1000, 3, "30");
    Quota(4, 1000, 4, "30");
    Salarie("1", "1", "1", 4);
    Salarie("2", "1", "2", 3);
    const auto resultat = Calculer({Site(1)});
    ASSERT_EQ(resultat.Lignes.size(), 3u);
    EXPECT_TRUE(resultat.Lignes[2].Total);
    EXPECT_FALSE(resultat.Lignes[0].Total);
    EXPECT_EQ(resultat.Lignes[2].Solde, 3);
}

TEST_F(Dotation, LinesWithoutAPeriodAreLeftOutOfBothAndReported)
{
    Quota(3, 1000, 1, "30");
    Quota(3, 1001, 1, "0");
    Execute("INSERT INTO Quota (NoQota, RefArticle, QtePermise) VALUES (4, 1001, 1)");
    Salarie("1", "1", "2", 3);
    Salarie("2", "1", "2", 4);
    const auto resultat = Calculer({Site(1)});
    EXPECT_EQ(Textes(resultat), std::vector<std::string>{Gants(1, "LYON", "ATELIER")});
    std::vector<std::string> sansPeriode = resultat.LignesSansPeriode;
    std::sort(sansPeriode.begin(), sansPeriode.end());
    EXPECT_EQ(sansPeriode, (std::vector<std::string>{"P3, 1001", "P4, 1001"}));
    EXPECT_NE(CalculDotation::DescriptionSansPeriode(resultat.LignesSansPeriode).find("P4, 1001"),
              std::string::npos);

    EXPECT_EQ(EnregistrementDotation::Enregistrer(zad.Connection(), 30, Filtre({Site(1)})), 1);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM DetailVente WHERE Reference = 1001"), "2")
        << "only the fixture's own lines";
}

TEST_F(Dotation, CommitWritesOneMovementPerEmployeeOfTheComputedSelection)
{
    Execute("UPDATE ArticleEnStock SET PrixAchatUnit = 10.5 WHERE Reference = 1000");
    Execute("UPDATE ArticleEnStock SET PrixAchatUnit = 4.25 WHERE Reference = 1001");
    Quota(3, 1000, 3, "30");
    Quota(3, 1001, 2, "30");
    Quota(4, 1000, 4, "300"); // 0.4 in 30 days: written as 1
    Salarie("7", "1", "2", 3);
    Salarie("8", "1", "2", 4);
    Salarie("9", "2", "3", 3); // NANTES: its site is chosen as a whole, but a service is too
    const long avant = std::stol(Stored("SELECT COUNT(*) FROM Ventes"));

    const std::string filtre = Filtre({Site(2), Service(1, 2)});
    EXPECT_EQ(EnregistrementDotation::Enregistrer(zad.Connection(), 30, filtre), 2);

    EXPECT_EQ(std::stol(Stored("SELECT COUNT(*) FROM Ventes")), avant + 2);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM Ventes WHERE Utilisateur = '9'"), "0");
    EXPECT_EQ(Stored("SELECT Total FROM Ventes WHERE Utilisateur = '7'"), "14.75");
    EXPECT_EQ(Stored("SELECT TypeMouvement FROM Ventes WHERE Utilisateur = '7'"), "1");
    EXPECT_EQ(Stored("SELECT Nom FROM Ventes WHERE Utilisateur = '7'"), "NOM7");
    const std::string num7 = Stored("SELECT NumVente FROM Ventes WHERE Utilisateur = '7'");
    EXPECT_EQ(Stored("SELECT GROUP_CONCAT(Reference || ':' || Quantite || ':' || PrixAchatUnit || "
                     "':' || Profile || ':' || NomSite || ':' || NoService, ' ') FROM "
                     "(SELECT * FROM DetailVente WHERE NumVente = " +
                     num7 + " ORDER BY Reference)"),
              "1000:3:10.5:P3:LYON:2 1001:2:4.25:P3:LYON:2");
    const std::string num8 = Stored("SELECT NumVente FROM Ventes WHERE Utilisateur = '8'");
    EXPECT_EQ(Stored("SELECT Quantite FROM DetailVente WHERE NumVente = " + num8), "1");
    EXPECT_EQ(Stored("SELECT Total FROM Ventes WHERE NumVente = " + num8), "10.5");
    EXPECT_EQ(Stored("SELECT QteEnStock FROM ArticleEnStock WHERE Reference = 1000"), "10")
        << "the stock is not touched";
}

// An employee of NANTES working in a service of LYON: the grid groups by the service's site,
// the movement records the employee's own.
TEST_F(Dotation, TheGridShowsTheServicesSiteAndTheCommitRecordsTheEmployees)
{
    Quota(3, 1000, 3, "30");
    Salarie("5", "2", "2", 3);
    const std::string filtre = Filtre({Service(1, 2)});

    EXPECT_EQ(Textes(CalculDotation::Calculer(zad.Connection(), 30, filtre)),
              std::vector<std::string>{Gants(3, "LYON", "ATELIER")});
    EXPECT_EQ(EnregistrementDotation::Enregistrer(zad.Connection(), 30, filtre), 1);
    EXPECT_EQ(Stored("SELECT NomSite || ':' || NoService || ':' || Quantite FROM DetailVente "
                     "WHERE NumVente = (SELECT NumVente FROM Ventes WHERE Utilisateur = '5')"),
              "NANTES:2:3");
}

TEST_F(Dotation, AFailingLineLeavesNoMovementAtAll)
{
    Quota(3, 1000, 1, "30");
    Salarie("1", "1", "2", 3);
    Salarie("2", "1", "2", 3);
    const std::string avant = Stored("SELECT COUNT(*) FROM Ventes");
    // The second employee's line is refused by the database.
    ASSERT_EQ(sqlite3_exec(zad.Connection().Handle(),
                           "CREATE TRIGGER Refus BEFORE INSERT ON DetailVente "
                           "WHEN (SELECT Utilisateur FROM Ventes WHERE NumVente = NEW.NumVente) "
                           "= '2' BEGIN SELECT RAISE(ABORT, 'ligne refusée'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_NE(ErrorOf([&] {
                  EnregistrementDotation::Enregistrer(zad.Connection(), 30, Filtre({Site(1)}));
              }),
              0);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM Ventes"), avant) << "no header without its lines";
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM DetailVente WHERE NumVente > 3"), "0");
}

} // namespace
