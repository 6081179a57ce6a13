#include "WindowFixture.h"

#include "harnix/catalogue/FenTailles.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"

#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace forms::testing;
using Strings = std::vector<std::string>;

namespace {

class FenTaillesTest : public catalogue::testing::WindowTest
{
protected:
    FenTailles& Ouvrir()
    {
        FenTailles& fen = forms::form<FenTailles>();
        fen.Show();
        return fen;
    }
    void ChoisirFamille(FenTailles& fen, int no)
    {
        fen.data1->Recordset().Find("NoFamille=" + std::to_string(no), 0, ado::adSearchForward,
                                    ado::adBookmarkFirst);
        ASSERT_FALSE(fen.data1->Recordset().Eof());
    }
    void ChoisirTaille(FenTailles& fen, const std::string& taille)
    {
        fen.data2->Recordset().Find("Taille='" + taille + "'", 0, ado::adSearchForward,
                                    ado::adBookmarkFirst);
        ASSERT_FALSE(fen.data2->Recordset().Eof());
    }
    // The sizes of a family in their order, each as "size:order".
    Strings Ordres(int famille)
    {
        ado::Recordset rs = database::testing::OpenRecordset(
            zad.Connection(), "SELECT Taille & ':' & Ordre AS T FROM Tailles WHERE NoFamille=" +
                                  std::to_string(famille) + " ORDER BY Ordre");
        return database::testing::Column(rs, "T");
    }
};

TEST_F(FenTaillesTest, OpensOnFirstFamilyWithItsSizesInOrder)
{
    FenTailles& fen = Ouvrir();
    EXPECT_EQ(fen.Caption(), "Tailles disponibles");
    EXPECT_EQ(fen.Width(), 5820);
    EXPECT_EQ(fen.Height(), 8910);
    EXPECT_EQ(fen.data2->Recordset().RecordCount(), 2);
    EXPECT_EQ(fen.Text1->text(), "8");

    ChoisirFamille(fen, 3);
    EXPECT_EQ(fen.data2->Recordset().Source(), "Tailles where NoFamille=3 order by Ordre");
    EXPECT_EQ(fen.Text1->text(), "41"); // Ordre 1 comes before 42 (Ordre 2)
    EXPECT_EQ(fen.DBGrid1->View()->model()->rowCount(), 2);
}

TEST_F(FenTaillesTest, AddGivesTheNextOrderOfTheFamily)
{
    Execute("INSERT INTO Familles (NoFamille, NomFamille) VALUES (5, 'CASQUES')");
    Execute("INSERT INTO Familles (NoFamille, NomFamille) VALUES (6, 'BOTTES')");
    Execute("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('38', 1, 6), ('39', 2, 6), "
            "('40', 7, 6)");
    struct Case
    {
        int famille;
        const char* taille;
        Strings attendu;
    } cases[] = {
        {5, "M", {"M:1"}},
        {6, "41", {"38:1", "39:2", "40:7", "41:8"}},
    };
    FenTailles& fen = Ouvrir();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.taille);
        ChoisirFamille(fen, c.famille);
        fen.Text1->clear();
        Type(fen, "Text1", c.taille);
        Click(fen, "CmdAdd");
        EXPECT_EQ(Ordres(c.famille), c.attendu);
    }
}

TEST_F(FenTaillesTest, AddRefusesASizeTheFamilyHoldsInAnyCase)
{
    Execute("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('XL', 2, 4)");
    FenTailles& fen = Ouvrir();

    ChoisirFamille(fen, 3);
    Script().ExpectMsgBox(forms::vbCancel, "La taille 42 existe déjà !");
    fen.Text1->clear();
    Type(fen, "Text1", "42");
    Click(fen, "CmdAdd");
    EXPECT_EQ(Script().Boxes().back().style, 54);
    EXPECT_EQ(Script().Boxes().back().title, "Erreur");
    EXPECT_EQ(fen.Text1->text(), "");
    EXPECT_EQ(Ordres(3), (Strings{"41:1", "42:2"}));

    ChoisirFamille(fen, 4);
    Script().ExpectMsgBox(forms::vbCancel, "La taille xl existe déjà !");
    fen.Text1->setText("xl");
    Click(fen, "CmdAdd");
    EXPECT_EQ(Ordres(4), (Strings{"T.U.:1", "XL:2"}));

    // The same size in another family is no duplicate.
    ChoisirFamille(fen, 1);
    fen.Text1->setText("42");
    Click(fen, "CmdAdd");
    EXPECT_EQ(Ordres(1), (Strings{"8:1", "9:2", "42:3"}));
}

TEST_F(FenTaillesTest, SizeBoxTakesDigitsLettersAndTheComma)
{
    struct Case
    {
        const char* separateur;
        const char* tape;
        const char* montre;
    } cases[] = {
        {",", "9.5", "9,5"},   {".", "9.5", "95"},    {".", "9,5", "9,5"},
        {",", "T.U.", "T,U,"}, {",", "x l-/é", "xl"}, {",", "Ab12", "Ab12"},
    };
    FenTailles& fen = Ouvrir();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tape);
        Global::SeparateurDecimal = c.separateur;
        fen.Text1->clear();
        Type(fen, "Text1", c.tape);
        EXPECT_EQ(fen.Text1->text(), QString::fromUtf8(c.montre));
    }
    Type(fen, "Text1", "\b");
    EXPECT_EQ(fen.Text1->text(), "Ab1");
}

TEST_F(FenTaillesTest, DeleteKeepsTUAndSizesInUse)
{
    Execute("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('t.u.', 3, 1)");
    FenTailles& fen = Ouvrir();

    ChoisirFamille(fen, 4);
    ChoisirTaille(fen, "T.U.");
    Script().ExpectMsgBox(forms::vbCancel, "Suppression non autorisé !");
    Click(fen, "CmdDel");
    EXPECT_EQ(Ordres(4), (Strings{"T.U.:1"}));
    ChoisirFamille(fen, 1);
    ChoisirTaille(fen, "t.u.");
    Click(fen, "CmdDel");
    EXPECT_EQ(Ordres(1), (Strings{"8:1", "9:2"}));

    // Size 42 is held by an article: the database refuses and the list is read again.
    ChoisirFamille(fen, 3);
    ChoisirTaille(fen, "42");
    Script().ExpectMsgBox(forms::vbCancel, "Suppression non autorisé !");
    Click(fen, "CmdDel");
    EXPECT_EQ(Ordres(3), (Strings{"41:1", "42:2"}));
    EXPECT_EQ(fen.data2->Recordset().RecordCount(), 2);
}

TEST_F(FenTaillesTest, SpinExchangesOrderWithTheNeighbourAndWraps)
{
    Execute("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('43', 3, 3)");
    struct Case
    {
        const char* taille;
        bool suivante;
        Strings attendu;
        const char* selection;
    } cases[] = {
        {"41", true, {"42:1", "41:2", "43:3"}, "41"},
        {"43", true, {"43:1", "41:2", "42:3"}, "43"},  // from the last, the next is the first
        {"43", false, {"42:1", "41:2", "43:3"}, "43"}, // from the first, the previous is the last
        {"41", false, {"41:1", "42:2", "43:3"}, "41"},
    };
    FenTailles& fen = Ouvrir();
    ChoisirFamille(fen, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.taille) + (c.suivante ? " next" : " previous"));
        ChoisirTaille(fen, c.taille);
        QToolButton* fleche =
            c.suivante ? fen.SpinButton1->DownArrow() : fen.SpinButton1->UpArrow();
        QTest::mouseClick(fleche, Qt::LeftButton);
        EXPECT_EQ(Ordres(3), c.attendu);
        EXPECT_EQ(fen.Text1->text(), c.selection);
    }
}

TEST_F(FenTaillesTest, RenameAsksAndUndoesADuplicate)
{
    FenTailles& fen = Ouvrir();
    ChoisirFamille(fen, 3);
    ChoisirTaille(fen, "41");

    Script().ExpectMsgBox(forms::vbNo, "Cette modification une incidence");
    fen.Text1->setText("40");
    Click(fen, "CmdModifier");
    EXPECT_EQ(Script().Boxes().back().title, "Attention!");
    EXPECT_EQ(Script().Boxes().back().style, 52);
    EXPECT_EQ(fen.Text1->text(), "41");

    Script()
        .ExpectMsgBox(forms::vbYes)
        .ExpectMsgBox(forms::vbCancel, "Cette taille existe déjà, opération annulée");
    fen.Text1->setText("42");
    Click(fen, "CmdModifier");
    EXPECT_EQ(Ordres(3), (Strings{"41:1", "42:2"}));
    EXPECT_EQ(fen.Text1->text(), "41");

    Script().ExpectMsgBox(forms::vbYes);
    fen.Text1->setText("40");
    Click(fen, "CmdModifier");
    EXPECT_EQ(Ordres(3), (Strings{"40:1", "42:2"}));
    EXPECT_EQ(fen.Text1->text(), "40");
}

} // namespace

namespace {

TEST_F(FenTaillesTest, AddRefusedByTheDatabaseIsReportedAndTheListStaysUsable)
{
    Execute("CREATE TRIGGER RefusTailles BEFORE INSERT ON Tailles "
            "BEGIN SELECT RAISE(ABORT, 'refus'); END");
    FenTailles& fen = Ouvrir();
    ChoisirFamille(fen, 3);
    Script().ExpectMsgBox(forms::vbOK, "CmdAdd_Click");
    fen.Text1->setText("43");
    Click(fen, "CmdAdd");
    EXPECT_EQ(Ordres(3), (Strings{"41:1", "42:2"}));
    Execute("DROP TRIGGER RefusTailles");
    fen.Text1->setText("44");
    Click(fen, "CmdAdd");
    EXPECT_EQ(Ordres(3), (Strings{"41:1", "42:2", "44:3"}));
}

} // namespace
