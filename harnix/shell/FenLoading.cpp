#include "harnix/shell/FenLoading.h"

#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Version.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/MousePointer.h"

#include <QApplication>
#include <QStyle>

namespace {

QString TexteVersion()
{
    return QString("Version %1.%2.%3")
        .arg(Version::Major)
        .arg(Version::Minor)
        .arg(Version::Revision);
}

} // namespace

FenLoading::FenLoading()
{
    setObjectName("FenLoading");
    SetCaption("Loading ZAD");
    SSPanel1 = new forms::Panel("SSPanel1", {}, this);
    picIcon = new forms::Label("picIcon", {}, SSPanel1);
    picIcon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(48, 48));
    lblTitle = new forms::Label("lblTitle", {}, SSPanel1);
    QFont titre = lblTitle->font();
    titre.setPointSize(titre.pointSize() + 6);
    titre.setBold(true);
    lblTitle->setFont(titre);
    lblVersion = new forms::Label("lblVersion", {}, SSPanel1);
    lblDescription = new forms::Label("lblDescription", {}, SSPanel1);
    lblDisclaimer =
        new forms::Label("lblDisclaimer", "Chargement en cours, veuillez patienter...", SSPanel1);
    lblDisclaimer->setWordWrap(true);
    // The designed window is larger than its panel; the load fits it to the panel.
    forms::MoveTwips(*SSPanel1, 0, 0, 6255, 3030);
    forms::MoveTwips(*picIcon, 360, 360, 720, 720);
    forms::MoveTwips(*lblTitle, 1320, 360, 4700, 600);
    forms::MoveTwips(*lblVersion, 1320, 1080, 4700, 300);
    forms::MoveTwips(*lblDescription, 1320, 1440, 4700, 300);
    forms::MoveTwips(*lblDisclaimer, 360, 2160, 5535, 600);
    Move(0, 0, 7200, 4200);
}

void FenLoading::Form_Load()
{
    SetHeight(forms::HeightTwips(*SSPanel1));
    SetWidth(forms::WidthTwips(*SSPanel1));
    forms::SetMousePointer(forms::MousePointer::Hourglass);
    FonctionUtilitaires::CentrerFenetre(*this);
    lblVersion->SetCaption(TexteVersion());
    lblTitle->SetCaption(Version::FileDescription);
    lblDescription->SetCaption("");
    // The window exists on the display from its load on, shown or not, so that its caption marks
    // the running copy.
    winId();
}
