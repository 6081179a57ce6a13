#include "Fixture.h"

#include "harnix/commun/Crypte.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "harnix/database/Databases.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/testing/Dialogs.h"
#include "platform/forms/testing/Drive.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Strings.h"
#include "platform/win/Clock.h"
#include "tests/platform/win/FreshProcess.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

using namespace forms::testing;
using namespace std::chrono_literals;
using shelltest::Programme;

namespace {

using HelpersTest = WindowTest;

TEST_F(HelpersTest, NomFichierTakesThePartAfterTheLastSeparator)
{
    const struct
    {
        const char* chemin;
        const char* nom;
    } cas[] = {
        {"C:\\dir\\a.txt", "a.txt"}, {"C:a.txt", "a.txt"},       {"a.txt", "a.txt"},
        {"C:\\dir\\", ""},           {"/home/u/b.jpg", "b.jpg"}, {"", ""},
    };
    for (const auto& c : cas)
        EXPECT_EQ(FnTundrel::NomFichier(c.chemin), c.nom) << c.chemin;
}

TEST_F(HelpersTest, AjouterAntiSlashEndsThePathWithOneSeparator)
{
    const struct
    {
        const char* chemin;
        const char* resultat;
    } cas[] = {
        {"/dir", "/dir/"},
        {"/dir/", "/dir/"},
        {"C:\\dir\\", "C:\\dir\\"},
        {"", "/"},
    };
    for (const auto& c : cas)
        EXPECT_EQ(FnTundrel::AjouterAntiSlash(c.chemin), c.resultat) << c.chemin;
}

TEST_F(HelpersTest, FichierExisteFindsPlainFilesWithoutRegardToCase)
{
    ProgramFolder dossier;
    dossier.Write("fonts.gif", "GIF89a");
    dossier.Write("icon/x.gif", "GIF89a");
    QDir(dossier.Path()).mkdir("Dossier");
    const std::string d = dossier.Path().toStdString();
    const struct
    {
        std::string dossier;
        const char* nom;
        bool trouve;
    } cas[] = {
        {d, "Fonts.GIF", true},  {d + "/", "fonts.gif", true}, {d, "*.gif", false},
        {d, "fonts.?if", false}, {d, "icon\\x.gif", false},    {d, "icon/x.gif", false},
        {d, "Dossier", false},   {d, "absent.gif", false},     {d + "/absent", "fonts.gif", false},
    };
    for (const auto& c : cas)
        EXPECT_EQ(FnTundrel::FichierExiste(c.dossier, c.nom), c.trouve)
            << c.dossier << " " << c.nom;
}

TEST_F(HelpersTest, RepertoireAccessibleLeavesTheFolderAsItWas)
{
    ProgramFolder dossier;
    // A file of that name may be the user's own: it must survive the test.
    dossier.Write("test.tst", "du contenu");
    EXPECT_TRUE(FnTundrel::RepertoireAccessible(dossier.Path().toStdString()));
    EXPECT_EQ(QDir(dossier.Path()).entryList(QDir::Files), QStringList{"test.tst"});
    QFile file(dossier.FilePath("test.tst"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "du contenu");

    EXPECT_FALSE(FnTundrel::RepertoireAccessible(dossier.FilePath("absent").toStdString()));
    EXPECT_FALSE(FnTundrel::RepertoireAccessible(dossier.FilePath("test.tst").toStdString()));
}

TEST_F(HelpersTest, AttendreHandsEventsToTheWindowsUntilTheTimeHasPassed)
{
    FrozenClock clock;
    const auto debut = win::Clock::Now();
    bool vu = false;
    QTimer::singleShot(0, [&] { vu = true; });
    FnTundrel::Attendre(0);
    EXPECT_TRUE(vu);
    FnTundrel::Attendre(16);
    EXPECT_GE(win::Clock::Now() - debut, 16s);
    EXPECT_LT(win::Clock::Now() - debut, 16100ms);
}

TEST_F(HelpersTest, ProfileReadersTrimAndFallBackToTheirDefault)
{
    ProgramFolder dossier;
    const std::string ini = dossier
                                .Write("a.ini", "[S]\r\nTexte=   abc  \r\nNombre=-12\r\n"
                                                "Grand=40000\r\n")
                                .toStdString();
    EXPECT_EQ(FnTundrel::LireIniString(ini, "S", "Texte", "d"), "abc");
    EXPECT_EQ(FnTundrel::LireIniString(ini, "S", "Absente", " d "), "d");
    EXPECT_EQ(FnTundrel::LireIniString(dossier.FilePath("absent.ini").toStdString(), "S", "Texte",
                                       "défaut"),
              "défaut");
    EXPECT_EQ(FnTundrel::LireIniInteger(ini, "S", "Nombre", 5), -12);
    EXPECT_EQ(FnTundrel::LireIniInteger(ini, "S", "Absente", 5), 5);
    EXPECT_TRUE(Script().Boxes().empty());

    Script().ExpectMsgBox(forms::vbOK, "Appuyez sur (A) pour continuer");
    EXPECT_EQ(FnTundrel::LireIniInteger(ini, "S", "Grand", 5), 0);
    ASSERT_EQ(Script().Boxes().size(), 1u);
    EXPECT_EQ(Script().Boxes()[0].text,
              "Erreur N°:\r6\rDépassement de capacité\rAppuyez sur (A) pour continuer");
    EXPECT_EQ(Script().Boxes()[0].title, "LireIniInteger");
    EXPECT_EQ(Script().Boxes()[0].style, forms::vbOKOnly);
}

TEST_F(HelpersTest, EcrireIniStringReplacesOrAddsTheKey)
{
    ProgramFolder dossier;
    const QByteArray avant = "; réglages\r\n[Badge]\r\nTypeLecteurBadge=1\r\n\r\n[PortCom]\r\n"
                             "PortLecteurBadge=1\r\n";
    const struct
    {
        const char* section;
        const char* cle;
        QByteArray apres;
    } cas[] = {
        {"badge", "typelecteurbadge",
         "; réglages\r\n[Badge]\r\nTypeLecteurBadge=3\r\n\r\n"
         "[PortCom]\r\nPortLecteurBadge=1\r\n"},
        {"Badge", "Gants",
         "; réglages\r\n[Badge]\r\nTypeLecteurBadge=1\r\nGants=3\r\n\r\n"
         "[PortCom]\r\nPortLecteurBadge=1\r\n"},
        {"Base de donnée", "Nom", avant + "\r\n[Base de donnée]\r\nNom=3\r\n"},
    };
    for (const auto& c : cas) {
        const std::string ini = dossier.Write("automat.ini", avant).toStdString();
        FnTundrel::EcrireIniString(ini, c.section, c.cle, "3");
        QFile lu(QString::fromStdString(ini));
        ASSERT_TRUE(lu.open(QIODevice::ReadOnly));
        EXPECT_EQ(lu.readAll(), c.apres) << c.section << " " << c.cle;
        EXPECT_EQ(FnTundrel::LireIniString(ini, c.section, c.cle, ""), "3");
    }

    const std::string nouveau = dossier.FilePath("nouveau.ini").toStdString();
    FnTundrel::EcrireIniString(nouveau, "S", "K", "v");
    EXPECT_EQ(FnTundrel::LireIniString(nouveau, "S", "K", ""), "v");
    EXPECT_TRUE(Script().Boxes().empty());

    Script().ExpectMsgBox(forms::vbOK, "Appuyez sur (A) pour continuer");
    FnTundrel::EcrireIniString(dossier.FilePath("absent/a.ini").toStdString(), "S", "K", "v");
    EXPECT_EQ(Script().Boxes().back().title, "EcrireIniString");
}

TEST_F(HelpersTest, ConvertNullConversions)
{
    const struct
    {
        vb::Variant valeur;
        double nombre;
        const char* texte;
    } cas[] = {
        {vb::Variant::Null(), 0, ""},      {vb::Variant(""), 0, ""},
        {vb::Variant("0"), 0, "0"},        {vb::Variant("12,5"), 12.5, "12,5"},
        {vb::Variant(int32_t(7)), 7, "7"}, {vb::Variant(2.5), 2.5, "2,5"},
    };
    setenv("LC_ALL", "C", 1);
    for (const auto& c : cas) {
        EXPECT_EQ(FonctionUtilitaires::ConvertNullNum(c.valeur), c.nombre) << c.texte;
        EXPECT_EQ(FonctionUtilitaires::ConvertNullStr(c.valeur), c.texte);
    }
    EXPECT_THROW(FonctionUtilitaires::ConvertNullNum(vb::Variant("abc")), vb::Error);
    unsetenv("LC_ALL");
}

TEST_F(HelpersTest, DecrypterRestartsTheKeyAfterItsEighthLetter)
{
    // Each character less the key "wobrektu"; below zero, 255 is added.
    const struct
    {
        std::string texte;
        std::string resultat;
    } cas[] = {
        {"", ""},
        {"xpcsfluv", "\x01\x01\x01\x01\x01\x01\x01\x01"},
        {"xpcsfluvx", "\x01\x01\x01\x01\x01\x01\x01\x01\x01"},
        {"a", vb::Chr('a' - 'w' + 255)},
    };
    for (const auto& c : cas)
        EXPECT_EQ(Crypte::Decrypter(c.texte), c.resultat) << c.texte;
}

TEST_F(HelpersTest, TheBuiltInPasswordIsTheDatabasePassword)
{
    const std::string crypte = Crypte::MotPasseCrypte();
    EXPECT_EQ(vb::Len(crypte), 15);
    EXPECT_EQ(vb::Left(Crypte::Decrypter(crypte), 5), database::ZadPassword());
}

TEST_F(HelpersTest, SettingsComeFromAutomatIniOrTheirDefaults)
{
    Programme programme;
    programme.Parametres();
    EXPECT_EQ(Global::CheminIni, programme.Chemin() + "/automat.ini");
    EXPECT_EQ(Global::CheminImages, programme.Chemin() + "/image");
    EXPECT_EQ(Global::NomBase, "ZAD");
    EXPECT_EQ(Global::NomServeur, Global::ServeurParDefaut);
    EXPECT_EQ(Global::TypeLecteur, "1");
    EXPECT_EQ(Global::PremierNumeroBadge, "1000");
    EXPECT_EQ(Global::PortBadge, 1);
    EXPECT_EQ(Global::FamilleChaussures, 3);
    EXPECT_EQ(Global::FamilleGants, 1);
    EXPECT_EQ(Global::ChaineConnexion,
              "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + programme.Chemin() +
                  "/zad.MDB;Jet OLEDB:Database Password=Kw8Rz");

    programme.Parametres("[Base de donnée]\r\nNom= Autre \r\nServeur=.\\X\r\n[Badge]\r\n"
                         "TypeLecteurBadge=3\r\nPremierNumero=500\r\nChaussures=7\r\nGants=8\r\n"
                         "[PortCom]\r\nPortLecteurBadge=2\r\n");
    EXPECT_EQ(Global::NomBase, "Autre");
    EXPECT_EQ(Global::NomServeur, ".\\X");
    EXPECT_EQ(Global::TypeLecteur, "3");
    EXPECT_EQ(Global::PremierNumeroBadge, "500");
    EXPECT_EQ(Global::PortBadge, 2);
    EXPECT_EQ(Global::FamilleChaussures, 7);
    EXPECT_EQ(Global::FamilleGants, 8);
}

TEST_F(HelpersTest, KeyPChoosesTheBuiltInPasswordOnlyWhenEmpty)
{
    Programme programme;
    const struct
    {
        QByteArray ini;
        const char* motPasse;
    } cas[] = {
        {"", "Kw8Rz"},
        {"[Base de donnée]\r\nP=\r\n", "Kw8Rz"},
        {"[Base de donnée]\r\nP=    \r\n", "Kw8Rz"},
        {"[Base de donnée]\r\nP=x\r\n", "qz"},
        {"[Base de donnée]\r\nP=Kw8Rz\r\n", "qz"},
    };
    for (const auto& c : cas) {
        programme.Parametres(c.ini);
        EXPECT_EQ(Global::MotPasseBase, c.motPasse) << c.ini.toStdString();
        EXPECT_TRUE(Global::ChaineConnexion.ends_with(std::string("Password=") + c.motPasse));
    }
}

TEST_F(HelpersTest, ErrorReportLogsIntoMaintenOnlyWhenTheFileIsThere)
{
    // The log's folder is taken on the first report of the process: the test makes it in a
    // fresh one.
    testing_support::ExpectInFreshProcess([] {
        Programme programme(Programme::SansZad);
        const vb::Error erreur(3021, "Pas d'enregistrement courant");

        Script().ExpectMsgBox(forms::vbOK, "CmdAjout_Click");
        FnTundrel::AfficherErreur("CmdAjout_Click", erreur);
        ASSERT_EQ(Script().Boxes().size(), 1u);
        EXPECT_EQ(Script().Boxes()[0].text,
                  "CmdAjout_Click\r\nN°: 3021 Pas d'enregistrement courant");
        EXPECT_EQ(Script().Boxes()[0].style, forms::vbOKOnly);
        EXPECT_EQ(Script().Boxes()[0].title, "Harnix");
        EXPECT_EQ(QDir(programme.dossier.Path()).entryList(QDir::Files), QStringList{});

        database::CreateMainten(programme.Fichier("MAINTEN.MDB"));
        Script().ExpectMsgBox(forms::vbOK).ExpectMsgBox(forms::vbOK);
        FnTundrel::AfficherErreur("Form_Load", vb::Error(13, "Incompatibilité de type"));
        FnTundrel::AfficherErreur("CmdOK_Click", erreur);

        ado::Connection cn;
        cn.Open(database::ConnectionString(programme.Fichier("MAINTEN.MDB")));
        ado::Recordset rs;
        rs.Open("SELECT * FROM Erreurs ORDER BY Contexte DESC", cn);
        ASSERT_EQ(rs.RecordCount(), 2);
        EXPECT_EQ(vb::CStr(rs["Contexte"].Value()), "Form_Load");
        EXPECT_EQ(vb::CStr(rs["Erreur"].Value()), "N°: 13 Incompatibilité de type");
        EXPECT_EQ(rs["DateErreur"].Value().Type(), vb::VarType::Date);
        rs.MoveNext();
        EXPECT_EQ(vb::CStr(rs["Erreur"].Value()), "N°: 3021 Pas d'enregistrement courant");
        rs.Close();
        cn.Close();
    });
}

TEST_F(HelpersTest, StoredProcedureIsAddedOnceAndRemovedByName)
{
    Programme programme;
    programme.Parametres();
    FonctionUtilitaires::VerifierStoredProcedure("EtatCA", "texte 1");
    FonctionUtilitaires::VerifierStoredProcedure("EtatCA", "texte 2");
    EXPECT_EQ(programme.Procedures(), "EtatCA=texte 1\n");
    FonctionUtilitaires::EffacerStoredProcedure("EtatCA");
    EXPECT_EQ(programme.Procedures(), "");
    EXPECT_TRUE(Script().Boxes().empty());

    Script().ExpectMsgBox(forms::vbOK, "EffacerStoredProcedure");
    FonctionUtilitaires::EffacerStoredProcedure("EtatCA");
    EXPECT_EQ(Script().Boxes().back().title, "Harnix");
}

TEST_F(HelpersTest, StoredProcedureErrorsAreReportedByTheirOperation)
{
    Programme programme;
    const struct
    {
        QByteArray ini;
        const char* why;
    } cas[] = {
        {"[Base de donnée]\r\nqz=0\r\n", "login without the password"},
        {"[Base de donnée]\r\nServeur=AILLEURS\\ZAD\r\n", "another machine"},
        {"[Base de donnée]\r\nNom=ABSENTE\r\n", "no such database"},
    };
    for (const auto& c : cas) {
        programme.Parametres(c.ini);
        Script().ExpectMsgBox(forms::vbOK, "VerifierStoredProcedure");
        FonctionUtilitaires::VerifierStoredProcedure("EtatCA", "texte");
        Script().VerifyAllAnswered();
        EXPECT_EQ(programme.Procedures(), "") << c.why;
    }
}

} // namespace
