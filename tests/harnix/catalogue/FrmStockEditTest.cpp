// Editing in the article window: new articles and their numbers, the pool of article codes,
// bar codes, the family combo, the key filters and the price computations.

#include "FrmStockFixture.h"

#include "harnix/catalogue/ArticleKeys.h"
#include "harnix/commun/Global.h"
#include "harnix/magasin/ArticleCodes.h"
#include "harnix/magasin/ArticlePrices.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/testing/Drive.h"
#include "platform/forms/testing/ProgramFolder.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Strings.h"

#include <QApplication>
#include <QTableView>
#include <QTest>

using namespace forms::testing;
using catalogue::testing::Choisir;
using catalogue::testing::FrmStockTest;
using Strings = std::vector<std::string>;

namespace {

QStringList Entrees(const forms::DataCombo& combo)
{
    QStringList entrees;
    for (int i = 0; i < combo.count(); ++i)
        entrees << combo.itemText(i);
    return entrees;
}

TEST_F(FrmStockTest, NewArticleNumbers)
{
    struct Case
    {
        const char* nom;
        const char* preparation;
        long premier;
        long second;
    } cases[] = {
        {"catalogue", nullptr, 1051, 1052},
        {"empty catalogue", "DELETE FROM ArticleEnStock", 1000, 1001},
        {"greatest number 0",
         "DELETE FROM ArticleEnStock WHERE Reference > 0; INSERT INTO ArticleEnStock (Reference) "
         "VALUES (0)",
         1000, 1001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nom);
        database::testing::TempFolder dossier;
        const std::string chemin = dossier.File("zad.MDB");
        database::CreateZad(chemin, false);
        ado::Connection cn = database::testing::Open(chemin, database::ZadPassword());
        cn.Execute("INSERT INTO ArticleEnStock (Reference) VALUES (1050)");
        if (c.preparation)
            for (const std::string& sql : vb::Split(c.preparation, "; "))
                cn.Execute(sql);
        EXPECT_EQ(CodesArticles::AjouterArticle(cn), c.premier);
        EXPECT_EQ(CodesArticles::AjouterArticle(cn), c.second);
    }
}

TEST_F(FrmStockTest, NewArticleBecomesCurrentByItsNumber)
{
    forms::testing::FrozenClock horloge; // the creation date is today's
    FrmStock& f = Ouvrir();
    // Under the designation sort the new article, without designation, is not the last row.
    f.SSOptionDesi->SetValue(true);
    Click(*f.CmdAjout);
    EXPECT_EQ(Grille(f), 1051);
    EXPECT_SUIVI(f);
    EXPECT_TRUE(f.OptionFiche->Value());
    EXPECT_TRUE(f.FrameFicheProduit->isVisible());
    EXPECT_TRUE(f.Text2(1).hasFocus());
    EXPECT_EQ(f.data1->Recordset().RecordCount(), 6);
    EXPECT_EQ(Stocke(1051, "Designation"), "Null");
    // Created today, stored as a date (not as the text of one).
    ado::Recordset cree = database::testing::OpenRecordset(
        zad.Connection(), "SELECT DateCreation FROM ArticleEnStock WHERE Reference = 1051");
    ASSERT_EQ(cree.RecordCount(), 1);
    EXPECT_EQ(cree["DateCreation"].Value().Type(), vb::VarType::Date);
    EXPECT_EQ(vb::CStr(cree["DateCreation"].Value()), vb::CStr(vb::Today()));
    // The designation typed is saved with the row, in capitals.
    Type(f.Text2(1), "casque\r");
    EXPECT_EQ(f.Text2(1).Text(), "CASQUE");
    f.EnregistrerFiche();
    EXPECT_EQ(Stocke(1051, "Designation"), "CASQUE");
}

// Types a key in the grid's empty last row, in the column of the units in the store room.
void TaperDansLaNouvelleLigne(FrmStock& f, char touche)
{
    QTableView* vue = f.DBGrid2->View();
    const QModelIndex cellule = vue->model()->index(vue->model()->rowCount() - 1, 8);
    QTest::mouseClick(vue->viewport(), Qt::LeftButton, {}, vue->visualRect(cellule).center());
    ASSERT_EQ(f.DBGrid2->Row(), cellule.row());
    QTest::keyClick(vue, touche);
    // Enter ends an edit, if the key opened one.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ProcessEvents();
}

TEST_F(FrmStockTest, RowAddedThroughTheGridIsNumberedFromItsRowNumber)
{
    FrmStock& f = Ouvrir();
    QAbstractItemModel* lignes = f.DBGrid2->View()->model();
    ASSERT_EQ(lignes->rowCount(), 6) << "five articles and the empty row";
    TaperDansLaNouvelleLigne(f, '5');
    const std::string no = Stored("SELECT MAX([No]) AS N FROM ArticleEnStock", "N").front();
    const long reference = std::stol(no) + 1000;
    EXPECT_EQ(Stocke(reference, "[No]"), no);
    EXPECT_EQ(Stored("SELECT COUNT(*) AS N FROM ArticleEnStock", "N"), Strings{"6"});
    // The grid stands on the new article, offers no new row any more, and has no record of its
    // own pending: leaving the row adds nothing.
    EXPECT_FALSE(f.DBGrid2->AllowAddNew());
    EXPECT_EQ(Grille(f), reference);
    EXPECT_SUIVI(f);
    EXPECT_EQ(lignes->rowCount(), 6);
    QTableView* vue = f.DBGrid2->View();
    QTest::mouseClick(vue->viewport(), Qt::LeftButton, {},
                      vue->visualRect(lignes->index(0, 1)).center());
    EXPECT_EQ(Grille(f), 1000);
    EXPECT_EQ(Stored("SELECT COUNT(*) AS N FROM ArticleEnStock", "N"), Strings{"6"});
    EXPECT_EQ(Stored("SELECT COUNT(*) AS N FROM ArticleEnStock WHERE Reference IS NULL", "N"),
              Strings{"0"});
}

TEST_F(FrmStockTest, RowAddedThroughTheGridWithATakenNumberLeavesNoArticleWithoutOne)
{
    // The next row number plus 1000 is already an article's number.
    const long suivant =
        std::stol(Stored("SELECT MAX([No]) AS N FROM ArticleEnStock", "N").front());
    Execute("INSERT INTO ArticleEnStock (Reference) VALUES (" + std::to_string(suivant + 1002) +
            ")");
    FrmStock& f = Ouvrir();
    TaperDansLaNouvelleLigne(f, '5');
    EXPECT_EQ(Stored("SELECT COUNT(*) AS N FROM ArticleEnStock", "N"), Strings{"6"});
    EXPECT_EQ(Stored("SELECT COUNT(*) AS N FROM ArticleEnStock WHERE Reference IS NULL", "N"),
              Strings{"0"});
    EXPECT_FALSE(f.DBGrid2->AllowAddNew());
    EXPECT_EQ(f.DBGrid2->View()->model()->rowCount(), 6);
    EXPECT_SUIVI(f);
}

TEST_F(FrmStockTest, CreatingCodes)
{
    // A pool of 1 to 99, where code 7 is still marked for an article that no longer has it.
    for (int code = 5; code <= 99; ++code)
        Execute("INSERT INTO CodeArticle (CodeArticle) VALUES (" + std::to_string(code) + ")");
    Execute("UPDATE CodeArticle SET Reference = 1003 WHERE CodeArticle = 7");
    FrmStock& f = Ouvrir();
    f.OptionFiche->SetValue(true);
    Click(*f.Command2);
    EXPECT_TRUE(f.Frame1->isVisible());

    // A number out of a code's range on the low side (or beyond any number) is an overflow,
    // told, and closes the frame without a code created.
    const std::string chiffres309 = std::string(309, '9');
    enum Issue { Cree, Rien, Depassement };
    struct Case
    {
        std::string texte;
        Issue issue;
        const char* nombre;
    } cases[] = {
        {"150", Cree, "150"},          {"2001", Rien, "150"},
        {"abc", Rien, "150"},          {"-3e9", Depassement, "150"},
        {"-1E30", Depassement, "150"}, {chiffres309, Depassement, "150"},
        {"-5", Cree, "150"},           {"2000", Cree, "2000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.texte.substr(0, 12));
        f.Frame1->show();
        f.Text3->setText(QString::fromStdString(c.texte));
        if (c.issue == Depassement)
            Script().ExpectMsgBox(forms::vbOK, "N°: 6 Dépassement de capacité");
        Click(*f.Command3);
        EXPECT_EQ(Script().Pending(), 0u);
        EXPECT_EQ(f.Frame1->isVisible(), c.issue == Rien);
        EXPECT_EQ(f.Text3->text().toStdString(), c.issue == Cree ? "99" : c.texte);
        EXPECT_EQ(Stored("SELECT COUNT(*) AS N FROM CodeArticle", "N"), Strings{c.nombre});
    }
    EXPECT_EQ(Stored("SELECT CodeArticle FROM CodeArticle WHERE Reference IS NOT NULL "
                     "ORDER BY CodeArticle",
                     "CodeArticle"),
              (Strings{"1", "2", "3"}));
    EXPECT_EQ(Stored("SELECT MAX(CodeArticle) AS M FROM CodeArticle", "M"), Strings{"2000"});
    EXPECT_EQ(f.data5->Recordset().RecordCount(), 1997);

    Type(*f.Text3, "\b\b12x");
    EXPECT_EQ(f.Text3->text(), "12");
}

TEST_F(FrmStockTest, AssigningCodes)
{
    FrmStock& f = Ouvrir();
    f.OptionFiche->SetValue(true);
    AllerA(f, 1002);
    EXPECT_TRUE(f.DBCombo3->isEnabled());
    EXPECT_EQ(Entrees(*f.DBCombo3), QStringList{"4"});
    Choisir(*f.DBCombo3, "4");
    EXPECT_FALSE(f.DBCombo3->isEnabled());
    EXPECT_EQ(Stocke(1002, "CodeArticle"), "4");
    EXPECT_EQ(Stored("SELECT Reference FROM CodeArticle WHERE CodeArticle = 4", "Reference"),
              Strings{"1002"});

    // Another code for an article that has one frees its old code.
    Execute("INSERT INTO CodeArticle (CodeArticle) VALUES (5)");
    AllerA(f, 1000);
    EXPECT_FALSE(f.DBCombo3->isEnabled());
    EXPECT_EQ(f.DBCombo3->Text(), "1");
    Click(*f.Check1);
    Click(*f.Check1);
    EXPECT_EQ(Entrees(*f.DBCombo3).size(), 5);
    Choisir(*f.DBCombo3, "5");
    EXPECT_EQ(Stocke(1000, "CodeArticle"), "5");
    EXPECT_EQ(
        Stored("SELECT CodeArticle, Reference FROM CodeArticle ORDER BY CodeArticle", "Reference"),
        (Strings{"Null", "1001", "1050", "1002", "1000"}));

    // A code another article holds is not taken away from it.
    f.Check1->SetValue(1);
    f.Check1->SetValue(0);
    Choisir(*f.DBCombo3, "2");
    EXPECT_EQ(Stocke(1000, "CodeArticle"), "5");
    EXPECT_EQ(Stocke(1001, "CodeArticle"), "2");
}

TEST_F(FrmStockTest, ExchangingCodes)
{
    Execute("INSERT INTO CodeArticle (CodeArticle) VALUES (5)");
    FrmStock& f = Ouvrir();
    f.OptionFiche->SetValue(true);
    AllerA(f, 1000);
    Click(*f.Check1);
    EXPECT_TRUE(f.DBCombo3->isEnabled());
    Choisir(*f.DBCombo3, "2");
    EXPECT_EQ(Carte(f), 1000);
    EXPECT_EQ(Stocke(1000, "CodeArticle"), "2");
    EXPECT_EQ(Stocke(1001, "CodeArticle"), "1");
    EXPECT_EQ(Stored("SELECT Reference FROM CodeArticle ORDER BY CodeArticle", "Reference"),
              (Strings{"1001", "1000", "1050", "Null", "Null"}));
    EXPECT_FALSE(f.DBCombo3->isEnabled());

    // A free code picked in exchange mode is given as in assign mode.
    f.DBCombo3->setEnabled(true);
    Choisir(*f.DBCombo3, "5");
    EXPECT_EQ(Carte(f), 1000);
    EXPECT_EQ(Stocke(1000, "CodeArticle"), "5");
    EXPECT_EQ(Stored("SELECT Reference FROM CodeArticle ORDER BY CodeArticle", "Reference"),
              (Strings{"1001", "Null", "1050", "Null", "1000"}));
}

TEST_F(FrmStockTest, BarCodeInput)
{
    FrmStock& f = Ouvrir();
    f.OptionFiche->SetValue(true);
    AllerA(f, 1002);
    Script().ExpectInputBox("@123", "Veuiilez scanner le Code EAN !");
    Click(*f.CmdCodeBar);
    EXPECT_EQ(Script().Boxes().back().title, "Code à Bar");
    EXPECT_EQ(Stocke(1002, "CodeBar"), "123");
    EXPECT_EQ(f.Label2(FrmStock::LabelCodeBar).Caption(), "123");

    Script().ExpectInputBox("456");
    Click(*f.CmdCodeBar);
    EXPECT_EQ(Stocke(1002, "CodeBar"), "456");

    // A code another article holds: refused, and the change is not left pending.
    AllerA(f, 1000);
    f.TextCherche->setText("9");
    Script().ExpectInputBox("@222").ExpectMsgBox(forms::vbOK, "Code à bar déjà utilisé !");
    Click(*f.CmdCodeBar);
    const RecordedBox& box = Script().Boxes().back();
    EXPECT_EQ(box.style, forms::vbCritical);
    EXPECT_EQ(box.title, "Erreur");
    EXPECT_EQ(f.TextCherche->text(), "");
    EXPECT_EQ(Stocke(1000, "CodeBar"), "111");
    AllerA(f, 1001);
    EXPECT_EQ(Stocke(1000, "CodeBar"), "111");

    // Cancel does nothing.
    Script().ExpectInputBoxCancel();
    Click(*f.CmdCodeBar);
    EXPECT_EQ(Stocke(1001, "CodeBar"), "222");
}

TEST_F(FrmStockTest, FamilyChangeEmptiesTheSizeAndOffersTheFamilysSizes)
{
    FrmStock& f = Ouvrir();
    f.OptionFiche->SetValue(true);
    AllerA(f, 1000);
    EXPECT_EQ(Entrees(*f.DataCombo3), (QStringList{"8", "9"}));
    EXPECT_EQ(f.DataCombo3->Text(), "8");
    Choisir(*f.DBCombo1, "CHAUSSURES");
    EXPECT_EQ(Stocke(1000, "Famille"), "3");
    EXPECT_EQ(Stocke(1000, "Taille"), "Null");
    EXPECT_EQ(Entrees(*f.DataCombo3), (QStringList{"41", "42"}));
    EXPECT_EQ(f.DataCombo3->Text(), "");

    Choisir(*f.DBCombo2, "CHAUSSEUR DU SUD");
    EXPECT_EQ(Stocke(1000, "NoFournisseur"), "2");
}

TEST_F(FrmStockTest, ListsChangedInOtherWindowsAreOfferedAtTheNextActivation)
{
    FrmStock& f = Ouvrir();
    f.OptionFiche->SetValue(true);
    AllerA(f, 1000);
    // Made meanwhile in the suppliers, families and sizes windows.
    Execute("INSERT INTO Fournisseur ([No], Societe) VALUES (7, 'EPI NORD')");
    Execute("INSERT INTO Familles (NomFamille) VALUES ('CASQUES')");
    Execute("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('10', 3, 1)");
    f.Form_Activate();
    EXPECT_EQ(Grille(f), 1000) << "the grid keeps its article";
    EXPECT_SUIVI(f);
    EXPECT_TRUE(Entrees(*f.DBCombo2).contains("EPI NORD"));
    EXPECT_TRUE(Entrees(*f.DBCombo1).contains("CASQUES"));
    EXPECT_EQ(Entrees(*f.DataCombo3), (QStringList{"8", "9", "10"}));
    Choisir(*f.DBCombo2, "EPI NORD");
    EXPECT_EQ(Stocke(1000, "NoFournisseur"), "7");
}

TEST(FiltreTouche, KeysOfTheCardBoxes)
{
    struct Case
    {
        int index;
        char tape;
        const char* separateur;
        int garde;
    } cases[] = {
        {1, 'a', ",", 'A'}, {1, '%', ",", '%'}, {7, ',', ".", '.'}, {7, '.', ",", ','},
        {9, '.', ".", '.'}, {2, ',', ",", ','}, {8, 'x', ",", 0},   {7, '-', ",", 0},
        {3, '-', ",", '-'}, {3, '.', ",", 0},   {4, '5', ",", '5'}, {5, ',', ",", 0},
        {18, 'a', ",", 0},  {4, 8, ",", 8},     {0, 'x', ",", 'x'}, {15, '.', ",", '.'},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PrixArticles::FiltreTouche(c.index, c.tape, c.separateur), c.garde)
            << "box " << c.index << " key " << c.tape << " separator " << c.separateur;
}

TEST_F(FrmStockTest, TypedDecimalSeparatorFollowsTheSettings)
{
    FrmStock& f = Ouvrir();
    f.OptionFiche->SetValue(true);
    AllerA(f, 1002);
    Type(f.Text2(2), "12.5");
    EXPECT_EQ(f.Text2(2).Text(), "12,5");
    Global::SeparateurDecimal = ".";
    Type(f.Text2(2), "\b\b,7");
    EXPECT_EQ(f.Text2(2).Text(), "12.7");
    Type(f.Text2(4), "1a2");
    EXPECT_EQ(f.Text2(4).Text(), "12");
}

TEST_F(FrmStockTest, MoneyShowsWithTwoDecimalsInTheGridAndOnTheCardAlike)
{
    Execute("UPDATE ArticleEnStock SET Prix = 2.4 WHERE Reference = 1050");
    FrmStock& f = Ouvrir();
    AllerA(f, 1050); // unit price 2, pack price 20, 40 in stock
    EXPECT_EQ(f.DBGrid2->Columns(6).Text(), "2,00");
    EXPECT_EQ(f.DBGrid2->Columns(7).Text(), "80,00");
    f.OptionFiche->SetValue(true);
    EXPECT_EQ(f.Text2(2).Text(), "2,40");
    EXPECT_EQ(f.Text2(7).Text(), "2,00");
    EXPECT_EQ(f.Text2(9).Text(), "20,00");
}

TEST_F(FrmStockTest, PricesFollowThePackSize)
{
    FrmStock& f = Ouvrir();
    f.OptionFiche->SetValue(true);
    AllerA(f, 1000); // 12 units a pack
    // Pack price: typed with "." under a "," separator, the unit price follows to the cent.
    Type(f.Text2(9), QString(f.Text2(9).Text().size(), '\b') + "12.5");
    EXPECT_EQ(f.Text2(9).Text(), "12,5");
    Type(f.Text2(9), "\r");
    EXPECT_TRUE(f.OptionFiche->hasFocus());
    EXPECT_EQ(f.Text2(9).Text(), "12,50");
    EXPECT_EQ(f.Text2(7).Text(), "1,04");

    // Unit price: the pack price is the unit price times the pack size.
    Type(f.Text2(7), "\b\b\b\b2,5\r");
    EXPECT_EQ(f.Text2(7).Text(), "2,50");
    EXPECT_EQ(f.Text2(9).Text(), "30,00");

    // Pack size: the pack price stays, the unit price follows; the packs label too.
    EXPECT_EQ(f.Label2(FrmStock::LabelPaquets).Caption(), "0 P + 5 U");
    Type(f.Text2(4), "\b\b4\r");
    EXPECT_EQ(f.Text2(7).Text(), "7,50");
    EXPECT_EQ(f.Label2(FrmStock::LabelPaquets).Caption(), "1 P + 1 U");

    f.EnregistrerFiche();
    EXPECT_EQ(Stocke(1000, "PrixAchatGlobal"), "30");
    EXPECT_EQ(Stocke(1000, "PrixAchatUnit"), "7.5");
    EXPECT_EQ(Stocke(1000, "QteParPaket"), "4");

    // The threshold in packs: 27 units at 10 a pack.
    AllerA(f, 1050);
    EXPECT_EQ(f.Label2(FrmStock::LabelPaquets).Caption(), "2 P + 7 U");

    // Without a pack size the unit price keeps its value and the label stays.
    AllerA(f, 1002);
    Type(f.Text2(9), "5\r");
    EXPECT_EQ(f.Text2(7).Text(), "");
    EXPECT_EQ(f.Label2(FrmStock::LabelPaquets).Caption(), "2 P + 7 U");
    f.EnregistrerFiche();
    EXPECT_EQ(Stocke(1002, "PrixAchatGlobal"), "5");
    EXPECT_EQ(Stocke(1002, "PrixAchatUnit"), "Null");
}

// A value the card's column cannot hold (a bar code scanned into the pack size) is told when
// the grid moves on, and the grid comes back to the card's article: a receipt made next goes to
// the article both show.
TEST_F(FrmStockTest, ACardValueTooLargeIsToldAndTheGridStaysWithTheCard)
{
    FrmStock& f = Ouvrir();
    f.OptionFiche->SetValue(true);
    AllerA(f, 1000);
    EXPECT_SUIVI(f);
    const std::string avant = Stocke(1000, "QteParPaket");
    Type(f.Text2(4), QString(f.Text2(4).Text().size(), '\b') + "3760123456789");
    Script().ExpectMsgBox(forms::vbOK);
    f.data1->MoveNext();
    EXPECT_EQ(Script().Pending(), 0u);
    EXPECT_EQ(Script().Boxes().back().style, forms::vbExclamation);
    EXPECT_EQ(Grille(f), 1000);
    EXPECT_SUIVI(f);
    EXPECT_EQ(Stocke(1000, "QteParPaket"), avant);

    // Told once: the next move goes on, the card with the grid.
    f.data1->MoveNext();
    EXPECT_EQ(Grille(f), 1001);
    EXPECT_SUIVI(f);
    EXPECT_EQ(Stocke(1000, "QteParPaket"), avant);
}

} // namespace
