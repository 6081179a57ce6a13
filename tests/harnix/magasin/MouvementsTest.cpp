// The movement writer on a real zad.MDB: what each kind of movement stores, the stock it
// changes, and a failing write that leaves nothing behind.

#include "harnix/magasin/Mouvements.h"

#include "tests/harnix/database/DatabaseFixture.h"

#include "platform/vb/Currency.h"
#include "platform/vb/Error.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

using database::testing::Text;

class MouvementsTest : public ::testing::Test
{
protected:
    std::string Stored(const std::string& sql)
    {
        ado::Recordset rs;
        rs.Open(sql, zad.Connection());
        return rs.Eof() ? "(no row)" : Text(rs.Fields(0L).Value());
    }

    // A counter issue of article 1000 (GANTS T8) to MARTIN, as the counter builds it.
    static Mouvements::Mouvement Remise(int32_t reference = 1000)
    {
        Mouvements::Mouvement m{.LaDate = *vb::Date::FromIsoText("2026-12-10 09:15:30"),
                                .Utilisateur = "1000",
                                .Nom = "MARTIN",
                                .Prenom = "Jean",
                                .Type = Mouvements::RemiseComptoir,
                                .Total = vb::Currency::FromText("1.5"),
                                .DiminuerStock = true};
        Mouvements::Ligne l;
        l.Reference = reference;
        l.Designation = "GANTS T8";
        l.Quantite = int32_t{1};
        l.PrixAchatUnit = vb::Currency::FromText("1.5");
        l.NomFamille = "GANTS";
        l.NoFamille = int32_t{1};
        l.NomSite = "LYON";
        l.NoSite = int32_t{1};
        l.NomService = "ATELIER";
        l.NoService = int32_t{2};
        l.Profile = "1";
        l.CodeFournisseur = "F1";
        l.Societe = "GANTERIE DE L'EST";
        l.Taille = "8";
        l.RefFournisseur = "G8";
        l.CodeArticle = int32_t{1};
        m.Lignes = {l};
        return m;
    }

    void Trigger(const std::string& sql)
    {
        ASSERT_EQ(sqlite3_exec(zad.Connection().Handle(), sql.c_str(), nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }

    database::testing::ZadFixture zad; // movements 1 to 3 already stored; 1000 has 10 in stock
};

TEST_F(MouvementsTest, CounterIssueStoresHeaderLineAndTakesOneOffStock)
{
    const int32_t numero = Mouvements::Enregistrer(zad.Connection(), Remise());

    EXPECT_EQ(numero, 4);
    EXPECT_EQ(Stored("select LaDate from Ventes where NumVente=4"), "10/12/2026 09:15:30");
    EXPECT_EQ(Stored("select Utilisateur & '|' & Nom & '|' & Prenom & '|' & TypeMouvement & '|' & "
                     "Total from Ventes where NumVente=4"),
              "1000|MARTIN|Jean|3|1.5");
    EXPECT_EQ(Stored("select Ticket from Ventes where NumVente=4"), "Null");
    EXPECT_EQ(Stored("select Reference & '|' & Designation & '|' & Quantite & '|' & PrixAchatUnit "
                     "& '|' & NomFamille & '|' & NoFamille & '|' & NomSite & '|' & NoSite & '|' & "
                     "NomService & '|' & NoService & '|' & Profile & '|' & CodeFournisseur & '|' "
                     "& Societe & '|' & Taille & '|' & RefFournisseur & '|' & CodeArticle "
                     "from DetailVente where NumVente=4"),
              "1000|GANTS T8|1|1.5|GANTS|1|LYON|1|ATELIER|2|1|F1|GANTERIE DE L'EST|8|G8|1");
    EXPECT_EQ(Stored("select QteDistribuer from DetailVente where NumVente=4"), "Null");
    EXPECT_EQ(Stored("select QteEnStock from ArticleEnStock where Reference=1000"), "9");
    EXPECT_EQ(Stored("select QteEnStock from ArticleEnStock where Reference=1001"), "3");
}

TEST_F(MouvementsTest, StockHasNoLowerBoundAndAMissingArticleIsStillRecorded)
{
    zad.Connection().Execute("UPDATE ArticleEnStock SET QteEnStock = 0 WHERE Reference = 1000");
    Mouvements::Enregistrer(zad.Connection(), Remise());
    EXPECT_EQ(Stored("select QteEnStock from ArticleEnStock where Reference=1000"), "-1");

    // The article was removed after the counter read it: the issue stands, no stock changes.
    const int32_t numero = Mouvements::Enregistrer(zad.Connection(), Remise(4242));
    EXPECT_EQ(Stored("select count(*) from DetailVente where NumVente=" + std::to_string(numero) +
                     " and Reference=4242"),
              "1");
    EXPECT_EQ(Stored("select sum(QteEnStock) from ArticleEnStock"), "2");
}

TEST_F(MouvementsTest, AllocationWritesItsTotalAfterItsLinesAndLeavesStockAlone)
{
    Mouvements::Mouvement m{.LaDate = *vb::Date::FromIsoText("2026-12-10 10:00:00"),
                            .Utilisateur = "1001",
                            .Nom = "DURAND",
                            .Prenom = "Paul",
                            .Type = Mouvements::Dotation,
                            .Total = vb::Currency::FromText("41.5"),
                            .TotalApresLignes = true};
    Mouvements::Ligne gants;
    gants.Reference = int32_t{1000};
    gants.Quantite = int32_t{3};
    gants.PrixAchatUnit = vb::Currency::FromText("1.5");
    gants.Profile = "PRODUCTION";
    Mouvements::Ligne chaussures = gants;
    chaussures.Reference = int32_t{1001};
    chaussures.Quantite = int32_t{1};
    chaussures.PrixAchatUnit = vb::Currency::FromText("40");
    m.Lignes = {gants, chaussures};

    const int32_t numero = Mouvements::Enregistrer(zad.Connection(), m);

    const std::string ou = " where NumVente=" + std::to_string(numero);
    EXPECT_EQ(Stored("select TypeMouvement & '|' & Total from Ventes" + ou), "1|41.5");
    EXPECT_EQ(Stored("select count(*) from DetailVente" + ou), "2");
    EXPECT_EQ(Stored("select Profile from DetailVente" + ou + " and Reference=1000"), "PRODUCTION");
    // The columns an allocation leaves empty stay Null.
    EXPECT_EQ(Stored("select count(*) from DetailVente" + ou +
                     " and NoFamille Is Null and Taille Is Null and RefFournisseur Is Null and "
                     "CodeArticle Is Null and QteDistribuer Is Null"),
              "2");
    EXPECT_EQ(Stored("select QteEnStock from ArticleEnStock where Reference=1000"), "10");
}

TEST_F(MouvementsTest, AFailingWriteLeavesNothingWritten)
{
    struct Cas
    {
        const char* trigger;
        bool totalApresLignes;
    };
    const Cas cas[] = {
        // The line is refused after the header was stored.
        {"CREATE TRIGGER Refus BEFORE INSERT ON DetailVente BEGIN "
         "SELECT RAISE(ABORT, 'ligne refusee'); END",
         false},
        // The stock decrease is refused after the header and the line were stored.
        {"CREATE TRIGGER Refus BEFORE UPDATE ON ArticleEnStock BEGIN "
         "SELECT RAISE(ABORT, 'stock refuse'); END",
         false},
        // The late Total of an allocation is refused.
        {"CREATE TRIGGER Refus BEFORE UPDATE ON Ventes BEGIN "
         "SELECT RAISE(ABORT, 'total refuse'); END",
         true},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.trigger);
        Trigger(c.trigger);
        Mouvements::Mouvement m = Remise();
        m.TotalApresLignes = c.totalApresLignes;
        EXPECT_THROW(Mouvements::Enregistrer(zad.Connection(), m), vb::Error);
        EXPECT_EQ(Stored("select count(*) from Ventes"), "3");
        EXPECT_EQ(Stored("select count(*) from DetailVente"), "4");
        EXPECT_EQ(Stored("select QteEnStock from ArticleEnStock where Reference=1000"), "10");
        Trigger("DROP TRIGGER Refus");
    }
    // The connection is usable again afterwards.
    EXPECT_EQ(Mouvements::Enregistrer(zad.Connection(), Remise()), 4);
}

TEST_F(MouvementsTest, InsideTheCallersTransactionItIsUndoneWithIt)
{
    zad.Connection().BeginTrans();
    Mouvements::Enregistrer(zad.Connection(), Remise());
    Mouvements::Enregistrer(zad.Connection(), Remise());
    zad.Connection().RollbackTrans();
    EXPECT_EQ(Stored("select count(*) from Ventes"), "3");
    EXPECT_EQ(Stored("select QteEnStock from ArticleEnStock where Reference=1000"), "10");
}

} // namespace
