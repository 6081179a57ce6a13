#include "harnix/magasin/Quotas.h"

#include "platform/ado/Command.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"

namespace Quotas {

namespace {

// The units of the article that movements of every kind gave the employee from `debut` up to,
// not including, `fin`. Every value is bound, never pasted into the statement; every movement
// counts, two alike included.
long Consommation(const ado::Connection& cn, int32_t reference, const vb::Date& debut,
                  const vb::Date& fin, const std::string& badge)
{
    ado::Command commande;
    commande.SetActiveConnection(cn);
    commande.SetCommandText(
        "SELECT COALESCE(SUM(DetailVente.Quantite), 0) FROM Ventes INNER JOIN DetailVente "
        "ON Ventes.NumVente = DetailVente.NumVente WHERE DetailVente.Reference = [Article] "
        "AND Ventes.LaDate >= [Debut] AND Ventes.LaDate < [Fin] "
        "AND Ventes.Utilisateur = [Badge]");
    commande.Parameters() = {{"[Article]", "Long", vb::Variant(reference)},
                             {"[Debut]", "DateTime", vb::Variant(debut)},
                             {"[Fin]", "DateTime", vb::Variant(fin)},
                             {"[Badge]", "Text", vb::Variant(badge)}};
    ado::Recordset rs;
    rs.SetClientCursor(ado::adLockReadOnly);
    rs.Open(commande);
    return vb::CLng(rs.Fields(0L).Value());
}

} // namespace

int16_t VerifierQuota(ado::Connection& cn, int32_t RefArticle, int32_t NoQota,
                      const std::string& Utilisateur)
{
    ado::Recordset rs;
    rs.SetClientCursor(ado::adLockOptimistic);
    rs.Open("Quota where NoQota=" + std::to_string(NoQota) + " order by NoLigne", cn);
    if (rs.RecordCount() < 1)
        return 3;
    rs.Find("RefArticle=" + std::to_string(RefArticle), 0, ado::adSearchForward);
    if (rs.Eof())
        return 3;
    const vb::Variant periode = rs["Periodicite"].Value();
    const vb::Variant permis = rs["QtePermise"].Value();
    rs.Close();
    // A line without its period or its quantity sets no limit that can be checked.
    if (periode.IsNull() || permis.IsNull())
        return 3;
    // From midnight P days back to the end of today.
    const vb::Date debut = vb::DateAdd("d", -vb::CDbl(periode), vb::Today());
    const vb::Date fin = vb::DateAdd("d", 1, vb::Today());
    const long somme = Consommation(cn, RefArticle, debut, fin, Utilisateur);
    return somme >= vb::CLng(permis) ? 1 : 2;
}

} // namespace Quotas
