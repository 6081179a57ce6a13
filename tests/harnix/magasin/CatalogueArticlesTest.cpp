// The three stages of a supplier catalogue's import, on a real catalogue file and a real
// zad.MDB: the prepared rows, their sizes, the articles made from them, and the rows left aside.

#include "harnix/magasin/CatalogueArticles.h"

#include "tests/harnix/database/DatabaseFixture.h"
#include "tests/harnix/magasin/CatalogueTables.h"

#include "platform/ado/Catalogue.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/win/Clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;
using database::testing::OpenRecordset;

class CatalogueArticlesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The import dates its articles today: a clock that stands still keeps today one day.
        win::Clock::Freeze();
        const std::string chemin = zad.Folder().Path().string() + "/catalogue.MDB";
        ado::CreateDatabaseFile(chemin, {});
        catalogue.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + chemin +
                       ";Jet OLEDB:Database Password=");
        for (const char* sql : magasin::testing::TablesCatalogue)
            catalogue.Execute(sql);
        for (const char* sql : {
                 // A12 is named in its rows' supplier references, B7 is not in X7-1's; L'A
                 // would be found for L'* if the "*" were taken as a wildcard.
                 "INSERT INTO article (REFBASE, Marque, Norme, QteParPaket, PrixAchatUnit) "
                 "VALUES ('A12', 'MARQUE A', 'EN388', 10, 1.5)",
                 "INSERT INTO article (REFBASE, Marque) VALUES ('B7', 'MARQUE B')",
                 "INSERT INTO article (REFBASE, Marque) VALUES ('L''A', 'FAUX')",
                 "INSERT INTO FICHIERARTICLE3 VALUES ('A12', 'GANT T42', 'A12-42', '42', 3, "
                 "'CHAUSSURES', 1, 2001)",
                 "INSERT INTO FICHIERARTICLE3 VALUES ('A12', 'GANT T39', 'A12-39', '39', 3, "
                 "'CHAUSSURES', 2, 2002)",
                 "INSERT INTO FICHIERARTICLE3 VALUES ('B7', 'BOTTE', 'X7-1', '42', 3, "
                 "'CHAUSSURES', 3, 2003)",
                 "INSERT INTO FICHIERARTICLE3 VALUES ('L''*', 'ECRAN', 'L''*-1', 'T.U.', 4, "
                 "'LUNETTES', 4, 1000)",
                 "INSERT INTO FICHIERARTICLE3 (REFBASE, RefFournisseur, Reference) VALUES "
                 "('D1', 'D1-X', 2006)",
             })
            catalogue.Execute(sql);
    }
    void TearDown() override { win::Clock::Reset(); }

    // One column of the prepared rows, by supplier reference.
    Strings Prepare(const std::string& colonne)
    {
        ado::Recordset rs = OpenRecordset(
            catalogue, "SELECT " + colonne + " AS V FROM FICHIERARTICLE4 ORDER BY RefFournisseur");
        return database::testing::Column(rs, "V");
    }
    std::string Article(int reference, const std::string& colonne)
    {
        ado::Recordset rs = OpenRecordset(zad.Connection(), "SELECT " + colonne +
                                                                " AS V FROM ArticleEnStock "
                                                                "WHERE Reference = " +
                                                                std::to_string(reference));
        return rs.Eof() ? "absent" : database::testing::Text(rs["V"].Value());
    }

    database::testing::ZadFixture zad;
    ado::Connection catalogue;
    CatalogueArticles::Ecartees ecartees;
};

TEST_F(CatalogueArticlesTest, PreparesConvertsAndImports)
{
    CatalogueArticles::PreparerArticlesCatalogue(catalogue, ecartees);
    EXPECT_EQ(ecartees, Strings{"D1-X : pas de famille"});
    EXPECT_EQ(Prepare("RefFournisseur"), (Strings{"A12-39", "A12-42", "L'*-1"}));
    EXPECT_EQ(Prepare("Marque"), (Strings{"MARQUE A", "MARQUE A", "Null"}));
    EXPECT_EQ(Prepare("Norme"), (Strings{"EN388", "EN388", "Null"}));
    EXPECT_EQ(Prepare("Image"), (Strings{"A12", "A12", "L'*"}));
    EXPECT_EQ(Prepare("NoFournisseur"), (Strings{"1", "1", "1"}));
    // A second preparation makes the same rows.
    CatalogueArticles::PreparerArticlesCatalogue(catalogue, ecartees);
    EXPECT_EQ(Prepare("RefFournisseur").size(), 3u);

    // Size 42 of family 3 is size 3, T.U. of family 4 size 5; family 3 has no size 39.
    ecartees.clear();
    CatalogueArticles::ConvertirTaillesCatalogue(catalogue, zad.Connection(), ecartees);
    EXPECT_EQ(Prepare("Taille"), (Strings{"Null", "3", "5"}));
    EXPECT_TRUE(ecartees.empty());

    // Article 1000 exists: that row alone is left aside.
    CatalogueArticles::ImporterArticlesCatalogue(catalogue, zad.Connection(), ecartees);
    ASSERT_EQ(ecartees.size(), 1u);
    EXPECT_EQ(ecartees[0].rfind("1000 : ", 0), 0u) << ecartees[0];
    EXPECT_EQ(Article(2001, "PrixAchatGlobal"), "15") << "10 units at 1.50";
    EXPECT_EQ(Article(2001, "Taille"), "3");
    EXPECT_EQ(Article(2001, "Norme"), "EN388");
    EXPECT_EQ(Article(2001, "DateCreation"), vb::CStr(vb::Today()));
    EXPECT_EQ(Article(2002, "Taille"), "Null");
    EXPECT_EQ(Article(2002, "CodeArticle"), "Null") << "no code is given";
    EXPECT_EQ(Article(1000, "Designation"), "GANTS T8");
    EXPECT_EQ(Article(2006, "Reference"), "absent");
}

TEST_F(CatalogueArticlesTest, AFailedStageLeavesNothingWritten)
{
    // The work table lacks a column the preparation writes: its emptying is undone too.
    catalogue.Execute("INSERT INTO FICHIERARTICLE4 (RefFournisseur) VALUES ('ANCIEN')");
    catalogue.Execute("ALTER TABLE FICHIERARTICLE4 DROP COLUMN Image");
    EXPECT_THROW(CatalogueArticles::PreparerArticlesCatalogue(catalogue, ecartees), vb::Error);
    catalogue.RollbackTrans();
    EXPECT_EQ(Prepare("RefFournisseur"), Strings{"ANCIEN"});

    // A prepared row without its number is left aside, not imported.
    catalogue.Execute("INSERT INTO FICHIERARTICLE4 (RefFournisseur, Famille) VALUES ('SANS', 3)");
    ecartees.clear();
    CatalogueArticles::ImporterArticlesCatalogue(catalogue, zad.Connection(), ecartees);
    EXPECT_EQ(ecartees, (Strings{"ANCIEN : pas de référence", "SANS : pas de référence"}));
}

} // namespace
