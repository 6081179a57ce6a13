#include "WindowFixture.h"

#include "harnix/catalogue/FenFamille.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"

#include <QTableView>

#include <gtest/gtest.h>

using namespace forms::testing;
using Strings = std::vector<std::string>;

namespace {

class FenFamilleTest : public catalogue::testing::WindowTest
{
protected:
    FenFamille& Ouvrir()
    {
        FenFamille& fen = forms::form<FenFamille>();
        fen.Show();
        return fen;
    }
    void Choisir(FenFamille& fen, int no)
    {
        fen.data2->Recordset().Find("NoFamille=" + std::to_string(no), 0, ado::adSearchForward,
                                    ado::adBookmarkFirst);
        ASSERT_FALSE(fen.data2->Recordset().Eof());
    }
    // Each family as "number:name:function".
    Strings Familles()
    {
        return Stored("SELECT NoFamille & ':' & Nz(NomFamille, '') & ':' & Nz(Fonction, '') AS F "
                      "FROM Familles ORDER BY NoFamille",
                      "F");
    }
};

TEST_F(FenFamilleTest, ShoeAndGloveFamiliesKeepTheirNameButTakeAFunction)
{
    struct Case
    {
        int no;
        const char* attendu;
    } cases[] = {
        {1, "1:GANTS:PROTECTION"}, {3, "3:CHAUSSURES:PROTECTION"}, {4, "4:AUTRE:PROTECTION"}};
    FenFamille& fen = Ouvrir();
    EXPECT_EQ(fen.Caption(), "Fichier Familles");
    EXPECT_EQ(fen.Width(), 6390);
    EXPECT_EQ(fen.Height(), 9210);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.no);
        Choisir(fen, c.no);
        fen.Text2->setText("AUTRE");
        fen.Text1->setText("PROTECTION");
        Click(fen, "CmdModif");
        EXPECT_EQ(Familles()[c.no == 1 ? 0 : c.no == 3 ? 1 : 2], c.attendu);
        // The row stays current after the re-read.
        EXPECT_EQ(vb::CLng(fen.data2->Recordset().Fields("NoFamille").Value()), c.no);
    }
}

TEST_F(FenFamilleTest, AFamilyWithoutFunctionDoesNotTakeThePreviousOnesOnModify)
{
    Execute("UPDATE Familles SET Fonction = 'Mains' WHERE NoFamille = 1");
    FenFamille& fen = Ouvrir();
    Choisir(fen, 1);
    EXPECT_EQ(fen.Text1->text(), "Mains");
    Choisir(fen, 4);
    EXPECT_EQ(fen.Text1->text(), "");
    fen.Text2->setText("LUNETTES DE SECURITE");
    Click(fen, "CmdModif");
    EXPECT_EQ(Familles(), (Strings{"1:GANTS:Mains", "3:CHAUSSURES:", "4:LUNETTES DE SECURITE:"}));
}

TEST_F(FenFamilleTest, NameIsTypedInCapitals)
{
    FenFamille& fen = Ouvrir();
    fen.Text2->clear();
    Type(fen, "Text2", "échelle l'atelier");
    EXPECT_EQ(fen.Text2->text(), "ÉCHELLE L'ATELIER");
    fen.Text1->clear();
    Type(fen, "Text1", "usage");
    EXPECT_EQ(fen.Text1->text(), "usage");
}

TEST_F(FenFamilleTest, AddRemovesUnfinishedRowsButNeverTheProtectedFamilies)
{
    // The shoe family lost its name elsewhere: it still stays.
    Execute("UPDATE Familles SET NomFamille = NULL WHERE NoFamille = 3");
    FenFamille& fen = Ouvrir();
    Click(fen, "CmdAdd");
    EXPECT_EQ(fen.CmdModif->text(), "Enregistrer");
    EXPECT_EQ(fen.SSFrame1->Caption(), "Nouveau");
    // The second click saves the first (empty) addition, removes it and adds another.
    Click(fen, "CmdAdd");
    EXPECT_EQ(Familles(), (Strings{"1:GANTS:", "3::", "4:LUNETTES:", "6::"}));

    fen.Text2->setText("D'ARTAGNAN");
    fen.Text1->setText("l'atelier");
    Click(fen, "CmdModif");
    EXPECT_EQ(fen.CmdModif->text(), "Modifier");
    EXPECT_EQ(Familles().back(), "6:D'ARTAGNAN:l'atelier");
}

TEST_F(FenFamilleTest, AddMakesTheNewFamilyCurrentUnderAHeaderSort)
{
    FenFamille& fen = Ouvrir();
    // Column 1 sorts by the recordset's second field, the name.
    fen.DBGrid1_HeadClick(1);
    EXPECT_EQ(fen.data2->Recordset().Sort(), "NomFamille");
    Click(fen, "CmdAdd");
    fen.Text2->setText("CASQUES");
    Click(fen, "CmdModif");
    EXPECT_EQ(Familles(), (Strings{"1:GANTS:", "3:CHAUSSURES:", "4:LUNETTES:", "5:CASQUES:"}));
}

TEST_F(FenFamilleTest, DeleteAsksWithTheLabelAndSpareProtectedAndUsedFamilies)
{
    Execute("INSERT INTO Familles (NoFamille, NomFamille) VALUES (5, 'CASQUES')");
    Execute("INSERT INTO Familles (NoFamille, NomFamille, Libele) VALUES (6, 'BOTTES', 'Bottes')");
    FenFamille& fen = Ouvrir();

    for (int protege : {1, 3}) {
        Choisir(fen, protege);
        Click(fen, "CmdDelete"); // no box is expected
    }
    Choisir(fen, 5);
    Script().ExpectMsgBox(forms::vbNo, "Confirmer la suppression de:  !");
    Click(fen, "CmdDelete");
    EXPECT_EQ(Script().Boxes().back().title, "Confirmation");
    EXPECT_EQ(Script().Boxes().back().style, 52);
    Choisir(fen, 6);
    Script().ExpectMsgBox(forms::vbYes, "Confirmer la suppression de: Bottes !");
    Click(fen, "CmdDelete");
    // Family 4 has sizes: the database refuses, silently.
    Choisir(fen, 4);
    Script().ExpectMsgBox(forms::vbYes);
    Click(fen, "CmdDelete");
    EXPECT_EQ(Familles(), (Strings{"1:GANTS:", "3:CHAUSSURES:", "4:LUNETTES:", "5:CASQUES:"}));
}

TEST_F(FenFamilleTest, ADeletedFamilyLeavesTheGridAndTheBoxes)
{
    Execute("INSERT INTO Familles (NoFamille, NomFamille, Fonction) VALUES (5, 'CASQUES', 'Tête')");
    Execute("INSERT INTO Familles (NoFamille, NomFamille, Fonction) VALUES (6, 'BOTTES', 'Pieds')");
    FenFamille& fen = Ouvrir();
    int lignes = fen.DBGrid1->View()->model()->rowCount();
    struct Case
    {
        int supprimee;
        const char* montree; // the family shown in its place
    } cases[] = {{5, "BOTTES"}, {6, "LUNETTES"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.supprimee);
        Choisir(fen, c.supprimee);
        Script().ExpectMsgBox(forms::vbYes);
        Click(fen, "CmdDelete");
        EXPECT_EQ(fen.Text2->text(), c.montree);
        EXPECT_EQ(fen.DBGrid1->View()->model()->rowCount(), --lignes);
    }
    // A modification now goes to the family shown, not to the deleted one.
    fen.Text1->setText("Yeux");
    Click(fen, "CmdModif");
    EXPECT_EQ(Familles(), (Strings{"1:GANTS:", "3:CHAUSSURES:", "4:LUNETTES:Yeux"}));
}

} // namespace
