// The thresholds recomputed from the consumption of a period on a real zad.MDB, through the view
// Consomations as the article window creates it.

#include "harnix/magasin/AlertesStock.h"

#include "tests/harnix/database/DatabaseFixture.h"
#include "tests/harnix/database/GeneratedCompany.h"

#include "platform/ado/Recordset.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

namespace {

class EcrireSeuils : public ::testing::Test
{
protected:
    database::testing::ZadFixture zad;

    void SetUp() override
    {
        // Movements of the tests alone; article 1001 has a delivery time, 1000 none.
        Execute("DELETE FROM DetailVente");
        Execute("DELETE FROM Ventes");
        Execute("UPDATE ArticleEnStock SET DelaiLivraison = 4 WHERE Reference = 1001");
        Execute(AlertesStock::TexteVue(vb::DateSerial(2024, 3, 1), vb::DateSerial(2024, 3, 30)));
    }

    void Execute(const std::string& sql) { zad.Connection().Execute(sql); }

    // One movement of one line; a reference of 0 writes a line of no article.
    void Mouvement(const std::string& date, long reference, long quantite)
    {
        Execute("INSERT INTO Ventes (LaDate, Utilisateur, TypeMouvement) VALUES ('" + date +
                "', '1000', 3)");
        Execute("INSERT INTO DetailVente (NumVente, Reference, Quantite) VALUES ((SELECT "
                "MAX(NumVente) FROM Ventes), " +
                (reference == 0 ? std::string("NULL") : std::to_string(reference)) + ", " +
                std::to_string(quantite) + ")");
    }

    std::string Seuil(long reference)
    {
        ado::Recordset rs = database::testing::OpenRecordset(
            zad.Connection(),
            "SELECT StockAlert FROM ArticleEnStock WHERE Reference = " + std::to_string(reference));
        return database::testing::Text(rs.Fields(0L).Value());
    }
};

TEST_F(EcrireSeuils, AWeekOfUseOrTheDeliveryTimeAndSixDays)
{
    Mouvement("2024-03-01 00:00:00", 1000, 40);
    Mouvement("2024-03-30 23:59:59", 1000, 20);
    Mouvement("2024-03-12 10:00:00", 1001, 60);
    Mouvement("2024-02-29 23:59:59", 1001, 900); // before the period
    Mouvement("2024-03-31 00:00:00", 1001, 900); // after it
    Mouvement("2024-03-12 10:00:00", 0, 5);      // a line of no article
    Mouvement("2024-03-12 10:00:00", 4321, 5);   // an article no longer in stock
    AlertesStock::EcrireSeuils(zad.Connection(), 30);
    EXPECT_EQ(Seuil(1000), "14");   // 60 / 30 x 7
    EXPECT_EQ(Seuil(1001), "20");   // 60 / 30 x (4 + 6)
    EXPECT_EQ(Seuil(1002), "Null"); // no movement: as it was
}

// A threshold that overflows a Long raises, and no article's threshold changes.
TEST_F(EcrireSeuils, AllOrNone)
{
    Mouvement("2024-03-05 10:00:00", 1000, 30);
    Mouvement("2024-03-06 10:00:00", 1001, 2000000000);
    try {
        AlertesStock::EcrireSeuils(zad.Connection(), 2);
        ADD_FAILURE() << "no overflow";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), vb::ErrOverflow);
    }
    EXPECT_EQ(Seuil(1000), "5");
    EXPECT_EQ(Seuil(1001), "2");
}

// On a generated company, every article's threshold is a week of its use over the period, or its
// delivery time and six days of it, computed here from the movement lines themselves; an article
// without a movement in the period keeps the threshold it had.
TEST(EcrireSeuilsGeneres, EveryArticleFromItsLinesOfThePeriod)
{
    database::testing::TempFolder dossier;
    const std::string chemin = dossier.File("zad.MDB");
    database::data::Volumes volumes = database::testing::SmallCompany();
    volumes.articles = 400;
    volumes.movements = 6000;
    database::testing::CreateGenerated(chemin, volumes);
    ado::Connection cn = database::testing::Open(chemin, database::ZadPassword());
    cn.Execute("UPDATE ArticleEnStock SET StockAlert = -1");
    cn.Execute("UPDATE ArticleEnStock SET DelaiLivraison = NULL WHERE Reference % 3 = 0");
    cn.Execute(AlertesStock::TexteVue(vb::DateSerial(2026, 5, 31), vb::DateSerial(2026, 6, 30)));

    std::map<long, double> totaux;
    ado::Recordset lignes = database::testing::OpenRecordset(
        cn, "SELECT d.Reference, d.Quantite FROM Ventes v JOIN DetailVente d ON v.NumVente = "
            "d.NumVente WHERE v.LaDate >= '2026-05-31' AND v.LaDate < '2026-07-01' AND "
            "d.Reference IS NOT NULL");
    for (; !lignes.Eof(); lignes.MoveNext())
        totaux[vb::CLng(lignes["Reference"].Value())] += vb::CDbl(lignes["Quantite"].Value());

    AlertesStock::EcrireSeuils(cn, 31);

    ado::Recordset articles = database::testing::OpenRecordset(
        cn, "SELECT Reference, DelaiLivraison, StockAlert FROM ArticleEnStock");
    long calcules = 0, gardes = 0;
    for (; !articles.Eof(); articles.MoveNext()) {
        const long reference = vb::CLng(articles["Reference"].Value());
        const vb::Variant delai = articles["DelaiLivraison"].Value();
        const long seuil = vb::CLng(articles["StockAlert"].Value());
        const auto total = totaux.find(reference);
        if (total == totaux.end()) {
            EXPECT_EQ(seuil, -1) << reference;
            ++gardes;
            continue;
        }
        const double jours = delai.IsNull() ? 7 : vb::CDbl(delai) + 6;
        EXPECT_EQ(seuil, std::lrint(total->second / 31 * jours)) << reference;
        ++calcules;
    }
    EXPECT_GT(calcules, 0);
    EXPECT_GT(gardes, 0);
}

} // namespace
