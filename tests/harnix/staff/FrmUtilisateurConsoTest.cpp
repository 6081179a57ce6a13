// The register's consumption report of one employee and its badge button, on a real zad.MDB:
// the report and the labels rendered to PDF and read back with pdftotext and zbarimg, the
// re-badging through a pseudo-terminal reader.

#include "harnix/staff/FrmUtilisateur.h"

#include "tests/harnix/reports/Visionneuse.h"
#include "tests/harnix/staff/StaffFixture.h"
#include "tests/platform/comm/Pty.h"
#include "tests/platform/report/PdfTools.h"

#include "harnix/commun/Calendrier.h"
#include "harnix/magasin/CodeBadge.h"
#include "harnix/reports/FenCompteRendu.h"
#include "harnix/reports/FenVeltrixRep.h"
#include "harnix/shell/Fenetres.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/ProgramFolder.h"
#include "platform/report/Report.h"
#include "platform/vb/DateTime.h"
#include "platform/win/Clock.h"

namespace {

using forms::testing::Click;
using forms::testing::Script;

class Consommation : public staff::testing::StaffTest
{
protected:
    void SetUp() override
    {
        StaffTest::SetUp();
        Fenetres::Enregistrer();
        Global::CheminRapports = HARNIX_RAPPORTS;
        horloge.SetLocal(2024, 6, 15, 12);
    }

    FrmUtilisateur& Ouvrir(const std::string& badge)
    {
        FrmUtilisateur& f = forms::form<FrmUtilisateur>();
        f.Show();
        f.Form_Activate();
        ado::Recordset rs = f.data1->Recordset();
        rs.Find("NoBadge = '" + badge + "'", 0, ado::adSearchForward, ado::adBookmarkFirst);
        EXPECT_FALSE(rs.Eof()) << badge;
        return f;
    }

    // Clicks the button; the viewer shown modally is written to a PDF and closed. The PDF's
    // path, or empty when no viewer was shown.
    QString Imprimer(QPushButton& bouton)
    {
        const QString pdf = QString::fromStdString(zad.Folder().Path().string()) + "/vu.pdf";
        return reports::testing::ImprimerVue([&] { Click(bouton); }, pdf) ? pdf : QString();
    }

    void Mouvement(const std::string& quand, const std::string& badge, int lignes)
    {
        Execute("INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, TypeMouvement, Total) "
                "VALUES ('" +
                quand + "', '" + badge + "', 'MARTIN', 'Jean', 2, 7.5)");
        for (int i = 0; i < lignes; ++i)
            Execute("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, "
                    "PrixAchatUnit, NomFamille) VALUES ((SELECT MAX(NumVente) FROM Ventes), "
                    "1000, 'GANTS T8', 5, 1.5, 'gants')");
    }

    forms::testing::FrozenClock horloge;
};

TEST_F(Consommation, ThePeriodsDaysWholeAndIdenticalLinesApart)
{
    // Besides the fixture's two movements of March (three lines): the first and last instants
    // of the month, one of them with two identical lines, and one movement just outside.
    Mouvement("2024-03-01 00:00:00", "1000", 2);
    Mouvement("2024-03-31 23:59:59", "1000", 1);
    Mouvement("2024-04-01 00:00:00", "1000", 1);
    FrmUtilisateur& f = Ouvrir("1000");
    // The period button asks for the period, then reports.
    forms::testing::OnNextModal([&](forms::Form& calendrier) {
        Global::PeriodeDebut = vb::DateSerial(2024, 3, 1);
        Global::PeriodeFin = vb::DateSerial(2024, 3, 31);
        dynamic_cast<Calendrier&>(calendrier).Text2->setText("choisie");
        calendrier.Unload();
        forms::testing::OnNextModal([&](forms::Form& viewer) { viewer.Unload(); });
    });
    Click(*f.CmdPeriode);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM CA"), "6");
    Execute("DELETE FROM CA");
    // A later report reuses the period.
    const QString pdf = Imprimer(*f.CmdConso);
    ASSERT_FALSE(pdf.isEmpty());
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM CA"), "6");
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM CA WHERE Utilisateur <> '1000'"), "0");
    EXPECT_EQ(Stored("SELECT Taille FROM CA WHERE Reference = 1000 LIMIT 1"), "8");
    EXPECT_EQ(Stored("SELECT NomFamille FROM CA WHERE Reference = 1000 LIMIT 1"), "GANTS");
    EXPECT_EQ(Stored("SELECT NomMois FROM CA LIMIT 1"), "mars");
    const QString texte = report::testing::PdfText(pdf).simplified();
    EXPECT_TRUE(texte.contains("Consommations MARTIN Jean")) << texte.toStdString();
    EXPECT_TRUE(texte.contains("Période du 01/03/2024 au 31/03/2024"));
    EXPECT_TRUE(texte.contains("CHAUSSURES P42"));
    EXPECT_TRUE(Script().Boxes().empty());
}

TEST_F(Consommation, AnEmployeeWithoutANameIsReportedAll)
{
    // The register leaves a name Null when its box stays empty; the title goes on without it.
    const struct
    {
        const char* nom;
        const char* prenom;
        const char* titre;
    } cas[] = {
        {"'MARTIN'", "NULL", "Consommations MARTIN "},
        {"NULL", "'Jean'", "Consommations  Jean"},
        {"NULL", "NULL", "Consommations  "},
    };
    Mouvement("2024-03-05 10:00:00", "1000", 1);
    for (const auto& c : cas) {
        SCOPED_TRACE(c.titre);
        Execute(std::string("UPDATE Utilisateurs SET Nom = ") + c.nom + ", Prenom = " + c.prenom +
                " WHERE NoBadge = '1000'");
        FrmUtilisateur& f = Ouvrir("1000");
        f.DebutPeriode = "01/03/2024";
        f.FinPeriode = "31/03/2024";
        QString titre;
        forms::testing::OnNextModal([&](forms::Form& viewer) {
            titre = viewer.Caption();
            viewer.Unload();
        });
        Click(*f.CmdConso);
        forms::testing::DropModalActions();
        EXPECT_EQ(titre.toStdString(), c.titre);
        EXPECT_TRUE(Script().Boxes().empty());
    }
}

TEST_F(Consommation, DefaultPeriodAndAnEmployeeWithoutMovements)
{
    Execute("INSERT INTO CA (Nom) VALUES ('ANCIEN')");
    FrmUtilisateur& f = Ouvrir("1002");
    Script().ExpectMsgBox(forms::vbOK, "Il n'y a pas eu d'opérations sur cette période");
    EXPECT_TRUE(Imprimer(*f.CmdConso).isEmpty());
    EXPECT_EQ(Script().Boxes().back().style, forms::vbExclamation);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM CA"), "0");
    const FenCompteRendu& compteRendu = forms::form<FenCompteRendu>();
    EXPECT_EQ(compteRendu.TextDebut->text(), "01/01/2024");
    EXPECT_EQ(compteRendu.TextFin->text(), "15/06/2024");
    EXPECT_TRUE(compteRendu.isHidden());
    // The period stays for the next report.
    EXPECT_EQ(f.DebutPeriode, "01/01/2024");
}

TEST_F(Consommation, AReportThatCannotBePreparedShowsNoViewer)
{
    Global::CheminRapports = zad.Folder().Path().string() + "/absent/";
    FrmUtilisateur& f = Ouvrir("1000");
    f.DebutPeriode = "01/03/2024";
    f.FinPeriode = "31/03/2024";
    Script().ExpectMsgBox(forms::vbOK);
    EXPECT_TRUE(Imprimer(*f.CmdConso).isEmpty());
    EXPECT_EQ(Script().Boxes().size(), 1u);
    EXPECT_FALSE(forms::IsLoaded<FenVeltrixRep>());
}

TEST_F(Consommation, BadgeLabelsWithTheirBarCodes)
{
    Global::TypeLecteur = "3";
    std::string code = "4006381333";
    Execute("UPDATE Utilisateurs SET NoUtilisateur = '" + CodeBadge::EAN13(code) +
            "' WHERE NoBadge = '1000'");
    FrmUtilisateur& f = Ouvrir("1000");
    const QString pdf = Imprimer(*f.Command1);
    ASSERT_FALSE(pdf.isEmpty());
    EXPECT_TRUE(report::testing::PdfText(pdf).contains("MARTIN Jean"));
    EXPECT_TRUE(report::testing::Barcodes(pdf, QString::fromStdString(zad.Folder().Path().string()))
                    .contains(QString::fromStdString(code)))
        << code;

    // Any other reader type: the button does nothing.
    Global::TypeLecteur = "1";
    EXPECT_TRUE(Imprimer(*f.Command1).isEmpty());
    EXPECT_TRUE(Script().Boxes().empty());
}

TEST_F(Consommation, ReBadgingFromTheReader)
{
    Global::TypeLecteur = "2";
    comm::testing::Pty pty;
    FrmUtilisateur& f = Ouvrir("1000");
    // A reader that cannot be opened is an error of its own.
    f.MSComm.SetDevicePath(zad.Folder().Path().string() + "/absent");
    Script().ExpectMsgBox(forms::vbOK, "Command1_Click");
    Click(*f.Command1);
    EXPECT_EQ(Script().Boxes().back().text.indexOf("Badge déjà utilisé"), -1);

    f.MSComm.SetDevicePath(pty.Path());
    const std::string avant = Stored("SELECT NoUtilisateur FROM Utilisateurs WHERE Nom = 'MARTIN'");
    auto lire = [&](const char* numero) {
        comm::testing::FarEnd lecteur(
            pty, {{"\x06"},
                  {"\x06"},
                  {comm::testing::Bytes(std::string("00 00 01 02 03 04 05 06 07 00 00 ") + numero +
                                        " 00 00 00 00")}});
        Click(*f.Command1);
    };
    lire("30 39"); // 12345
    EXPECT_EQ(Stored("SELECT NoBadge FROM Utilisateurs WHERE Nom = 'MARTIN'"), "12345");
    EXPECT_EQ(Stored("SELECT NoUtilisateur FROM Utilisateurs WHERE Nom = 'MARTIN'"), avant);

    // DURAND's badge: refused by the database.
    Script().ExpectMsgBox(forms::vbOK, "Badge déjà utilisé !");
    lire("03 E9"); // 1001
    EXPECT_EQ(Script().Boxes().back().title, "Erreur");
    EXPECT_EQ(Script().Boxes().back().style, forms::vbOKCancel + forms::vbExclamation);
    EXPECT_EQ(Stored("SELECT NoBadge FROM Utilisateurs WHERE Nom = 'MARTIN'"), "12345");
}

} // namespace
