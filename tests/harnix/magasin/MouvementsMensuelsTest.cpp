// A year of sample movements on a real zad.MDB: counted by month, article and employee, written
// whole or not at all.

#include "harnix/magasin/MouvementsMensuels.h"

#include "tests/harnix/database/DatabaseFixture.h"

#include "platform/ado/Recordset.h"
#include "platform/vb/Error.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Generation : public ::testing::Test
{
protected:
    database::testing::ZadFixture zad;

    void Execute(const std::string& sql) { zad.Connection().Execute(sql); }
    // One value as the file holds it: "Null" for Null.
    std::string Stored(const std::string& sql)
    {
        ado::Recordset rs = database::testing::OpenRecordset(zad.Connection(), sql);
        if (rs.Eof())
            return "(no row)";
        return database::testing::Text(rs.Fields(0L).Value());
    }

    void SetUp() override
    {
        // Three articles (1000 at 1.50, 1001 at 40, 1002 without price), two employees.
        Execute("DELETE FROM DetailVente");
        Execute("DELETE FROM Ventes");
        Execute("DELETE FROM Utilisateurs WHERE NoBadge = '1002'");
    }
};

TEST_F(Generation, OneMovementPerMonthArticleAndEmployee)
{
    EXPECT_EQ(MouvementsMensuels::Generer(zad.Connection()), 72);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM Ventes WHERE TypeMouvement = 2"), "72");
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM DetailVente WHERE Quantite = 5"), "72");
    // Six a month, each on the first at midnight, in the order month, article, employee.
    EXPECT_EQ(Stored("SELECT GROUP_CONCAT(n, ',') FROM (SELECT COUNT(*) AS n FROM Ventes GROUP "
                     "BY LaDate ORDER BY LaDate)"),
              "6,6,6,6,6,6,6,6,6,6,6,6");
    EXPECT_EQ(Stored("SELECT MAX(LaDate) || '/' FROM (SELECT LaDate FROM Ventes ORDER BY NumVente "
                     "LIMIT 6)"),
              "2005-01-01 00:00:00/");
    EXPECT_EQ(
        Stored("SELECT MIN(LaDate) || '/' FROM (SELECT LaDate FROM Ventes ORDER BY NumVente DESC "
               "LIMIT 6)"),
        "2005-12-01 00:00:00/");
    EXPECT_EQ(Stored("SELECT COUNT(DISTINCT DetailVente.Reference || '/' || Ventes.Utilisateur) "
                     "FROM Ventes JOIN DetailVente ON Ventes.NumVente = DetailVente.NumVente"),
              "6");
    // The line copies the article and the employee; the header's total is five units.
    EXPECT_EQ(Stored("SELECT Ventes.Total || '/' || DetailVente.PrixAchatUnit || '/' || "
                     "DetailVente.NomSite || '/' || DetailVente.NoService || '/' || "
                     "DetailVente.Profile || '/' || Ventes.Nom FROM Ventes JOIN DetailVente ON "
                     "Ventes.NumVente = DetailVente.NumVente WHERE DetailVente.Reference = "
                     "1000 AND Ventes.Utilisateur = '1001' LIMIT 1"),
              "7.5/1.5/LYON/1/PRODUCTION/DURAND");
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM Ventes JOIN DetailVente ON Ventes.NumVente = "
                     "DetailVente.NumVente WHERE DetailVente.Reference = 1002 AND Ventes.Total "
                     "IS NULL"),
              "24");
    // The stock stays.
    EXPECT_EQ(Stored("SELECT QteEnStock FROM ArticleEnStock WHERE Reference = 1000"), "10");
}

TEST_F(Generation, AFailureWritesNothing)
{
    Execute("CREATE TRIGGER Plein BEFORE INSERT ON DetailVente WHEN (SELECT COUNT(*) FROM "
            "DetailVente) >= 40 BEGIN SELECT RAISE(ABORT, 'plein'); END");
    EXPECT_THROW(MouvementsMensuels::Generer(zad.Connection()), vb::Error);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM Ventes"), "0");
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM DetailVente"), "0");
}

} // namespace
