// The stock-receipt history: the journal in one grid, sorted by the field at the clicked
// column's position, read again at each showing; a journal that cannot be opened.

#include "WindowFixture.h"

#include "harnix/catalogue/frmMouvtStock.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/Drive.h"

#include <QTableView>

#include <gtest/gtest.h>

using namespace forms::testing;
using Strings = std::vector<std::string>;

namespace {

class frmMouvtStockTest : public catalogue::testing::WindowTest
{
protected:
    void Recevoir(const std::string& date, long article, long qte, const std::string& designation)
    {
        Execute("INSERT INTO MouvementStock (DateEntree, RefProduit, Designation, Qte, "
                "Commentaire, NomFournisseur, RefFournisseur) VALUES ('" +
                date + "', " + std::to_string(article) + ", '" + designation + "', " +
                std::to_string(qte) + ", '', 'GANTERIE DE L''EST', 'G8')");
    }

    static Strings Colonne(frmMouvtStock& f, const std::string& champ)
    {
        ado::Recordset rs = f.Data1->Recordset();
        return database::testing::Column(rs, champ);
    }
};

TEST_F(frmMouvtStockTest, ShowsTheJournalAndSortsByTheFieldAtTheClickedPosition)
{
    Recevoir("2024-05-02 00:00:00", 1000, 24, "GANTS T8");
    Recevoir("2024-05-01 00:00:00", 1001, -3, "CHAUSSURES P42");
    Recevoir("2024-05-03 00:00:00", 1002, 10, "BOUCHONS");
    frmMouvtStock& f = forms::form<frmMouvtStock>();
    f.Show();
    EXPECT_EQ(f.Caption(), "Mouvement du stock");
    const QAbstractItemModel* grille = f.DBGrid1->View()->model();
    ASSERT_EQ(f.DBGrid1->ColumnCount(), 7);
    EXPECT_EQ(f.DBGrid1->Columns(3).Caption(), "Qté");
    EXPECT_EQ(grille->index(0, 0).data().toString(), "02/05/2024");
    EXPECT_EQ(Colonne(f, "Qte"), (Strings{"24", "-3", "10"}));

    // "Qté" stands at position 3, as Qte in the table: ascending at every click.
    for (int clic = 0; clic < 2; ++clic) {
        f.DBGrid1_HeadClick(3);
        EXPECT_EQ(Colonne(f, "Qte"), (Strings{"-3", "10", "24"}));
    }
    f.DBGrid1_HeadClick(0);
    EXPECT_EQ(Colonne(f, "RefProduit"), (Strings{"1001", "1000", "1002"}));
}

TEST_F(frmMouvtStockTest, EachShowingReadsTheJournalAgain)
{
    frmMouvtStock& f = forms::form<frmMouvtStock>();
    f.Show();
    EXPECT_EQ(f.DBGrid1->View()->model()->rowCount(), 0);
    f.DBGrid1_HeadClick(2);
    Click(*f.CmdClose);
    EXPECT_FALSE(f.isVisible());
    ASSERT_TRUE(forms::IsLoaded<frmMouvtStock>()) << "Fermer only hides";

    Recevoir("2024-05-02 00:00:00", 1000, 24, "GANTS T8");
    f.Show();
    EXPECT_EQ(Colonne(f, "Designation"), Strings{"GANTS T8"});
}

TEST_F(frmMouvtStockTest, AJournalThatCannotBeOpenedUnloadsTheWindow)
{
    Execute("DROP TABLE MouvementStock");
    Script().ExpectMsgBox(forms::vbOK, "Error:");
    forms::form<frmMouvtStock>();
    EXPECT_FALSE(forms::IsLoaded<frmMouvtStock>());
}

TEST_F(frmMouvtStockTest, TypedSortDirectionAndConfirmations)
{
    Recevoir("2024-05-02 00:00:00", 1000, 24, "GANTS T8");
    Recevoir("2024-05-01 00:00:00", 1001, -3, "CHAUSSURES P42");
    frmMouvtStock& f = forms::form<frmMouvtStock>();
    f.Show();

    // A modifier key held on the grid asks for the next column sort to be descending, once.
    f.DBGrid1_MouseUp(forms::ShiftMaskCtrl);
    f.TrierColonne(3);
    EXPECT_EQ(Colonne(f, "Qte"), (Strings{"24", "-3"}));
    EXPECT_FALSE(f.TriDescendant);
    EXPECT_EQ(f.TriEnAttente, "");
    f.TrierColonne(3);
    EXPECT_EQ(Colonne(f, "Qte"), (Strings{"-3", "24"}));

    // With no pending sort text the column is asked for; an empty answer changes nothing.
    Script().ExpectInputBox("Designation", "Enter Sort Column:");
    f.TrierParColonneSaisie();
    EXPECT_EQ(Colonne(f, "Designation"), (Strings{"CHAUSSURES P42", "GANTS T8"}));
    Script().ExpectInputBox("", "Enter Sort Column:");
    f.TrierParColonneSaisie();
    Script().ExpectInputBox("Inconnue", "Enter Sort Column:");
    Script().ExpectMsgBox(forms::vbOK, "Error:");
    f.TrierParColonneSaisie();

    for (const auto& [reponse, annule] : {std::pair{forms::vbYes, 0}, std::pair{forms::vbNo, 1}}) {
        int cancel = 0;
        Script().ExpectMsgBox(reponse, "Delete Current Row?");
        f.DBGrid1_BeforeDelete(cancel);
        EXPECT_EQ(cancel, annule);
        cancel = 0;
        Script().ExpectMsgBox(reponse, "Commit changes?");
        f.DBGrid1_BeforeUpdate(cancel);
        EXPECT_EQ(cancel, annule);
    }
    EXPECT_EQ(Script().Boxes().back().style, forms::vbYesNo + forms::vbQuestion);
}

} // namespace
