#include "harnix/catalogue/ArticleCodes.h"

#include "platform/ado/Recordset.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Format.h"

#include <cmath>

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
    const double valeur = std::floor(vb::CDbl(texte));
    if (valeur > CodeMaximum)
        return false;
    plusHaut = static_cast<int32_t>(valeur);
    return true;
}

void CreerCodes(const ado::Connection& cn, int32_t plusHaut)
{
    ado::Recordset pool = Ouvrir(cn, "CodeArticle", ado::adLockOptimistic);
    ado::Recordset articles = Ouvrir(cn, "ArticleEnStock", ado::adLockOptimistic);
    for (int32_t i = 1; i <= plusHaut; ++i) {
        const std::string critere = "CodeArticle =" + Texte(i);
        // From the first row: a pool whose rows are not in code order must not get a code twice.
        if (pool.RecordCount() > 0)
            pool.Find(critere, 0, ado::adSearchForward, ado::adBookmarkFirst);
        if (pool.RecordCount() == 0 || pool.Eof()) {
            pool.AddNew();
            pool["CodeArticle"] = i;
            pool.Update();
            continue;
        }
        vb::Variant detenteur = vb::Variant::Null();
        if (articles.RecordCount() > 0) {
            articles.Find(critere, 0, ado::adSearchForward, ado::adBookmarkFirst);
            if (!articles.Eof())
                detenteur = articles["Reference"].Value();
        }
        const vb::Variant inscrit = pool["Reference"].Value();
        const bool pareil = inscrit.IsNull()
                                ? detenteur.IsNull()
                                : !detenteur.IsNull() && vb::CLng(inscrit) == vb::CLng(detenteur);
        if (!pareil) {
            pool["Reference"] = detenteur;
            pool.Update();
        }
    }
    pool.Close();
    articles.Close();
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
