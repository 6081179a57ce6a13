// The supplier's catalogue: its working copy when the supplier sends an Access file, and the
// article window's preparation, size conversion, import and picture copy on a catalogue fixture
// with the catalogue's tables.

#include "FrmStockFixture.h"

#include "harnix/catalogue/CatalogueFournisseur.h"
#include "harnix/commun/Global.h"
#include "platform/ado/Catalogue.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/testing/ProgramFolder.h"
#include "platform/jet/JetCopie.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "tests/harnix/magasin/CatalogueTables.h"
#include "tests/platform/jet/Damaged.h"

#include <QAction>
#include <QDir>

#include <chrono>
#include <filesystem>
#include <fstream>

using namespace forms::testing;
using catalogue::testing::FrmStockTest;
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

class FrmStockCatalogueTest : public FrmStockTest
{
protected:
    void SetUp() override
    {
        FrmStockTest::SetUp();
        Global::CheminImages = Dossier() + "/image";
        const std::string chemin = Dossier() + "/" + CatalogueFournisseur::NomCatalogue;
        ado::CreateDatabaseFile(chemin, {});
        catalogue.Open(CatalogueFournisseur::ChaineConnexion(chemin));
        for (const char* sql : magasin::testing::TablesCatalogue)
            catalogue.Execute(sql);
        for (const char* sql : {
                 // Products: A12 with its picture folder, B7, and L'A, which a wildcard taken
                 // as such would find for L'*.
                 "INSERT INTO article VALUES ('A12', '101', 'A12', 5, 'MARQUE A', 'GANT', "
                 "'EN388', 'FT12', 10, 1.5)",
                 "INSERT INTO article (REFBASE, [Numéro], Image, Marque) VALUES ('B7', '102', "
                 "'B7', 'MARQUE B')",
                 "INSERT INTO article (REFBASE, [Numéro], Image, Marque) VALUES ('L''A', "
                 "'../103', '../../hors', 'FAUX')",
                 "INSERT INTO FICHIERARTICLE3 VALUES ('A12', 'GANT A12 T42', 'A12-42', '42', 3, "
                 "'CHAUSSURES', 1, 2001)",
                 "INSERT INTO FICHIERARTICLE3 VALUES ('A12', 'GANT A12 T39', 'A12-39', '39', 3, "
                 "'CHAUSSURES', 2, 2002)",
                 "INSERT INTO FICHIERARTICLE3 VALUES ('B7', 'BOTTE', 'X7-1', '42', 3, "
                 "'CHAUSSURES', 3, 2003)",
                 "INSERT INTO FICHIERARTICLE3 VALUES ('C9', 'LUNETTES C9', 'C9-TU', 'T.U.', 4, "
                 "'LUNETTES', 4, 2004)",
                 "INSERT INTO FICHIERARTICLE3 VALUES ('L''*', 'ECRAN', 'L''*-1', 'T.U.', 4, "
                 "'LUNETTES', 5, 1000)",
                 "INSERT INTO FICHIERARTICLE3 (REFBASE, RefFournisseur, Reference) VALUES "
                 "('D1', 'D1-X', 2006)",
             })
            catalogue.Execute(sql);
    }

    std::string Dossier() const { return zad.Folder().Path().string(); }

    // Runs an operation of the catalogue menu, as a click on its entry does.
    static void Menu(FrmStock& f, const char* entree)
    {
        QAction* action = f.findChild<QAction*>(entree);
        ASSERT_NE(action, nullptr) << entree;
        action->trigger();
    }

    // One column of the prepared rows, by supplier reference.
    Strings Prepare(const std::string& colonne)
    {
        ado::Recordset rs = database::testing::OpenRecordset(
            catalogue, "SELECT " + colonne + " AS V FROM FICHIERARTICLE4 ORDER BY RefFournisseur");
        return database::testing::Column(rs, "V");
    }

    ado::Connection catalogue;
};

TEST_F(FrmStockCatalogueTest, PreparationConversionAndImport)
{
    forms::testing::FrozenClock horloge; // the creation date is today's
    FrmStock& f = Ouvrir();
    Script().ExpectMsgBox(forms::vbOK, "D1-X : pas de famille");
    Menu(f, "MenuPreparerCatalogue");
    // A product found and named in the supplier reference; no product; a quote and a "*" taken
    // as they are; B7's reference does not hold its base reference.
    EXPECT_EQ(Prepare("RefFournisseur"), (Strings{"A12-39", "A12-42", "C9-TU", "L'*-1"}));
    EXPECT_EQ(Prepare("Marque"), (Strings{"MARQUE A", "MARQUE A", "Null", "Null"}));
    EXPECT_EQ(Prepare("Image"), (Strings{"A12", "A12", "C9", "L'*"}));
    EXPECT_EQ(Prepare("NoFournisseur"), (Strings{"1", "1", "1", "1"}));
    EXPECT_EQ(Prepare("PrixAchatUnit"), (Strings{"1.5", "1.5", "Null", "Null"}));

    // A second preparation makes the same rows.
    Script().ExpectMsgBox(forms::vbOK, "D1-X");
    Menu(f, "MenuPreparerCatalogue");
    EXPECT_EQ(Prepare("RefFournisseur").size(), 4u);

    // Size 42 of family 3 is size 3, T.U. of family 4 size 5; 39 has no size.
    Menu(f, "MenuConvertirTailles");
    EXPECT_EQ(Prepare("Taille"), (Strings{"Null", "3", "5", "5"}));

    // Article 1000 exists: that row alone is left aside, and said so at the end.
    Script().ExpectMsgBox(forms::vbOK, "Import : 1 ligne(s)");
    Menu(f, "MenuImporterCatalogue");
    EXPECT_NE(Script().Boxes().back().text.indexOf("1000 :"), -1);
    EXPECT_EQ(Stocke(2001, "PrixAchatGlobal"), "15");
    EXPECT_EQ(Stocke(2001, "Taille"), "3");
    EXPECT_EQ(Stocke(2001, "Norme"), "EN388");
    EXPECT_EQ(Stocke(2001, "DateCreation"), vb::CStr(vb::Today()));
    EXPECT_EQ(Stocke(2004, "Famille"), "4");
    EXPECT_EQ(Stocke(2002, "Taille"), "Null");
    EXPECT_EQ(Stocke(1000, "Designation"), "GANTS T8");
    // The grid shows the new articles.
    AllerA(f, 2004);
}

TEST_F(FrmStockCatalogueTest, AnImportedTextTooLongForItsColumnIsNamed)
{
    // A supplier's designation longer than the articles' column: that row alone is left aside.
    catalogue.Execute("DROP TABLE FICHIERARTICLE4");
    catalogue.Execute("CREATE TABLE FICHIERARTICLE4 (Reference LONG, Designation MEMO, Marque "
                      "TEXT(50), RefFournisseur TEXT(50), Descriptif MEMO, Norme TEXT(50), "
                      "FicheTech TEXT(50), QteParPaket LONG, PrixAchatUnit CURRENCY, "
                      "NoFournisseur LONG, Image TEXT(50), DelaiLivraison LONG, Taille LONG, "
                      "Famille LONG)");
    catalogue.Execute("INSERT INTO FICHIERARTICLE4 (Reference, Designation, Famille) VALUES "
                      "(2100, '" +
                      std::string(120, 'D') + "', 4), (2101, 'COURT', 4)");
    FrmStock& f = Ouvrir();
    Script().ExpectMsgBox(forms::vbOK, "Import : 1 ligne(s)");
    Menu(f, "MenuImporterCatalogue");
    EXPECT_NE(Script().Boxes().back().text.indexOf("2100 : Designation : "), -1)
        << Script().Boxes().back().text.toStdString();
    EXPECT_EQ(Stocke(2100, "Designation"), "(none)");
    EXPECT_EQ(Stocke(2101, "Designation"), "COURT");
}

TEST_F(FrmStockCatalogueTest, PicturesCopiedUnderTheArticlesNames)
{
    const std::string source = Dossier() + "/image/imagesvalmora/101";
    fs::create_directories(source);
    fs::create_directories(Dossier() + "/image/imagesvalmora/102");
    std::ofstream(source + "/ZOOM_1.JPG") << "zoom A12";
    std::ofstream(Dossier() + "/image/A12.jpg") << "ancienne";
    FrmStock& f = Ouvrir();
    Script().ExpectMsgBox(forms::vbOK, "../103 / ../../hors : nom refusé");
    Menu(f, "MenuImageValmora");
    std::ifstream copie(Dossier() + "/image/A12.jpg");
    std::string contenu;
    std::getline(copie, contenu);
    EXPECT_EQ(contenu, "zoom A12");
    // 102 has no zoom_1.jpg; nothing leads outside the picture folders.
    EXPECT_FALSE(fs::exists(Dossier() + "/image/B7.jpg"));
    EXPECT_FALSE(fs::exists(Dossier() + "/hors.jpg"));
}

// Without a catalogue each choice of the menu says so and changes nothing; the operations
// themselves end quietly.
TEST_F(FrmStockCatalogueTest, NoCatalogueNoOperation)
{
    catalogue.Close();
    fs::remove(Dossier() + "/" + CatalogueFournisseur::NomCatalogue);
    FrmStock& f = Ouvrir();
    for (const char* entree : {"MenuPreparerCatalogue", "MenuConvertirTailles",
                               "MenuImporterCatalogue", "MenuImageValmora"}) {
        Script().ExpectMsgBox(forms::vbOK, "introuvable");
        Menu(f, entree);
    }
    ASSERT_EQ(Script().Boxes().size(), 4u);
    EXPECT_EQ(Script().Boxes().back().text.toStdString(),
              "Le catalogue fichiervalmora.MDB est introuvable dans le dossier du programme.");
    EXPECT_EQ(Script().Boxes().back().title, "Catalogue fournisseur");
    f.ImageValmora();
    EXPECT_EQ(Script().Boxes().size(), 4u);
    EXPECT_EQ(Stocke(2001, "Reference"), "(none)");
}

// A supplier's Access file is worked on through a copy made by jetcopie, made again whenever the
// supplier's file differs from the one copied (also when it is dated earlier); the prepared rows
// pass into the new copy.
TEST(CatalogueFournisseur, AccessFileThroughAWorkingCopy)
{
    jet::SetCopierProgram(JETCOPIE);
    database::testing::TempFolder dossier;
    const std::string jet = dossier.File(CatalogueFournisseur::NomCatalogue);
    fs::copy_file(std::string(JET_TEST_DATA) + "/DateTestDatabase.mdb", jet);
    const std::string copie = CatalogueFournisseur::FichierDeTravail(dossier.Path().string());
    EXPECT_EQ(copie, dossier.File(CatalogueFournisseur::NomCopie));
    {
        ado::Connection cn;
        cn.Open(CatalogueFournisseur::ChaineConnexion(copie));
        cn.Execute("INSERT INTO DateTest (IDCol) VALUES (100)");
        cn.Execute("CREATE TABLE FICHIERARTICLE4 (REFBASE TEXT(50), Taille LONG)");
        cn.Execute("INSERT INTO FICHIERARTICLE4 VALUES ('A12', 3)");
    }
    auto lignes = [&](const std::string& sql) {
        ado::Connection cn;
        cn.Open(CatalogueFournisseur::ChaineConnexion(copie));
        ado::Recordset rs = database::testing::OpenRecordset(cn, sql);
        return database::testing::Column(rs, "V");
    };
    const std::string marque = "SELECT COUNT(*) AS V FROM DateTest WHERE IDCol = 100";
    // The same delivery, although the copy was written since: the same copy.
    EXPECT_EQ(CatalogueFournisseur::FichierDeTravail(dossier.Path().string()), copie);
    EXPECT_EQ(lignes(marque), Strings{"1"});
    // Another delivery, dated before the copy (as a restored or unpacked file is): copied again,
    // the prepared rows kept.
    fs::copy_file(std::string(JET_TEST_DATA) + "/DateTestDatabase.mdb", jet,
                  fs::copy_options::overwrite_existing);
    fs::last_write_time(jet, fs::last_write_time(copie) - std::chrono::hours(24));
    EXPECT_EQ(CatalogueFournisseur::FichierDeTravail(dossier.Path().string()), copie);
    EXPECT_EQ(lignes(marque), Strings{"0"});
    EXPECT_EQ(lignes("SELECT REFBASE || '/' || Taille AS V FROM FICHIERARTICLE4"),
              Strings{"A12/3"});
    EXPECT_FALSE(fs::exists(copie + ".nouvelle"));
    jet::SetCopierProgram({});
}

// A delivery that crashes the reader is refused with the error report, nothing of it is left,
// and the store keeper goes on with the article window.
TEST_F(FrmStockCatalogueTest, ADamagedCatalogueIsRefusedAndTheProgramGoesOn)
{
    jet::SetCopierProgram(JETCOPIE);
    catalogue.Close();
    const std::string chemin = Dossier() + "/" + CatalogueFournisseur::NomCatalogue;
    jet::testing::WriteDamagedNwind(JET_TEST_DATA, chemin);
    FrmStock& f = Ouvrir();
    Script().ExpectMsgBox(forms::vbOK, "fichiervalmora.MDB");
    Menu(f, "MenuPreparerCatalogue");
    ASSERT_EQ(Script().Boxes().size(), 1u);
    EXPECT_EQ(Script().Boxes()[0].title, "Harnix");
    const QStringList reste = QDir(QString::fromStdString(Dossier()))
                                  .entryList({"fichiervalmora.copie*"}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(reste.isEmpty()) << reste.join(' ').toStdString();
    EXPECT_TRUE(f.isVisible());
    jet::SetCopierProgram({});
}

TEST(CatalogueFournisseur, DatabaseFileOfTheSystemUsedAsItStands)
{
    database::testing::TempFolder dossier;
    const std::string fichier = dossier.File("FichierValmora.mdb");
    ado::CreateDatabaseFile(fichier, {});
    EXPECT_EQ(CatalogueFournisseur::FichierDeTravail(dossier.Path().string()), fichier);
    EXPECT_FALSE(fs::exists(dossier.File(CatalogueFournisseur::NomCopie)));
}

} // namespace
