#include "harnix/magasin/AlertesStock.h"

#include "platform/vb/Convert.h"

namespace AlertesStock {

namespace {

bool Vide(const vb::Variant& valeur)
{
    return valeur.IsNull() || valeur.IsEmpty() ||
           (valeur.Type() == vb::VarType::String && valeur.StringValue().empty());
}

} // namespace

bool EnAlerte(const vb::Variant& quantiteGlobale, const vb::Variant& seuil)
{
    return !Vide(quantiteGlobale) && !Vide(seuil) && vb::CDbl(quantiteGlobale) < vb::CDbl(seuil);
}

std::string TexteVue(vb::Date debut, vb::Date fin)
{
    return std::string("CREATE VIEW Consomations AS ") +
           " SELECT     TOP 100 PERCENT  DetailVente.Reference,  DetailVente.Designation, "
           "SUM( DetailVente.Quantite) AS Total" +
           " FROM          DetailVente INNER JOIN" +
           "   Ventes ON  DetailVente.NumVente =  Ventes.NumVente" +
           // The dates select the rows before they are grouped, through the index of the dates,
           // rather than the whole history being grouped first.
           " WHERE      ( Ventes.LaDate >= CONVERT(DATETIME, '" + vb::CStr(debut) +
           " 00:00:00', 103)) AND ( Ventes.LaDate <= CONVERT(DATETIME, '" + vb::CStr(fin) +
           " 23:59:59', 103))" +
           " GROUP BY  DetailVente.Reference,  DetailVente.Designation,  Ventes.LaDate" +
           " ORDER BY  DetailVente.Reference";
}

int32_t Seuil(double total, double jours, const vb::Variant& delaiLivraison)
{
    const double parJour = total / jours;
    return vb::CLng(Vide(delaiLivraison) ? parJour * 7 : parJour * (vb::CDbl(delaiLivraison) + 6));
}

} // namespace AlertesStock
