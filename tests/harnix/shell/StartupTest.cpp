// The real program, started as a process on the test's display, in a program folder of its own.
#include "Fixture.h"

#include "harnix/commun/Global.h"
#include "harnix/database/Databases.h"
#include "harnix/shell/FrmPrincipal.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/testing/Drive.h"
#include "platform/vb/Convert.h"
#include "platform/win/Screen.h"
#include "platform/win/Twips.h"
#include "platform/win/WindowCaptions.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using shelltest::Programme;

namespace {

constexpr const char* Principale = "Gestion de";

int Fenetres(const std::string& titre)
{
    const auto titres = win::TopLevelWindowCaptions();
    return static_cast<int>(std::count(titres.begin(), titres.end(), titre));
}

// Waits until the condition holds; false after the time limit.
bool Attendre(const std::function<bool()>& condition, int limiteMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limiteMs)
            return false;
        forms::testing::ProcessEvents();
        QThread::msleep(50);
    }
    return true;
}

class StartupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString programme = programmeDossier.dossier.FilePath("harnix");
        ASSERT_TRUE(QFile::copy(HARNIX_EXE, programme));
        QFile::setPermissions(programme, QFile::permissions(programme) | QFile::ExeOwner);
        programmeDossier.dossier.Write("automat.ini", "[APPLICATION]\r\nDotation=OUI\r\n");
    }

    void TearDown() override
    {
        for (auto& p : lances) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }

    QProcess& Lancer()
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // The copies of one test share their instance lock, apart from every other program.
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(programmeDossier.dossier.Path());
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(programmeDossier.dossier.FilePath("harnix"), {});
        EXPECT_TRUE(p->waitForStarted(5000));
        lances.push_back(std::move(p));
        return *lances.back();
    }

    // A copy that ends by itself, at once and without a word.
    void EndsSilently(QProcess& p)
    {
        // waitForFinished is false for a process that has ended already.
        ASSERT_TRUE(p.state() == QProcess::NotRunning || p.waitForFinished(15000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
    }

    Programme programmeDossier;
    QTemporaryDir runtime;
    std::vector<std::unique_ptr<QProcess>> lances;
};

TEST_F(StartupTest, ASecondStartEndsAtOnce)
{
    QProcess& premier = Lancer();
    ASSERT_TRUE(Attendre([] { return Fenetres(Principale) == 1; }, 20000));
    EXPECT_EQ(Fenetres("Loading ZAD"), 1);
    QProcess& second = Lancer();
    EndsSilently(second);
    EXPECT_EQ(Fenetres(Principale), 1);
    EXPECT_EQ(premier.state(), QProcess::Running);
}

TEST_F(StartupTest, WithTheVideoTheMainWindowFollowsSixteenSecondsLater)
{
    // A player that notes where and how it was started.
    const QString note = programmeDossier.dossier.FilePath("lecteur.txt");
    const QString lecteur = programmeDossier.dossier.Write(
        "slidora", "#!/bin/sh\necho \"$PWD $#\" > '" + note.toUtf8() + "'\n");
    QFile::setPermissions(lecteur, QFile::permissions(lecteur) | QFile::ExeOwner);
    programmeDossier.dossier.Write("zad.wmv", "video");

    QElapsedTimer depuis;
    depuis.start();
    Lancer();
    ASSERT_TRUE(Attendre([&] { return QFile::exists(note); }, 5000));
    // No window of the first copy exists yet, still a second one ends.
    QProcess& second = Lancer();
    EndsSilently(second);
    EXPECT_EQ(Fenetres(Principale), 0);

    ASSERT_TRUE(Attendre([] { return Fenetres(Principale) == 1; }, 30000));
    EXPECT_GE(depuis.elapsed(), 16000);
    QFile lu(note);
    ASSERT_TRUE(lu.open(QIODevice::ReadOnly));
    EXPECT_EQ(lu.readAll().trimmed(), programmeDossier.dossier.Path().toUtf8() + " 0");
    // The loading window is there, hidden, as the marker of the running copy.
    EXPECT_NE(Global::TrouverFenetre("loading zad"), 0);
}

TEST_F(StartupTest, APlayerThatCannotStartIsReportedAndTheLoadingWindowShows)
{
    programmeDossier.dossier.Write("zad.wmv", "video");
    programmeDossier.dossier.Write("slidora", "pas un programme");
    QElapsedTimer depuis;
    depuis.start();
    QProcess& harnix = Lancer();
    ASSERT_TRUE(Attendre([] { return Fenetres("Harnix") == 1; }, 20000));
    for (int i = 0; i < 10 && Fenetres(Principale) == 0; ++i) {
        QProcess::execute("xdotool", {"key", "Return"});
        Attendre([] { return Fenetres(Principale) == 1; }, 500);
    }
    ASSERT_EQ(Fenetres(Principale), 1);
    EXPECT_LT(depuis.elapsed(), 16000);
    EXPECT_EQ(Fenetres("Loading ZAD"), 1);
    EXPECT_EQ(harnix.state(), QProcess::Running);
}

TEST_F(StartupTest, AnotherProgramsLoadingZadWindowStopsTheStart)
{
    EXPECT_EQ(Global::TrouverFenetre("Loading ZAD"), 0);
    QWidget autre;
    autre.setWindowTitle("xx loading ZAD");
    autre.show();
    QWidget longue;
    longue.setWindowTitle(QString(119, 'x') + "Loading ZAD");
    longue.show();
    ASSERT_TRUE(Attendre([] { return Fenetres("xx loading ZAD") == 1; }, 5000));
    EXPECT_NE(Global::TrouverFenetre("LOADING zad"), 0);
    // Only the first 119 characters of a caption are searched.
    EXPECT_EQ(Global::TrouverFenetre("xLoading"), 0);

    QProcess& harnix = Lancer();
    EndsSilently(harnix);
    EXPECT_EQ(Fenetres(Principale), 0);
}

TEST_F(StartupTest, WithoutTheDatabaseTheProgramSaysSoAndEnds)
{
    QFile::remove(QString::fromStdString(programmeDossier.Fichier("zad.MDB")));
    QProcess& harnix = Lancer();
    // The message box has the program's title.
    ASSERT_TRUE(Attendre([] { return Fenetres("Harnix") == 1; }, 20000));
    EXPECT_EQ(Fenetres(Principale), 0);
    EXPECT_EQ(harnix.state(), QProcess::Running);
    // OK, pressed as a person would, on the box that has the focus.
    for (int i = 0; i < 10 && harnix.state() != QProcess::NotRunning; ++i) {
        QProcess::execute("xdotool", {"key", "Return"});
        harnix.waitForFinished(500);
    }
    EndsSilently(harnix);
    EXPECT_EQ(Fenetres(Principale), 0);
}

// The real program, a real click and an error that no handler traps: the runtime's box, titled
// with the program's name, then the end of the program through End, not an abort.
TEST_F(StartupTest, AnErrorNoHandlerTrapsEndsTheProgramWithItsBox)
{
    QProcess& harnix = Lancer();
    ASSERT_TRUE(Attendre([] { return Fenetres(Principale) == 1; }, 20000));
    ASSERT_TRUE(
        QFile::rename(QString::fromStdString(programmeDossier.Fichier("zad.MDB")),
                      QString::fromStdString(programmeDossier.Fichier("zad.MDB.ailleurs"))));
    // "Journal des consomations", in the main window's centred panel.
    const int x = win::TwipsToPixels((win::ScreenWidthTwips() - 8040) / 2 + 4140 + 3660 / 2);
    const int y = win::TwipsToPixels((win::ScreenHeightTwips() - 5160) / 2 + 1320 + 480 / 2);
    QProcess::execute("xdotool", {"search", "--name", "^Gestion de$", "mousemove", "--window", "%1",
                                  QString::number(x), QString::number(y), "click", "1"});
    ASSERT_TRUE(Attendre([] { return Fenetres("Harnix") == 1; }, 10000));
    EXPECT_EQ(harnix.state(), QProcess::Running);
    for (int i = 0; i < 10 && harnix.state() != QProcess::NotRunning; ++i) {
        QProcess::execute("xdotool", {"key", "Return"});
        harnix.waitForFinished(500);
    }
    ASSERT_EQ(harnix.state(), QProcess::NotRunning);
    EXPECT_EQ(harnix.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(harnix.exitCode(), 1);
}

TEST_F(StartupTest, TheFirstStartUpgradesTheDatabase)
{
    programmeDossier.Executer("UPDATE InfoSociete SET VD = NULL");
    programmeDossier.AjouterProcedure("EtatCA", "ancien texte");
    QProcess& harnix = Lancer();
    ASSERT_TRUE(Attendre([] { return Fenetres(Principale) == 1; }, 20000));
    EXPECT_EQ(vb::CStr(programmeDossier.Societe("VD")), "001");
    EXPECT_EQ(programmeDossier.Procedures(),
              std::string("EtatCA=") + FrmPrincipal::ProcedureEtatCA + "\n");
    harnix.kill();
}

// Asked to end by the system (SIGTERM at a shutdown), the running program ends as "Quitter"
// ends it, and zad.MDB copied alone holds what it wrote (here the first start's upgrade).
TEST_F(StartupTest, SigtermEndsTheProgramAndTheFileAloneHoldsItsWrites)
{
    programmeDossier.Executer("UPDATE InfoSociete SET VD = NULL");
    programmeDossier.AjouterProcedure("EtatCA", "ancien texte");
    QProcess& harnix = Lancer();
    ASSERT_TRUE(Attendre([] { return Fenetres(Principale) == 1; }, 20000));
    harnix.terminate();
    ASSERT_TRUE(harnix.waitForFinished(15000));
    EXPECT_EQ(harnix.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(harnix.exitCode(), 0);
    const std::string zad = programmeDossier.Fichier("zad.MDB");
    for (const char* suffixe : {"-wal", "-shm", "-journal"})
        EXPECT_FALSE(QFile::exists(QString::fromStdString(zad + suffixe))) << suffixe;
    QTemporaryDir ailleurs;
    const QString copie = ailleurs.filePath("zad.MDB");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(zad), copie));
    ado::Connection c;
    c.Open(database::ConnectionString(copie.toStdString(), database::ZadPassword()));
    ado::Recordset rs;
    rs.Open("SELECT VD FROM InfoSociete", c);
    EXPECT_EQ(vb::CStr(rs.Fields(0L).Value()), "001");
}

} // namespace
