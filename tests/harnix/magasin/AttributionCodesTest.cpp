// A pick in the article card's code list, on a real zad.MDB: the codes the articles hold and
// what the pool says of them after an assignment or an exchange.

#include "harnix/magasin/AttributionCodes.h"

#include "tests/harnix/database/DatabaseFixture.h"

#include "platform/ado/Recordset.h"
#include "platform/vb/Convert.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using CodesArticles::Attribution;

// A fresh zad.MDB and the card's rows, as the article window holds them, at one article.
struct Carte
{
    database::testing::ZadFixture zad;
    ado::Recordset fiche;

    explicit Carte(int reference)
    {
        fiche.SetClientCursor(ado::adLockOptimistic);
        fiche.Open("ArticleEnStock order by Reference", zad.Connection());
        fiche.Find("Reference =" + std::to_string(reference));
    }
    // Reference:code of each article, then code:holder of each pool row ("-" for none).
    std::string Etat()
    {
        std::string texte;
        for (const char* table :
             {"ArticleEnStock order by Reference", "CodeArticle order by CodeArticle"}) {
            const bool articles = table[0] == 'A';
            ado::Recordset rs = database::testing::OpenRecordset(zad.Connection(), table);
            for (; !rs.Eof(); rs.MoveNext()) {
                const vb::Variant valeur = rs[articles ? "CodeArticle" : "Reference"].Value();
                texte +=
                    database::testing::Text(rs[articles ? "Reference" : "CodeArticle"].Value()) +
                    ":" + (valeur.IsNull() ? "-" : database::testing::Text(valeur)) + " ";
            }
            texte += "| ";
        }
        return texte;
    }
};

// The fixture: 1000 holds code 1, 1001 code 2, 1002 none; codes 3 and 4 are free.
TEST(AttributionCodes, AssignsAFreeCodeAndExchangesAHeldOne)
{
    const struct
    {
        bool echange;
        int article;
        int code;
        Attribution fait;
        const char* etat;
    } cas[] = {
        // The code taken is the article's in the pool, its former one freed.
        {false, 1000, 3, Attribution::Attribuee, "1000:3 1001:2 1002:- | 1:- 2:1001 3:1000 4:- | "},
        {false, 1002, 4, Attribution::Attribuee,
         "1000:1 1001:2 1002:4 | 1:1000 2:1001 3:- 4:1002 | "},
        {false, 1000, 1, Attribution::Attribuee, "1000:1 1001:2 1002:- | 1:1000 2:1001 3:- 4:- | "},
        // Another article's code is only given through an exchange.
        {false, 1000, 2, Attribution::Refusee, "1000:1 1001:2 1002:- | 1:1000 2:1001 3:- 4:- | "},
        // The two articles swap their codes and the pool follows them.
        {true, 1000, 2, Attribution::Echangee, "1000:2 1001:1 1002:- | 1:1001 2:1000 3:- 4:- | "},
        // An article without a code takes the holder's, which is left without one.
        {true, 1002, 1, Attribution::Echangee, "1000:- 1001:2 1002:1 | 1:1002 2:1001 3:- 4:- | "},
        // A code nobody holds is given as an assignment gives it.
        {true, 1001, 4, Attribution::Attribuee, "1000:1 1001:4 1002:- | 1:1000 2:- 3:- 4:1001 | "},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(std::to_string(c.article) + (c.echange ? " exchanges for " : " takes ") +
                     std::to_string(c.code));
        Carte carte(c.article);
        ASSERT_FALSE(carte.fiche.Eof());
        const auto pick = c.echange ? CodesArticles::EchangerCode : CodesArticles::AttribuerCode;
        EXPECT_EQ(pick(carte.zad.Connection(), carte.fiche, c.code), c.fait);
        EXPECT_EQ(vb::CLng(carte.fiche["Reference"].Value()), c.article) << "the card stays";
        EXPECT_EQ(carte.Etat(), c.etat);
    }
}

} // namespace
