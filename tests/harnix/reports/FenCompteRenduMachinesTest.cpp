// The work table of the machine sheets: the saved query's rows copied with the code on two
// digits and the bytes of the article's report picture, and the report copies themselves
// (248 pixels wide, turned when taller than wide, made again when their picture changes, as a
// new scan does).

#include "harnix/commun/Global.h"
#include "harnix/pictures/cDIBSection.h"
#include "harnix/pictures/mIntelJPEGLibrary.h"
#include "harnix/reports/FenCompteRendu.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"
#include "tests/harnix/staff/StaffFixture.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <tuple>

namespace {

class TableMachines : public staff::testing::StaffTest
{
protected:
    void SetUp() override
    {
        StaffTest::SetUp();
        Global::CheminImages = (zad.Folder().Path() / "image").string();
        std::filesystem::create_directories(Global::CheminImages);
        Execute("DELETE FROM TRemplissageMachine");
        Execute("INSERT INTO TRemplissageMachine (Etage, Reference, CodeArticle, NbUnite, "
                "Aremplir, NumMach) VALUES (2, 1000, 7, 3, 6, 1), (1, 1001, 123, 0, 9, 1)");
    }

    std::string Image(const std::string& nom) const { return Global::CheminImages + "/" + nom; }

    // A white picture with its top-right corner red, saved as the scanner window saves one.
    void Dessiner(const std::string& nom, int largeur, int hauteur, QColor fond = Qt::white)
    {
        QImage image(largeur, hauteur, QImage::Format_RGB32);
        image.fill(fond);
        QPainter(&image).fillRect(largeur - largeur / 4, 0, largeur / 4, hauteur / 4, Qt::red);
        cDIBSection dib;
        ASSERT_TRUE(dib.CreateFromPicture(image));
        mIntelJPEGLibrary::SaveDibToJpeg(dib, Image(nom + ".jpg"), 90);
    }

    static bool Rouge(const QImage& image, int x, int y)
    {
        const QColor c = image.pixelColor(x, y);
        return c.red() > 200 && c.green() < 80 && c.blue() < 80;
    }

    bool Creer(const std::string& image, int16_t second = 1)
    {
        Execute("UPDATE ArticleEnStock SET Image = '" + image + "' WHERE Reference = 1000");
        return forms::form<FenCompteRendu>().CreerEtatRemplissageMach(1, second,
                                                                      "RemplissageMachine");
    }
};

TEST_F(TableMachines, RowsCarryTheCodeOnTwoDigitsAndThePictureBytes)
{
    Dessiner("casque12", 800, 600);
    EXPECT_FALSE(Creer("casque12"));
    EXPECT_TRUE(Creer("casque12", 0));
    FenCompteRendu& f = forms::form<FenCompteRendu>();
    ASSERT_EQ(f.RecordsetEtat.State(), ado::adStateOpen);

    ado::Recordset rs;
    rs.Open("SELECT * FROM ARemplissageMachine ORDER BY Etage", zad.Connection());
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(vb::CStr(rs["CodeArticle"].Value()), "123");
    EXPECT_TRUE(rs["Picture"].Value().IsNull());
    rs.MoveNext();
    EXPECT_EQ(vb::CStr(rs["CodeArticle"].Value()), "07");
    EXPECT_EQ(vb::CStr(rs["Etage"].Value()), "2");
    EXPECT_EQ(vb::CStr(rs["Designation"].Value()), "GANTS T8");
    QFile copie(QString::fromStdString(Image("RPTcasque12.jpg")));
    ASSERT_TRUE(copie.open(QIODevice::ReadOnly));
    const QByteArray octets = copie.readAll();
    const vb::Variant picture = rs["Picture"].Value();
    const std::vector<uint8_t>& image = picture.BytesValue();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())),
              octets);

    // A machine whose query returns nothing: the table ends empty.
    EXPECT_FALSE(f.CreerEtatRemplissageMach(99, 0, "PresentationArticle"));
    EXPECT_NE(f.RecordsetEtat.State(), ado::adStateOpen);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM ARemplissageMachine"), "0");
}

// A sheet whose build fails part way keeps the rows of the last one whole.
TEST_F(TableMachines, AFailedBuildKeepsTheLastSheet)
{
    ASSERT_FALSE(Creer(""));
    ASSERT_EQ(Stored("SELECT COUNT(*) FROM ARemplissageMachine"), "2");
    Execute("INSERT INTO TRemplissageMachine (Etage, Reference, CodeArticle, NbUnite, Aremplir, "
            "NumMach) VALUES (3, 1000, 8, 1, 2, 1)");
    Execute("CREATE TRIGGER Plein BEFORE INSERT ON ARemplissageMachine WHEN NEW.Etage = 3 "
            "BEGIN SELECT RAISE(ABORT, 'plein'); END");
    forms::testing::Script().ExpectMsgBox(forms::vbOK, "CreerEtatRemplissageMach");
    EXPECT_FALSE(Creer(""));
    EXPECT_EQ(forms::testing::Script().Pending(), 0u);
    EXPECT_EQ(Stored("SELECT group_concat(Etage || ':' || CodeArticle) FROM (SELECT * FROM "
                     "ARemplissageMachine ORDER BY Etage)"),
              "1:123,2:07");

    // Nothing of the failed build is left in a transaction: the next one writes.
    Execute("DROP TRIGGER Plein");
    EXPECT_FALSE(Creer(""));
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM ARemplissageMachine"), "3");
}

TEST_F(TableMachines, ReportCopiesAreTurnedAndScaled)
{
    QGuiApplication::clipboard()->setText("garde");
    struct Cas
    {
        const char* nom;
        int largeur, hauteur;
        int largeurCopie, hauteurCopie;
        // Where the red corner lands in the copy.
        bool hautGauche;
    };
    for (const Cas& c :
         {Cas{"haut", 600, 800, 248, 186, true}, Cas{"large", 800, 600, 248, 186, false},
          Cas{"carre", 500, 500, 248, 248, false}, Cas{"fil", 1000, 1, 248, 1, false}}) {
        SCOPED_TRACE(c.nom);
        Dessiner(c.nom, c.largeur, c.hauteur);
        Creer(c.nom);
        const QImage copie(QString::fromStdString(Image(std::string("RPT") + c.nom + ".jpg")));
        ASSERT_FALSE(copie.isNull());
        EXPECT_EQ(copie.width(), c.largeurCopie);
        EXPECT_EQ(copie.height(), c.hauteurCopie);
        if (c.hauteur > 1) {
            EXPECT_EQ(Rouge(copie, 5, 5), c.hautGauche);
            EXPECT_EQ(Rouge(copie, copie.width() - 5, 5), !c.hautGauche);
        }
    }
    // The turn leaves the clipboard alone.
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "garde");
}

// The file system stamps change times by clock ticks: waits for the tick after the file's last
// change, so that what comes next is seen as later.
void ApresLeDernierChangement(const std::string& fichier)
{
    struct stat etat
    {
    };
    ASSERT_EQ(::stat(fichier.c_str(), &etat), 0);
    const std::string sonde = fichier + ".sonde";
    for (;;) {
        std::ofstream(sonde) << "x";
        struct stat maintenant
        {
        };
        ASSERT_EQ(::stat(sonde.c_str(), &maintenant), 0);
        if (std::tie(maintenant.st_ctim.tv_sec, maintenant.st_ctim.tv_nsec) >
            std::tie(etat.st_ctim.tv_sec, etat.st_ctim.tv_nsec))
            break;
    }
    std::filesystem::remove(sonde);
}

ino_t Inode(const std::string& fichier)
{
    struct stat etat
    {
    };
    return ::stat(fichier.c_str(), &etat) == 0 ? etat.st_ino : 0;
}

TEST_F(TableMachines, CopyIsMadeAgainOnlyWhenItsPictureChanges)
{
    const std::string image = Image("gant.jpg");
    const std::string copie = Image("RPTgant.jpg");
    Dessiner("gant", 400, 300);
    ApresLeDernierChangement(image);
    Creer("gant");
    const ino_t faite = Inode(copie);
    ASSERT_NE(faite, 0u);
    ApresLeDernierChangement(copie);
    Creer("gant");
    EXPECT_EQ(Inode(copie), faite) << "a second sheet reuses the copy";

    // The article scanned again: the picture keeps its former modification time, its copy
    // follows all the same, and then stays as it is made again with its own former times.
    const auto modifiee = std::filesystem::last_write_time(image);
    Dessiner("gant", 400, 300, Qt::green);
    ASSERT_EQ(std::filesystem::last_write_time(image), modifiee);
    ApresLeDernierChangement(image);
    Creer("gant");
    const QImage refaite(QString::fromStdString(copie));
    EXPECT_GT(refaite.pixelColor(5, 5).green(), 200);
    EXPECT_LT(refaite.pixelColor(5, 5).red(), 80);
    const ino_t refaiteInode = Inode(copie);
    EXPECT_NE(refaiteInode, faite);
    ApresLeDernierChangement(copie);
    Creer("gant");
    EXPECT_EQ(Inode(copie), refaiteInode) << "the copy made again is not made at every sheet";
}

// The picture folder is read once per sheet: a copy written during the build, or one spelt in
// another case, is the one the rows carry.
TEST_F(TableMachines, RowsCarryTheCopyTheBuildWroteOrFound)
{
    auto octets = [this](const std::string& nom) {
        std::ifstream fichier(Image(nom), std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(fichier), {});
    };
    auto pictures = [this] {
        ado::Recordset rs;
        rs.Open("SELECT Picture FROM ARemplissageMachine ORDER BY Etage", zad.Connection());
        std::vector<std::vector<uint8_t>> lues;
        for (; !rs.Eof(); rs.MoveNext()) {
            const vb::Variant p = rs["Picture"].Value();
            lues.push_back(p.IsNull() ? std::vector<uint8_t>{} : p.BytesValue());
        }
        return lues;
    };
    // Both rows show one picture, whose copy exists spelt in another case and out of date.
    Execute("UPDATE ArticleEnStock SET Image = 'botte' WHERE Reference IN (1000, 1001)");
    Dessiner("rptBOTTE", 10, 10, Qt::green);
    std::filesystem::rename(Image("rptBOTTE.jpg"), Image("rptBOTTE.JPG"));
    ApresLeDernierChangement(Image("rptBOTTE.JPG"));
    Dessiner("botte", 400, 300);
    ApresLeDernierChangement(Image("botte.jpg"));
    ASSERT_TRUE(forms::form<FenCompteRendu>().CreerEtatRemplissageMach(1, 0, "RemplissageMachine"));
    EXPECT_FALSE(std::filesystem::exists(Image("RPTbotte.jpg")));
    const std::vector<uint8_t> refaite = octets("rptBOTTE.JPG");
    EXPECT_EQ(QImage::fromData(refaite.data(), int(refaite.size())).width(), 248);
    EXPECT_EQ(pictures(), (std::vector<std::vector<uint8_t>>{refaite, refaite}));

    // The picture gone, the copy left from before still serves.
    std::filesystem::remove(Image("botte.jpg"));
    ASSERT_TRUE(forms::form<FenCompteRendu>().CreerEtatRemplissageMach(1, 0, "RemplissageMachine"));
    EXPECT_EQ(pictures(), (std::vector<std::vector<uint8_t>>{refaite, refaite}));
}

} // namespace
