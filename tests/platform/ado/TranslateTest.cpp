// The program's statements, translated and run against a small database; the results are
// checked, not the translated text.

#include "platform/ado/Translate.h"
#include "AdoFixture.h"
#include "platform/vb/Convert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ado::testing::ErrorOf;
using ado::testing::TempDatabase;
using Table = std::vector<std::vector<std::string>>;

// Every row of a statement, each value as the language writes it (CStr; Null as "Null").
Table Rows(ado::Connection& c, const std::string& sql)
{
    ado::Recordset rs;
    rs.Open(sql, c, ado::adOpenDynamic, ado::adLockReadOnly);
    Table out;
    while (!rs.Eof()) {
        std::vector<std::string> row;
        for (long i = 0; i < rs.Fields().Count(); ++i) {
            const vb::Variant v = rs.Fields(i).Value();
            row.push_back(v.IsNull() ? "Null" : vb::CStr(v));
        }
        out.push_back(row);
        rs.MoveNext();
    }
    return out;
}

class Translate : public ::testing::Test
{
protected:
    void SetUp() override
    {
        c = db.Open();
        const char* schema[] = {
            "CREATE TABLE Ventes (NumVente COUNTER, LaDate DATETIME, Utilisateur TEXT(20), "
            "Nom TEXT(50), Prenom TEXT(50), TypeMouvement SMALLINT, Total CURRENCY)",
            "CREATE TABLE DetailVente (NumVente LONG, Reference LONG, Designation TEXT(50), "
            "Quantite LONG, PrixAchatUnit CURRENCY, Profile TEXT(50))",
            "CREATE TABLE ArticleEnStock (Reference LONG PRIMARY KEY, Designation TEXT(50), "
            "Taille LONG, Famille LONG, NoFournisseur LONG, PrixAchatUnit CURRENCY, Actif YESNO)",
            "CREATE TABLE Tailles (NoTaille COUNTER, Taille TEXT(10), Ordre LONG, NoFamille LONG)",
            "CREATE TABLE Familles (NoFamille COUNTER, NomFamille TEXT(50))",
            "CREATE TABLE Fournisseur (Nauto COUNTER, [No] LONG, Societe TEXT(50))",
            "CREATE TABLE Quota (NoQota LONG, NoLigne COUNTER, RefArticle LONG, QtePermise LONG, "
            "Periodicite LONG)",
            "CREATE TABLE CA (NomMois TEXT(20), Reference LONG, Quantite LONG)",
            "INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, TypeMouvement, Total) VALUES "
            "('2024-05-01 00:00:00', '1000', 'DUPONT', 'Jean', 3, 12.5), "
            "('2024-05-01 10:30:00', '1000', 'DUPONT', 'Jean', 3, 7), "
            "('2024-05-31 23:59:59', '1001', 'Durand', 'Zoé', 1, 20), "
            "('2024-06-02 08:00:00', '1002', 'ÉMILE', 'Léa', 3, 4.25)",
            "INSERT INTO DetailVente VALUES (1, 10, 'GANTS', 1, 12.5, '1'), "
            "(2, 10, 'GANTS', 1, 7, '1'), (2, 10, 'GANTS', 1, 7, '1'), "
            "(3, 20, 'CHAUSSURES', 2, 10, '2'), (4, 30, 'LUNETTES', 1, 4.25, '1')",
            "INSERT INTO ArticleEnStock VALUES (10, 'GANTS', 1, 1, 7, 12.5, -1), "
            "(20, 'CHAUSSURES', NULL, 2, 7, 10, 0), (30, 'LUNETTES', 2, 1, 8, 4.25, -1)",
            "INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('S', 1, 1), ('M', 2, 1)",
            "INSERT INTO Familles (NomFamille) VALUES ('Mains'), ('Pieds')",
            "INSERT INTO Fournisseur ([No], Societe) VALUES (7, 'Sécurité SA'), (8, 'Optique')",
            "INSERT INTO Quota (NoQota, RefArticle, QtePermise, Periodicite) VALUES "
            "(1, 10, 2, 30), (1, 99, 1, 7), (2, 20, 1, 365)",
        };
        for (const char* s : schema) {
            c.Execute(s);
        }
    }

    TempDatabase db;
    ado::Connection c;
};

TEST_F(Translate, AccessDialectStatements)
{
    struct Case
    {
        const char* sql;
        Table expected;
    };
    const Case cases[] = {
        // Bracketed names, [Table.Column], Format with a double-quoted pattern.
        {"SELECT  Format([Ventes.LaDate],\"mmmm\") AS NomMois, [Ventes].[Nom] FROM Ventes "
         "WHERE [NumVente] = 4",
         {{"juin", "ÉMILE"}}},
        // CDate reads day first; the bounds are strict.
        {"SELECT COUNT(*) FROM Ventes WHERE ( Ventes.LaDate > CDate(\"01/05/2024 00:00:00\")) "
         "AND ( Ventes.LaDate < CDate(\"31/05/2024 23:59:59\"));",
         {{"1"}}},
        // #m/d/yyyy# literals are read month first.
        {"SELECT NumVente FROM Ventes WHERE LaDate >= #6/2/2024# ORDER BY NumVente", {{"4"}}},
        {"SELECT NumVente FROM Ventes WHERE LaDate BETWEEN #5/1/2024# AND #5/1/2024 23:00:00#",
         {{"1"}, {"2"}}},
        // & joins texts; text comparison ignores case, accents' case included.
        {"SELECT Nom & ' ' & Prenom FROM Ventes WHERE Nom = 'émile'", {{"ÉMILE Léa"}}},
        // * and ? wildcards; LIKE ignores case.
        {"SELECT DISTINCT Nom FROM Ventes WHERE Nom LIKE 'du*' ORDER BY Nom",
         {{"DUPONT"}, {"Durand"}}},
        {"SELECT DISTINCT Nom FROM Ventes WHERE Nom LIKE 'D?R*'", {{"Durand"}}},
        // French order, case ignored.
        {"SELECT DISTINCT Nom FROM Ventes ORDER BY Nom", {{"DUPONT"}, {"Durand"}, {"ÉMILE"}}},
        // Division never truncates; True is -1.
        {"SELECT 7 / 2, SUM(Quantite) * 30 / 4 FROM DetailVente", {{"3,5", "45"}}},
        {"SELECT Reference FROM ArticleEnStock WHERE Actif = True ORDER BY Reference",
         {{"10"}, {"30"}}},
        {"SELECT Reference FROM ArticleEnStock WHERE Actif = False", {{"20"}}},
        // TOP n keeps n rows; TOP 100 PERCENT keeps them all.
        {"SELECT TOP 2 NumVente FROM Ventes ORDER BY NumVente DESC", {{"4"}, {"3"}}},
        {"SELECT  TOP 100 PERCENT Reference, COUNT(*) AS N FROM DetailVente GROUP BY Reference "
         "ORDER BY Reference",
         {{"10", "3"}, {"20", "1"}, {"30", "1"}}},
        {"SELECT TOP 50 PERCENT NumVente FROM Ventes ORDER BY NumVente", {{"1"}, {"2"}}},
        // Functions with the language's meaning.
        {"SELECT UCase('été'), Nz(NULL, 'x'), Nz(Taille, 0), IIf(Actif, 'oui', 'non') FROM "
         "ArticleEnStock WHERE Reference = 20",
         {{"ÉTÉ", "x", "0", "non"}}},
        {"SELECT Year(LaDate), Month(LaDate), DatePart(\"d\", LaDate), "
         "DateAdd(\"m\", 1, LaDate), DateDiff(\"d\", LaDate, #6/30/2024#) FROM Ventes WHERE "
         "NumVente = 3",
         {{"2024", "5", "31", "30/06/2024 23:59:59", "30"}}},
        {"SELECT Left(Nom, 3), Right(Nom, 2), Mid(Nom, 2, 3), Len(Nom), IsNull(Nom) FROM Ventes "
         "WHERE NumVente = 3",
         {{"Dur", "nd", "ura", "6", "0"}}},
        {"SELECT Format(Total, \"0.00\") FROM Ventes WHERE NumVente = 4", {{"4,25"}}},
        // A stored date compares with a date made in SQL.
        {"SELECT COUNT(*) FROM Ventes WHERE LaDate < Now() AND LaDate > DateAdd('yyyy', -100, "
         "Date())",
         {{"4"}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.sql);
        EXPECT_EQ(Rows(c, k.sql), k.expected) << ado::TranslateSql(k.sql);
    }
}

TEST_F(Translate, JoinsOfTheAccessDialect)
{
    // A left join nested in parentheses and a right join: quota lines without an article
    // still come.
    const std::string sql =
        " SELECT  Quota.RefArticle,  ArticleEnStock.Designation,  Quota.QtePermise,  "
        "Quota.Periodicite,  Quota.NoQota,  Quota.NoLigne,  Tailles.NoTaille ,  Tailles.Taille, "
        "Tailles.NoFamille, Tailles.Ordre FROM          (ArticleEnStock LEFT OUTER JOIN  Tailles "
        "ON  ArticleEnStock.Taille =  Tailles.NoTaille )RIGHT OUTER JOIN  Quota ON  "
        "ArticleEnStock.Reference =  Quota.RefArticle Where  ( Quota.NoQota =1);";
    EXPECT_EQ(Rows(c, sql),
              (Table{{"10", "GANTS", "2", "30", "1", "1", "1", "S", "1", "1"},
                     {"99", "Null", "1", "7", "1", "2", "Null", "Null", "Null", "Null"}}));
    // Grouping merges identical lines; the quota window's sum counts them once.
    const std::string grouped =
        "SELECT     Ventes.LaDate,  Ventes.Utilisateur,  DetailVente.Reference,  "
        "DetailVente.Quantite FROM    (Ventes INNER JOIN  DetailVente ON  Ventes.NumVente =  "
        "DetailVente.NumVente) GROUP BY  Ventes.LaDate,  Ventes.Utilisateur,  "
        "DetailVente.Reference,  DetailVente.Quantite HAVING    ( DetailVente.Reference = 10) AND "
        "( Ventes.LaDate >= CDate(\"01/05/2024 00:00:00\")) AND ( Ventes.LaDate < CDate( "
        "\"31/05/2024 23:59:59\"))AND (Ventes.Utilisateur =\"1000\") ORDER BY  Ventes.LaDate ;";
    EXPECT_EQ(Rows(c, grouped), (Table{{"01/05/2024", "1000", "10", "1"},
                                       {"01/05/2024 10:30:00", "1000", "10", "1"}}));
    const std::string distinct =
        "SELECT DISTINCT  DetailVente.NumVente , DetailVente.Reference,  "
        "DetailVente.Designation, DetailVente.PrixAchatUnit,  DetailVente.Quantite FROM  "
        "DetailVente INNER JOIN  Ventes ON  DetailVente.NumVente =  Ventes.NumVente GROUP BY  "
        "DetailVente.NumVente,  DetailVente.Designation, DetailVente.PrixAchatUnit, "
        "DetailVente.Reference,  DetailVente.Quantite HAVING ( DetailVente.NumVente = 2)";
    EXPECT_EQ(Rows(c, distinct), (Table{{"2", "10", "GANTS", "7", "1"}}));
}

TEST_F(Translate, SqlServerDialectStatements)
{
    // Deferred ON clauses, owner prefixes, bracketed [No], N'..' and real division.
    const std::string deferred =
        "SELECT     TOP 100 PERCENT  Quota.RefArticle,  ArticleEnStock.Designation, "
        "Familles.NomFamille, Fournisseur.Societe, SUM( Quota.QtePermise) * 45 /  "
        "Quota.Periodicite AS Qte FROM           dbo.Quota INNER JOIN   dbo.Familles INNER JOIN  "
        "dbo.ArticleEnStock ON dbo.Familles.NoFamille = dbo.ArticleEnStock.Famille INNER JOIN  "
        "dbo.Fournisseur ON dbo.ArticleEnStock.NoFournisseur = dbo.Fournisseur.[No] ON  "
        "dbo.Quota.RefArticle = dbo.ArticleEnStock.Reference LEFT OUTER JOIN  dbo.Tailles ON "
        "dbo.ArticleEnStock.Taille = dbo.Tailles.NoTaille GROUP BY Quota.RefArticle, "
        "ArticleEnStock.Designation, Familles.NomFamille, Fournisseur.Societe, Quota.Periodicite "
        "HAVING ( Fournisseur.Societe LIKE N'%curit%') ORDER BY  Quota.RefArticle";
    EXPECT_EQ(Rows(c, deferred),
              (Table{{"10", "GANTS", "Mains", "Sécurité SA", "3"},
                     {"20", "CHAUSSURES", "Pieds", "Sécurité SA", "0,123287671232877"}}));
    // A chain of right joins whose ON clauses all come at its end: every employee comes,
    // with the site of the service when there is one.
    c.Execute("CREATE TABLE Sites (NoSite COUNTER, NomSite TEXT(20))");
    c.Execute("CREATE TABLE Services (NoService COUNTER, NomService TEXT(20), Site LONG)");
    c.Execute("CREATE TABLE ProfileQuota (NoQuota COUNTER, Profile TEXT(20))");
    c.Execute("CREATE TABLE Utilisateurs (NoBadge TEXT(20), Service LONG, Quota LONG)");
    c.Execute("INSERT INTO Sites (NomSite) VALUES ('Lyon')");
    c.Execute("INSERT INTO Services (NomService, Site) VALUES ('Atelier', 1), ('Vide', 1)");
    c.Execute("INSERT INTO ProfileQuota (Profile) VALUES ('Soudeur')");
    c.Execute("INSERT INTO Utilisateurs VALUES ('1000', 1, 1), ('1001', NULL, 1), ('1002', 1, 7)");
    EXPECT_EQ(Rows(c, "SELECT Utilisateurs.NoBadge, Sites.NomSite, ProfileQuota.Profile FROM "
                      "dbo.Sites RIGHT OUTER JOIN  dbo.Services ON dbo.Sites.NoSite = "
                      "dbo.Services.Site RIGHT OUTER JOIN  dbo.ProfileQuota RIGHT OUTER JOIN  "
                      "dbo.Utilisateurs ON dbo.ProfileQuota.NoQuota = dbo.Utilisateurs.Quota ON "
                      "dbo.Services.NoService = dbo.Utilisateurs.Service ORDER BY NoBadge"),
              (Table{{"1000", "Lyon", "Soudeur"},
                     {"1001", "Null", "Soudeur"},
                     {"1002", "Lyon", "Null"}}));
    // CONVERT with style 103 reads day first; the view keeps its ORDER BY.
    c.Execute("CREATE VIEW Consomations AS  SELECT     TOP 100 PERCENT  DetailVente.Reference,  "
              "DetailVente.Designation, SUM( DetailVente.Quantite) AS Total FROM          "
              "DetailVente INNER JOIN   Ventes ON  DetailVente.NumVente =  Ventes.NumVente GROUP "
              "BY  DetailVente.Reference,  DetailVente.Designation,  Ventes.LaDate HAVING      ( "
              "Ventes.LaDate > CONVERT(DATETIME, '01/05/2024 00:00:00', 103)) AND ( Ventes.LaDate "
              "< CONVERT(DATETIME, '02/06/2024 23:59:59', 103)) ORDER BY  DetailVente.Reference");
    EXPECT_EQ(Rows(c, "SELECT     Reference, SUM(Total) AS GrTotal From Consomations GROUP BY "
                      "Reference"),
              (Table{{"10", "2"}, {"20", "2"}, {"30", "1"}}));
    EXPECT_EQ(Rows(c, "SELECT DATENAME(month, dbo.Ventes.LaDate), DATEPART(month, LaDate), "
                      "DATEDIFF(day, LaDate, GETDATE()) > 0 FROM Ventes WHERE NumVente = 3"),
              (Table{{"mai", "5", "1"}}));
}

TEST_F(Translate, StatementsThatChangeData)
{
    c.Execute("INSERT INTO CA SELECT Format(LaDate, \"mmmm\"), Reference, Quantite FROM Ventes "
              "INNER JOIN DetailVente ON Ventes.NumVente = DetailVente.NumVente");
    EXPECT_EQ(Rows(c, "SELECT COUNT(*) FROM CA WHERE NomMois = 'MAI'"), (Table{{"4"}}));
    EXPECT_EQ(c.Execute("DELETE * FROM CA WHERE Reference = 20"), 1);
    EXPECT_EQ(c.Execute("DELETE CA.* FROM CA WHERE Reference = 30"), 1);
    EXPECT_EQ(c.Execute("DELETE  FROM CA"), 3);
    c.Execute("SELECT Reference, Designation INTO Copie FROM ArticleEnStock WHERE Reference > 10");
    EXPECT_EQ(Rows(c, "SELECT * FROM Copie ORDER BY Reference"),
              (Table{{"20", "CHAUSSURES"}, {"30", "LUNETTES"}}));
    c.Execute("UPDATE ArticleEnStock SET Designation = Designation & ' XL', Actif = False "
              "WHERE Reference = 10");
    EXPECT_EQ(Rows(c, "SELECT Designation, Actif FROM ArticleEnStock WHERE Reference = 10"),
              (Table{{"GANTS XL", vb::CStr(vb::Variant(false))}}));
}

TEST_F(Translate, ScriptsTranslateEachStatement)
{
    c.Execute("CREATE TABLE Un (Nom TEXT(10)); CREATE TABLE Deux (Nom TEXT(10), No COUNTER); "
              "INSERT INTO Deux (Nom) VALUES (\"Été\");");
    EXPECT_EQ(Rows(c, "SELECT No FROM Deux WHERE Nom = 'ÉTÉ'"), (Table{{"1"}}));
}

TEST_F(Translate, ErrorsCarryTheDatabaseNumbers)
{
    EXPECT_EQ(ErrorOf([&] { c.Execute("SELEC * FROM Ventes"); }), vb::ErrDatabaseRefused);
    EXPECT_EQ(ErrorOf([&] { c.Execute("SELECT * FROM Absente"); }),
              static_cast<int32_t>(0x80040E37));
}

} // namespace
