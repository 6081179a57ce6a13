#include "harnix/magasin/ArticleCodes.h"

#include "platform/ado/Recordset.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Format.h"

#include <map>

namespace CodesArticles {

namespace {

ado::Recordset Ouvrir(const ado::Connection& cn, const std::string& source, long verrou)
{
    ado::Recordset rs;
    rs.SetCursorLocation(ado::adUseClient);
    rs.Open(source, cn, ado::adOpenDynamic, verrou);
    return rs;
}

std::string Texte(int32_t n)
{
    return std::to_string(n);
}

void MettreAJourPool(ado::Recordset& pool, const std::map<int32_t, ado::Bookmark>& lignes,
                     const std::map<int32_t, int32_t>& detenteurs, int32_t plusHaut)
{
    for (int32_t i = 1; i <= plusHaut; ++i) {
        const auto ligne = lignes.find(i);
        if (ligne == lignes.end()) {
            pool.AddNew();
            pool["CodeArticle"] = i;
            pool.Update();
            continue;
        }
        const auto detenteur = detenteurs.find(i);
        const vb::Variant attendu =
            detenteur == detenteurs.end() ? vb::Variant::Null() : vb::Variant(detenteur->second);
        pool.SetBookmark(ligne->second);
        const vb::Variant inscrit = pool["Reference"].Value();
        const bool pareil = inscrit.IsNull()
                                ? attendu.IsNull()
                                : !attendu.IsNull() && vb::CLng(inscrit) == vb::CLng(attendu);
        if (!pareil) {
            pool["Reference"] = attendu;
            pool.Update();
        }
    }
}

} // namespace

int32_t AjouterArticle(const ado::Connection& cn)
{
    ado::Recordset rs = Ouvrir(cn, "ArticleEnStock order by Reference asc", ado::adLockPessimistic);
    int32_t dernier = 999;
    if (rs.RecordCount() > 0) {
        rs.MoveLast();
        dernier = vb::CLng(rs["Reference"].Value());
    }
    int32_t reference = dernier + 1;
    if (reference == 1)
        reference = dernier + 1000;
    rs.AddNew();
    rs["Reference"] = reference;
    rs["DateCreation"] = vb::Format(vb::Today(), "Short Date");
    rs.Update();
    rs.Close();
    return reference;
}

bool LireCodeMaximum(const std::string& texte, int32_t& plusHaut)
{
    if (!vb::IsNumeric(texte))
        return false;
    const double valeur = vb::Int(vb::CDbl(texte));
    if (valeur > CodeMaximum)
        return false;
    // Below the range of a code's type: an overflow, as reading any number into it is.
    plusHaut = vb::CLng(valeur);
    return true;
}

void CreerCodes(const ado::Connection& cn, int32_t plusHaut)
{
    ado::Recordset pool = Ouvrir(cn, "CodeArticle", ado::adLockOptimistic);
    ado::Recordset articles = Ouvrir(cn, "ArticleEnStock", ado::adLockOptimistic);
    // Read once: the pool's rows by code, and the article holding each code.
    std::map<int32_t, ado::Bookmark> lignes;
    for (; !pool.Eof(); pool.MoveNext())
        lignes[vb::CLng(pool["CodeArticle"].Value())] = pool.GetBookmark();
    std::map<int32_t, int32_t> detenteurs;
    for (; !articles.Eof(); articles.MoveNext()) {
        const vb::Variant code = articles["CodeArticle"].Value();
        const vb::Variant reference = articles["Reference"].Value();
        if (!code.IsNull() && !reference.IsNull())
            detenteurs[vb::CLng(code)] = vb::CLng(reference);
    }
    articles.Close();
    // One transaction for the whole pool, committed also when a step fails, so that the codes
    // written before the failure stay.
    ado::Connection connexion = cn;
    connexion.BeginTrans();
    try {
        MettreAJourPool(pool, lignes, detenteurs, plusHaut);
    } catch (...) {
        connexion.CommitTrans();
        throw;
    }
    connexion.CommitTrans();
    pool.Close();
}

vb::Variant Detenteur(const ado::Connection& cn, int32_t code)
{
    ado::Recordset rs =
        Ouvrir(cn, "SELECT Reference FROM CodeArticle WHERE CodeArticle = " + Texte(code),
               ado::adLockReadOnly);
    return rs.RecordCount() == 0 ? vb::Variant::Null() : rs["Reference"].Value();
}

void MarquerCode(const ado::Connection& cn, int32_t code, const vb::Variant& reference)
{
    ado::Connection connexion = cn;
    connexion.Execute("UPDATE CodeArticle SET Reference = " +
                      (reference.IsNull() ? std::string("Null") : Texte(vb::CLng(reference))) +
                      " WHERE CodeArticle = " + Texte(code));
}

} // namespace CodesArticles
