// The computations of the article card and of the report periods.

#include "harnix/magasin/ArticleCodes.h"
#include "harnix/magasin/ArticlePrices.h"
#include "harnix/magasin/EntreeStock.h"
#include "harnix/magasin/Periode.h"

#include "tests/platform/vb/ErrorOf.h"

#include "platform/vb/Error.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

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

// Every reading of typed text into a 32-bit number: the ends of the range are read, one past
// either end is an overflow (error 6), never a wrapped or undefined value.
TEST(SaisiesEntieres, HorsDeLaPlageDepassement)
{
    const auto codeMaximum = [](const std::string& t) {
        int32_t n = 0;
        return CodesArticles::LireCodeMaximum(t, n) ? n : -1;
    };
    const struct
    {
        const char* nom;
        std::function<int32_t(const std::string&)> lire;
        bool decimales; // reads fractions and exponents
    } lectures[] = {
        {"LireCodeMaximum", codeMaximum, true},
        {"ValeurEntiere", PrixArticles::ValeurEntiere, true},
        {"NombrePacks", EntreeStock::NombrePacks, false},
    };
    const std::string chiffres309(309, '9');
    const struct
    {
        std::string texte;
        std::optional<int32_t> lu; // nothing: an overflow
        bool decimal;
    } cas[] = {
        {"-2147483648", INT32_MIN, false},
        {"-2147483649", std::nullopt, false},
        {"-3000000000", std::nullopt, false},
        {"-3e9", std::nullopt, true},
        {"-1E30", std::nullopt, true},
        {"-" + chiffres309, std::nullopt, false},
        {"-21474836485E-1", std::nullopt, true}, // its whole value is one below the range
        {"19999E-1", 1999, true},
        {"2000", 2000, false},
    };
    for (const auto& l : lectures)
        for (const auto& c : cas) {
            if (c.decimal && !l.decimales)
                continue;
            SCOPED_TRACE(std::string(l.nom) + " " + c.texte.substr(0, 14));
            if (c.lu) {
                EXPECT_EQ(l.lire(c.texte), *c.lu);
            } else {
                EXPECT_EQ(ErrorOf([&] { l.lire(c.texte); }), vb::ErrOverflow);
            }
        }
    // Above the range: the codes box refuses anything above its maximum without a word; the
    // other readings overflow.
    for (const std::string& t :
         {std::string("2147483648"), std::string("3000000000"), chiffres309}) {
        SCOPED_TRACE(t.substr(0, 14));
        EXPECT_EQ(ErrorOf([&] { PrixArticles::ValeurEntiere(t); }), vb::ErrOverflow);
        EXPECT_EQ(ErrorOf([&] { EntreeStock::NombrePacks(t); }), vb::ErrOverflow);
    }
    EXPECT_EQ(codeMaximum("2147483648"), -1);
    EXPECT_EQ(codeMaximum("2001"), -1);
    EXPECT_EQ(ErrorOf([&] { codeMaximum(chiffres309); }), vb::ErrOverflow);
    EXPECT_EQ(ErrorOf([&] { codeMaximum("1E400"); }), vb::ErrOverflow);
}

} // namespace
