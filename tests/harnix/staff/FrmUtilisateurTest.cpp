#include "harnix/staff/FrmUtilisateur.h"

#include "tests/harnix/staff/StaffFixture.h"
#include "tests/platform/comm/Pty.h"

#include "harnix/magasin/CodeBadge.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"

#include <QApplication>

namespace {

using forms::testing::Click;
using forms::testing::Script;
using forms::testing::Type;

class Registre : public staff::testing::StaffTest
{
protected:
    FrmUtilisateur& Ouvrir()
    {
        FrmUtilisateur& f = forms::form<FrmUtilisateur>();
        f.Show();
        f.Form_Activate();
        return f;
    }

    // Makes the employee of that badge the current one, as a click in the grid would.
    void Aller(FrmUtilisateur& f, const std::string& badge)
    {
        ado::Recordset rs = f.data1->Recordset();
        rs.Find("NoBadge = '" + badge + "'", 0, ado::adSearchForward, ado::adBookmarkFirst);
        ASSERT_FALSE(rs.Eof()) << badge;
    }

    std::string Courant(FrmUtilisateur& f, const char* champ)
    {
        return database::testing::Text(f.data1->Recordset()[champ].Value());
    }

    std::string Champ(const std::string& badge, const std::string& champ)
    {
        return Stored("SELECT " + champ + " FROM Utilisateurs WHERE NoBadge = '" + badge + "'");
    }

    static QStringList Entrees(const forms::ComboBox& c)
    {
        QStringList entrees;
        for (int i = 0; i < c.ListCount(); ++i)
            entrees << c.List(i);
        return entrees;
    }
};

TEST_F(Registre, FillsItsListsAndShowsTheCurrentEmployee)
{
    FrmUtilisateur& f = Ouvrir();
    EXPECT_EQ(f.Caption(), "Gestion des salariés");
    EXPECT_EQ(Entrees(*f.Combo1), QStringList({"LYON", "NANTES"}));
    EXPECT_EQ(Entrees(*f.Combo3), QStringList({"PRODUCTION", "BUREAU"}));
    EXPECT_EQ(Entrees(*f.Combo4), QStringList({"8", "9"}));
    EXPECT_EQ(Entrees(*f.Combo5), QStringList({"41", "42"})) << "sizes in their display order";
    EXPECT_EQ(f.DBGrid1->Columns(0).Caption(), "No Matricule ");
    EXPECT_EQ(f.DBGrid1->Columns(9).Caption(), "Accès Machine");

    // MARTIN: site LYON, service ATELIER, profile PRODUCTION, shoe 42, glove 8.
    EXPECT_EQ(f.Text2(0).text(), "1000");
    EXPECT_EQ(f.Text2(1).text(), "MARTIN");
    EXPECT_EQ(f.Text2(2).text(), "Jean");
    EXPECT_EQ(Entrees(*f.Combo2), QStringList({"MAINTENANCE", "ATELIER"}));
    const std::pair<forms::ComboBox*, int> choix[] = {
        {f.Combo1, 0}, {f.Combo2, 1}, {f.Combo3, 0}, {f.Combo4, 0}, {f.Combo5, 1}};
    for (const auto& [combo, index] : choix)
        EXPECT_EQ(combo->ListIndex(), index) << combo->objectName().toStdString();
}

TEST_F(Registre, AnEmployeeWithoutSiteOrProfileIsListedWithNothingChosen)
{
    FrmUtilisateur& f = Ouvrir();
    EXPECT_EQ(f.data1->Recordset().RecordCount(), 3);
    Aller(f, "1002");
    EXPECT_EQ(f.Text2(1).text(), "DUPONT");
    EXPECT_EQ(f.Combo2->ListCount(), 0) << "no site, no services";
    for (forms::ComboBox* combo : {f.Combo1, f.Combo2, f.Combo3, f.Combo4, f.Combo5}) {
        EXPECT_EQ(combo->ListIndex(), -1) << combo->objectName().toStdString();
        EXPECT_EQ(combo->Text(), "") << combo->objectName().toStdString();
    }
    EXPECT_EQ(f.Text2(3).text(), "") << "boxes of the previous employee are emptied";
}

TEST_F(Registre, ListsChangedInOtherWindowsAreOfferedAtTheNextActivation)
{
    FrmUtilisateur& f = Ouvrir();
    // Made meanwhile in the profiles, sites and sizes windows.
    Execute("INSERT INTO ProfileQuota (Profile) VALUES ('SOUDURE')");
    Execute("UPDATE Sites SET NomSite = 'LYON SUD' WHERE NoSite = 1");
    Execute("INSERT INTO Services (NomService, Site) VALUES ('SOUDAGE', 1)");
    Execute("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('43', 3, 3)");
    f.Form_Activate();
    EXPECT_EQ(Entrees(*f.Combo3), QStringList({"PRODUCTION", "BUREAU", "SOUDURE"}));
    EXPECT_EQ(Entrees(*f.Combo1), QStringList({"LYON SUD", "NANTES"}));
    EXPECT_EQ(Entrees(*f.Combo5), QStringList({"41", "42", "43"}));
    EXPECT_TRUE(Entrees(*f.Combo2).contains("SOUDAGE"));
    // The current employee is shown in the new lists as before.
    EXPECT_EQ(f.Text2(0).text(), "1000");
    EXPECT_EQ(f.Combo1->Text(), "LYON SUD");
    EXPECT_EQ(f.Combo3->ListIndex(), 0);
    EXPECT_EQ(f.Combo5->ListIndex(), 1);

    // The new profile can be given.
    f.Combo3->SetListIndex(2);
    Click(*f.CmdModif);
    EXPECT_EQ(Champ("1000", "Quota"),
              Stored("SELECT NoQuota FROM ProfileQuota WHERE Profile = 'SOUDURE'"));
}

// The opening sorts the rows its load read without reading them again; a later activation
// reads the employees again.
TEST_F(Registre, OpensOnTheLowestBadgeAndReadsEmployeesAgainAtTheNextActivation)
{
    Execute("INSERT INTO Utilisateurs (NoBadge, Nom) VALUES ('0999', 'AVANT')");
    FrmUtilisateur& f = Ouvrir();
    EXPECT_EQ(Courant(f, "NoBadge"), "0999") << "stored last, first in badge order";
    EXPECT_EQ(f.Text2(0).text(), "0999");
    const long nombre = f.data1->Recordset().RecordCount();

    Execute("INSERT INTO Utilisateurs (NoBadge, Nom) VALUES ('0998', 'AJOUTE')");
    f.Form_Activate();
    EXPECT_EQ(f.data1->Recordset().RecordCount(), nombre + 1);
    EXPECT_EQ(Courant(f, "NoBadge"), "0998");
    EXPECT_EQ(f.Text2(1).text(), "AJOUTE");
}

TEST_F(Registre, ChoosingASiteListsItsServices)
{
    FrmUtilisateur& f = Ouvrir();
    f.Combo1->SetListIndex(1);
    EXPECT_EQ(Entrees(*f.Combo2), QStringList({"ATELIER"}));
}

TEST_F(Registre, CounterNumberingGivesTheGreatestNumberPlusOne)
{
    struct Cas
    {
        std::vector<std::string> badges;
        std::string suivant;
    } cas[] = {
        {{}, "1000"},
        {{"1000", "1001", "1002"}, "1003"},
        // 999 sorts after 1000 as a text, but 1009 is the greatest number.
        {{"999", "1000", "1001", "1002", "1003", "1004", "1005", "1006", "1007", "1008", "1009"},
         "1010"},
        {{"1000", "ABC", "1002"}, "1003"},
    };
    for (const Cas& c : cas) {
        Execute("DELETE FROM Utilisateurs");
        for (const std::string& b : c.badges)
            Execute("INSERT INTO Utilisateurs (NoBadge, Nom) VALUES ('" + b + "', 'X" + b + "')");
        FrmUtilisateur& f = Ouvrir();
        Click(*f.CmdAdd);
        std::string copie = c.suivant;
        EXPECT_EQ(Champ(c.suivant, "NoUtilisateur"), CodeBadge::EAN13(copie)) << c.suivant;
        EXPECT_EQ(Champ(c.suivant, "TailleChaussure"), "Null");
        EXPECT_EQ(Courant(f, "NoBadge"), c.suivant) << "the new employee is the current one";
        EXPECT_EQ(f.Text2(0).text().toStdString(), c.suivant);
        EXPECT_EQ(f.Text2(1).text(), "");
        EXPECT_EQ(f.CmdModif->text(), "Enregistrer");
        EXPECT_EQ(f.CmdModif->palette().color(QPalette::Button), QColor(255, 0, 0));
        EXPECT_EQ(QApplication::focusWidget(), &f.Text2(1));
        f.Unload();
    }
    Global::PremierNumeroBadge = "5000";
    Execute("DELETE FROM Utilisateurs");
    Click(*Ouvrir().CmdAdd);
    EXPECT_EQ(Champ("5000", "NoBadge"), "5000");
}

TEST_F(Registre, SavingPutsTheModifyButtonBack)
{
    FrmUtilisateur& f = Ouvrir();
    const QColor normale = f.CmdModif->palette().color(QPalette::Button);
    Click(*f.CmdAdd);
    Type(f.Text2(1), "LEGRAND");
    Click(*f.CmdModif);
    EXPECT_EQ(Champ("1003", "Nom"), "LEGRAND");
    EXPECT_EQ(f.CmdModif->text(), "Modifier");
    EXPECT_EQ(f.CmdModif->palette().color(QPalette::Button), normale);
}

TEST_F(Registre, ANumberOfTheMaintenanceBadgesIsRefused)
{
    Execute("INSERT INTO BadgeMaintenance (NoBadge) VALUES ('1003')");
    FrmUtilisateur& f = Ouvrir();
    Script().ExpectMsgBox(forms::vbOK, "Badge déjà utilisé pour la maintenance!");
    Click(*f.CmdAdd);
    ASSERT_EQ(Script().Boxes().size(), 1u);
    EXPECT_EQ(Script().Boxes()[0].style, 49);
    EXPECT_EQ(Script().Boxes()[0].title, "Erreur");
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM Utilisateurs"), "3");
}

TEST_F(Registre, Ean13BadgesStartAsAPlaceholderThatTheModifyTurnsIntoACode)
{
    Global::TypeLecteur = "3";
    FrmUtilisateur& f = Ouvrir();
    Click(*f.CmdAdd);
    EXPECT_EQ(Champ("0000000000000", "NoUtilisateur"), "");
    EXPECT_EQ(Courant(f, "NoBadge"), "0000000000000");
    EXPECT_EQ(f.DBGrid1->Row(), 0) << "the grid marks the new employee, first in badge order";

    Script().ExpectMsgBox(forms::vbOK, "Badge déjà utilisé !");
    Click(*f.CmdAdd);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM Utilisateurs"), "4");

    Aller(f, "0000000000000");
    f.Text2(0).clear();
    Type(f.Text2(0), "123");
    f.Text2(1).setText("NOUVEAU");
    Click(*f.CmdModif);
    EXPECT_EQ(f.Text2(0).text(), "1230000000000") << "the saved row shows again";
    EXPECT_EQ(Champ("1230000000000", "NoUtilisateur"), "1CDKAKK*aaaaaa+");
    EXPECT_EQ(Champ("1230000000000", "Nom"), "NOUVEAU");
    EXPECT_EQ(Champ("0000000000000", "Nom"), "(no row)");
}

TEST_F(Registre, Ean13BoxTakesTwelveTypedCharactersAndAFullCodeIsKept)
{
    Global::TypeLecteur = "3";
    Execute("INSERT INTO Utilisateurs (NoBadge, NoUtilisateur, Nom) "
            "VALUES ('4006381333931', '4AKGDSL*dddjdb+', 'CODE')");
    FrmUtilisateur& f = Ouvrir();
    Aller(f, "4006381333931");
    EXPECT_EQ(f.Text2(0).text(), "4006381333931") << "the program may show more than is typed";
    f.Text2(1).setText("CODE2");
    Click(*f.CmdModif);
    EXPECT_EQ(Champ("4006381333931", "Nom"), "CODE2");
    EXPECT_EQ(Champ("4006381333931", "NoUtilisateur"), "4AKGDSL*dddjdb+");

    f.Text2(0).clear();
    Type(f.Text2(0), "12345678901234");
    EXPECT_EQ(f.Text2(0).text(), "123456789012");
}

TEST_F(Registre, OtherReaderTypesChangeTheBadgeNumberOnly)
{
    Execute("UPDATE Utilisateurs SET NoUtilisateur = '1AAKAKK*aaaaaj+' WHERE NoBadge = '1000'");
    FrmUtilisateur& f = Ouvrir();
    f.Text2(0).setText("2000");
    f.Text2(2).clear();
    Click(*f.CmdModif);
    EXPECT_EQ(Champ("2000", "NoUtilisateur"), "1AAKAKK*aaaaaj+");
    EXPECT_EQ(Champ("2000", "Prenom"), "Jean") << "an emptied box keeps the stored value";
}

TEST_F(Registre, ListsWithoutAChoiceKeepTheirColumnExceptTheService)
{
    FrmUtilisateur& f = Ouvrir();
    f.Combo5->SetListIndex(-1);
    f.Combo2->SetListIndex(-1);
    f.Combo3->SetListIndex(1);
    f.Combo4->SetListIndex(1);
    Click(*f.CmdModif);
    EXPECT_EQ(Champ("1000", "TailleChaussure"), "3");
    EXPECT_EQ(Champ("1000", "Service"), "Null");
    EXPECT_EQ(Champ("1000", "Quota"), "2");
    EXPECT_EQ(Champ("1000", "TailleMain"), "2");

    f.Combo1->SetListIndex(1);
    f.Combo2->SetListIndex(0);
    Click(*f.CmdModif);
    EXPECT_EQ(Champ("1000", "Site"), "2");
    EXPECT_EQ(Champ("1000", "Service"), "3");
    EXPECT_EQ(f.Combo2->Text(), "ATELIER") << "the saved row shows again";
}

TEST_F(Registre, ATypedListTextChoosesItsEntryAndAnEmptiedListNone)
{
    FrmUtilisateur& f = Ouvrir();
    QLineEdit& service = *f.Combo2->lineEdit();
    service.end(false);
    Type(service, QString(7, '\b'));
    EXPECT_EQ(f.Combo2->ListIndex(), -1);
    Type(service, "MAINTENANCE");
    EXPECT_EQ(f.Combo2->ListIndex(), 0);
    Type(service, "\b");
    EXPECT_EQ(f.Combo2->ListIndex(), -1);
    EXPECT_EQ(f.Combo2->Text(), "MAINTENANC");
    Click(*f.CmdModif);
    EXPECT_EQ(Champ("1000", "Service"), "Null");
}

TEST_F(Registre, AFailingSaveIsReported)
{
    Execute("INSERT INTO Sites (NomSite) VALUES ('PARIS')");
    FrmUtilisateur& f = Ouvrir();
    Execute("DELETE FROM Sites WHERE NomSite = 'PARIS'");
    f.Combo1->SetListIndex(2);
    Script().ExpectMsgBox(forms::vbOK, "CmdModif_Click");
    Click(*f.CmdModif);
    EXPECT_EQ(Champ("1000", "Site"), "1");
}

TEST_F(Registre, DeleteAsksWithTheNameAndDeletesThroughTheTable)
{
    FrmUtilisateur& f = Ouvrir();
    Script().ExpectMsgBox(forms::vbNo, "Confirmer la suppression de: MARTIN Jean !");
    Click(*f.CmdDelete);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM Utilisateurs"), "3");
    Script().ExpectMsgBox(forms::vbYes, "Confirmer la suppression de: MARTIN Jean !");
    Click(*f.CmdDelete);
    EXPECT_EQ(Champ("1000", "Nom"), "(no row)");
    EXPECT_EQ(f.data1->Recordset().RecordCount(), 2);
    EXPECT_EQ(Script().Boxes()[0].title, "Confirmation");
    EXPECT_EQ(Script().Boxes()[0].style, forms::vbYesNo + forms::vbExclamation);
}

TEST_F(Registre, NameSearchFindsAPrefixFromTheTopAndBadgeSearchLooksOnwards)
{
    Execute("UPDATE Utilisateurs SET MatriculeSalarie = 'M7' WHERE NoBadge = '1002'");
    FrmUtilisateur& f = Ouvrir();
    Click(*f.SSOptionNom);
    EXPECT_EQ(f.data1->Recordset().Sort(), "Nom");
    Aller(f, "1000");
    Type(*f.TextCherche, "du");
    EXPECT_EQ(f.Text2(1).text(), "DUPONT");
    Type(*f.TextCherche, "r");
    EXPECT_EQ(f.Text2(1).text(), "DURAND");
    Type(*f.TextCherche, "'x");
    EXPECT_EQ(f.TextCherche->text(), "dur'x") << "a quote is searched for";
    EXPECT_EQ(f.Text2(1).text(), "DURAND") << "not found: the row stays";

    Click(*f.SSOptionBadge);
    EXPECT_EQ(f.TextCherche->text(), "") << "a new order empties the search";
    Aller(f, "1001");
    Type(*f.TextCherche, "1000");
    EXPECT_EQ(f.Text2(0).text(), "1001") << "a badge before the current row is not found";
    f.TextCherche->clear();
    Type(*f.TextCherche, "1002");
    EXPECT_EQ(f.Text2(0).text(), "1002");

    Click(*f.SSOptionMatricule);
    Aller(f, "1000");
    Type(*f.TextCherche, "M7");
    EXPECT_EQ(f.Text2(0).text(), "1002");
    EXPECT_TRUE(Script().Boxes().empty());
}

TEST_F(Registre, ANameWithAQuoteIsSavedAndFound)
{
    FrmUtilisateur& f = Ouvrir();
    Aller(f, "1002");
    f.Text2(1).clear();
    Type(f.Text2(1), "D'ARC");
    Click(*f.CmdModif);
    EXPECT_EQ(Champ("1002", "Nom"), "D'ARC");

    Click(*f.SSOptionNom);
    Aller(f, "1000");
    Type(*f.TextCherche, "d'a");
    EXPECT_EQ(f.Text2(0).text(), "1002");
    Script().ExpectMsgBox(forms::vbNo, "Confirmer la suppression de: D'ARC Ana !");
    Click(*f.CmdDelete);
}

TEST_F(Registre, HeaderClicksChooseTheSearchKeyAndActivationGoesBackToBadges)
{
    FrmUtilisateur& f = Ouvrir();
    f.DBGrid1_HeadClick(2);
    EXPECT_TRUE(f.SSOptionNom->Value());
    EXPECT_EQ(f.data1->Recordset().Sort(), "Nom");
    f.DBGrid1_HeadClick(0);
    EXPECT_TRUE(f.SSOptionMatricule->Value());
    EXPECT_EQ(f.data1->Recordset().Sort(), "MatriculeSalarie");
    f.DBGrid1_HeadClick(5);
    EXPECT_TRUE(f.SSOptionMatricule->Value()) << "other columns choose nothing";

    f.TextCherche->setText("M");
    f.Form_Activate();
    EXPECT_TRUE(f.SSOptionBadge->Value());
    EXPECT_EQ(f.data1->Recordset().Sort(), "NoBadge");
    EXPECT_EQ(f.TextCherche->text(), "");

    f.TextCherche->setText("12");
    Click(*f.TextCherche);
    EXPECT_EQ(f.TextCherche->text(), "") << "a click empties the search box";
}

TEST_F(Registre, EnterInABoxMovesToTheNextOne)
{
    FrmUtilisateur& f = Ouvrir();
    Type(f.Text2(1), "\r");
    EXPECT_EQ(QApplication::focusWidget(), &f.Text2(2));
}

TEST_F(Registre, ListsStopAtTwoHundredAndOneEntries)
{
    for (int i = 0; i < 200; ++i)
        Execute("INSERT INTO Sites (NomSite) VALUES ('S" + std::to_string(i) + "')");
    // Loaded, as the load fills the lists (each activation then reads them again).
    Script().ExpectMsgBox(forms::vbOK, "RemplirColSite 9 ");
    FrmUtilisateur& f = forms::form<FrmUtilisateur>();
    EXPECT_EQ(f.Combo1->ListCount(), 201);
    EXPECT_EQ(f.Combo3->ListCount(), 0) << "the later lists stay unfilled";
}

TEST_F(Registre, SerialNumberingTakesTheBadgeRead)
{
    Global::TypeLecteur = "2";
    comm::testing::Pty pty;
    FrmUtilisateur& f = Ouvrir();
    f.MSComm.SetDevicePath(pty.Path());
    {
        comm::testing::FarEnd lecteur(pty, {{"\x06"},
                                            {"\x06"},
                                            {comm::testing::Bytes("00 00 01 02 03 04 05 06 07 "
                                                                  "00 00 30 39 00 00 00 00")}});
        Click(*f.CmdAdd);
    }
    EXPECT_EQ(Champ("12345", "NoUtilisateur"), "1CDOFKK*aaaaad+");

    comm::testing::FarEnd muet(pty, {});
    Click(*f.CmdAdd);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM Utilisateurs"), "4") << "no answer adds nothing";
}

TEST_F(Registre, AFailingReaderIsReportedAsSuch)
{
    Global::TypeLecteur = "2";
    FrmUtilisateur& f = Ouvrir();
    f.MSComm.SetDevicePath(zad.Folder().Path().string() + "/absent");
    Script().ExpectMsgBox(forms::vbOK, "LireBadge");
    Click(*f.CmdAdd);
    ASSERT_EQ(Script().Boxes().size(), 1u);
    EXPECT_EQ(Script().Boxes()[0].text.indexOf("Badge déjà utilisé"), -1);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM Utilisateurs"), "3");
}

// The ticks shown: "01" for boxes 0 and 1 ticked, "-" for a hidden box.
std::string Cases(FrmUtilisateur& f)
{
    std::string etat;
    for (int k = 0; k < 14; ++k)
        etat += f.CheckBox1(k).isHidden() ? '-' : char('0' + f.CheckBox1(k).Value());
    return etat;
}

TEST_F(Registre, MachinesPanelReadsAndStoresTheAuthorisedPositions)
{
    FrmUtilisateur& f = Ouvrir();
    EXPECT_TRUE(f.DBGrid1->Columns(9).Button());
    EXPECT_EQ(f.DBGrid1->Columns(9).Caption(), "Accès Machine");
    f.DBGrid1_ButtonClick(3);
    EXPECT_TRUE(f.SSPanel2->isHidden()) << "only the machines column opens it";

    Aller(f, "1000"); // MARTIN: machine 1
    f.DBGrid1_ButtonClick(9);
    EXPECT_TRUE(f.SSPanel2->isVisible());
    EXPECT_EQ(f.CheckBox1(0).text(), "Machine N° 1: Atelier");
    EXPECT_EQ(f.CheckBox1(1).text(), "Machine N° 2: Magasin");
    EXPECT_EQ(Cases(f), "10------------");
    Click(*f.CmdMachAutoriseSelec);
    EXPECT_EQ(Cases(f), "11------------");
    Click(*f.CmdMachAuriseOK);
    EXPECT_TRUE(f.SSPanel2->isHidden());
    EXPECT_EQ(Courant(f, "MachineAutorise"), "1,2");
    f.data1->Recordset().Update();
    EXPECT_EQ(Champ("1000", "MachineAutorise"), "1,2");

    // A number without a box opens unticked and is dropped; none ticked stores the empty text.
    struct Cas
    {
        const char* stocke;
        const char* cases;
        const char* apres;
    } cas[] = {{"'20,2'", "01------------", "2"}, {"NULL", "00------------", ""}};
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.stocke);
        Execute(std::string("UPDATE Utilisateurs SET MachineAutorise = ") + c.stocke +
                " WHERE NoBadge = '1001'");
        f.data1->Refresh();
        Aller(f, "1001");
        f.DBGrid1_ButtonClick(9);
        EXPECT_EQ(Cases(f), c.cases);
        Click(*f.CmdMachAuriseOK);
        EXPECT_EQ(Courant(f, "MachineAutorise"), c.apres);
        f.data1->Recordset().CancelUpdate();
    }

    // A click in the grid closes the panel without storing.
    f.DBGrid1_ButtonClick(9);
    emit f.DBGrid1->Click();
    EXPECT_TRUE(f.SSPanel2->isHidden());
}

TEST_F(Registre, AListThatCannotBeReadIsReportedAndTheMachinesAreCapped)
{
    FrmUtilisateur& f = Ouvrir();
    for (const char* liste : {"1,x", "101", "1,,2"}) {
        SCOPED_TRACE(liste);
        Execute(std::string("UPDATE Utilisateurs SET MachineAutorise = '") + liste +
                "' WHERE NoBadge = '1000'");
        f.data1->Refresh();
        Aller(f, "1000");
        Script().ExpectMsgBox(forms::vbOK, " DBGrid1_ButtonClick");
        f.DBGrid1_ButtonClick(9);
        EXPECT_TRUE(f.SSPanel2->isHidden());
        EXPECT_EQ(Champ("1000", "MachineAutorise"), liste);
    }

    for (int n = 3; n <= 15; ++n)
        Execute("INSERT INTO Machines (NoMachine, Location) VALUES (" + std::to_string(n) + ", 'M" +
                std::to_string(n) + "')");
    Execute("UPDATE Utilisateurs SET MachineAutorise = '14,15' WHERE NoBadge = '1000'");
    f.data1->Refresh();
    Aller(f, "1000");
    Script().ExpectMsgBox(forms::vbOK, "14 premières machines");
    f.DBGrid1_ButtonClick(9);
    EXPECT_EQ(Cases(f), "00000000000001");
}

TEST_F(Registre, ProfileDetailWarnsWhenNoShoeOrGloveFitsTheEmployee)
{
    FrmUtilisateur& f = Ouvrir();
    Aller(f, "1000"); // PRODUCTION: gloves size 8 (order 1), shoes 42, a missing article
    EXPECT_EQ(f.DBGrid2->Caption(), "Détail profil PRODUCTION");
    EXPECT_EQ(f.data2->Recordset().RecordCount(), 3);
    EXPECT_TRUE(f.Label3->isHidden());
    EXPECT_EQ(f.Label3->text(), "PAS DE TAILLE CORRESPONDANTE");

    // Shoe sizes 3 (42) and 4 (41); glove sizes 1 (order 1) and 2 (order 2).
    struct Cas
    {
        const char* chaussure;
        const char* main;
        bool avertit;
    } cas[] = {{"3", "1", false},
               {"4", "1", true},
               {"3", "2", true},
               {"NULL", "1", true},
               {"3", "NULL", true}};
    for (const Cas& c : cas) {
        SCOPED_TRACE(std::string(c.chaussure) + " " + c.main);
        Execute(std::string("UPDATE Utilisateurs SET TailleChaussure = ") + c.chaussure +
                ", TailleMain = " + c.main + " WHERE NoBadge = '1000'");
        f.data1->Refresh();
        Aller(f, "1000");
        EXPECT_EQ(f.Label3->isVisible(), c.avertit);
    }

    // A glove of a larger size fits; a profile without shoes or gloves never warns.
    Execute("UPDATE Utilisateurs SET TailleChaussure = 3, TailleMain = 1 WHERE NoBadge = '1000'");
    Execute("UPDATE ArticleEnStock SET Taille = 2 WHERE Reference = 1000");
    f.data1->Refresh();
    Aller(f, "1000");
    EXPECT_FALSE(f.Label3->isVisible());
    Aller(f, "1002"); // no profile: the lines without one, none
    EXPECT_EQ(f.data2->Recordset().RecordCount(), 0);
    EXPECT_EQ(f.DBGrid2->Caption(), "Détail profil ");
    EXPECT_FALSE(f.Label3->isVisible());
}

} // namespace
