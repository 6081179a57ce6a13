// The thresholds recomputed from the consumption of a period on a real zad.MDB, through the view
// Consomations as the article window creates it.

#include "harnix/magasin/AlertesStock.h"

#include "tests/harnix/database/DatabaseFixture.h"

#include "platform/ado/Recordset.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Error.h"

#include <gtest/gtest.h>

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

} // namespace
