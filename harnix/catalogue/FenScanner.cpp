#include "harnix/catalogue/FenScanner.h"

#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "harnix/pictures/cDIBSection.h"
#include "harnix/pictures/mIntelJPEGLibrary.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/scan/Twain.h"
#include "platform/vb/Error.h"

#include <QClipboard>
#include <QGuiApplication>

#include <cmath>

namespace {

// Width of the saved pictures, in pixels.
constexpr int32_t LargeurImage = 190;

} // namespace

FenScanner::FenScanner()
{
    setObjectName("FenScanner");
    SetCaption("Scanner");
    forms::Form::Move(0, 0, 5850, 3700);
    Picture1 = new forms::Image("Picture1", this);
    Picture1->SetStretch(true);
    forms::MoveTwips(*Picture1, 120, 120, 2850, 2850);
    Command1 = new forms::CommandButton("Command1", "Selectionnez le scanner", this);
    Command2 = new forms::CommandButton("Command2", "Scannez", this);
    cmdOK = new forms::CommandButton("cmdOK", "OK", this);
    forms::MoveTwips(*Command1, 3150, 120, 2400, 420);
    forms::MoveTwips(*Command2, 3150, 660, 2400, 420);
    forms::MoveTwips(*cmdOK, 3150, 2550, 2400, 420);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
}

void FenScanner::Form_Load()
{
    ImageEnregistree = false;
    FonctionUtilitaires::CentrerFenetre(*this);
}

// Chooses the scanner.
void FenScanner::Command1_Click()
{
    scan::TWAIN_SelectImageSource(this);
}

// Only a page that the scan put on the clipboard is taken: an older picture copied there never
// becomes the article's.
void FenScanner::Command2_Click()
{
    if (!scan::TWAIN_AcquireToClipboard(this))
        return;
    const QImage page = QGuiApplication::clipboard()->image();
    if (!page.isNull())
        Picture1->SetPicture(page);
}

void FenScanner::cmdOK_Click()
{
    if (Picture1->Picture().isNull()) {
        Unload();
        return;
    }
    bool ecrite = false;
    try {
        auto section = std::make_unique<cDIBSection>();
        section->CreateFromPicture(Picture1->Picture());
        if (section->Width() != 0) {
            const auto hauteur = int32_t(
                std::nearbyint(double(LargeurImage) / section->Width() * section->Height()));
            section = section->Resample(hauteur, LargeurImage);
            if (!section)
                throw vb::Error(91, "Object variable or With block variable not set");
        }
        ecrite = mIntelJPEGLibrary::SaveDibToJpeg(*section, Global::CheminImageScannee, 90);
    } catch (const vb::Error&) {
        ecrite = false;
    }
    if (ecrite)
        ImageEnregistree = true;
    else
        forms::MsgBox(
            QString::fromStdString("Erreur sur l'image: '" + Global::CheminImageScannee + "'"),
            forms::vbCritical);
    Unload();
}
