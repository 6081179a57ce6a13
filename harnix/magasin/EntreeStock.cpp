#include "harnix/magasin/EntreeStock.h"

#include "platform/vb/Error.h"

#include <charconv>
#include <limits>

namespace EntreeStock {

namespace {

int32_t DansLaPlage(int64_t valeur)
{
    if (valeur < std::numeric_limits<int32_t>::min() ||
        valeur > std::numeric_limits<int32_t>::max())
        vb::Raise(vb::ErrOverflow);
    return static_cast<int32_t>(valeur);
}

} // namespace

int32_t NombrePacks(const std::string& texte)
{
    const size_t chiffres = !texte.empty() && texte.front() == '-' ? 1 : 0;
    if (texte.size() == chiffres ||
        texte.find_first_not_of("0123456789", chiffres) != std::string::npos)
        vb::Raise(vb::ErrTypeMismatch);
    int32_t valeur = 0;
    if (std::from_chars(texte.data(), texte.data() + texte.size(), valeur).ec != std::errc())
        vb::Raise(vb::ErrOverflow);
    return valeur;
}

int32_t Unites(int32_t packs, int32_t parPaquet)
{
    return DansLaPlage(int64_t(packs) * parPaquet);
}

int32_t Ajouter(int32_t stock, int32_t unites)
{
    return DansLaPlage(int64_t(stock) + unites);
}

std::string TexteTotal(const std::string& packs, int32_t parPaquet)
{
    return "TOTAL: " + packs + " x " + std::to_string(parPaquet) + " = " +
           std::to_string(Unites(NombrePacks(packs), parPaquet));
}

} // namespace EntreeStock
