// The workbook filled from the template and read back by an independent reader.

#include "platform/workbook/Workbook.h"

#include "tests/platform/vb/ErrorOf.h"
#include "tests/platform/win/TempDir.h"
#include "tests/platform/workbook/Lecteur.h"

#include "platform/vb/Error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using vb::testing::ErrorOf;
using workbook::testing::LireCellules;
using workbook::testing::LireTextesStricts;

const std::string Modele = HARNIX_ASSETS_DIR "/DotationMO.xlsx";

TEST(Workbook, FilledCellsAndFormatsAreReadBackAndTheTemplateStaysAsItWas)
{
    TempDir dossier;
    const std::string resultat = dossier / "Dotation.xlsx";
    const auto avant = std::filesystem::file_size(Modele);
    {
        auto classeur = workbook::Workbook::Open(Modele);
        workbook::Worksheet& feuille = classeur->Worksheets("feuil1");
        EXPECT_EQ(feuille.Name(), "Feuil1");
        feuille.SetValue("D5", "1000");
        feuille.SetValue("E5", "GANTS <T8> & \"CUIR\"");
        feuille.SetValue("G5", "7");
        feuille.SetValue("A5", "");
        feuille.SetValue("F5", "08");
        feuille.SetValue("B7", " TOTAL ");
        for (const char* c : {"A5", "D5", "E5", "G5"})
            feuille.SetFontSize(c, 8);
        // Rows and cells written out of order find their places; a format adds to the others.
        feuille.SetInteriorColor("K7", 0x8DD1FE);
        feuille.SetFontBold("K7", true);
        feuille.SetFontBold("C7", true);
        feuille.SetFontSize("C7", 8);
        feuille.SetValue("E4", "Libellé");
        classeur->SaveAs(resultat);
    }
    EXPECT_EQ(std::filesystem::file_size(Modele), avant);
    EXPECT_EQ(LireCellules(resultat, "Feuil1",
                           {"A5", "D5", "E5", "F5", "G5", "B7", "C7", "K7", "E4", "D4", "C1"}),
              "A5||8|0|-\n"
              "D5|1000|8|0|-\n"
              "E5|GANTS <T8> & \"CUIR\"|8|0|-\n"
              "F5|08|10|0|-\n"
              "G5|7|8|0|-\n"
              "B7| TOTAL |10|0|-\n"
              "C7||8|1|-\n"
              "K7||10|1|FED18D\n"
              "E4|Libellé|10|1|-\n"
              "D4|Ref. Article|10|1|-\n"
              "C1|DOTATION|14|1|-\n");
}

TEST(Workbook, AMissingOrForeignFileIsNoWorkbook)
{
    TempDir dossier;
    std::ofstream(dossier / "texte.xlsx") << "pas un classeur";
    // A package whose only part declares 2^56 bytes and holds 106.
    const std::string demesure = HARNIX_WORKBOOK_CORPUS "/oom-declared-size-huge";
    for (const std::string& chemin :
         {dossier / "absent.xlsx", dossier / "texte.xlsx", dossier.path(), demesure}) {
        SCOPED_TRACE(chemin);
        EXPECT_EQ(ErrorOf([&] { workbook::Workbook::Open(chemin); }), 1004);
    }
    auto classeur = workbook::Workbook::Open(Modele);
    EXPECT_EQ(ErrorOf([&] { classeur->Worksheets("Feuil2"); }), 9);
    EXPECT_EQ(ErrorOf([&] { classeur->Worksheets("Feuil1").SetValue("5A", "x"); }), 1004);
}

// References past the sheet's last column, XFD, are refused however many letters they have.
TEST(Workbook, ACellPastTheLastColumnIsRefused)
{
    TempDir dossier;
    auto classeur = workbook::Workbook::Open(Modele);
    workbook::Worksheet& feuille = classeur->Worksheets("Feuil1");
    for (const char* cellule : {"XFE5", "AAAAAAA5", "AAAAAAAAAAAA5", "ZZZZZZZZZZZZZZZZZZZZ1"}) {
        SCOPED_TRACE(cellule);
        EXPECT_EQ(ErrorOf([&] { feuille.SetValue(cellule, "x"); }), 1004);
    }
    feuille.SetValue("XFD5", "dernière");
    classeur->SaveAs(dossier / "Dotation.xlsx");
    EXPECT_EQ(LireCellules(dossier / "Dotation.xlsx", "Feuil1", {"XFD5"}),
              "XFD5|dernière|10|0|-\n");
}

// A text from a supplier's catalogue or a paste may hold any control character: the workbook
// stays readable, without the characters XML cannot hold, with tab, line feed and return.
TEST(Workbook, ControlCharactersAreLeftOutSoThatAStrictParserReadsTheSheet)
{
    TempDir dossier;
    const std::string resultat = dossier / "Dotation.xlsx";
    {
        auto classeur = workbook::Workbook::Open(Modele);
        workbook::Worksheet& feuille = classeur->Worksheets("Feuil1");
        std::string tous;
        for (char c = 1; c < 0x20; ++c)
            tous += c;
        feuille.SetValue("E5", "GANTS\x01 CUIR\x1F T8");
        feuille.SetValue("E6", "a" + tous + "b");
        feuille.SetValue("E7", "\x02\x03");
        feuille.SetValue("E8", "x\xEF\xBF\xBEy\xEF\xBF\xBFz\xEF\xBF\xBDé");
        classeur->SaveAs(resultat);
    }
    // The carriage return is kept in the file; a reader takes it as a line feed.
    const std::string textes = LireTextesStricts(resultat, "xl/worksheets/sheet1.xml");
    EXPECT_NE(textes.find("GANTS CUIR T8a\\t\\n\\nbx"), std::string::npos) << textes;
    EXPECT_EQ(LireCellules(resultat, "Feuil1", {"E5", "E7", "E8"}),
              "E5|GANTS CUIR T8|10|0|-\n"
              "E7||10|0|-\n"
              "E8|xyz\xEF\xBF\xBD\xC3\xA9|10|0|-\n");
}

TEST(Workbook, ASaveThatFailsLeavesNoFileBehind)
{
    TempDir dossier;
    auto classeur = workbook::Workbook::Open(Modele);
    const std::string absent = dossier / "absent/Dotation.xlsx";
    EXPECT_EQ(ErrorOf([&] { classeur->SaveAs(absent); }), 1004);
    // An earlier result is replaced whole, never left half-written.
    const std::string resultat = dossier / "Dotation.xlsx";
    std::ofstream(resultat) << "ancien";
    classeur->Worksheets("Feuil1").SetValue("D5", "1");
    classeur->SaveAs(resultat);
    EXPECT_EQ(LireCellules(resultat, "Feuil1", {"D5"}), "D5|1|10|0|-\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dossier.path()),
                            std::filesystem::directory_iterator()),
              1);
}

size_t DescripteursOuverts()
{
    return size_t(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                std::filesystem::directory_iterator()));
}

// A template whose part that the program never reads is damaged opens, but cannot be written
// again: each failed save reports it, leaves no file and keeps no descriptor open.
TEST(Workbook, ASaveOfADamagedTemplateFailsWithoutKeepingItsFileOpen)
{
    TempDir dossier;
    std::ifstream in(Modele, std::ios::binary);
    std::string octets{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(octets.substr(0, 4), std::string("PK\x03\x04"));
    // The local header of [Content_Types].xml, the first part, gives its name a length past the
    // end of the file.
    octets[26] = octets[27] = '\xFF';
    const std::string abime = dossier.Write("DotationMO.xlsx", octets);
    auto classeur = workbook::Workbook::Open(abime);
    classeur->Worksheets("Feuil1").SetValue("D5", "1");
    const size_t avant = DescripteursOuverts();
    for (int essai = 0; essai < 5; ++essai)
        EXPECT_EQ(ErrorOf([&] { classeur->SaveAs(dossier / "Dotation.xlsx"); }), 1004);
    EXPECT_EQ(DescripteursOuverts(), avant);
    EXPECT_FALSE(std::filesystem::exists(dossier / "Dotation.xlsx"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dossier.path()),
                            std::filesystem::directory_iterator()),
              1);
}

} // namespace
