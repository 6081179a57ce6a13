// Scanning an article's picture: the scanner window over SANE's test backend (enabled by
// SANE_CONFIG_DIR: two virtual scanners drawing a 157 x 196 colour pattern), opened from the
// article window.

#include "ImagesFixture.h"

#include "harnix/catalogue/FenScanner.h"
#include "harnix/commun/Global.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/Drive.h"
#include "platform/scan/Twain.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

using namespace forms::testing;
using catalogue::testing::ImagesTest;

#include <dlfcn.h>

// SANE's test backend can leak its reader thread's buffer, a race of its own; kept loaded, it keeps
// its name in a leak report, so that the sanitizer build's suppression for it applies.
[[maybe_unused]] static void* const testBackend =
    dlopen(SANE_TEST_BACKEND, RTLD_NOW | RTLD_NODELETE);

namespace {

class FenScannerTest : public ImagesTest
{
protected:
    void SetUp() override
    {
        ImagesTest::SetUp();
        scan::SetSourceChooser([](const std::vector<scan::Device>&, QWidget*) {
            return std::optional<std::string>("test:0");
        });
    }

    QStringList Fichiers() const { return QDir(Images()).entryList(QDir::Files | QDir::Hidden); }

    // Scans article 1050 from the article window: the scanner window is driven by the action.
    // The article window's activation when the scanner window closes takes it back to its first
    // article.
    void Scanner(FrmStock& f, const std::function<void(FenScanner&)>& action)
    {
        AllerA(f, 1050);
        bool vue = false;
        OnNextModal([&](forms::Form& modale) {
            vue = true;
            auto& fenetre = dynamic_cast<FenScanner&>(modale);
            EXPECT_EQ(fenetre.Caption(), "Scanner");
            EXPECT_EQ(Global::CheminImageScannee, (Images() + "/1050.jpg").toStdString());
            action(fenetre);
            if (fenetre.isVisible())
                fenetre.Unload();
        });
        Click(*f.CmdScanner);
        EXPECT_TRUE(vue);
    }
};

TEST_F(FenScannerTest, AScanBecomesTheArticlesPicture190PixelsWide)
{
    FrmStock& f = Ouvrir();
    // Active before the move: an activation requeries and goes back to the first article.
    Focus(*f.CmdScanner);
    Scanner(f, [](FenScanner& s) {
        Click(*s.Command1);
        EXPECT_EQ(scan::ChosenSource(), "test:0");
        Click(*s.Command2);
        EXPECT_EQ(s.Picture1->Picture().size(), QSize(157, 196));
        Click(*s.cmdOK);
    });
    EXPECT_EQ(Stocke(1050, "Image"), "1050");
    // The window went back to its first article meanwhile: that one is left alone.
    EXPECT_EQ(Stocke(1000, "Image"), "Null");
    const QImage ecrite(Images() + "/1050.jpg");
    // 190 / 157 x 196 = 237.2.
    EXPECT_EQ(ecrite.size(), QSize(190, 237));
    AllerA(f, 1050);
    EXPECT_EQ(f.Image1->Picture().size(), QSize(190, 237));

    // A second scan replaces the file found under another case.
    QFile::rename(Images() + "/1050.jpg", Images() + "/1050.JPG");
    Scanner(f, [](FenScanner& s) {
        Click(*s.Command2);
        Click(*s.cmdOK);
    });
    EXPECT_EQ(Fichiers(), QStringList{"1050.JPG"});
}

TEST_F(FenScannerTest, NothingScannedLeavesTheArticleAsItWas)
{
    Execute("UPDATE ArticleEnStock SET Image = 'ancienne' WHERE Reference = 1050");
    FrmStock& f = Ouvrir();
    // Active before the move: an activation requeries and goes back to the first article.
    Focus(*f.CmdScanner);
    // Closed without a scan.
    Scanner(f, [](FenScanner& s) { s.Unload(forms::FormControlMenu); });
    // OK without a scan.
    Scanner(f, [](FenScanner& s) { Click(*s.cmdOK); });
    // A scanner that fails, with an older picture on the clipboard: it is not taken.
    QImage ancienne(50, 50, QImage::Format_RGB32);
    ancienne.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(ancienne);
    scan::SetChosenSource("absent:0");
    Script().ExpectMsgBox(forms::vbOK, "absent:0");
    Scanner(f, [](FenScanner& s) {
        Click(*s.Command2);
        EXPECT_TRUE(s.Picture1->Picture().isNull());
        Click(*s.cmdOK);
    });
    EXPECT_EQ(Stocke(1050, "Image"), "ancienne");
    EXPECT_TRUE(Fichiers().isEmpty());
}

TEST_F(FenScannerTest, TheSavedHeightRoundsHalfToEvenAndAFailedWriteIsSaid)
{
    const struct
    {
        QSize scan;
        QSize enregistree;
    } cas[] = {{{380, 285}, {190, 142}}, {{380, 287}, {190, 144}}, {{190, 77}, {190, 77}}};
    for (const auto& c : cas) {
        Global::CheminImageScannee = (Images() + "/t.jpg").toStdString();
        FenScanner& s = forms::form<FenScanner>();
        QImage page(c.scan, QImage::Format_RGB32);
        page.fill(Qt::gray);
        s.Picture1->SetPicture(page);
        s.cmdOK_Click();
        EXPECT_TRUE(FenScanner::ImageEnregistree);
        EXPECT_EQ(QImage(Images() + "/t.jpg").size(), c.enregistree);
        ProcessEvents();
    }

    Global::CheminImageScannee = (Images() + "/absent/t.jpg").toStdString();
    FenScanner& s = forms::form<FenScanner>();
    s.Picture1->SetPicture(QImage(10, 10, QImage::Format_RGB32));
    Script().ExpectMsgBox(forms::vbOK, "Erreur sur l'image: '" + Images() + "/absent/t.jpg'");
    s.cmdOK_Click();
    EXPECT_EQ(Script().Boxes().back().style, forms::vbCritical);
    EXPECT_FALSE(FenScanner::ImageEnregistree);
    EXPECT_FALSE(forms::IsLoaded<FenScanner>());
}

} // namespace
