// The computations of the article card and of the report periods.

#include "harnix/magasin/ArticlePrices.h"
#include "harnix/magasin/Periode.h"

#include "tests/platform/vb/ErrorOf.h"

#include "platform/vb/Error.h"

#include <gtest/gtest.h>

namespace {

using vb::testing::ErrorOf;

vb::Date Jour(const char* texte)
{
    return *Periode::LireDate(texte);
}

std::string Texte(vb::Date d)
{
    return Periode::TexteDate(d);
}

TEST(Periodes, Raccourcis)
{
    struct Cas
    {
        const char* aujourdhui;
        Periode::Intervalle (*raccourci)(vb::Date);
        const char* debut;
        const char* fin;
    };
    const Cas cas[] = {
        {"01/03/2004", Periode::MoisDernier, "01/02/2004", "29/02/2004"},
        {"10/01/2006", Periode::MoisDernier, "01/12/2005", "31/12/2005"},
        {"01/01/2006", Periode::MoisDernier, "01/12/2005", "31/12/2005"},
        {"31/03/2006", Periode::MoisDernier, "01/02/2006", "28/02/2006"},
        {"01/01/2006", Periode::SemaineDerniere, "19/12/2005", "25/12/2005"},
        {"12/03/2006", Periode::SemaineDerniere, "27/02/2006", "05/03/2006"},
        {"15/03/2006", Periode::SemaineDerniere, "06/03/2006", "12/03/2006"},
        {"13/03/2006", Periode::SemaineDerniere, "06/03/2006", "12/03/2006"},
        {"01/03/2006", Periode::DebutMois, "01/03/2006", "01/03/2006"},
        {"15/03/2006", Periode::DebutMois, "01/03/2006", "15/03/2006"},
        {"01/01/2006", Periode::DebutAnnee, "01/01/2006", "01/01/2006"},
        {"15/03/2006", Periode::DebutAnnee, "01/01/2006", "15/03/2006"},
    };
    for (const Cas& c : cas) {
        const Periode::Intervalle p = c.raccourci(Jour(c.aujourdhui));
        EXPECT_EQ(Texte(p.debut), c.debut) << c.aujourdhui;
        EXPECT_EQ(Texte(p.fin), c.fin) << c.aujourdhui;
    }
    for (const char* faux :
         {"", "32/01/2006", "31/04/2006", "1/13/2006", "1e3", "demain", "01/03/2006/1"})
        EXPECT_FALSE(Periode::LireDate(faux)) << faux;
    // What the short date reading takes is a period bound, the day alone.
    for (const char* lu : {"1/3/06", "01-03-2006", "1-3-06", "2006-03-01", "01/03/2006 10:00"}) {
        const auto jour = Periode::LireDate(lu);
        ASSERT_TRUE(jour) << lu;
        EXPECT_EQ(Texte(*jour), "01/03/2006") << lu;
    }
}

TEST(PrixArticles, Computations)
{
    EXPECT_EQ(PrixArticles::PrixSaisi("12,5"), vb::Currency::FromText("12.5"));
    EXPECT_EQ(PrixArticles::PrixSaisi("1,005"), vb::Currency::FromText("1.01"));
    EXPECT_EQ(PrixArticles::PrixUnitaire(vb::Currency::FromText("12.5"), 12),
              vb::Currency::FromText("1.04"));
    EXPECT_EQ(PrixArticles::PrixUnitaire(vb::Currency::FromText("10"), 3),
              vb::Currency::FromText("3.33"));
    EXPECT_EQ(PrixArticles::TextePaquets(27, 12), "2 P + 3 U");
    EXPECT_EQ(PrixArticles::TextePaquets(5, 12), "0 P + 5 U");
    EXPECT_EQ(ErrorOf([] { PrixArticles::PrixUnitaire({}, 0); }), vb::ErrDivisionByZero);
    EXPECT_EQ(ErrorOf([] { PrixArticles::TextePaquets(27, 0); }), vb::ErrDivisionByZero);
}

} // namespace
