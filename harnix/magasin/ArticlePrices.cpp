#include "harnix/magasin/ArticlePrices.h"

#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "platform/vb/Format.h"

#include <cmath>

namespace PrixArticles {

vb::Currency PrixSaisi(const std::string& texte)
{
    return vb::CCur(vb::Format(texte, "0.00"));
}

vb::Currency PrixUnitaire(vb::Currency prixPaquet, int32_t unitesParPaquet)
{
    if (unitesParPaquet == 0)
        vb::Raise(vb::ErrDivisionByZero);
    const vb::Currency unitaire = prixPaquet / vb::CCur(unitesParPaquet);
    return vb::CCur(vb::Format(unitaire, "0.00"));
}

std::string TextePaquets(int32_t quantite, int32_t unitesParPaquet)
{
    if (unitesParPaquet == 0)
        vb::Raise(vb::ErrDivisionByZero);
    const int32_t paquets = quantite / unitesParPaquet;
    const int32_t unites = quantite - paquets * unitesParPaquet;
    return std::to_string(paquets) + " P + " + std::to_string(unites) + " U";
}

int32_t ValeurEntiere(const std::string& texte)
{
    return vb::CLng(std::floor(vb::CDbl(texte)));
}

} // namespace PrixArticles
