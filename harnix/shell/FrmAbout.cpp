#include "harnix/shell/FrmAbout.h"

#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "harnix/commun/Version.h"
#include "platform/forms/Geometry.h"
#include "platform/vb/Error.h"
#include "platform/win/End.h"
#include "platform/win/Process.h"

#include <QApplication>
#include <QStyle>

frmAbout::frmAbout()
{
    setObjectName("frmAbout");
    picIcon = new forms::Label("picIcon", {}, this);
    picIcon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(48, 48));
    lblTitle = new forms::Label("lblTitle", {}, this);
    QFont titre = lblTitle->font();
    titre.setPointSize(titre.pointSize() + 4);
    titre.setBold(true);
    lblTitle->setFont(titre);
    lblVersion = new forms::Label("lblVersion", {}, this);
    lblDescription = new forms::Label("lblDescription", {}, this);
    lblDisclaimer = new forms::Label(
        "lblDisclaimer",
        "Ce logiciel est protégé par les lois sur le droit d'auteur. Toute reproduction ou "
        "diffusion non autorisée est interdite.",
        this);
    lblDisclaimer->setWordWrap(true);
    Label1 = new forms::Label("Label1", AdresseWeb, this);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->setStyleSheet("color: blue; text-decoration: underline;");
    cmdOK = new forms::CommandButton("cmdOK", "OK", this);
    cmdOK->setDefault(true);
    Command1 = new forms::CommandButton("Command1", "Téléchargement de mise à jour", this);

    forms::MoveTwips(*picIcon, 240, 240, 720, 720);
    forms::MoveTwips(*lblTitle, 1080, 240, 5300, 480);
    forms::MoveTwips(*lblVersion, 1080, 780, 5300, 300);
    forms::MoveTwips(*lblDescription, 1080, 1110, 5300, 300);
    forms::MoveTwips(*lblDisclaimer, 240, 1500, 6000, 600);
    forms::MoveTwips(*Label1, 240, 2220, 3600, 300);
    forms::MoveTwips(*Command1, 240, 2640, 3600, 375);
    forms::MoveTwips(*cmdOK, 5040, 2640, 1200, 375);
    // Designed at its final size, so that the load's centring places it in the middle.
    Move(0, 0, 6600, 3465);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Label1, &forms::Label::Click, this, [this] { Label1_Click(); });
}

void frmAbout::Form_Load()
{
    FonctionUtilitaires::CentrerFenetre(*this);
    Move(Left(), Top(), 6600, 3465);
    SetCaption(QString("A propos de ") + Version::ProductName);
    lblVersion->SetCaption(
        QString("Version %1.%2.%3").arg(Version::Major).arg(Version::Minor).arg(Version::Revision));
    lblTitle->SetCaption(Version::FileDescription);
    lblDescription->SetCaption("");
}

void frmAbout::cmdOK_Click()
{
    Unload();
}

// Starts the updater from the program folder and ends the program.
void frmAbout::Command1_Click()
{
    const std::string dossier = Global::ProgramFolder();
    if (!FnTundrel::FichierExiste(dossier, Updater))
        return;
    const std::string programme = dossier + "/" + Updater;
    if (win::StartProcess(programme, {}, dossier))
        win::End();
    // The program goes on when the updater cannot start.
    FnTundrel::AfficherErreur(
        "Command1_Click",
        vb::Error(vb::ErrInvalidCall, "Impossible de démarrer le programme " + programme));
}

// Opens the web address in the desktop's browser.
void frmAbout::Label1_Click()
{
    // Any failure is ignored: the address is only a convenience.
    win::ShellOpen(AdresseWeb);
}
