// The article window's picture: its display, the hover zoom, the choice of a file and the scan.

#include "harnix/catalogue/FenScanner.h"
#include "harnix/catalogue/FrmStock.h"
#include "harnix/catalogue/mCommonDialog.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/Global.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"
#include "platform/win/FileSearch.h"

#include <QFile>
#include <QMouseEvent>

namespace {

// The picture's height on the card, in twips (190 pixels).
constexpr int HauteurImage = 2850;

std::string DossierImages()
{
    return win::NormalizePath(FnTundrel::AjouterAntiSlash(Global::CheminImages));
}

// The name of an article's picture file: its Image field, trimmed, and ".jpg".
std::string NomImage(const vb::Variant& image)
{
    return (image.IsNull() ? std::string() : vb::Trim(vb::CStr(image))) + ".jpg";
}

} // namespace

void FrmStock::CreerZoneImage()
{
    Image1 = new forms::Image("Image1", FrameFicheProduit);
    Image1->SetStretch(true);
    forms::MoveTwips(*Image1, 6550, 5250, HauteurImage, HauteurImage);
    Image1->hide();
    Picture1 = new forms::PictureBox("Picture1", this);
    Picture1->move(0, 0);
    Picture1->hide();
    CmdChoixImage = new forms::CommandButton("CmdChoixImage", "Séléctionner l'image", this);
    CmdScanner = new forms::CommandButton("CmdScanner", "Scanner", this);
    forms::MoveTwips(*CmdChoixImage, 5300, 9060, 2100, 420);
    forms::MoveTwips(*CmdScanner, 7500, 9060, 1300, 420);
    setMouseTracking(true);
    connect(Image1, &forms::Image::MouseMove, this, [this] { Image1_MouseMove(); });
    connect(CmdChoixImage, &QPushButton::clicked, this, [this] { CmdChoixImage_Click(); });
    connect(CmdScanner, &QPushButton::clicked, this, [this] { CmdScanner_Click(); });
}

// The card article's picture from the picture folder, found without regard to case. A file that
// cannot be read empties both pictures after its message, and the sizing that follows reports.
void FrmStock::ChargerImage()
{
    if (rs[Fiche].State() != ado::adStateOpen)
        return;
    try {
        std::string nom;
        try {
            nom = NomImage(rs[Fiche]["Image"].Value());
        } catch (const vb::Error& erreur) {
            if (erreur.Number() != vb::ErrNoCurrentRecord)
                throw;
        }
        const std::optional<std::string> fichier = win::FindFileIgnoringCase(DossierImages(), nom);
        if (!fichier) {
            Image1->hide();
            return;
        }
        Image1->show();
        QImage image;
        if (image.load(QString::fromStdString(*fichier))) {
            Picture1->SetPicture(image);
        } else {
            forms::MsgBox("A picture file is no good format", forms::vbCritical, "Erreur");
            Picture1->SetPicture({});
            Image1->SetPicture({});
        }
        const QImage& chargee = Picture1->Picture();
        if (chargee.isNull())
            vb::Raise(vb::ErrOverflow);
        const double rapport = double(chargee.height()) / chargee.width();
        forms::SetHeightTwips(*Image1, HauteurImage);
        forms::SetWidthTwips(*Image1, int(std::lround(HauteurImage / rapport)));
        Image1->SetPicture(chargee);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("ChargerImage", erreur);
    }
}

// The pointer over the thumbnail shows the picture enlarged.
void FrmStock::Image1_MouseMove()
{
    Picture1->raise();
    Picture1->show();
}

void FrmStock::Form_MouseMove()
{
    Picture1->hide();
}

void FrmStock::mouseMoveEvent(QMouseEvent* event)
{
    if (childAt(event->position().toPoint()) == nullptr)
        Form_MouseMove();
    forms::Form::mouseMoveEvent(event);
}

// The chosen file's name less its last four characters becomes the article's picture name. A
// file of another folder, or with another extension, is copied into the picture folder under
// that name, unless a file of that name is there already: the article then shows that one, and
// no other article's picture is ever overwritten.
void FrmStock::CmdChoixImage_Click()
{
    std::string nom;
    std::string titre;
    std::string filtre = "JPEG Files (*.JPG)|*.JPG";
    int32_t index = 1;
    int32_t drapeaux = 0;
    bool lectureSeule = false;
    if (!mCommonDialog::ShowOpenFileDialog(nom, titre, true, false, lectureSeule, true, filtre,
                                           index, DossierImages(), "", "JPG", this, drapeaux))
        return;
    try {
        QImage choisie;
        if (!choisie.load(QString::fromStdString(nom)))
            throw vb::Error(481, "Invalid picture");
        Image1->SetPicture(choisie);
        const std::string fichier = FnTundrel::NomFichier(nom);
        const std::string image = vb::Left(fichier, vb::Len(fichier) - 4);
        if (!CarteSurUneLigne())
            vb::Raise(vb::ErrNoCurrentRecord);
        if (!win::FindFileIgnoringCase(DossierImages(), image + ".jpg"))
            QFile::copy(QString::fromStdString(nom),
                        QString::fromStdString(DossierImages() + image + ".jpg"));
        rs[Fiche]["Image"] = image;
        rs[Fiche].Update();
        ChargerImage();
    } catch (const vb::Error&) {
        Image1->SetPicture({});
        vb::ResumeNext span;
        span([&] { rs[Fiche].CancelUpdate(); });
    }
}

// The article's number names the scanned picture. The article takes that name only once the
// scanner window has written the file, so that a window closed without a scan, or a failed
// write, leaves the article's picture as it was.
void FrmStock::CmdScanner_Click()
{
    if (!CarteSurUneLigne())
        return;
    std::string reference;
    try {
        reference = vb::Trim(vb::CStr(rs[Fiche]["Reference"].Value()));
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("CmdScanner", erreur);
        return;
    }
    Global::CheminImageScannee = DossierImages() + reference + ".jpg";
    forms::form<FenScanner>().Show(forms::Modal, this);
    if (FenScanner::ImageEnregistree) {
        try {
            NommerImage(reference);
        } catch (const vb::Error& erreur) {
            vb::ResumeNext span;
            span([&] { rs[Fiche].CancelUpdate(); });
            FnTundrel::AfficherErreur("CmdScanner", erreur);
        }
    }
    ChargerImage();
}

// The window's activation at the scanner window's close requeries the card, which may then
// stand on another article: the scanned one is found by its number, and the card goes back.
void FrmStock::NommerImage(const std::string& reference)
{
    const std::string critere = "[Reference]=" + reference;
    if (CarteSurUneLigne() && vb::Trim(vb::CStr(rs[Fiche]["Reference"].Value())) == reference) {
        rs[Fiche]["Image"] = reference;
        rs[Fiche].Update();
        return;
    }
    const bool surUneLigne = CarteSurUneLigne();
    const ado::Bookmark signet = surUneLigne ? rs[Fiche].GetBookmark() : ado::Bookmark();
    rs[Fiche].Find(critere, 0, ado::adSearchForward, ado::adBookmarkFirst);
    if (CarteSurUneLigne()) {
        rs[Fiche]["Image"] = reference;
        rs[Fiche].Update();
    }
    if (surUneLigne)
        rs[Fiche].SetBookmark(signet);
}
