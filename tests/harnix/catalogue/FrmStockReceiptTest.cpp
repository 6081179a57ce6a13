// Stock receipts in the article window: the live total, the stock, the date and the journal row
// a receipt writes, the counts it refuses, and a journal that cannot be written.

#include "FrmStockFixture.h"

#include "platform/forms/Dialogs.h"
#include "platform/forms/testing/Drive.h"
#include "platform/forms/testing/ProgramFolder.h"
#include "platform/vb/DateTime.h"

using namespace forms::testing;
using catalogue::testing::Choisir;
using catalogue::testing::FrmStockTest;
using Strings = std::vector<std::string>;

namespace {

class FrmStockReceiptTest : public FrmStockTest
{
protected:
    // Opens the receipt frame on the card of the article and types the packs and the comment.
    void Saisir(FrmStock& f, long article, const QString& packs, const QString& commentaire = {})
    {
        AllerA(f, article);
        Click(*f.OptionFiche);
        Click(*f.CmdEntreStock);
        EXPECT_TRUE(f.Text2(3).hasFocus());
        f.Text2(3).SetText(packs);
        f.Text1->setText(commentaire);
    }

    Strings Journal(const std::string& colonne)
    {
        return Stored("SELECT " + colonne + " AS V FROM MouvementStock", "V");
    }

    static std::string Aujourdhui() { return vb::CStr(vb::Today()); }

    // The receipt's date is today's: the day stays the one the test reads.
    FrozenClock horloge;
};

TEST_F(FrmStockReceiptTest, ReceiptsRaiseTheStockDateTheArticleAndJournalTheUnits)
{
    // 1000: 12 units per pack, 10 in stock; 1003: 100 per pack, no stock yet.
    struct Case
    {
        const char* nom;
        const char* preparation;
        long article;
        const char* packs;
        const char* stock;
        Strings qte;
    } cases[] = {
        {"empty box", nullptr, 1000, "", "10", {}},
        {"zero packs", nullptr, 1000, "0", "10", {"0"}},
        {"minus two packs of 6",
         "UPDATE ArticleEnStock SET QteParPaket = 6 WHERE Reference = 1000",
         1000,
         "-2",
         "-2",
         {"-12"}},
        {"three packs of 10 on an empty stock",
         "UPDATE ArticleEnStock SET QteParPaket = 10 WHERE Reference = 1003",
         1003,
         "3",
         "30",
         {"30"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nom);
        Execute("DELETE FROM MouvementStock");
        Execute("UPDATE ArticleEnStock SET QteParPaket = 12, QteEnStock = 10, "
                "DateDernierMouvement = Null WHERE Reference = 1000");
        Execute("UPDATE ArticleEnStock SET QteParPaket = 100, QteEnStock = Null, "
                "DateDernierMouvement = Null WHERE Reference = 1003");
        if (c.preparation)
            Execute(c.preparation);
        FrmStock& f = Ouvrir();
        f.Form_Activate();
        Saisir(f, c.article, c.packs, "BL 12");
        Click(*f.CmdOkStock);
        EXPECT_FALSE(f.FrmEntreStock->isVisible());
        EXPECT_TRUE(f.CmdClose->hasFocus());
        EXPECT_EQ(Grille(f), c.article) << "the grid keeps its article";
        EXPECT_SUIVI(f);
        EXPECT_EQ(Stocke(c.article, "QteEnStock"), c.stock);
        EXPECT_EQ(Journal("Qte"), c.qte);
        if (c.qte.empty()) {
            EXPECT_EQ(Stocke(c.article, "DateDernierMouvement"), "Null");
            continue;
        }
        // The grid and the card's totals show the receipt.
        EXPECT_EQ(f.Label2(FrmStock::LabelQteEnStock).Caption().toStdString(), c.stock);
        EXPECT_EQ(Stocke(c.article, "DateDernierMouvement"), Aujourdhui());
        EXPECT_EQ(Journal("DateEntree"), Strings{Aujourdhui()});
        EXPECT_EQ(Journal("RefProduit"), Strings{std::to_string(c.article)});
        EXPECT_EQ(Journal("Commentaire"), Strings{"BL 12"});
    }
}

TEST_F(FrmStockReceiptTest, JournalRowCopiesTheArticleAndItsSupplier)
{
    FrmStock& f = Ouvrir();
    Saisir(f, 1050, "2");
    Click(*f.CmdOkStock);
    Saisir(f, 1050, "1");
    Click(*f.CmdOkStock);
    EXPECT_EQ(Stocke(1050, "QteEnStock"), "70");
    // Two receipts in a day: two rows of that day; no comment is the empty text.
    EXPECT_EQ(Journal("DateEntree"), (Strings{Aujourdhui(), Aujourdhui()}));
    EXPECT_EQ(Journal("Qte"), (Strings{"20", "10"}));
    EXPECT_EQ(Journal("Designation"), (Strings{"LUNETTES D'ATELIER", "LUNETTES D'ATELIER"}));
    EXPECT_EQ(Journal("NomFournisseur"), (Strings{"GANTERIE DE L'EST", "GANTERIE DE L'EST"}));
    EXPECT_EQ(Journal("RefFournisseur"), (Strings{"AL1", "AL1"}));
    EXPECT_EQ(Journal("Commentaire"), (Strings{"", ""}));
}

TEST_F(FrmStockReceiptTest, TheFirstReceiptOfANewArticleJournalsTheSupplierJustChosen)
{
    FrmStock& f = Ouvrir();
    Click(*f.CmdAjout);
    ASSERT_EQ(Carte(f), 1051);
    f.Text2(4).SetText("5");
    Choisir(*f.DBCombo2, "CHAUSSEUR DU SUD");
    Click(*f.CmdEntreStock);
    f.Text2(3).SetText("2");
    Click(*f.CmdOkStock);
    EXPECT_EQ(Stocke(1051, "QteEnStock"), "10");
    EXPECT_EQ(Journal("NomFournisseur"), Strings{"CHAUSSEUR DU SUD"});
}

TEST_F(FrmStockReceiptTest, TheCommentTakesNoMoreThanTheJournalHolds)
{
    FrmStock& f = Ouvrir();
    Saisir(f, 1050, "1");
    Type(*f.Text1, QString(300, 'x'));
    Click(*f.CmdOkStock);
    EXPECT_TRUE(Script().Boxes().empty());
    EXPECT_EQ(Journal("Commentaire"), Strings{std::string(255, 'x')});
}

TEST_F(FrmStockReceiptTest, RefusedCountsWriteNothing)
{
    Execute("UPDATE ArticleEnStock SET QteEnStock = 2147483000 WHERE Reference = 1001");
    struct Case
    {
        const char* nom;
        long article;
        const char* packs;
        const char* total; // the live total's message, when the total cannot be formed
        const char* refus;
    } cases[] = {
        {"a lone minus sign", 1000, "-", nullptr, "Nombre de packs incorrect"},
        {"a minus sign after digits", 1000, "3-", "13 ", "Nombre de packs incorrect"},
        {"a count past 32 bits", 1000, "2147483648", "6 ", "Nombre de packs incorrect"},
        {"units past 32 bits", 1000, "200000000", "6 ", "Quantité trop grande"},
        {"a stock past 32 bits", 1001, "1000", nullptr, "Quantité trop grande"},
        {"no units per pack", 1002, "5", "94 ", "Nombre d'unités par pack non renseigné"},
    };
    FrmStock& f = Ouvrir();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nom);
        const std::string stock = Stocke(c.article, "QteEnStock");
        if (c.total)
            Script().ExpectMsgBox(forms::vbOK, c.total);
        Saisir(f, c.article, c.packs);
        Script().VerifyAllAnswered();
        Script().ExpectMsgBox(forms::vbOK, c.refus);
        Click(*f.CmdOkStock);
        Script().VerifyAllAnswered();
        EXPECT_EQ(Script().Boxes().back().title, "Erreur");
        // The frame stays open for the count to be put right.
        EXPECT_TRUE(f.FrmEntreStock->isVisible());
        EXPECT_EQ(Stocke(c.article, "QteEnStock"), stock);
        EXPECT_EQ(Stocke(c.article, "DateDernierMouvement"), "Null");
        EXPECT_TRUE(Journal("Qte").empty());
        Click(*f.CmdAnnulStock);
        EXPECT_TRUE(f.CmdClose->hasFocus());
    }
}

TEST_F(FrmStockReceiptTest, WithNoArticleNothingIsWritten)
{
    Execute("DELETE FROM ArticleEnStock");
    FrmStock& f = Ouvrir();
    Click(*f.OptionFiche);
    Click(*f.CmdEntreStock);
    f.Text2(3).SetText("-");
    Script().ExpectMsgBox(forms::vbOK, "Pas d'article");
    Click(*f.CmdOkStock);
    EXPECT_TRUE(Journal("Qte").empty());
}

TEST_F(FrmStockReceiptTest, FailedJournalLeavesStockAndDateAsTheyWere)
{
    Execute("CREATE TRIGGER RefusJournal BEFORE INSERT ON MouvementStock "
            "BEGIN SELECT RAISE(ABORT, 'refus'); END");
    FrmStock& f = Ouvrir();
    AllerA(f, 1050);
    Click(*f.OptionFiche);
    // An edit of the card waiting to be saved is not lost with the receipt.
    f.Text2(17).SetText("MARQUE A");
    Saisir(f, 1050, "2");
    Script().ExpectMsgBox(forms::vbOK, "CmdOkStock_Click");
    Click(*f.CmdOkStock);
    EXPECT_EQ(Stocke(1050, "QteEnStock"), "40");
    EXPECT_EQ(Stocke(1050, "DateDernierMouvement"), "Null");
    EXPECT_EQ(Stocke(1050, "Marque"), "MARQUE A");
    EXPECT_TRUE(Journal("Qte").empty());
    EXPECT_SUIVI(f);
    EXPECT_EQ(vb::CStr(f.data2->Recordset()["QteEnStock"].Value()), "40");

    // The next receipt starts from the stock the file holds.
    Execute("DROP TRIGGER RefusJournal");
    Click(*f.CmdOkStock);
    EXPECT_EQ(Stocke(1050, "QteEnStock"), "60");
    EXPECT_EQ(Journal("Qte"), Strings{"20"});
}

// Another workstation's counter issue between the card's reading and the receipt: the receipt
// is refused and writes nothing; made again, it counts from the stock as it now is.
TEST_F(FrmStockReceiptTest, AStockChangedMeanwhileRefusesTheReceipt)
{
    FrmStock& f = Ouvrir();
    Saisir(f, 1050, "2");
    Execute("UPDATE ArticleEnStock SET QteEnStock = 39 WHERE Reference = 1050");
    Script().ExpectMsgBox(forms::vbOK, "modifié entre-temps");
    Click(*f.CmdOkStock);
    Script().VerifyAllAnswered();
    EXPECT_TRUE(f.FrmEntreStock->isVisible());
    EXPECT_EQ(Stocke(1050, "QteEnStock"), "39");
    EXPECT_EQ(Stocke(1050, "DateDernierMouvement"), "Null");
    EXPECT_TRUE(Journal("Qte").empty());
    EXPECT_SUIVI(f);
    EXPECT_EQ(vb::CStr(f.data2->Recordset()["QteEnStock"].Value()), "39");

    Click(*f.CmdOkStock);
    EXPECT_EQ(Stocke(1050, "QteEnStock"), "59");
    EXPECT_EQ(Journal("Qte"), Strings{"20"});
}

TEST_F(FrmStockReceiptTest, LiveTotal)
{
    FrmStock& f = Ouvrir();
    Saisir(f, 1050, "4");
    EXPECT_EQ(f.Label4->Caption(), "TOTAL: 4 x 10 = 40");
    f.Text2(3).SetText("-");
    EXPECT_EQ(f.Label4->Caption(), "TOTAL: 4 x 10 = 40") << "a lone minus keeps the label";
    f.Text2(3).SetText("-3");
    EXPECT_EQ(f.Label4->Caption(), "TOTAL: -3 x 10 = -30");
    f.Text2(3).SetText("");
    EXPECT_EQ(f.Label4->Caption(), "");
    f.Text2(3).SetText("2");
    AllerA(f, 1000);
    EXPECT_EQ(f.Label4->Caption(), "") << "another article empties it";
    // The packs box takes digits and the minus sign only.
    Click(*f.CmdEntreStock);
    EXPECT_EQ(f.Label4->Caption(), "");
    EXPECT_EQ(f.Text2(3).Text(), "");
    Type(f.Text2(3), "-1a.5");
    EXPECT_EQ(f.Text2(3).Text(), "-15");
    EXPECT_EQ(f.Label4->Caption(), "TOTAL: -15 x 12 = -180");
}

} // namespace
