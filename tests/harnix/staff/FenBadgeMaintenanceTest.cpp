#include "harnix/staff/FenBadgeMaintenance.h"

#include "tests/harnix/staff/StaffFixture.h"
#include "tests/platform/comm/Pty.h"

#include "harnix/staff/FrmUtilisateur.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"

#include <QTableView>

namespace {

using forms::testing::Click;
using forms::testing::Script;
using forms::testing::Type;

class BadgeMaintenance : public staff::testing::StaffTest
{
protected:
    FenBadgeMaintenance& Ouvrir()
    {
        FenBadgeMaintenance& fen = forms::form<FenBadgeMaintenance>();
        fen.Show();
        return fen;
    }

    // Types the number and adds it.
    void Ajouter(FenBadgeMaintenance& fen, const QString& numero)
    {
        fen.Text2->clear();
        Type(*fen.Text2, numero);
        Click(*fen.CmdAdd);
    }

    std::string Badges()
    {
        ado::Recordset rs;
        rs.Open("SELECT NoBadge FROM BadgeMaintenance ORDER BY NoBadge", zad.Connection());
        std::string badges;
        for (const std::string& b : database::testing::Column(rs, "NoBadge"))
            badges += (badges.empty() ? "" : ",") + b;
        return badges;
    }
};

TEST_F(BadgeMaintenance, TakesTheSizeOfItsDesignAndShowsTheList)
{
    Execute("INSERT INTO BadgeMaintenance (NoBadge) VALUES ('7000')");
    FenBadgeMaintenance& fen = Ouvrir();
    EXPECT_EQ(fen.Caption(), "Badges de maintenances");
    EXPECT_EQ(fen.Width(), 3495);
    EXPECT_EQ(fen.Height(), 9870);
    EXPECT_EQ(fen.DBGrid1->Columns(0).Caption(), "N° de Badge");
    EXPECT_EQ(fen.Text2->text(), "7000") << "the box shows the current row";
}

TEST_F(BadgeMaintenance, StoresTheNumberInTheFormOfTheReaderType)
{
    struct Cas
    {
        const char* type;
        QString tape;
        std::string stocke;
    } cas[] = {
        {"3", "42", "4200000000000"},
        {"3", "400638133393", "4006381333931"},
        {"1", "42", "42"},
        {"2", "0042", "0042"},
    };
    for (const Cas& c : cas) {
        Global::TypeLecteur = c.type;
        Execute("DELETE FROM BadgeMaintenance");
        FenBadgeMaintenance& fen = Ouvrir();
        Ajouter(fen, c.tape);
        EXPECT_EQ(Badges(), c.stocke) << c.type << " " << c.tape.toStdString();
        fen.Unload();
    }
    EXPECT_TRUE(forms::IsLoaded<FrmUtilisateur>()) << "the check digit came from the register";
    EXPECT_FALSE(forms::form<FrmUtilisateur>().isVisible()) << "which stays hidden";

    // The box shows the padded text while the code is tested against the employees.
    Execute("INSERT INTO Utilisateurs (NoBadge, Nom) VALUES ('4200000000000', 'BADGE')");
    Global::TypeLecteur = "3";
    Execute("DELETE FROM BadgeMaintenance");
    FenBadgeMaintenance& fen = Ouvrir();
    Script().ExpectMsgBox(forms::vbOK, "Badge déjà utilisé par un salarié!");
    Ajouter(fen, "42");
    EXPECT_EQ(fen.Text2->text(), "420000000000");
    EXPECT_EQ(Badges(), "");
}

TEST_F(BadgeMaintenance, TypingTakesDigitsOnlyAndTwelveOfThemForEan13)
{
    FenBadgeMaintenance& fen = Ouvrir();
    Type(*fen.Text2, "4a2-5 ");
    EXPECT_EQ(fen.Text2->text(), "425");
    fen.Unload();

    Global::TypeLecteur = "3";
    FenBadgeMaintenance& ean = Ouvrir();
    Type(*ean.Text2, "12345678901234");
    EXPECT_EQ(ean.Text2->text(), "123456789012");
}

TEST_F(BadgeMaintenance, RefusesANumberOfTheListSilentlyAndOneOfAnEmployeeWithAMessage)
{
    FenBadgeMaintenance& fen = Ouvrir();
    Ajouter(fen, "5000");
    Ajouter(fen, "5000");
    EXPECT_EQ(fen.Text2->text(), "") << "the box is emptied";
    EXPECT_TRUE(fen.Text2->hasFocus());
    EXPECT_TRUE(Script().Boxes().empty());

    Script().ExpectMsgBox(forms::vbOK, "Badge déjà utilisé par un salarié!");
    Ajouter(fen, "1000");
    ASSERT_EQ(Script().Boxes().size(), 1u);
    EXPECT_EQ(Script().Boxes()[0].style, 49);
    EXPECT_EQ(Script().Boxes()[0].title, "Erreur");
    EXPECT_EQ(Badges(), "5000");
}

TEST_F(BadgeMaintenance, ModifyChangesTheCurrentNumberWithoutTheTestsOfTheAdd)
{
    Execute("INSERT INTO BadgeMaintenance (NoBadge) VALUES ('7000')");
    FenBadgeMaintenance& fen = Ouvrir();
    fen.Text2->setText("1000");
    Click(*fen.CmdModif);
    EXPECT_EQ(Badges(), "1000") << "other reader types store the text as it stands";
    fen.Unload();

    Global::TypeLecteur = "3";
    FenBadgeMaintenance& ean = Ouvrir();
    ean.Text2->clear();
    Click(*ean.CmdModif);
    EXPECT_EQ(ean.Text2->text(), "000000000000");
    EXPECT_EQ(Badges(), "0000000000000");

    ean.Text2->setText("4006381333931");
    Click(*ean.CmdModif);
    EXPECT_EQ(Badges(), "0000000000000") << "a full code leaves the number";
}

TEST_F(BadgeMaintenance, AModifyThatTheDatabaseRefusesIsReportedAndUndone)
{
    Execute("INSERT INTO BadgeMaintenance (NoBadge) VALUES ('7000'), ('7001')");
    FenBadgeMaintenance& fen = Ouvrir();
    fen.data2->MoveFirst();
    fen.Text2->setText("7001");
    Script().ExpectMsgBox(forms::vbOK, "CmdModif_Click");
    Click(*fen.CmdModif);
    EXPECT_EQ(Badges(), "7000,7001");
}

TEST_F(BadgeMaintenance, DeleteAsksFirstAndTheNextBadgeTakesThePlaceOfTheDeletedOne)
{
    Execute("INSERT INTO BadgeMaintenance (NoBadge) VALUES ('7000'), ('7001')");
    FenBadgeMaintenance& fen = Ouvrir();
    Script().ExpectMsgBox(forms::vbNo, "Confirmer la suppression de: 7000 !");
    Click(*fen.CmdDelete);
    EXPECT_EQ(Badges(), "7000,7001");
    Script().ExpectMsgBox(forms::vbYes, "Confirmer la suppression de: 7000 !");
    Click(*fen.CmdDelete);
    EXPECT_EQ(Badges(), "7001");
    EXPECT_EQ(Script().Boxes()[0].style, forms::vbYesNo + forms::vbExclamation);
    EXPECT_EQ(Script().Boxes()[0].title, "Confirmation");

    EXPECT_EQ(fen.DBGrid1->View()->model()->rowCount(), 1) << "the grid no longer lists it";
    EXPECT_EQ(fen.Text2->text(), "7001");
    fen.Text2->setText("7002");
    Click(*fen.CmdModif);
    EXPECT_EQ(Badges(), "7002") << "a change goes to the badge shown";

    Script().ExpectMsgBox(forms::vbYes, "Confirmer la suppression de: 7002 !");
    Click(*fen.CmdDelete);
    EXPECT_EQ(Badges(), "");
    EXPECT_EQ(fen.DBGrid1->View()->model()->rowCount(), 0);
}

TEST_F(BadgeMaintenance, TheReadButtonAddsTheBadgeRead)
{
    comm::testing::Pty pty;
    forms::form<FrmUtilisateur>().MSComm.SetDevicePath(pty.Path());
    FenBadgeMaintenance& fen = Ouvrir();
    {
        comm::testing::FarEnd lecteur(pty, {{"\x06"},
                                            {"\x06"},
                                            {comm::testing::Bytes("00 00 01 02 03 04 05 06 07 "
                                                                  "00 00 30 39 00 00 00 00")}});
        Click(*fen.Command1);
    }
    EXPECT_EQ(fen.Text2->text(), "12345");
    EXPECT_EQ(Badges(), "12345");

    comm::testing::FarEnd muet(pty, {});
    fen.Text2->clear();
    Click(*fen.Command1);
    EXPECT_EQ(fen.Text2->text(), "") << "no answer: nothing happens";
    EXPECT_EQ(Badges(), "12345");
}

TEST_F(BadgeMaintenance, AReaderThatCannotBeOpenedIsReported)
{
    forms::form<FrmUtilisateur>().MSComm.SetDevicePath(zad.Folder().Path().string() + "/absent");
    FenBadgeMaintenance& fen = Ouvrir();
    Script().ExpectMsgBox(forms::vbOK, "LireBadge");
    Click(*fen.Command1);
    EXPECT_EQ(Badges(), "");
}

} // namespace
