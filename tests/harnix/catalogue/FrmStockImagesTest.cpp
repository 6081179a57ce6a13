// The article window's picture: display at a fixed height, the hover zoom, the choice of a file
// and the scan through the scanner window (SANE's test backend, enabled by SANE_CONFIG_DIR).

#include "ImagesFixture.h"

#include "harnix/catalogue/FenScanner.h"
#include "harnix/catalogue/mCommonDialog.h"
#include "harnix/commun/Global.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/testing/Drive.h"
#include "platform/forms/testing/ProgramFolder.h"
#include "platform/scan/Twain.h"
#include "platform/vb/Error.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTest>

using namespace forms::testing;
using catalogue::testing::ImagesTest;

namespace {

class FrmStockImagesTest : public ImagesTest
{
protected:
    // A picture of that size, its top half of the colour, saved under the path.
    static void Ecrire(const QString& chemin, QSize taille, QColor couleur = Qt::red)
    {
        QImage image(taille, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter(&image).fillRect(0, 0, taille.width(), taille.height() / 2, couleur);
        ASSERT_TRUE(image.save(chemin, "JPG")) << chemin.toStdString();
    }

    // The window on the card of the article.
    FrmStock& Carte(long reference)
    {
        FrmStock& f = Ouvrir();
        ProcessEvents();
        AllerA(f, reference);
        f.OptionFiche->SetValue(true);
        ProcessEvents();
        return f;
    }
};

TEST_F(FrmStockImagesTest, ThePictureIsShownAtAFixedHeightFoundWithoutRegardToCase)
{
    Execute("UPDATE ArticleEnStock SET Image = 'A12 ' WHERE Reference = 1050");
    Execute("UPDATE ArticleEnStock SET Image = 'shoe' WHERE Reference = 1003");
    Ecrire(Image("A12.jpg"), {400, 300});
    Ecrire(Image("SHOE.JPG"), {100, 200}, Qt::blue);

    FrmStock& f = Carte(1050);
    EXPECT_TRUE(f.Image1->isVisible());
    EXPECT_EQ(f.Picture1->Picture().size(), QSize(400, 300));
    EXPECT_EQ(forms::HeightTwips(*f.Image1), 2850);
    EXPECT_EQ(f.Image1->width(), 3800 / 15);

    AllerA(f, 1003);
    EXPECT_TRUE(f.Image1->isVisible());
    EXPECT_EQ(f.Picture1->Picture().size(), QSize(100, 200));
    EXPECT_EQ(f.Image1->width(), 95);
    EXPECT_EQ(QColor(f.Image1->Picture().pixel(50, 10)).blue(), 254);

    // No picture file: the card's picture is hidden, the zoom keeps the last one.
    AllerA(f, 1000);
    EXPECT_FALSE(f.Image1->isVisible());
    EXPECT_EQ(f.Picture1->Picture().size(), QSize(100, 200));
}

TEST_F(FrmStockImagesTest, AFileThatIsNoPictureIsSaidAndEmptiesBothPictures)
{
    Execute("UPDATE ArticleEnStock SET Image = 'BAD' WHERE Reference = 1050");
    QFile mauvais(Image("bad.jpg"));
    ASSERT_TRUE(mauvais.open(QIODevice::WriteOnly));
    mauvais.write("not a picture");
    mauvais.close();
    Ecrire(Image("1000.jpg"), {40, 30});
    Execute("UPDATE ArticleEnStock SET Image = '1000' WHERE Reference = 1000");

    FrmStock& f = Carte(1000);
    ASSERT_FALSE(f.Picture1->Picture().isNull());
    Script().ExpectMsgBox(forms::vbOK, "A picture file is no good format");
    Script().ExpectMsgBox(forms::vbOK, "ChargerImage");
    AllerA(f, 1050);
    ASSERT_EQ(Script().Boxes().size(), 2u);
    EXPECT_EQ(Script().Boxes()[0].style, forms::vbCritical);
    EXPECT_EQ(Script().Boxes()[0].title, "Erreur");
    EXPECT_TRUE(f.Picture1->Picture().isNull());
    EXPECT_TRUE(f.Image1->Picture().isNull());
}

TEST_F(FrmStockImagesTest, AnEmptyCatalogueShowsNoPictureAndNoError)
{
    Execute("DELETE FROM ArticleEnStock");
    Ecrire(Image(".jpg"), {10, 10});
    FrmStock& f = Ouvrir();
    f.OptionFiche->SetValue(true);
    f.DBGridStockVisible();
    EXPECT_FALSE(f.Image1->isVisible());
    EXPECT_TRUE(Script().Boxes().empty());
}

TEST_F(FrmStockImagesTest, TheZoomShowsOverImage1AndHidesOnlyOverTheWindowsBackground)
{
    Execute("UPDATE ArticleEnStock SET Image = '1050' WHERE Reference = 1050");
    Ecrire(Image("1050.jpg"), {300, 200});
    FrmStock& f = Carte(1050);
    ASSERT_TRUE(f.Image1->isVisible());
    EXPECT_FALSE(f.Picture1->isVisible());

    QTest::mouseMove(f.Image1, f.Image1->rect().center());
    ProcessEvents();
    EXPECT_TRUE(f.Picture1->isVisible());
    EXPECT_EQ(f.Picture1->pos(), QPoint(0, 0));
    EXPECT_EQ(f.Picture1->size(), QSize(300, 200));
    // Over another control, over the card's frame, or over the zoom itself: still shown.
    for (QWidget* autre :
         std::initializer_list<QWidget*>{&f.Text2(1), f.FrameFicheProduit, f.Picture1}) {
        QTest::mouseMove(autre, QPoint(2, 2));
        ProcessEvents();
        EXPECT_TRUE(f.Picture1->isVisible()) << autre->objectName().toStdString();
    }
    // Over the window's own background, between the buttons at the bottom.
    const QPoint fond(f.CmdScanner->geometry().right() + 3, f.CmdScanner->geometry().center().y());
    ASSERT_EQ(f.childAt(fond), nullptr);
    QTest::mouseMove(&f, fond);
    ProcessEvents();
    EXPECT_FALSE(f.Picture1->isVisible());
}

TEST_F(FrmStockImagesTest, ChoosingAFileNamesThePictureAndCopiesOnlyWhatThePictureFolderLacks)
{
    forms::testing::ProgramFolder ailleurs;
    auto ecrireAilleurs = [&](const QString& nom, QColor couleur) {
        const QString chemin = ailleurs.FilePath(nom);
        Ecrire(chemin, {60, 40}, couleur);
        return chemin;
    };
    Ecrire(Image("gant.jpg"), {30, 30});
    Ecrire(Image("casque.jpg"), {20, 40}, Qt::green);
    struct Cas
    {
        QString choisi;
        std::string image;
        QString fichier; // the file the article shows
        QColor haut;     // the colour of its top half
    } cas[] = {
        {Image("gant.jpg"), "gant", "gant.jpg", Qt::red},
        {ecrireAilleurs("shoe.jpg", Qt::blue), "shoe", "shoe.jpg", Qt::blue},
        // The last four characters are cut, the dot stays.
        {ecrireAilleurs("pic.jpeg", Qt::blue), "pic.", "pic..jpg", Qt::blue},
        // The picture folder's own casque.jpg, another article's, is neither replaced nor lost.
        {ecrireAilleurs("casque.jpg", Qt::blue), "casque", "casque.jpg", Qt::green},
    };
    FrmStock& f = Carte(1050);
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.choisi.toStdString());
        Script().ExpectFile(RecordedBox::OpenFile, c.choisi);
        Click(*f.CmdChoixImage);
        EXPECT_EQ(Script().Boxes().back().filter, "JPEG Files (*.JPG)|*.JPG");
        EXPECT_EQ(Script().Boxes().back().initialDir, Images() + "/");
        EXPECT_EQ(Stocke(1050, "Image"), c.image);
        EXPECT_TRUE(QFile::exists(Image(c.fichier)));
        EXPECT_TRUE(f.Image1->isVisible());
        const QColor haut = f.Picture1->Picture().pixel(2, 2);
        EXPECT_EQ(haut.red() > 200, c.haut.red() > 200);
        EXPECT_EQ(haut.green() > 200, c.haut.green() > 200);
        EXPECT_EQ(haut.blue() > 200, c.haut.blue() > 200);
    }

    // Cancelled, or a file that is no picture: the article keeps its picture.
    Script().ExpectFile(RecordedBox::OpenFile, "");
    Click(*f.CmdChoixImage);
    EXPECT_EQ(Stocke(1050, "Image"), "casque");
    const QString texte = ailleurs.Write("notes.jpg", "text");
    Script().ExpectFile(RecordedBox::OpenFile, texte);
    Click(*f.CmdChoixImage);
    EXPECT_EQ(Stocke(1050, "Image"), "casque");
    EXPECT_TRUE(f.Image1->Picture().isNull());
    EXPECT_FALSE(QFile::exists(Image("notes.jpg")));
}

TEST(mCommonDialog, FilterListsNamesAndCancel)
{
    const std::string liste("JPEG Files (*.JPG)\0*.JPG\0All\0*.*\0\0", 35);
    EXPECT_EQ(mCommonDialog::FilterAtIndex(liste, 1), std::string("JPEG Files (*.JPG)\0*.JPG", 24));
    EXPECT_EQ(mCommonDialog::FilterAtIndex(liste, 2), std::string("All\0*.*", 7));
    EXPECT_EQ(mCommonDialog::FilterAtIndex("", 1), "");
    EXPECT_EQ(mCommonDialog::TrimAtNull(std::string("abc\0def", 7)), "abc");
    EXPECT_EQ(mCommonDialog::TrimAtNull("abc"), "abc");

    std::string nom(261, 'a');
    std::string titre;
    std::string filtre = "JPEG Files (*.JPG)|*.JPG";
    int32_t index = 1;
    int32_t drapeaux = 0x20;
    bool lecture = false;
    auto montrer = [&] {
        return mCommonDialog::ShowOpenFileDialog(nom, titre, true, false, lecture, true, filtre,
                                                 index, "/tmp/", "", "JPG", nullptr, drapeaux);
    };
    try {
        montrer();
        ADD_FAILURE() << "no error";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), vb::ErrInvalidCall);
    }

    nom.clear();
    forms::testing::Script().ExpectFile(RecordedBox::OpenFile, "/tmp/photos/shoe.JPG");
    EXPECT_TRUE(montrer());
    EXPECT_EQ(nom, "/tmp/photos/shoe.JPG");
    EXPECT_EQ(titre, "shoe.JPG");
    EXPECT_EQ(filtre, std::string("JPEG Files (*.JPG)\0*.JPG", 24));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(drapeaux, 0x1004);

    forms::testing::Script().ExpectFile(RecordedBox::OpenFile, "");
    EXPECT_FALSE(montrer());
    EXPECT_EQ(nom, "");
    EXPECT_EQ(titre, "");
    EXPECT_EQ(filtre, "");
    EXPECT_EQ(index, -1);
    EXPECT_EQ(drapeaux, 0);
    forms::testing::Script().VerifyAllAnswered();
}

} // namespace
