#include "harnix/magasin/Quotas.h"

#include "platform/ado/Recordset.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Error.h"

#include <sqlite3.h>

namespace Quotas {

namespace {

// The units of the article that movements of every kind gave the employee from `debut` up to,
// not including, `fin`. The badge is bound, never pasted into the statement; every movement
// counts, two alike included.
long Consommation(ado::Connection& cn, int32_t reference, const vb::Date& debut,
                  const vb::Date& fin, const std::string& badge)
{
    static constexpr const char* Sql =
        "SELECT COALESCE(SUM(DetailVente.Quantite), 0) FROM Ventes INNER JOIN DetailVente "
        "ON Ventes.NumVente = DetailVente.NumVente WHERE DetailVente.Reference = ?1 "
        "AND Ventes.LaDate >= ?2 AND Ventes.LaDate < ?3 AND Ventes.Utilisateur = ?4";
    sqlite3* db = cn.Handle();
    sqlite3_stmt* st = nullptr;
    const auto echec = [&] {
        const std::string message = sqlite3_errmsg(db);
        sqlite3_finalize(st);
        throw vb::Error(vb::ErrUnspecified, message, "VerifierQuota");
    };
    if (sqlite3_prepare_v2(db, Sql, -1, &st, nullptr) != SQLITE_OK)
        echec();
    const std::string du = debut.ToIsoText();
    const std::string au = fin.ToIsoText();
    sqlite3_bind_int(st, 1, reference);
    sqlite3_bind_text(st, 2, du.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 3, au.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 4, badge.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(st) != SQLITE_ROW)
        echec();
    const long somme = long(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    return somme;
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
