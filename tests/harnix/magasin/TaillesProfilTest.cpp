// The size warning of a profile: shoes by the employee's shoe size, gloves by the order of the
// employee's glove size.

#include "harnix/magasin/TaillesProfil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TaillesProfil::Ligne;
using V = vb::Variant;

constexpr int32_t Chaussures = 3;
constexpr int32_t Gants = 1;

Ligne Chaussure(int noTaille)
{
    return {V(Chaussures), V(noTaille), V(1)};
}
Ligne Gant(const V& ordre)
{
    return {V(Gants), V(6), ordre};
}
const Ligne Lunettes{V(4), V(5), V(1)};
const Ligne ArticleDisparu{V::Null(), V::Null(), V::Null()};

TEST(TaillesProfil, WarnsWhenNoShoeOrGloveFits)
{
    struct Cas
    {
        const char* nom;
        std::vector<Ligne> lignes;
        V pointure, ordreMain;
        bool avertit;
    };
    const Cas cas[] = {
        {"empty profile", {}, V(3), V(5), false},
        {"neither shoes nor gloves", {Lunettes, ArticleDisparu}, V::Null(), V::Null(), false},
        {"one shoe of the size", {Chaussure(4), Chaussure(3)}, V(3), V::Null(), false},
        {"no shoe of the size", {Chaussure(4), Chaussure(2)}, V(3), V::Null(), true},
        {"employee without shoe size", {Chaussure(3)}, V::Null(), V(5), true},
        {"glove of a smaller size", {Gant(V(4))}, V::Null(), V(5), true},
        {"glove of the same size", {Gant(V(5))}, V::Null(), V(5), false},
        {"glove of a larger size", {Gant(V(4)), Gant(V(6))}, V::Null(), V(5), false},
        {"glove without size", {Gant(V::Null())}, V::Null(), V(5), true},
        {"employee without glove size", {Gant(V(5))}, V::Null(), V::Null(), true},
        {"shoes fit, gloves do not", {Chaussure(3), Gant(V(1))}, V(3), V(2), true},
        {"a size as text", {Chaussure(3)}, V("3"), V::Null(), false},
    };
    for (const Cas& c : cas)
        EXPECT_EQ(TaillesProfil::SansTailleCorrespondante(c.lignes, c.pointure, c.ordreMain,
                                                          Chaussures, Gants),
                  c.avertit)
            << c.nom;
}

} // namespace
