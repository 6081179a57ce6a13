// Browsing and search of the article window: grid and card kept together, search keys and
// sorts, type-ahead, bar-code search, the way back to normal browsing and the close.

#include "FrmStockFixture.h"

#include "harnix/commun/Global.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/testing/Drive.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTableView>

using namespace forms::testing;
using catalogue::testing::FrmStockTest;

namespace {

std::vector<long> OrdreGrille(FrmStock& f)
{
    ado::Recordset rs = f.data1->Recordset();
    const ado::Bookmark signet = rs.GetBookmark();
    std::vector<long> refs;
    for (long i = 1; i <= rs.RecordCount(); ++i)
        refs.push_back(vb::CLng(rs.ValueAt(i, 1))); // StockGlobal: No, Reference, ...
    rs.SetBookmark(signet);
    return refs;
}

TEST_F(FrmStockTest, LoadsTheGridAndTheCardOnTheSameArticle)
{
    FrmStock& f = forms::form<FrmStock>();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.Caption(), "Articles en stock");
    EXPECT_TRUE(f.KeyPreview());
    EXPECT_EQ(f.data1->Recordset().RecordCount(), 5);
    EXPECT_EQ(f.data2->Recordset().RecordCount(), 5);
    EXPECT_EQ(f.DBGrid2->ColumnCount(), 12);
    EXPECT_EQ(f.DBGrid2->Columns(7).Caption(), "Valeur stock");
    EXPECT_TRUE(f.DBGrid2->Columns(7).Locked());
    EXPECT_FALSE(f.DBGrid2->Columns(8).Locked());

    f.Show();
    EXPECT_TRUE(f.FenetreActivee);
    EXPECT_EQ(f.data1->Caption(), "1 / 5");
    // The new article without family, supplier or size still has its row.
    AllerA(f, 1002);
    EXPECT_SUIVI(f);
    EXPECT_EQ(f.Text2(0).Text(), "1002");
    EXPECT_EQ(f.Text2(1).Text(), "");
    EXPECT_EQ(f.data1->Caption(), "3 / 5");
    // The supplier boxes and the quantities come from the grid's row.
    AllerA(f, 1000);
    EXPECT_EQ(f.Text2(8).Text(), "F1");
    EXPECT_EQ(f.Label2(FrmStock::LabelQteEnMachine).Caption(), "2");
    EXPECT_EQ(f.Label2(FrmStock::LabelQteGlobal).Caption(), "12");
}

TEST_F(FrmStockTest, EveryGridColumnShowsWholeWithItsHeader)
{
    FrmStock& f = Ouvrir();
    QTableView* vue = f.DBGrid2->View();
    QHeaderView* entetes = vue->horizontalHeader();
    const QFontMetrics mesure = entetes->fontMetrics();
    const int marge = entetes->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, entetes);
    for (int c = 0; c < f.DBGrid2->ColumnCount(); ++c) {
        const QString texte = f.DBGrid2->Columns(c).Caption();
        SCOPED_TRACE(texte.toStdString());
        const int largeur = entetes->sectionSize(c) - 2 * marge;
        // Wrapped to the width, no word sticks out and the lines fit the header's height.
        const QRect place = mesure.boundingRect(QRect(0, 0, largeur, 1000),
                                                Qt::AlignCenter | Qt::TextWordWrap, texte);
        EXPECT_LE(place.width(), largeur);
        EXPECT_LE(place.height(), entetes->height() - 2 * marge);
    }
    // The last column ends inside the grid: no column needs the scroll bar to be read.
    const int fin = entetes->sectionViewportPosition(f.DBGrid2->ColumnCount() - 1) +
                    entetes->sectionSize(f.DBGrid2->ColumnCount() - 1);
    EXPECT_LE(fin, vue->viewport()->width() - vue->verticalScrollBar()->sizeHint().width());
}

// The card's lists show a long family or supplier name whole, as a person reads it there.
TEST_F(FrmStockTest, CardCombosShowLongNamesWhole)
{
    Execute("UPDATE Familles SET NomFamille = 'PROTECTION AUDITIVE' WHERE NoFamille = 4");
    Execute("UPDATE Fournisseur SET Societe = 'MEDITERRANEE PROTECTION INDUSTRIELLE' WHERE No = 1");
    FrmStock& f = Ouvrir();
    f.OptionFiche->SetValue(true);
    AllerA(f, 1050);
    for (QComboBox* liste :
         {static_cast<QComboBox*>(f.DBCombo1), static_cast<QComboBox*>(f.DBCombo2)}) {
        SCOPED_TRACE(liste->objectName().toStdString());
        ASSERT_TRUE(liste->currentText().contains("PROTECTION"));
        QStyleOptionComboBox option;
        option.initFrom(liste);
        option.editable = liste->isEditable();
        option.frame = liste->hasFrame();
        const QRect champ = liste->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxEditField, liste);
        EXPECT_LE(liste->fontMetrics().horizontalAdvance(liste->currentText()), champ.width() - 2);
    }
}

TEST_F(FrmStockTest, CardFollowsTheGridAfterEachOperation)
{
    FrmStock& f = Ouvrir();
    AllerA(f, 1050);
    EXPECT_SUIVI(f);

    // A change of search key requeries the card alone.
    f.SSOptionDesi->SetValue(true);
    EXPECT_EQ(f.ModeRecherche, 2);
    EXPECT_EQ(Grille(f), 1050);
    EXPECT_SUIVI(f);

    // A new activation brings back the Reference key and requeries every list.
    AllerA(f, 1003);
    f.Form_Activate();
    EXPECT_TRUE(f.SSOptionRef->Value());
    EXPECT_EQ(f.ModeRecherche, 1);
    EXPECT_SUIVI(f);
    // The code combo still shows the card article's code after the lists are requeried.
    ASSERT_EQ(Carte(f), 1000);
    EXPECT_EQ(f.DBCombo3->currentText(), "1");
    EXPECT_FALSE(f.DBCombo3->isEnabled());

    // Back to the grid view: fresh quantities, same article.
    AllerA(f, 1001);
    f.OptionFiche->SetValue(true);
    EXPECT_TRUE(f.FrameFicheProduit->isVisible());
    Execute("UPDATE ArticleEnStock SET QteEnStock = 7 WHERE Reference = 1001");
    f.OptionTableau->SetValue(true);
    EXPECT_FALSE(f.FrameFicheProduit->isVisible());
    EXPECT_EQ(Grille(f), 1001);
    EXPECT_SUIVI(f);
    EXPECT_EQ(f.Label2(FrmStock::LabelQteEnStock).Caption(), "7");

    // A header sort of the grid alone.
    f.DBGrid2_HeadClick(7);
    EXPECT_EQ(Grille(f), 1001);
    EXPECT_SUIVI(f);
}

TEST_F(FrmStockTest, SearchOptionsAndHeadersChooseKeyAndSort)
{
    FrmStock& f = Ouvrir();
    // At the first activation no sort applies: the table's order.
    EXPECT_EQ(OrdreGrille(f), (std::vector<long>{1000, 1001, 1002, 1050, 1003}));

    f.TextCherche->setText("12");
    f.DBGrid2_HeadClick(2);
    EXPECT_TRUE(f.SSOptionDesi->Value());
    EXPECT_EQ(f.ModeRecherche, 2);
    EXPECT_EQ(f.TextCherche->text(), "");
    EXPECT_EQ(f.data2->Recordset().Sort(), "Designation");
    // Articles without designation first, then BOUCHONS, CHAUSSURES, GANTS, LUNETTES.
    EXPECT_EQ(OrdreGrille(f), (std::vector<long>{1002, 1003, 1001, 1000, 1050}));

    f.DBGrid2_HeadClick(7); // "Valeur stock"
    EXPECT_EQ(f.data1->Recordset().Sort(), "ValeurStock");
    EXPECT_EQ(f.data2->Recordset().Sort(), "Designation");
    EXPECT_EQ(f.ModeRecherche, 2);

    f.DBGrid2_HeadClick(3); // "Taille": nothing
    EXPECT_EQ(f.data1->Recordset().Sort(), "ValeurStock");

    f.DBGrid2_HeadClick(4);
    EXPECT_EQ(f.ModeRecherche, 3);
    EXPECT_EQ(f.data1->Recordset().Sort(), "CodeArticle");
    f.DBGrid2_HeadClick(1);
    EXPECT_EQ(f.ModeRecherche, 4);
    EXPECT_EQ(f.data2->Recordset().Sort(), "RefFournisseur");
    f.DBGrid2_HeadClick(0);
    EXPECT_EQ(f.ModeRecherche, 1);
    EXPECT_EQ(OrdreGrille(f), (std::vector<long>{1000, 1001, 1002, 1003, 1050}));
}

TEST_F(FrmStockTest, TypeAheadSearch)
{
    struct Case
    {
        const char* nom;
        forms::OptionButton* FrmStock::*option;
        long depart;
        const char* tape;
        long attendu;
    } cases[] = {
        // Reference: equality, so 1, 10 and 100 find nothing; the fourth digit finds 1000.
        {"reference prefix finds nothing", &FrmStock::SSOptionRef, 1001, "105", 1001},
        // The search goes forward from the current row only.
        {"reference searches forward", &FrmStock::SSOptionRef, 1003, "1000", 1003},
        {"reference ahead", &FrmStock::SSOptionRef, 1001, "1050", 1050},
        {"designation", &FrmStock::SSOptionDesi, 1002, "ga", 1000},
        {"designation no further match", &FrmStock::SSOptionDesi, 1002, "gax", 1000},
        {"designation with a quote", &FrmStock::SSOptionDesi, 1002, "lunettes d'", 1050},
        {"supplier reference", &FrmStock::SSOptionRefFour, 1002, "c4", 1001},
        {"article code", &FrmStock::SSOptionCodArticle, 1002, "3", 1050},
        {"article code not found", &FrmStock::SSOptionCodArticle, 1002, "9", 1002},
    };
    FrmStock& f = Ouvrir();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nom);
        (f.*c.option)->SetValue(true);
        // Under the Reference key the sort is by number: 1000, 1001, 1002, 1003, 1050.
        if (c.option == &FrmStock::SSOptionRef)
            f.DBGrid2_HeadClick(0);
        AllerA(f, c.depart);
        Type(*f.TextCherche, c.tape);
        EXPECT_EQ(Grille(f), c.attendu);
        EXPECT_SUIVI(f);
        f.TextCherche->clear();
    }
}

TEST_F(FrmStockTest, NumberKeysWithTextThatIsNoNumberFindNothingAndSayNothing)
{
    FrmStock& f = Ouvrir();
    Type(*f.TextCherche, "1a0b");
    EXPECT_EQ(f.TextCherche->text(), "10");
    f.TextCherche->clear();

    // Letters typed under the article code, or pasted under the reference: no error box, the
    // grid stays where it was.
    f.SSOptionCodArticle->SetValue(true);
    AllerA(f, 1001);
    Type(*f.TextCherche, "x");
    EXPECT_EQ(f.TextCherche->text(), "x");
    Type(*f.TextCherche, "3");
    EXPECT_EQ(Grille(f), 1001);
    f.TextCherche->clear();
    Type(*f.TextCherche, "3");
    EXPECT_EQ(Grille(f), 1050);

    f.SSOptionRef->SetValue(true);
    AllerA(f, 1001);
    f.TextCherche->setText("10a5");
    EXPECT_EQ(Grille(f), 1001);
    EXPECT_TRUE(Script().Boxes().empty());
}

TEST_F(FrmStockTest, ScannerPrefixSearchesBarCodes)
{
    FrmStock& f = Ouvrir();
    f.DBGrid2_HeadClick(0);
    AllerA(f, 1000);
    // "@" typed in the grid: the code goes to the search box, Enter ends bar-code mode.
    Focus(*f.DBGrid2->View());
    Type(*f.DBGrid2->View(), "@2225\r");
    EXPECT_FALSE(f.RechercheCodeBar);
    EXPECT_EQ(f.TextCherche->text(), "2225");
    EXPECT_EQ(Grille(f), 1050);
    EXPECT_SUIVI(f);

    // From a card box, the first article whose code begins with the digits.
    AllerA(f, 1000);
    f.OptionFiche->SetValue(true);
    Type(f.Text2(1), "@22");
    EXPECT_TRUE(f.RechercheCodeBar);
    EXPECT_EQ(Grille(f), 1001);
    EXPECT_EQ(f.Text2(1).Text(), "CHAUSSURES P42"); // the "@" did not land in the box

    // The same digits without "@" go by the search key (Reference 22: none).
    Type(*f.TextCherche, "\r");
    f.TextCherche->clear();
    AllerA(f, 1000);
    Type(*f.TextCherche, "22");
    EXPECT_EQ(Grille(f), 1000);
}

TEST_F(FrmStockTest, BackToBrowsingKeepsTheKeyOfTheOption)
{
    struct Case
    {
        forms::OptionButton* FrmStock::*option;
        int mode;
    } cases[] = {{&FrmStock::SSOptionRef, 1},
                 {&FrmStock::SSOptionDesi, 2},
                 {&FrmStock::SSOptionCodArticle, 3},
                 {&FrmStock::SSOptionRefFour, 4}};
    FrmStock& f = Ouvrir();
    for (const Case& c : cases) {
        (f.*c.option)->SetValue(true);
        f.CmdSelectioner->show();
        f.TextCherche->setText("1");
        f.DBGridStockVisible();
        EXPECT_EQ(f.ModeRecherche, c.mode);
        EXPECT_TRUE(f.CmdSelectioner->isHidden());
        EXPECT_EQ(f.TextCherche->text(), "");
        EXPECT_TRUE(f.data2->isHidden());
    }
}

TEST_F(FrmStockTest, CloseSavesThePendingEditAndPickerCloseDoesNot)
{
    FrmStock& f = Ouvrir();
    AllerA(f, 1003);
    f.Text2(17).SetText("MARQUE A");
    Click(*f.CmdClose);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(Stocke(1003, "Marque"), "MARQUE A");

    f.Show();
    AllerA(f, 1003);
    f.CmdSelectioner->show();
    Global::FenQuotaOuverte = true;
    f.Text2(17).SetText("MARQUE B");
    f.CmdClose_Click();
    Global::FenQuotaOuverte = false;
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.CmdSelectioner->isHidden());
    EXPECT_EQ(Stocke(1003, "Marque"), "MARQUE A");
}

TEST_F(FrmStockTest, PendingEditIsSavedBeforeTheProgramEnds)
{
    FrmStock& f = Ouvrir();
    AllerA(f, 1002);
    f.Text2(1).SetText("CASQUE");
    f.EnregistrerFiche();
    EXPECT_EQ(Stocke(1002, "Designation"), "CASQUE");
}

TEST_F(FrmStockTest, NegativeNumbersShowRed)
{
    FrmStock& f = Ouvrir();
    AllerA(f, 1003);
    EXPECT_EQ(f.Text2(5).palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(f.Text2(4).palette().color(QPalette::Text), QColor(Qt::black));
    AllerA(f, 1000);
    EXPECT_EQ(f.Text2(5).palette().color(QPalette::Text), QColor(Qt::black));
}

TEST_F(FrmStockTest, EmptyCatalogue)
{
    Execute("DELETE FROM ArticleEnStock");
    FrmStock& f = Ouvrir();
    const QString avant = f.data1->Caption();
    Type(*f.TextCherche, "1000");
    EXPECT_EQ(f.data1->Recordset().RecordCount(), 0);
    EXPECT_EQ(f.data1->Caption(), avant);
}

} // namespace
