// The in-memory picture (layout, copies, scaling, clipboard) and its JPEG writer, read back with
// Qt.

#include "harnix/pictures/cDIBSection.h"
#include "harnix/pictures/mIntelJPEGLibrary.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/testing/Dialogs.h"
#include "platform/forms/testing/Drive.h"
#include "platform/forms/testing/ProgramFolder.h"
#include "platform/vb/Error.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

using forms::testing::ProgramFolder;

class PicturesTest : public forms::testing::WindowTest
{
};

// A picture whose top half is red and bottom half blue.
QImage RougeSurBleu(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter peintre(&image);
    peintre.fillRect(0, 0, width, height / 2, Qt::red);
    peintre.fillRect(0, height / 2, width, height - height / 2, Qt::blue);
    return image;
}

// The stored bytes of pixel x of stored row r (row 0 is the bottom one).
uint8_t* Octets(cDIBSection& dib, int x, int r)
{
    return dib.DIBSectionBitsPtr() + r * dib.BytesPerScanLine() + 3 * x;
}

bool Rougeatre(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool Bleuatre(QRgb c)
{
    return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60;
}

TEST_F(PicturesTest, RowsArePaddedToFourBytesAndSizesOutOfRangeAreRefused)
{
    const struct
    {
        int32_t width;
        int32_t stride;
    } cases[] = {{1, 4}, {2, 8}, {3, 12}, {190, 572}, {248, 744}};
    for (const auto& c : cases) {
        cDIBSection dib;
        ASSERT_TRUE(dib.Create(c.width, 2)) << c.width;
        EXPECT_EQ(dib.BytesPerScanLine(), c.stride) << c.width;
        EXPECT_NE(dib.hDib(), 0u);
        // Zero-filled, padding included.
        for (int i = 0; i < 2 * c.stride; ++i)
            ASSERT_EQ(dib.DIBSectionBitsPtr()[i], 0) << c.width;
    }
    const struct
    {
        int32_t width;
        int32_t height;
    } refused[] = {{0, 5}, {5, 0}, {-1, 5}, {5, -3}, {800'000'000, 1}, {40'000, 40'000}};
    for (const auto& r : refused) {
        cDIBSection dib;
        ASSERT_TRUE(dib.Create(4, 4));
        EXPECT_FALSE(dib.Create(r.width, r.height)) << r.width << " x " << r.height;
        EXPECT_EQ(dib.Width(), 0);
        EXPECT_EQ(dib.Height(), 0);
        EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
        EXPECT_EQ(dib.Resample(2, 2), nullptr);
    }
    cDIBSection vide;
    EXPECT_FALSE(vide.CreateFromPicture(QImage()));
    EXPECT_EQ(vide.Width(), 0);
}

// The top band lands in the last stored row, blue before red in each pixel; through a scaling
// and a JPEG file, Qt reads the red band back on top.
TEST_F(PicturesTest, OrientationAndColourOrderSurviveCopyScalingAndJpeg)
{
    cDIBSection dib;
    ASSERT_TRUE(dib.CreateFromPicture(RougeSurBleu(64, 48)));
    ASSERT_EQ(dib.Width(), 64);
    ASSERT_EQ(dib.Height(), 48);
    const uint8_t* bas = Octets(dib, 5, 0);
    const uint8_t* haut = Octets(dib, 5, 47);
    EXPECT_EQ((std::array{bas[0], bas[1], bas[2]}), (std::array<uint8_t, 3>{255, 0, 0}));
    EXPECT_EQ((std::array{haut[0], haut[1], haut[2]}), (std::array<uint8_t, 3>{0, 0, 255}));

    std::unique_ptr<cDIBSection> petite = dib.Resample(24, 32);
    ASSERT_NE(petite, nullptr);
    EXPECT_EQ(petite->Width(), 32);
    EXPECT_EQ(petite->Height(), 24);

    ProgramFolder dossier;
    const QString chemin = dossier.FilePath("rb.jpg");
    EXPECT_TRUE(mIntelJPEGLibrary::SaveDibToJpeg(*petite, chemin.toStdString(), 90));
    const QImage relue(chemin);
    ASSERT_EQ(relue.size(), QSize(32, 24));
    EXPECT_TRUE(Rougeatre(relue.pixel(16, 3)));
    EXPECT_TRUE(Bleuatre(relue.pixel(16, 20)));

    // Painted back into a Qt picture, top row first.
    QImage copie(64, 48, QImage::Format_RGB32);
    copie.fill(Qt::white);
    dib.PaintPicture(DeviceContext(&copie));
    EXPECT_EQ(copie.pixel(3, 2), QColor(Qt::red).rgb());
    EXPECT_EQ(copie.pixel(3, 45), QColor(Qt::blue).rgb());
}

// Block transfers take the given corner of the source and stop at the edge of either picture.
TEST_F(PicturesTest, BlockTransfersCopyFromTheCornerGivenClippedToBothPictures)
{
    QImage source(6, 5, QImage::Format_RGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            source.setPixel(x, y, qRgb(10 * x, 10 * y, 7));
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(4, 4));
    dib.LoadPictureBlt(DeviceContext(&source), 3, 2);
    QImage lue(4, 4, QImage::Format_RGB32);
    lue.fill(Qt::white);
    dib.PaintPicture(DeviceContext(&lue));
    EXPECT_EQ(lue.pixel(0, 0), qRgb(30, 20, 7));
    EXPECT_EQ(lue.pixel(2, 2), qRgb(50, 40, 7));
    // Past the source's edge nothing was copied: the picture stays black there.
    EXPECT_EQ(lue.pixel(3, 0), qRgb(0, 0, 0));
    EXPECT_EQ(lue.pixel(0, 3), qRgb(0, 0, 0));

    // Into another picture object at an offset, and past its edge.
    cDIBSection cible;
    ASSERT_TRUE(cible.Create(3, 3));
    dib.PaintPicture(cible.hdc(), 1, 1);
    QImage vue(3, 3, QImage::Format_RGB32);
    cible.PaintPicture(DeviceContext(&vue));
    EXPECT_EQ(vue.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(vue.pixel(1, 1), qRgb(30, 20, 7));
    EXPECT_EQ(vue.pixel(2, 2), qRgb(40, 30, 7));
}

TEST_F(PicturesTest, BilinearScalingFollowsTheStoredArithmetic)
{
    // 4 x 4 to 2 x 2: scales of 1.5; target (1, 1) blends source (1..2, 1..2) half and half.
    cDIBSection source;
    ASSERT_TRUE(source.Create(4, 4));
    Octets(source, 0, 0)[0] = 7;
    Octets(source, 1, 1)[0] = 0;
    Octets(source, 2, 1)[0] = 100;
    Octets(source, 1, 2)[0] = 50;
    Octets(source, 2, 2)[0] = 150;
    Octets(source, 3, 3)[2] = 255; // the last column and row are never sampled at full weight
    auto cible = source.Resample(2, 2);
    ASSERT_NE(cible, nullptr);
    EXPECT_EQ(Octets(*cible, 0, 0)[0], 7);
    // Vertical blends 25 and 125, then 75.
    EXPECT_EQ(Octets(*cible, 1, 1)[0], 75);
    EXPECT_EQ(Octets(*cible, 1, 1)[2], 0);

    // A source one pixel wide repeats its edge; the vertical blends are rounded half to even
    // before the horizontal pass: 10.5 gives 10, 11.5 gives 12, 127.5 gives 128.
    cDIBSection colonne;
    ASSERT_TRUE(colonne.Create(1, 2));
    std::memcpy(Octets(colonne, 0, 0), "\x0a\x0b\x00", 3);
    std::memcpy(Octets(colonne, 0, 1), "\x0b\x0c\xff", 3);
    auto large = colonne.Resample(2, 2);
    ASSERT_NE(large, nullptr);
    for (int x = 0; x < 2; ++x) {
        const uint8_t* b = Octets(*large, x, 0);
        const uint8_t* h = Octets(*large, x, 1);
        EXPECT_EQ((std::array{b[0], b[1], b[2]}), (std::array<uint8_t, 3>{10, 11, 0})) << x;
        EXPECT_EQ((std::array{h[0], h[1], h[2]}), (std::array<uint8_t, 3>{10, 12, 128})) << x;
    }
}

TEST_F(PicturesTest, ScalingToTheSameSizeCopiesBitForBit)
{
    for (const auto& [w, h] : {std::pair{37, 23}, std::pair{5, 1}, std::pair{1, 6}}) {
        cDIBSection dib;
        ASSERT_TRUE(dib.Create(w, h));
        dib.RandomiseBits(w == 5);
        auto copie = dib.Resample(h, w);
        ASSERT_NE(copie, nullptr);
        EXPECT_NE(copie->hDib(), dib.hDib());
        for (int r = 0; r < h; ++r)
            EXPECT_EQ(std::memcmp(Octets(*copie, 0, r), Octets(dib, 0, r), 3 * size_t(w)), 0);
    }
}

TEST_F(PicturesTest, ClipboardTakesABitmapButNotADib)
{
    cDIBSection dib;
    ASSERT_TRUE(dib.CreateFromPicture(RougeSurBleu(8, 6)));
    QGuiApplication::clipboard()->setText("avant");
    forms::testing::Script().ExpectMsgBox(
        forms::vbOK, "I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!");
    EXPECT_FALSE(dib.CopyToClipboard(true));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "avant");

    EXPECT_TRUE(dib.CopyToClipboard(false));
    const QImage prise = QGuiApplication::clipboard()->image();
    ASSERT_EQ(prise.size(), QSize(8, 6));
    EXPECT_EQ(prise.pixel(0, 0), QColor(Qt::red).rgb());
    EXPECT_EQ(prise.pixel(7, 5), QColor(Qt::blue).rgb());
}

struct stat Etat(const QString& chemin)
{
    struct stat etat
    {
    };
    EXPECT_EQ(::stat(chemin.toLocal8Bit().constData(), &etat), 0) << chemin.toStdString();
    return etat;
}

TEST_F(PicturesTest, ReplacingAFileKeepsItsModeAndTimesAndItsSpelling)
{
    ProgramFolder dossier;
    const QString ancien = dossier.Write("image/SHOE.JPG", "old");
    ASSERT_EQ(::chmod(ancien.toLocal8Bit().constData(), 0640), 0);
    const timespec temps[2] = {{1'000'000'000, 0}, {1'100'000'000, 500}};
    ASSERT_EQ(utimensat(AT_FDCWD, ancien.toLocal8Bit().constData(), temps, 0), 0);

    cDIBSection dib;
    ASSERT_TRUE(dib.CreateFromPicture(RougeSurBleu(20, 10)));
    EXPECT_TRUE(mIntelJPEGLibrary::SaveDibToJpeg(
        dib, dossier.FilePath("image/shoe.jpg").toStdString(), 90));
    EXPECT_FALSE(QFile::exists(dossier.FilePath("image/shoe.jpg")));
    // Read after the times are taken: reading sets the access time.
    const struct stat apres = Etat(ancien);
    EXPECT_EQ(QImage(ancien).size(), QSize(20, 10));
    EXPECT_EQ(apres.st_mode & 07777, 0640u);
    EXPECT_EQ(apres.st_atim.tv_sec, 1'000'000'000);
    EXPECT_EQ(apres.st_mtim.tv_sec, 1'100'000'000);
    EXPECT_EQ(apres.st_mtim.tv_nsec, 500);
    // Nothing else is left in the folder.
    EXPECT_EQ(QDir(dossier.FilePath("image")).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // A new file takes the usual permissions.
    const mode_t masque = umask(0);
    umask(masque);
    EXPECT_TRUE(mIntelJPEGLibrary::SaveDibToJpeg(
        dib, dossier.FilePath("image/neuf.jpg").toStdString(), 90));
    EXPECT_EQ(Etat(dossier.FilePath("image/neuf.jpg")).st_mode & 07777, 0666u & ~masque);
}

TEST_F(PicturesTest, AFailedWriteLeavesTheOldFileWholeAndRaises26001)
{
    ProgramFolder dossier;
    const QString ancien = dossier.Write("image/1042.jpg", "old picture");
    cDIBSection vide;
    try {
        mIntelJPEGLibrary::SaveDibToJpeg(vide, ancien.toStdString(), 90);
        FAIL() << "no error";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), 26001);
        EXPECT_EQ(e.Description().rfind("Failed to save to JPG -", 0), 0u) << e.Description();
        EXPECT_EQ(e.Source(), std::string(program_invocation_short_name) + ".mIntelJPEGLibrary");
    }
    QFile fichier(ancien);
    ASSERT_TRUE(fichier.open(QIODevice::ReadOnly));
    EXPECT_EQ(fichier.readAll(), "old picture");
    EXPECT_EQ(QDir(dossier.FilePath("image")).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // A read-only file is refused before anything is written.
    ASSERT_EQ(::chmod(ancien.toLocal8Bit().constData(), 0444), 0);
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(4, 4));
    try {
        mIntelJPEGLibrary::SaveDibToJpeg(dib, ancien.toStdString(), 90);
        FAIL() << "no error";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), 75);
    }
    EXPECT_EQ(Etat(ancien).st_size, 11);

    // A folder that does not exist.
    EXPECT_THROW(
        mIntelJPEGLibrary::SaveDibToJpeg(dib, dossier.FilePath("nulle/part.jpg").toStdString(), 90),
        vb::Error);
}

} // namespace
