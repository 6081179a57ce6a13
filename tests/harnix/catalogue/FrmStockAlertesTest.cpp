// Stock alerts of the article window: the mark, the question and the recomputation of the
// thresholds through the view Consomations, on a real zad.MDB and a frozen clock.

#include "FrmStockFixture.h"

#include "harnix/commun/Calendrier.h"
#include "harnix/commun/Global.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/testing/ProgramFolder.h"
#include "platform/vb/DateTime.h"

using namespace forms::testing;
using catalogue::testing::FrmStockTest;

namespace {

class FrmStockAlertesTest : public FrmStockTest
{
protected:
    void SetUp() override
    {
        FrmStockTest::SetUp();
        Global::CheminIni = zad.Folder().Path().string() + "/automat.ini";
        Global::NomServeur = Global::ServeurParDefaut;
        horloge.SetLocal(2024, 3, 31, 12);
        // Movements of the tests alone.
        Execute("DELETE FROM DetailVente");
        Execute("DELETE FROM Ventes");
    }

    // One movement of one line.
    void Mouvement(const std::string& date, long reference, long quantite)
    {
        Execute("INSERT INTO Ventes (LaDate, Utilisateur, TypeMouvement) VALUES ('" + date +
                "', '1000', 3)");
        Execute("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite) VALUES "
                "((SELECT MAX(NumVente) FROM Ventes), " +
                std::to_string(reference) + ", 'ARTICLE " + std::to_string(reference) + "', " +
                std::to_string(quantite) + ")");
    }

    void Recalculer(FrmStock& f, const std::string& debut, const std::string& fin)
    {
        f.DebutPeriodeAlerte = debut;
        f.FinPeriodeAlerte = fin;
        f.CalulDesStockAlerte();
    }

    bool VueExiste()
    {
        return !Stored("SELECT name FROM sqlite_master WHERE type = 'view' AND name = "
                       "'Consomations'",
                       "name")
                    .empty();
    }

    FrozenClock horloge;
};

TEST_F(FrmStockAlertesTest, MarkWhenTheTotalQuantityIsUnderTheThreshold)
{
    // Article 1000 has two units in a machine besides its stock.
    struct Case
    {
        const char* stock;
        const char* seuil;
        bool marque;
    } cases[] = {{"2", "5", true}, {"3", "5", false}, {"0", "Null", false}, {"Null", "3", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stock) + " / " + c.seuil);
        Execute(std::string("UPDATE ArticleEnStock SET QteEnStock = ") + c.stock +
                ", StockAlert = " + c.seuil + " WHERE Reference = 1000");
        FrmStock& f = Ouvrir();
        AllerA(f, 1050);
        AllerA(f, 1000);
        EXPECT_EQ(!f.LabelStockAlerte->isHidden(), c.marque);
        f.Unload();
    }
}

TEST_F(FrmStockAlertesTest, ThresholdTypedOnTheCardShowsWhenItsBoxIsLeft)
{
    FrmStock& f = Ouvrir();
    AllerA(f, 1000); // 12 units in all, threshold 5
    ASSERT_TRUE(f.LabelStockAlerte->isHidden());
    Click(f, "OptionFiche");
    Type(f, "Text2(5)", "\b13");
    Focus(Find(f, "Text2(1)"));
    EXPECT_FALSE(f.LabelStockAlerte->isHidden());
}

TEST_F(FrmStockAlertesTest, FirstQuestionProposesTheLastThirtyOneDays)
{
    FrmStock& f = Ouvrir();
    Script().ExpectMsgBox(forms::vbNo, "du 01/03/2024 au 31/03/2024 soit 31 jour(s)");
    Click(f, "Command1");
    ASSERT_EQ(Script().Boxes().size(), 1u);
    const auto& box = Script().Boxes().front();
    EXPECT_EQ(box.title, "Calcul des stock alertes");
    EXPECT_EQ(box.style, forms::vbYesNoCancel + forms::vbQuestion);
    EXPECT_TRUE(box.text.startsWith("Pour calculer les alertes de rupture de stock en fonction "
                                    "de la période consommation:\r\ndu "));
    EXPECT_TRUE(box.text.endsWith("jour(s)\r\nchoisissez oui!"));
    // No: nothing changes, not even the view; the period stays for the next click.
    EXPECT_FALSE(VueExiste());
    EXPECT_EQ(f.DebutPeriodeAlerte, "01/03/2024");
    Script().ExpectMsgBox(forms::vbCancel, "du 01/03/2024 au 31/03/2024");
    Click(f, "Command1");
    EXPECT_FALSE(VueExiste());
}

TEST_F(FrmStockAlertesTest, ThresholdsFromThePeriodWithItsDaysWholeAndAgain)
{
    Execute("UPDATE ArticleEnStock SET DelaiLivraison = 4 WHERE Reference = 1001");
    Mouvement("2024-03-01 00:00:00", 1000, 20);
    Mouvement("2024-03-15 10:00:00", 1000, 20);
    Mouvement("2024-03-30 23:59:59", 1000, 20);
    Mouvement("2024-03-31 00:00:00", 1000, 100);
    Mouvement("2024-02-29 23:59:59", 1001, 100);
    Mouvement("2024-03-10 08:00:00", 1001, 60);
    FrmStock& f = Ouvrir();
    AllerA(f, 1050);

    Recalculer(f, "01/03/2024", "30/03/2024");
    EXPECT_EQ(Stocke(1000, "StockAlert"), "14"); // 60 / 30 x 7
    EXPECT_EQ(Stocke(1001, "StockAlert"), "20"); // 60 / 30 x (4 + 6)
    EXPECT_EQ(Stocke(1050, "StockAlert"), "27"); // no movement: as it was
    EXPECT_SUIVI(f);

    // The view is replaced in the same file: a second recomputation works.
    Recalculer(f, "01/03/2024", "28/03/2024");
    EXPECT_EQ(Stocke(1000, "StockAlert"), "10"); // 40 / 28 x 7
    EXPECT_EQ(Stocke(1001, "StockAlert"), "21"); // 60 / 28 x 10 = 21.4
    EXPECT_TRUE(VueExiste());
}

TEST_F(FrmStockAlertesTest, HalvesGoToTheEvenNeighbour)
{
    Execute("UPDATE ArticleEnStock SET DelaiLivraison = 1 WHERE Reference = 1001");
    Mouvement("2024-03-05 10:00:00", 1000, 10);
    Mouvement("2024-03-06 10:00:00", 1001, 14);
    FrmStock& f = Ouvrir();
    // The period chosen in the picker, then the question with its day count.
    OnNextModal([](forms::Form& calendrier) {
        Global::PeriodeDebut = vb::DateSerial(2024, 3, 1);
        Global::PeriodeFin = vb::DateSerial(2024, 3, 28);
        Calendrier::NbJourselectionne = 28;
        dynamic_cast<Calendrier&>(calendrier).Text2->setText("choisie");
        calendrier.Unload();
    });
    Click(f, "CmdPeriode");
    Script().ExpectMsgBox(forms::vbYes, "du 01/03/2024 au 28/03/2024 soit 28 jour(s)");
    Click(f, "Command1");
    EXPECT_EQ(Stocke(1000, "StockAlert"), "2"); // 2.5
    EXPECT_EQ(Stocke(1001, "StockAlert"), "4"); // 3.5
}

TEST_F(FrmStockAlertesTest, NoMovementOrReversedPeriodChangesNoThreshold)
{
    Mouvement("2024-03-05 10:00:00", 1000, 10);
    const std::pair<const char*, const char*> periodes[] = {{"01/01/2024", "31/01/2024"},
                                                            {"28/03/2024", "01/03/2024"}};
    for (const auto& [debut, fin] : periodes) {
        SCOPED_TRACE(std::string(debut) + " - " + fin);
        FrmStock& f = Ouvrir();
        Recalculer(f, debut, fin);
        EXPECT_TRUE(VueExiste());
        EXPECT_EQ(Stocke(1000, "StockAlert"), "5");
        EXPECT_EQ(Stocke(1001, "StockAlert"), "2");
        f.Unload();
    }
}

TEST_F(FrmStockAlertesTest, PeriodThatIsNoDateIsReportedBeforeAnyChange)
{
    Mouvement("2024-03-05 10:00:00", 1000, 10);
    FrmStock& f = Ouvrir();
    Script().ExpectMsgBox(forms::vbOK, "N°: 13");
    Recalculer(f, "01/03/2024') --", "28/03/2024");
    EXPECT_FALSE(VueExiste());
    EXPECT_EQ(Stocke(1000, "StockAlert"), "5");
}

// The thresholds are written together: one that cannot be stored (a use past the 32-bit range)
// leaves every article's as it was, the first ones too. A line of no article is left out.
TEST_F(FrmStockAlertesTest, ThresholdsAreWrittenAllOrNone)
{
    Mouvement("2024-03-05 10:00:00", 1000, 30);
    Mouvement("2024-03-06 10:00:00", 1001, 2000000000);
    Execute("INSERT INTO DetailVente (NumVente, Quantite) VALUES ((SELECT MAX(NumVente) FROM "
            "Ventes), 5)");
    FrmStock& f = Ouvrir();
    Script().ExpectMsgBox(forms::vbOK, "N°: 6");
    Recalculer(f, "05/03/2024", "06/03/2024");
    EXPECT_EQ(Stocke(1000, "StockAlert"), "5");
    EXPECT_EQ(Stocke(1001, "StockAlert"), "2");

    Execute("UPDATE DetailVente SET Quantite = 60 WHERE Reference = 1001");
    Recalculer(f, "05/03/2024", "06/03/2024");
    EXPECT_EQ(Stocke(1000, "StockAlert"), "105"); // 30 / 2 x 7
    EXPECT_EQ(Stocke(1001, "StockAlert"), "210"); // 60 / 2 x 7
    EXPECT_SUIVI(f);
    // The card reads the thresholds written.
    AllerA(f, 1001);
    EXPECT_EQ(f.Text2(5).Text(), "210");
}

} // namespace
