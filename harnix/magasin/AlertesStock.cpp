#include "harnix/magasin/AlertesStock.h"

#include "platform/ado/Recordset.h"
#include "platform/ado/Transaction.h"
#include "platform/vb/Convert.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

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

void EcrireSeuils(ado::Connection& cn, double jours)
{
    std::map<int32_t, vb::Variant> delais;
    ado::Recordset articles;
    articles.Open("SELECT Reference, DelaiLivraison FROM ArticleEnStock", cn);
    for (; !articles.Eof(); articles.MoveNext())
        if (const vb::Variant reference = articles["Reference"].Value(); !reference.IsNull())
            delais.try_emplace(vb::CLng(reference), articles["DelaiLivraison"].Value());
    articles.Close();

    std::vector<std::pair<int32_t, int32_t>> seuils;
    ado::Recordset resume;
    resume.Open("SELECT Reference, SUM(Total) AS GrTotal From Consomations GROUP BY Reference", cn);
    for (; !resume.Eof(); resume.MoveNext()) {
        const vb::Variant reference = resume["Reference"].Value();
        if (reference.IsNull())
            continue;
        const auto delai = delais.find(vb::CLng(reference));
        if (delai != delais.end())
            seuils.emplace_back(delai->first,
                                Seuil(vb::CDbl(resume["GrTotal"].Value()), jours, delai->second));
    }
    resume.Close();

    ado::RunInTransaction(cn, [&] {
        for (const auto& [reference, seuil] : seuils)
            cn.Execute("UPDATE ArticleEnStock SET StockAlert = " + std::to_string(seuil) +
                       " WHERE Reference = " + std::to_string(reference));
    });
}

} // namespace AlertesStock
