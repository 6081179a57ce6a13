#include "harnix/magasin/CatalogueArticles.h"

#include "platform/ado/Command.h"
#include "platform/ado/Text.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Error.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"

#include <initializer_list>

namespace CatalogueArticles {

namespace {

// A value of the catalogue as text: a Null is empty.
std::string Texte(const vb::Variant& valeur)
{
    return valeur.IsNull() ? std::string() : vb::CStr(valeur);
}

// A text literal of a Find criterion, its quotes doubled.
std::string Litteral(const std::string& texte)
{
    return "'" + ado::DoubledQuotes(texte) + "'";
}

void Copier(ado::Recordset& cible, const ado::Recordset& source,
            std::initializer_list<const char*> champs)
{
    for (const char* champ : champs) {
        try {
            cible[champ] = source[champ].Value();
        } catch (const vb::Error& erreur) {
            // A value the column cannot hold (a text longer than it): the report says which.
            throw vb::Error(erreur.Number(), std::string(champ) + " : " + erreur.Description(),
                            erreur.Source());
        }
    }
}

} // namespace

ado::Recordset Ouvrir(const ado::Connection& cn, const std::string& texte)
{
    ado::Command commande;
    commande.SetActiveConnection(cn);
    commande.SetCommandText(texte);
    ado::Recordset rs;
    rs.SetClientCursor(ado::adLockPessimistic);
    rs.Open(commande);
    return rs;
}

void PreparerArticlesCatalogue(ado::Connection& catalogue, Ecartees& ecartees)
{
    catalogue.BeginTrans();
    catalogue.Execute(std::string("DELETE FROM ") + TableDeTravail);
    ado::Recordset produits = Ouvrir(catalogue, "article order by REFBASE");
    ado::Recordset prepares = Ouvrir(catalogue, TableDeTravail);
    ado::Recordset tailles = Ouvrir(catalogue, "FICHIERARTICLE3 order by REFBASE");
    for (; !tailles.Eof(); tailles.MoveNext()) {
        const std::string refFournisseur = Texte(tailles["RefFournisseur"].Value());
        if (tailles["Famille"].Value().IsNull()) {
            ecartees.push_back(refFournisseur + " : pas de famille");
            continue;
        }
        const std::string refBase = Texte(tailles["REFBASE"].Value());
        if (produits.RecordCount() > 0)
            produits.Find("[REFBASE] like " + Litteral(ado::LikeLiteral(refBase) + "*"), 0,
                          ado::adSearchForward, ado::adBookmarkFirst);
        const bool trouve = produits.RecordCount() > 0 && !produits.Eof();
        if (trouve && refFournisseur.find(Texte(produits["REFBASE"].Value())) == std::string::npos)
            continue;
        prepares.AddNew();
        Copier(prepares, tailles,
               {"REFBASE", "Designation", "RefFournisseur", "NomTaille", "Famille", "NomFamille",
                "No", "Reference"});
        prepares["NoFournisseur"] = 1;
        if (trouve) {
            Copier(prepares, produits,
                   {"DelaiLivraison", "Marque", "Descriptif", "Norme", "FicheTech", "QteParPaket",
                    "PrixAchatUnit"});
            prepares["Image"] = produits["REFBASE"].Value();
        } else {
            prepares["Image"] = tailles["REFBASE"].Value();
        }
        prepares.Update();
    }
    catalogue.CommitTrans();
}

void ConvertirTaillesCatalogue(ado::Connection& catalogue, const ado::Connection& cn,
                               Ecartees& ecartees)
{
    catalogue.BeginTrans();
    ado::Recordset prepares = Ouvrir(catalogue, TableDeTravail);
    ado::Command commande;
    commande.SetActiveConnection(cn);
    commande.SetCommandText("Tailles");
    ado::Recordset tailles;
    tailles.SetClientCursor(ado::adLockOptimistic);
    tailles.Open(commande);
    for (; !prepares.Eof(); prepares.MoveNext()) {
        const vb::Variant famille = prepares["Famille"].Value();
        if (famille.IsNull()) {
            ecartees.push_back(Texte(prepares["RefFournisseur"].Value()) + " : pas de famille");
            continue;
        }
        commande.SetCommandText("Tailles where NoFamille=" + std::to_string(vb::CLng(famille)));
        tailles.Requery();
        if (tailles.RecordCount() == 0)
            continue;
        tailles.Find("[Taille] like " +
                         Litteral(ado::LikeLiteral(Texte(prepares["NomTaille"].Value()))),
                     0, ado::adSearchForward, ado::adBookmarkFirst);
        if (tailles.Eof())
            continue;
        prepares["Taille"] = tailles["NoTaille"].Value();
        prepares.Update();
    }
    tailles.Close();
    commande.ReleaseConnection();
    catalogue.CommitTrans();
}

void ImporterArticlesCatalogue(ado::Connection& catalogue, ado::Connection& cn, Ecartees& ecartees)
{
    ado::Recordset prepares = Ouvrir(catalogue, TableDeTravail);
    ado::Recordset articles = Ouvrir(cn, "ArticleEnStock");
    cn.BeginTrans();
    try {
        for (; !prepares.Eof(); prepares.MoveNext()) {
            const vb::Variant reference = prepares["Reference"].Value();
            if (reference.IsNull()) {
                ecartees.push_back(Texte(prepares["RefFournisseur"].Value()) +
                                   " : pas de référence");
                continue;
            }
            try {
                articles.AddNew();
                Copier(articles, prepares,
                       {"Reference", "Designation", "Marque", "RefFournisseur", "Descriptif",
                        "Norme", "FicheTech", "QteParPaket", "PrixAchatUnit", "NoFournisseur",
                        "Image", "DelaiLivraison", "Taille", "Famille"});
                const vb::Variant unites = prepares["QteParPaket"].Value();
                const vb::Variant prix = prepares["PrixAchatUnit"].Value();
                if (!unites.IsNull() && !prix.IsNull())
                    articles["PrixAchatGlobal"] = vb::CCur(unites) * vb::CCur(prix);
                articles["DateCreation"] = vb::Today();
                articles.Update();
            } catch (const vb::Error& erreur) {
                vb::ResumeNext span;
                span([&] { articles.CancelUpdate(); });
                ecartees.push_back(vb::CStr(reference) + " : " + erreur.Description());
            }
        }
        cn.CommitTrans();
    } catch (const vb::Error&) {
        vb::ResumeNext span;
        span([&] { cn.RollbackTrans(); });
        throw;
    }
}

} // namespace CatalogueArticles
