#include "harnix/magasin/AttributionCodes.h"

#include "harnix/magasin/ArticleCodes.h"

#include "platform/vb/Convert.h"

#include <string>

namespace CodesArticles {

Attribution AttribuerCode(const ado::Connection& cn, ado::Recordset& fiche, int32_t code)
{
    const vb::Variant reference = fiche["Reference"].Value();
    const vb::Variant ancien = fiche["CodeArticle"].Value();
    const vb::Variant detenteur = Detenteur(cn, code);
    if (!detenteur.IsNull() && vb::CLng(detenteur) != vb::CLng(reference))
        return Attribution::Refusee;
    fiche["CodeArticle"] = code;
    fiche.Update();
    MarquerCode(cn, code, reference);
    if (!ancien.IsNull() && vb::CLng(ancien) != code)
        MarquerCode(cn, vb::CLng(ancien), vb::Variant::Null());
    return Attribution::Attribuee;
}

Attribution EchangerCode(const ado::Connection& cn, ado::Recordset& fiche, int32_t code)
{
    const vb::Variant ancien = fiche["CodeArticle"].Value();
    const vb::Variant reference = fiche["Reference"].Value();
    fiche["CodeArticle"] = vb::Variant::Null();
    fiche.Update();
    const ado::Bookmark signet = fiche.GetBookmark();
    fiche.Find("CodeArticle =" + std::to_string(code), 0, ado::adSearchForward,
               ado::adBookmarkFirst);
    if (fiche.Eof()) {
        fiche.SetBookmark(signet);
        fiche["CodeArticle"] = ancien;
        fiche.Update();
        return AttribuerCode(cn, fiche, code);
    }
    const vb::Variant autre = fiche["Reference"].Value();
    fiche["CodeArticle"] = ancien;
    fiche.Update();
    fiche.SetBookmark(signet);
    fiche["CodeArticle"] = code;
    fiche.Update();
    MarquerCode(cn, code, reference);
    if (!ancien.IsNull())
        MarquerCode(cn, vb::CLng(ancien), autre);
    return Attribution::Echangee;
}

} // namespace CodesArticles
