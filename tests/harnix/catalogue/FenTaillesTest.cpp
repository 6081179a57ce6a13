#include "WindowFixture.h"

#include "harnix/catalogue/FenTailles.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"

#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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
    // A column of the window's size list, in the order shown.
    static Strings Colonne(FenTailles& fen, const char* champ)
    {
        ado::Recordset rs = fen.data2->Recordset();
        const ado::Bookmark signet = rs.GetBookmark();
        Strings valeurs = database::testing::Column(rs, champ);
        rs.SetBookmark(signet);
        return valeurs;
    }
    // In a child process: the window's own connection moves sizes of family 3 down and up
    // without end; tells through `pret` when the first move is written.
    [[noreturn]] void DeplacerSansFin(int pret, int tour)
    {
        try {
            FenTailles& fen = Ouvrir();
            ChoisirFamille(fen, 3);
            for (int i = 0;; ++i) {
                fen.data2->Recordset().SetAbsolutePosition(1 + (i + tour) % 5);
                i % 3 == 0 ? fen.SpinButton1_SpinUp() : fen.SpinButton1_SpinDown();
                if (i == 0 && ::write(pret, "1", 1) != 1)
                    ::_exit(1);
            }
        } catch (...) {
        }
        ::_exit(1);
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

// The second size of an exchange refused: the first one's new order is taken back, the error
// is told and the list shows what the file holds.
TEST_F(FenTaillesTest, SpinRefusedHalfWayChangesNothing)
{
    Execute("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('43', 3, 3)");
    Execute("CREATE TRIGGER RefusOrdre BEFORE UPDATE OF Ordre ON Tailles WHEN OLD.Taille = '41' "
            "BEGIN SELECT RAISE(ABORT, 'refus'); END");
    FenTailles& fen = Ouvrir();
    ChoisirFamille(fen, 3);
    ChoisirTaille(fen, "41");
    Script().ExpectMsgBox(forms::vbOK, "SpinButton1_SpinDown");
    QTest::mouseClick(fen.SpinButton1->DownArrow(), Qt::LeftButton);
    EXPECT_EQ(Ordres(3), (Strings{"41:1", "42:2", "43:3"}));
    EXPECT_EQ(Colonne(fen, "Ordre"), (Strings{"1", "2", "3"}));
    EXPECT_EQ(fen.Text1->text(), "41");

    Execute("DROP TRIGGER RefusOrdre");
    QTest::mouseClick(fen.SpinButton1->DownArrow(), Qt::LeftButton);
    EXPECT_EQ(Ordres(3), (Strings{"42:1", "41:2", "43:3"}));
}

// Sizes that share an order are numbered in the order shown by the next move, which then moves
// the size by one place.
TEST_F(FenTaillesTest, SpinRenumbersSizesSharingAnOrder)
{
    Execute("INSERT INTO Familles (NoFamille, NomFamille) VALUES (6, 'BOTTES')");
    Execute("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('38', 1, 6), ('39', 1, 6), "
            "('40', 1, 6), ('41', 3, 6), ('42', 7, 6)");
    FenTailles& fen = Ouvrir();
    ChoisirFamille(fen, 6);
    const Strings montrees = Colonne(fen, "Taille");
    ASSERT_EQ(montrees.size(), 5u);
    ChoisirTaille(fen, montrees[1]);
    QTest::mouseClick(fen.SpinButton1->DownArrow(), Qt::LeftButton);
    EXPECT_EQ(Ordres(6), (Strings{montrees[0] + ":1", montrees[2] + ":2", montrees[1] + ":3",
                                  montrees[3] + ":4", montrees[4] + ":5"}));
    EXPECT_EQ(fen.Text1->text().toStdString(), montrees[1]);

    // Without a tie, gaps stay: only the two sizes change.
    Execute("UPDATE Tailles SET Ordre = 9 WHERE Taille = '" + montrees[4] + "' AND NoFamille = 6");
    fen.data1_MoveComplete();
    ChoisirTaille(fen, montrees[4]);
    QTest::mouseClick(fen.SpinButton1->UpArrow(), Qt::LeftButton);
    EXPECT_EQ(Ordres(6), (Strings{montrees[0] + ":1", montrees[2] + ":2", montrees[1] + ":3",
                                  montrees[4] + ":4", montrees[3] + ":9"}));
}

// A process moving sizes without end is killed at random moments: the family's orders stay
// 1 to 5, each once.
TEST_F(FenTaillesTest, KilledWhileMovingLeavesNoTie)
{
    Execute("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('43', 3, 3), ('44', 4, 3), "
            "('45', 5, 3)");
    zad.Connection().Close();
    const std::random_device::result_type graine = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(graine));
    std::mt19937 aleatoire(graine);
    std::uniform_int_distribution<int> delai(1, 40);
    for (int tour = 0; tour < 30; ++tour) {
        SCOPED_TRACE("round " + std::to_string(tour));
        int tube[2];
        ASSERT_EQ(::pipe(tube), 0);
        const pid_t enfant = ::fork();
        ASSERT_GE(enfant, 0);
        if (enfant == 0)
            DeplacerSansFin(tube[1], tour);
        ::close(tube[1]);
        char octet = 0;
        EXPECT_EQ(::read(tube[0], &octet, 1), 1);
        ::close(tube[0]);
        std::this_thread::sleep_for(std::chrono::milliseconds(delai(aleatoire)));
        ::kill(enfant, SIGKILL);
        int etat = 0;
        ASSERT_EQ(::waitpid(enfant, &etat, 0), enfant);
        ASSERT_TRUE(WIFSIGNALED(etat));

        ado::Connection cn = database::testing::Open(zad.Path(), database::ZadPassword());
        ado::Recordset rs = database::testing::OpenRecordset(
            cn, "SELECT Ordre FROM Tailles WHERE NoFamille=3 ORDER BY Ordre");
        EXPECT_EQ(database::testing::Column(rs, "Ordre"), (Strings{"1", "2", "3", "4", "5"}));
        rs.Close();
        cn.Close();
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
