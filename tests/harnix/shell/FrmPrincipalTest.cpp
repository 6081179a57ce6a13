#include "Fixture.h"

#include "harnix/catalogue/FrmStock.h"
#include "harnix/commun/ChoixArticle.h"
#include "harnix/commun/Etats.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/Global.h"
#include "harnix/commun/Version.h"
#include "harnix/database/Databases.h"
#include "harnix/distribution/FrmConfigMachine.h"
#include "harnix/distribution/FrmVente.h"
#include "harnix/reports/FenCompteRendu.h"
#include "harnix/shell/FenLoading.h"
#include "harnix/shell/FinSurSignal.h"
#include "harnix/shell/FrmAbout.h"
#include "harnix/shell/FrmPrincipal.h"
#include "harnix/staff/FenQuota.h"
#include "harnix/staff/FrmUtilisateur.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/dmo/Dmo.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/Dialogs.h"
#include "platform/forms/testing/Drive.h"
#include "platform/vb/Convert.h"
#include "platform/win/End.h"
#include "platform/win/ErrorLog.h"
#include "platform/win/Screen.h"
#include "platform/win/Twips.h"

#include <QDir>
#include <QFile>

#include <QThread>
#include <QWindow>
#include <csignal>
#include <cstdio>

#include <gtest/gtest.h>

using namespace forms::testing;
using shelltest::Programme;

namespace {

constexpr const char* PasDeBase = "Pas de base de donnée, l'application va se terminer.";

class FrmPrincipalTest : public WindowTest
{
protected:
    void SetUp() override
    {
        win::SetEndHandler(win::ThrowEndCalled);
        // As the start-up does.
        forms::SetAppTitle(Version::ProductName);
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        win::SetEndHandler({});
        win::SetScreenSizeOverride(1280, 1024);
        Global::AdresseEmail.clear();
    }

    // The stored procedure is there already, so that the upgrade step reports nothing.
    void AvecEtatCA() { programme.AjouterProcedure("EtatCA", "ancien texte"); }

    FrmPrincipal& Charger() { return forms::form<FrmPrincipal>(); }

    // At the end of the process, writes the company's address as the file holds it.
    void NoterAdresseALaFin()
    {
        win::AddEndStep([this] {
            const vb::Variant adresse = programme.Societe("AdEmail");
            std::fprintf(stderr, "AdEmail: [%s]\n",
                         adresse.IsNull() ? "" : vb::CStr(adresse).c_str());
        });
    }

    // The main window shown, in a process that really ends (a death test's).
    FrmPrincipal& ChargerPourFinir()
    {
        AvecEtatCA();
        programme.Parametres();
        win::SetEndHandler({});
        FrmPrincipal& f = Charger();
        f.Show();
        return f;
    }

    Programme programme;
};

TEST_F(FrmPrincipalTest, OpensOnTheCompanyRowWithItsButtons)
{
    programme.CopierAsset("icon/door02.gif", "icon/door02.gif");
    programme.CopierAsset("icon/fonts.gif", "icon/Fonts.GIF");
    programme.CopierAsset("icon/wrench.ico", "icon/wrench.ico");
    programme.Parametres();
    FrmPrincipal& f = Charger();
    f.Show();
    EXPECT_TRUE(Script().Boxes().empty());
    EXPECT_EQ(f.Caption(), "Gestion de");
    EXPECT_EQ(Global::CheminRapports, programme.Chemin() + "/RPT SQL/");
    EXPECT_FALSE(f.SSPanelInfoCom->isVisible());
    EXPECT_EQ(f.TextNom->Text(), "ATELIERS DU RHONE");
    EXPECT_EQ(f.TextTel->Text(), "04 72 00 00 00");

    EXPECT_FALSE(f.CmdClose->icon().isNull());
    EXPECT_FALSE(f.CmdFamilles->icon().isNull());
    EXPECT_FALSE(f.CmdMachines->icon().isNull());
    EXPECT_TRUE(f.CmdReport->icon().isNull());
    EXPECT_TRUE(f.CmdStock->icon().isNull());

    // Only the windows that exist can be opened.
    for (QWidget* b :
         {f.CmdStock, f.CmdFournissueur, f.CmdFamilles, f.CmdTailles, f.CmdEmplacement, f.CmdSites,
          f.CmdBadgeMainten, f.CmdApropos, f.CmdInfoCom, f.CmdClose, f.CmdComptoir, f.CmdVente,
          f.CmdMouvementStock, f.CmdProfile, f.CmdReport, f.CmdMachines, f.CmdDotation})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();

    // The article window is loaded, hidden, by the main window's load.
    ASSERT_TRUE(forms::IsLoaded<FrmStock>());
    EXPECT_FALSE(forms::form<FrmStock>().isVisible());

    // The button panel is centred on the screen.
    EXPECT_EQ(forms::LeftTwips(*f.SSpanel1),
              (win::ScreenWidthTwips() - forms::WidthTwips(*f.SSpanel1)) / 2);
}

// The subsystems reach the article picker and the reports only through what the main window
// installs.
TEST_F(FrmPrincipalTest, InstallsThePickerAndTheReportsForTheSubsystems)
{
    programme.Parametres();
    ChoixArticle::DefinirFenetre(nullptr);
    Etats::DefinirFenetre(nullptr);
    Charger();
    EXPECT_EQ(ChoixArticle::Chargee(), &forms::form<FrmStock>());
    EXPECT_FALSE(forms::IsLoaded<FenCompteRendu>());
    EXPECT_EQ(Etats::Chargee(), nullptr);
    EXPECT_EQ(Etats::Fenetre(), &forms::form<FenCompteRendu>());
    EXPECT_EQ(Etats::Chargee(), &forms::form<FenCompteRendu>());
}

TEST_F(FrmPrincipalTest, ButtonsOpenTheirWindowsAsTheyShould)
{
    AvecEtatCA();
    programme.Parametres();
    FrmPrincipal& f = Charger();
    f.Show();

    // Modal windows are owned by the main window; the company panel is hidden first.
    struct Cas
    {
        QWidget* bouton;
        const char* fenetre;
        bool cachePanneau;
    };
    for (const Cas& c :
         {Cas{f.CmdFamilles, "FenFamille", true}, Cas{f.CmdTailles, "FenTailles", true},
          Cas{f.CmdSites, "FenSites", true}, Cas{f.CmdFournissueur, "FenFournisseur", true},
          Cas{f.CmdBadgeMainten, "FenBadgeMaintenance", true},
          Cas{f.CmdComptoir, "FenComptoir", true}, Cas{f.CmdVente, "FrmVente", true},
          Cas{f.CmdMouvementStock, "frmMouvtStock", true}, Cas{f.CmdProfile, "FenQuota", true},
          Cas{f.CmdReport, "FenCompteRendu", true}, Cas{f.CmdMachines, "FrmConfigMachine", true},
          Cas{f.CmdDotation, "FenDotation", true}, Cas{f.CmdApropos, "frmAbout", false}}) {
        f.CmdInfoCom_Click();
        std::string vu;
        OnNextModal([&](forms::Form& modale) {
            vu = modale.objectName().toStdString();
            EXPECT_EQ(modale.windowHandle()->transientParent(), f.windowHandle()) << c.fenetre;
            EXPECT_EQ(f.SSPanelInfoCom->isVisible(), !c.cachePanneau) << c.fenetre;
            // The reports window opens without the busy pointer.
            if (vu == "FenCompteRendu") {
                EXPECT_EQ(forms::MousePointer(), forms::MousePointer::Default);
            }
            modale.Hide();
        });
        Click(f, c.bouton->objectName());
        EXPECT_EQ(vu, c.fenetre);
    }

    // The issue history and the reports window give the main window back when they unload.
    f.setEnabled(false);
    forms::form<FrmVente>().Unload();
    EXPECT_TRUE(f.isEnabled());
    f.setEnabled(false);
    forms::form<FenCompteRendu>().Unload();
    EXPECT_TRUE(f.isEnabled());

    // The machine configuration opens out of configuration mode.
    forms::form<FrmConfigMachine>().ModeConfig = true;
    OnNextModal([](forms::Form& modale) { modale.Hide(); });
    Click(f, "CmdMachines");
    EXPECT_FALSE(forms::form<FrmConfigMachine>().ModeConfig);

    // The profiles window opened from here works on all profiles, not for one employee.
    forms::form<FenQuota>().DepuisFenUtilisateur = true;
    OnNextModal([](forms::Form& modale) { modale.Hide(); });
    Click(f, "CmdProfile");
    EXPECT_FALSE(forms::form<FenQuota>().DepuisFenUtilisateur);

    // The article window and the employee register are shown modeless.
    Click(f, "CmdStock");
    EXPECT_TRUE(forms::form<FrmStock>().isVisible());
    Click(f, "CmdEmplacement");
    EXPECT_TRUE(forms::form<FrmUtilisateur>().isVisible());
}

TEST_F(FrmPrincipalTest, WarnsOnceOnAScreenNarrowerThan1024Pixels)
{
    programme.Parametres();
    for (int largeur : {1024, 1023}) {
        Script().Reset();
        win::SetScreenSizeOverride(largeur, 768);
        if (largeur < 1024)
            Script().ExpectMsgBox(forms::vbOK, "La résolution de l'écran doit être au moin de "
                                               "1024 x 768.\rVeuillez configurer votre écran");
        Charger();
        ASSERT_EQ(Script().Boxes().size(), largeur < 1024 ? 1u : 0u) << largeur;
        if (largeur < 1024) {
            EXPECT_EQ(Script().Boxes()[0].style, forms::vbOKOnly + forms::vbExclamation);
            EXPECT_EQ(Script().Boxes()[0].title, "Attention");
        }
        forms::UnloadAll();
        ProcessEvents();
    }
}

TEST_F(FrmPrincipalTest, AllocationButtonShowsOnlyForOUI)
{
    const struct
    {
        QByteArray ini;
        bool visible;
    } cas[] = {
        {"[APPLICATION]\r\nDotation=OUI\r\n", true},
        {"[APPLICATION]\r\nDotation=oui\r\n", false},
        {"[APPLICATION]\r\nDotation=NON\r\n", false},
        {"", true},
    };
    for (const auto& c : cas) {
        programme.Parametres(c.ini);
        FrmPrincipal& f = Charger();
        EXPECT_EQ(!f.CmdDotation->isHidden(), c.visible) << c.ini.toStdString();
        forms::UnloadAll();
        ProcessEvents();
    }
}

TEST_F(FrmPrincipalTest, UpgradeStepRunsOnlyBelowLevelOne)
{
    programme.Parametres();
    const struct
    {
        vb::Variant avant;
        const char* apres;
    } cas[] = {
        {"001abc", "001abc"}, {"002", "002"},
        {"123456", "123456"}, {"abc", "001"},
        {"", "001"},          {vb::Variant::Null(), "001"},
        {"000xyz", "001xyz"}, {"00a1234", "0011234"},
    };
    for (const auto& c : cas) {
        programme.Executer("DROP TABLE IF EXISTS " + std::string(dmo::ProceduresTable));
        AvecEtatCA();
        programme.Executer(
            "UPDATE InfoSociete SET VD = " +
            (c.avant.IsNull() ? std::string("NULL") : "'" + c.avant.StringValue() + "'"));
        Charger();
        EXPECT_TRUE(Script().Boxes().empty());
        EXPECT_EQ(vb::CStr(programme.Societe("VD")), c.apres) << vb::CStr(c.avant);
        const bool mis =
            std::string(c.apres).starts_with("001") &&
            !(c.avant.Type() == vb::VarType::String && c.avant.StringValue().starts_with("001"));
        EXPECT_EQ(programme.Procedures(),
                  std::string("EtatCA=") + (mis ? FrmPrincipal::ProcedureEtatCA : "ancien texte") +
                      "\n");
        forms::UnloadAll();
        ProcessEvents();
    }
}

TEST_F(FrmPrincipalTest, UpgradeStepStampsTheLevelEvenWhenTheServerFails)
{
    // A database never upgraded has no procedure to remove: that is reported, then it is made.
    programme.Parametres();
    programme.Executer("UPDATE InfoSociete SET VD = NULL");
    Script().ExpectMsgBox(forms::vbOK, "EffacerStoredProcedure");
    Charger();
    EXPECT_EQ(Script().Boxes().size(), 1u);
    EXPECT_EQ(programme.Procedures(),
              std::string("EtatCA=") + FrmPrincipal::ProcedureEtatCA + "\n");
    EXPECT_EQ(vb::CStr(programme.Societe("VD")), "001");
    forms::UnloadAll();
    ProcessEvents();

    programme.Parametres("[Base de donnée]\r\nServeur=AILLEURS\\ZAD\r\n");
    programme.Executer("UPDATE InfoSociete SET VD = 'x'");
    Script()
        .ExpectMsgBox(forms::vbOK, "EffacerStoredProcedure")
        .ExpectMsgBox(forms::vbOK, "VerifierStoredProcedure");
    Charger();
    EXPECT_EQ(vb::CStr(programme.Societe("VD")), "001");
}

TEST_F(FrmPrincipalTest, WithoutTheDatabaseTheProgramEnds)
{
    QFile::remove(QString::fromStdString(programme.Fichier("zad.MDB")));
    programme.Parametres();
    win::SetScreenSizeOverride(800, 600);
    Script().ExpectMsgBox(forms::vbOK, "La résolution").ExpectMsgBox(forms::vbOK, PasDeBase);
    EXPECT_THROW(Charger(), win::EndCalled);
    ASSERT_EQ(Script().Boxes().size(), 2u);
    EXPECT_EQ(Script().Boxes()[1].text, PasDeBase);
    EXPECT_EQ(Script().Boxes()[1].style, forms::vbOKOnly);
    EXPECT_EQ(Script().Boxes()[1].title, "Harnix");
}

TEST_F(FrmPrincipalTest, AWrongPasswordEndsTheProgramToo)
{
    programme.Parametres("[Base de donnée]\r\nP=1\r\n");
    Script().ExpectMsgBox(forms::vbOK, PasDeBase);
    EXPECT_THROW(Charger(), win::EndCalled);
}

TEST_F(FrmPrincipalTest, ACompanyTableWithoutRowIsReportedAndTheWindowShows)
{
    programme.Parametres();
    programme.Executer("DELETE FROM InfoSociete");
    Script().ExpectMsgBox(forms::vbOK, "Form load frm principale");
    FrmPrincipal& f = Charger();
    f.Show();
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(Script().Boxes()[0].text.startsWith("Form load frm principale\r\nN°: 3021 "));
}

TEST_F(FrmPrincipalTest, CompanyPanelFiltersItsKeys)
{
    AvecEtatCA();
    programme.Parametres();
    FrmPrincipal& f = Charger();
    f.Show();
    Click(f, "CmdInfoCom");
    ASSERT_TRUE(f.SSPanelInfoCom->isVisible());
    const struct
    {
        const char* nom;
        const char* tape;
        const char* resultat;
    } cas[] = {
        {"TextTel", "01 ab-23", "01 23"},      {"TextTel", "45\b", "4"},
        {"TextFax", "x9 8.", "9 8"},           {"TextNom", "dupont é", "DUPONT É"},
        {"TextAdd", "12, rue b", "12, rue b"}, {"TextCP", "69a", "69a"},
    };
    for (const auto& c : cas) {
        auto& texte = Find<forms::BoundText>(f, c.nom);
        texte.SetText("");
        Type(texte, c.tape);
        EXPECT_EQ(texte.Text(), c.resultat) << c.nom << " " << c.tape;
    }
}

TEST_F(FrmPrincipalTest, OkSavesTheCompanyRowAndHidesThePanel)
{
    programme.Parametres();
    FrmPrincipal& f = Charger();
    f.Show();
    Click(f, "CmdInfoCom");
    EXPECT_EQ(forms::TopTwips(*f.SSPanelInfoCom),
              (win::ScreenHeightTwips() - forms::HeightTwips(*f.SSPanelInfoCom)) / 2);
    f.TextVille->SetText("");
    Type(*f.TextVille, "VILLEURBANNE");
    Click(f, "cmdOK");
    EXPECT_FALSE(f.SSPanelInfoCom->isVisible());
    EXPECT_EQ(vb::CStr(programme.Societe("Ville")), "VILLEURBANNE");
}

TEST_F(FrmPrincipalTest, AFailingSaveIsReportedAndKeepsThePanelOpen)
{
    programme.Parametres();
    FrmPrincipal& f = Charger();
    f.Show();
    programme.Executer("CREATE TRIGGER refus BEFORE UPDATE ON InfoSociete "
                       "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    Click(f, "CmdInfoCom");
    f.TextVille->SetText("");
    Type(*f.TextVille, "GRENOBLE");
    Script().ExpectMsgBox(forms::vbOK, "cmdOK_Click");
    Click(f, "cmdOK");
    EXPECT_TRUE(f.SSPanelInfoCom->isVisible());
    EXPECT_EQ(f.TextVille->Text(), "GRENOBLE");
    EXPECT_EQ(vb::CStr(programme.Societe("Ville")), "LYON");
}

TEST_F(FrmPrincipalTest, ClosingStoresTheLastAddressAndEndsTheProgram)
{
    programme.Parametres();
    FrmPrincipal& f = Charger();
    f.Show();
    Global::AdresseEmail = "achats@exemple.fr";
    EXPECT_THROW(f.CmdClose_Click(), win::EndCalled);
    EXPECT_EQ(vb::CStr(programme.Societe("AdEmail")), "achats@exemple.fr");
}

TEST_F(FrmPrincipalTest, ClosingSavesTheArticleCardsPendingEdit)
{
    AvecEtatCA();
    programme.Parametres();
    FrmPrincipal& f = Charger();
    f.Show();
    FrmStock& stock = forms::form<FrmStock>();
    const std::string reference = stock.Text2(0).Text().toStdString();
    ASSERT_FALSE(reference.empty());
    stock.Text2(1).SetText("CASQUE ANTIBRUIT");
    EXPECT_THROW(f.CmdClose_Click(), win::EndCalled);

    ado::Connection cn;
    cn.Open(Global::ChaineConnexion);
    ado::Recordset rs;
    rs.Open("select Designation from ArticleEnStock where Reference=" + reference, cn);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(vb::CStr(rs["Designation"].Value()), "CASQUE ANTIBRUIT");
}

TEST_F(FrmPrincipalTest, ClosingEndsTheProgramEvenWhenTheSaveFails)
{
    programme.Parametres();
    FrmPrincipal& f = Charger();
    f.Show();
    programme.Executer("CREATE TRIGGER refus BEFORE UPDATE ON InfoSociete "
                       "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    Global::AdresseEmail = "achats@exemple.fr";
    EXPECT_THROW(f.CmdClose_Click(), win::EndCalled);
    EXPECT_TRUE(Script().Boxes().empty());
    EXPECT_TRUE(programme.Societe("AdEmail").IsNull());
}

TEST_F(FrmPrincipalTest, AWindowThatCannotLoadEndsTheProgramWithTheRuntimesReport)
{
    // The real end of the program, in a child process of the test.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            AvecEtatCA();
            programme.Parametres();
            database::CreateMainten(programme.Fichier("MAINTEN.MDB"));
            // As the start-up does.
            win::SetErrorLogWriter(FnTundrel::LogErreurNonTraitee);
            win::SetEndHandler({});
            FrmPrincipal& f = Charger();
            f.Show();
            // The issue history's load has no trap of its own, nor has the button.
            QFile::rename(QString::fromStdString(programme.Fichier("zad.MDB")),
                          QString::fromStdString(programme.Fichier("zad.MDB.ailleurs")));
            win::AddEndStep([this] {
                for (const RecordedBox& box : Script().Boxes())
                    std::fprintf(stderr, "box [%s] %d pointer %d: %s\n",
                                 box.title.toStdString().c_str(), box.style,
                                 static_cast<int>(forms::MousePointer()),
                                 box.text.toStdString().c_str());
                ado::Connection cn;
                cn.Open(database::ConnectionString(programme.Fichier("MAINTEN.MDB")));
                ado::Recordset rs;
                for (rs.Open("SELECT * FROM Erreurs", cn); !rs.Eof(); rs.MoveNext())
                    std::fprintf(stderr, "log %s / %s\n", vb::CStr(rs["Contexte"].Value()).c_str(),
                                 vb::CStr(rs["Erreur"].Value()).c_str());
            });
            Script().ExpectMsgBox(forms::vbOK);
            Click(f, "CmdVente");
            std::fprintf(stderr, "still running\n");
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(forms::UntrappedErrorExitCode),
        "box \\[Harnix\\] 16 pointer 0: Erreur d'exécution '-2147467259 \\(80004005\\)':\r\n\r\n"
        "[^\n]*zad.MDB[^\n]*\n"
        "log Erreur d'exécution / N°: -2147467259 [^\n]*zad.MDB");
}

TEST_F(FrmPrincipalTest, AfterQuitterTheFolderHoldsTheDatabasesAlone)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            FrmPrincipal& f = ChargerPourFinir();
            // Windows that have written through their record sets are still loaded.
            Click(f, "CmdInfoCom");
            Type(*f.TextVille, "X");
            Click(f, "cmdOK");
            Global::AdresseEmail = "achats@exemple.fr";
            win::AddEndStep([this] {
                const QStringList journaux =
                    QDir(programme.dossier.Path())
                        .entryList({"*-wal", "*-shm", "*-journal"}, QDir::Files | QDir::Hidden);
                std::fprintf(stderr, "journals: [%s]\n", journaux.join(' ').toStdString().c_str());
            });
            Click(f, "CmdClose");
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), "journals: \\[\\]\n");
}

// Asked to end by the system (a shutdown, a closed terminal, Ctrl+C), the program ends as
// "Quitter" ends it: the company row is saved and every connection closed.
TEST_F(FrmPrincipalTest, ASignalToEndEndsAsQuitterDoes)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        EXPECT_EXIT(
            {
                ChargerPourFinir();
                NoterAdresseALaFin();
                Global::AdresseEmail = "achats@exemple.fr";
                Global::TerminerSurSignal();
                raise(signal);
                for (int i = 0; i < 200; ++i) {
                    ProcessEvents();
                    QThread::msleep(10);
                }
                std::_Exit(3);
            },
            ::testing::ExitedWithCode(0), "AdEmail: \\[achats@exemple.fr\\]");
    }
}

// The company row changed by another workstation since the main window read it: its save at the
// end is refused, and the program still ends.
TEST_F(FrmPrincipalTest, ARefusedSaveOfTheCompanyRowStillLetsTheProgramEnd)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            FrmPrincipal& f = ChargerPourFinir();
            NoterAdresseALaFin();
            programme.Executer("UPDATE InfoSociete SET AdEmail = 'autre@exemple.fr'");
            Global::AdresseEmail = "achats@exemple.fr";
            Click(f, "CmdClose");
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), "AdEmail: \\[autre@exemple.fr\\]");
}

TEST_F(FrmPrincipalTest, ActivationPutsThePointerBackToNormal)
{
    programme.Parametres();
    FrmPrincipal& f = Charger();
    forms::SetMousePointer(forms::MousePointer::Hourglass);
    f.Form_Activate();
    EXPECT_EQ(forms::MousePointer(), forms::MousePointer::Default);
}

TEST_F(FrmPrincipalTest, NetworkDriveIsAWritableFolder)
{
    programme.Parametres();
    FrmPrincipal& f = Charger();
    EXPECT_TRUE(f.ConnecterLecteurReseau(programme.Chemin(), "pw", "\\\\serveur\\partage"));
    EXPECT_FALSE(f.ConnecterLecteurReseau(programme.Chemin() + "/absent", "pw", "\\\\s\\p"));
}

using AboutTest = FrmPrincipalTest;

TEST_F(AboutTest, ShowsTheProgramsIdentity)
{
    programme.Parametres();
    FrmPrincipal& f = Charger();
    f.Show();
    ShowModal(
        forms::form<frmAbout>(),
        [&] {
            frmAbout& a = forms::form<frmAbout>();
            EXPECT_EQ(a.Caption(), "A propos de Harnix");
            EXPECT_EQ(a.lblVersion->Caption(), "Version 3.0.164");
            EXPECT_EQ(a.lblTitle->Caption(), "Gestion de stock d'E.P.I.");
            EXPECT_EQ(a.lblDescription->Caption(), "");
            EXPECT_EQ(a.Label1->Caption(), frmAbout::AdresseWeb);
            EXPECT_EQ(a.Width(), 6600);
            EXPECT_EQ(a.Height(), 3465);
            Click(a, "cmdOK");
        },
        &f);
    EXPECT_FALSE(forms::IsLoaded<frmAbout>());
}

TEST_F(AboutTest, UpdateButtonWithoutTheUpdaterDoesNothing)
{
    programme.Parametres();
    frmAbout& a = forms::form<frmAbout>();
    EXPECT_NO_THROW(a.Command1_Click());
    EXPECT_TRUE(Script().Boxes().empty());
    EXPECT_TRUE(forms::IsLoaded<frmAbout>());
}

TEST_F(AboutTest, UpdateButtonStartsTheUpdaterAndEndsAtOnce)
{
    programme.Parametres();
    Global::AdresseEmail = "pas@enregistre.fr";
    const QString marque = programme.dossier.FilePath("lance");
    const QString updater = programme.dossier.Write("revanto", "#!/bin/sh\necho \"$PWD $#\" > '" +
                                                                   marque.toUtf8() + "'\n");
    QFile::setPermissions(updater, QFile::permissions(updater) | QFile::ExeOwner);
    FrmPrincipal& f = Charger();
    f.Show();
    frmAbout& a = forms::form<frmAbout>();
    EXPECT_THROW(a.Command1_Click(), win::EndCalled);
    for (int i = 0; i < 100 && !QFile::exists(marque); ++i)
        QThread::msleep(20);
    QFile lu(marque);
    ASSERT_TRUE(lu.open(QIODevice::ReadOnly));
    EXPECT_EQ(lu.readAll().trimmed(), programme.dossier.Path().toUtf8() + " 0");
    // The main window's closing steps did not run.
    EXPECT_TRUE(programme.Societe("AdEmail").IsNull());
}

TEST_F(AboutTest, AnUpdaterThatCannotStartIsReported)
{
    programme.Parametres();
    programme.dossier.Write("Revanto", "pas un programme");
    frmAbout& a = forms::form<frmAbout>();
    Script().ExpectMsgBox(forms::vbOK, "Command1_Click");
    EXPECT_NO_THROW(a.Command1_Click());
}

using LoadingTest = FrmPrincipalTest;

TEST_F(LoadingTest, TakesTheSizeOfItsPanelAndShowsTheVersion)
{
    FenLoading& l = forms::form<FenLoading>();
    l.Show();
    EXPECT_EQ(l.Caption(), "Loading ZAD");
    EXPECT_EQ(l.Width(), forms::WidthTwips(*l.SSPanel1));
    EXPECT_EQ(l.Height(), forms::HeightTwips(*l.SSPanel1));
    EXPECT_EQ(l.lblVersion->Caption(), "Version 3.0.164");
    EXPECT_EQ(l.lblTitle->Caption(), "Gestion de stock d'E.P.I.");
    EXPECT_EQ(forms::MousePointer(), forms::MousePointer::Hourglass);
}

} // namespace
