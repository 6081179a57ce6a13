#include "WindowFixture.h"

#include "harnix/catalogue/FenFournisseur.h"
#include "harnix/database/Databases.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace forms::testing;
using Strings = std::vector<std::string>;

namespace {

class FenFournisseurTest : public catalogue::testing::WindowTest
{
protected:
    FenFournisseur& Ouvrir(bool avecCodesPostaux = true)
    {
        if (avecCodesPostaux)
            database::CreateCodesPostaux(zad.Folder().File("CP.MDB"));
        FenFournisseur& fen = forms::form<FenFournisseur>();
        fen.Show();
        return fen;
    }
    // Each supplier as "Nauto:No:Societe:Ville".
    Strings Fournisseurs()
    {
        return Stored("SELECT Nauto & ':' & [No] & ':' & Nz(Societe, '') & ':' & Nz(Ville, '') "
                      "AS F FROM Fournisseur ORDER BY Nauto",
                      "F");
    }
};

TEST_F(FenFournisseurTest, AddNumbersEachSupplierByItsAutonumber)
{
    Execute("DELETE FROM Fournisseur");
    // A row left by an interrupted add.
    Execute("INSERT INTO Fournisseur (Nauto, [No]) VALUES (7, 0)");
    FenFournisseur& fen = Ouvrir();
    EXPECT_EQ(fen.Caption(), "Fichier Fournisseurs");
    for (int i = 0; i < 3; ++i)
        Click(fen, "CmdAdd");
    EXPECT_EQ(Fournisseurs(), (Strings{"8:8::", "9:9::", "10:10::"}));
    EXPECT_EQ(QApplication::focusWidget(), &fen.MaskEdBox1(FenFournisseur::Societe));
}

TEST_F(FenFournisseurTest, NewSupplierIsCurrentUnderAHeaderSort)
{
    FenFournisseur& fen = Ouvrir();
    // Column 3 is Societe: GANTERIE DE L'EST sorts last, the new empty row first.
    fen.DBGrid1_HeadClick(3);
    EXPECT_EQ(fen.data2->Recordset().Sort(), "Societe");
    Click(fen, "CmdAdd");
    Type(fen.MaskEdBox1(FenFournisseur::Societe), "d'artagnan\r");
    EXPECT_EQ(Fournisseurs(), (Strings{"1:1:GANTERIE DE L'EST:NANCY", "2:2:CHAUSSEUR DU SUD:NICE",
                                       "3:3:D'ARTAGNAN:"}));
    // Enter saved the row and moved the focus on.
    EXPECT_EQ(QApplication::focusWidget(), &fen.MaskEdBox1(FenFournisseur::NomContact));
}

TEST_F(FenFournisseurTest, CapitalsInCompanyCodeAndTownOnly)
{
    struct Case
    {
        int boite;
        const char* montre;
    } cases[] = {{FenFournisseur::Societe, "ÉTS DUBOIS"},
                 {FenFournisseur::CodeFournisseur, "ÉTS DUBOIS"},
                 {FenFournisseur::Ville, "ÉTS DUBOIS"},
                 {FenFournisseur::NomContact, "éts dubois"},
                 {FenFournisseur::Tel, "éts dubois"}};
    FenFournisseur& fen = Ouvrir();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.boite);
        fen.MaskEdBox1(c.boite).clear();
        Type(fen.MaskEdBox1(c.boite), "éts dubois");
        EXPECT_EQ(fen.MaskEdBox1(c.boite).text(), c.montre);
    }
}

TEST_F(FenFournisseurTest, TypedPostalCodeFillsAnEmptyTown)
{
    struct Case
    {
        const char* cp;
        const char* villeAvant;
        const char* villeApres;
        bool focusVille;
    } cases[] = {
        {"69001", "", "LYON", true}, {"06000", "", "NICE", true},
        {"6900", "", "", false},     {"69001", "VILLEURBANNE", "VILLEURBANNE", false},
        {"99999", "", "", true}, // unknown code: the town stays empty
    };
    FenFournisseur& fen = Ouvrir();
    forms::BoundText& cp = fen.MaskEdBox1(FenFournisseur::CodePostal);
    forms::BoundText& ville = fen.MaskEdBox1(FenFournisseur::Ville);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cp);
        ville.SetText(c.villeAvant);
        cp.clear();
        Type(cp, c.cp);
        EXPECT_EQ(ville.text(), c.villeApres);
        EXPECT_EQ(QApplication::focusWidget() == &ville, c.focusVille);
    }
    // Typed into the current supplier and saved with it.
    cp.clear();
    ville.clear();
    Type(cp, "54000\t");
    fen.CmdClose_Click();
    EXPECT_EQ(Stored("SELECT CodePostal & ':' & Ville AS V FROM Fournisseur WHERE Nauto = 1", "V"),
              Strings{"54000:NANCY"});
}

TEST_F(FenFournisseurTest, LookupByPostalCode)
{
    struct Case
    {
        const char* cp;
        const char* ville;
    } cases[] = {{"54000", "NANCY"}, {"06000", "NICE"}, {"5400", ""},   {"540001", ""},
                 {"2A004", ""},      {"", ""},          {"1' OR 1", ""}};
    FenFournisseur& fen = Ouvrir();
    for (const Case& c : cases)
        EXPECT_EQ(fen.LocaliteDuCodePostal(c.cp), c.ville) << c.cp;
}

TEST_F(FenFournisseurTest, WithoutPostalCodesTheTownIsNeverFilled)
{
    FenFournisseur& fen = Ouvrir(false);
    forms::BoundText& ville = fen.MaskEdBox1(FenFournisseur::Ville);
    ville.clear();
    fen.MaskEdBox1(FenFournisseur::CodePostal).clear();
    Type(fen.MaskEdBox1(FenFournisseur::CodePostal), "54000");
    EXPECT_EQ(ville.text(), "");
    EXPECT_EQ(fen.LocaliteDuCodePostal("54000"), "");
}

TEST_F(FenFournisseurTest, DeleteAsksFirst)
{
    FenFournisseur& fen = Ouvrir();
    Script().ExpectMsgBox(forms::vbNo, "Confirmer la suppression !");
    Click(fen, "CmdDelete");
    EXPECT_EQ(Script().Boxes().back().title, "Confirmation");
    EXPECT_EQ(Script().Boxes().back().style, 52);
    EXPECT_EQ(Fournisseurs().size(), 2u);
    Script().ExpectMsgBox(forms::vbYes, "Confirmer la suppression !");
    Click(fen, "CmdDelete");
    EXPECT_EQ(Fournisseurs(), Strings{"2:2:CHAUSSEUR DU SUD:NICE"});
    EXPECT_EQ(fen.MaskEdBox1(FenFournisseur::Societe).text(), "CHAUSSEUR DU SUD");
}

} // namespace
