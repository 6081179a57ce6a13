#include "harnix/magasin/Mouvements.h"

#include "platform/ado/Transaction.h"
#include "platform/vb/Convert.h"

#include <string>

namespace Mouvements {

namespace {

// Opened on no row: the writer only adds, and need not read the whole table to do so.
constexpr const char* SourceEnTete = "Ventes where NumVente Is Null";
constexpr const char* SourceLignes = "DetailVente where NumVente Is Null";

ado::Recordset Ouvrir(ado::Connection& connexion, const char* source)
{
    ado::Recordset rs;
    rs.SetClientCursor(ado::adLockOptimistic);
    rs.Open(source, connexion);
    return rs;
}

int32_t EcrireEnTete(ado::Connection& connexion, const Mouvement& m)
{
    ado::Recordset rs = Ouvrir(connexion, SourceEnTete);
    rs.AddNew();
    rs["LaDate"] = m.LaDate;
    rs["Utilisateur"] = m.Utilisateur;
    rs["NOM"] = m.Nom;
    rs["Prenom"] = m.Prenom;
    rs["TypeMouvement"] = m.Type;
    if (!m.TotalApresLignes)
        rs["Total"] = m.Total;
    rs.Update();
    const int32_t numero = vb::CLng(rs["NumVente"].Value());
    rs.Close();
    return numero;
}

void EcrireLignes(ado::Connection& connexion, int32_t numero, const std::vector<Ligne>& lignes)
{
    ado::Recordset rs = Ouvrir(connexion, SourceLignes);
    for (const Ligne& l : lignes) {
        rs.AddNew();
        rs["NumVente"] = numero;
        rs["Reference"] = l.Reference;
        rs["Designation"] = l.Designation;
        rs["Quantite"] = l.Quantite;
        rs["PrixAchatUnit"] = l.PrixAchatUnit;
        rs["NomFamille"] = l.NomFamille;
        rs["NomSite"] = l.NomSite;
        rs["NoSite"] = l.NoSite;
        rs["NomService"] = l.NomService;
        rs["NoService"] = l.NoService;
        rs["Profile"] = l.Profile;
        rs["CodeFournisseur"] = l.CodeFournisseur;
        rs["Societe"] = l.Societe;
        rs["Taille"] = l.Taille;
        rs["RefFournisseur"] = l.RefFournisseur;
        rs["CodeArticle"] = l.CodeArticle;
        rs["NoFamille"] = l.NoFamille;
        rs.Update();
    }
    rs.Close();
}

void EcrireTotal(ado::Connection& connexion, int32_t numero, const vb::Variant& total)
{
    const std::string source = "Ventes where NumVente=" + std::to_string(numero);
    ado::Recordset rs = Ouvrir(connexion, source.c_str());
    rs["Total"] = total;
    rs.Update();
    rs.Close();
}

void DiminuerStock(ado::Connection& connexion, const std::vector<Ligne>& lignes)
{
    for (const Ligne& l : lignes) {
        if (l.Reference.IsNull() || l.Quantite.IsNull())
            continue;
        connexion.Execute("UPDATE ArticleEnStock SET QteEnStock = QteEnStock - " +
                          std::to_string(vb::CLng(l.Quantite)) +
                          " WHERE Reference = " + std::to_string(vb::CLng(l.Reference)));
    }
}

} // namespace

Mouvement RemiseAuComptoir(vb::Date laDate, const ado::Recordset& salarie,
                           const ado::Recordset& article)
{
    Ligne l;
    l.Reference = article["Reference"].Value();
    l.Designation = article["Designation"].Value();
    l.Quantite = int32_t{1};
    l.PrixAchatUnit = article["PrixAchatUnit"].Value();
    l.NomFamille = article["NomFamille"].Value();
    l.NomSite = salarie["NomSite"].Value();
    l.NoSite = salarie["NoSite"].Value();
    l.NomService = salarie["NomService"].Value();
    l.NoService = salarie["NoService"].Value();
    // The profile number, as decimal text.
    const vb::Variant profil = salarie["Quota"].Value();
    l.Profile = profil.IsNull() ? vb::Variant::Null() : vb::Variant(vb::CStr(vb::CLng(profil)));
    l.CodeFournisseur = article["CodeFournisseur"].Value();
    l.Societe = article["Societe"].Value();
    l.Taille = article["Taille"].Value();
    l.RefFournisseur = article["RefFournisseur"].Value();
    l.CodeArticle = article["CodeArticle"].Value();
    l.NoFamille = article["Famille"].Value();
    return {.LaDate = laDate,
            .Utilisateur = salarie["NoBadge"].Value(),
            .Nom = salarie["NOM"].Value(),
            .Prenom = salarie["Prenom"].Value(),
            .Type = RemiseComptoir,
            .Total = article["PrixAchatUnit"].Value(),
            .DiminuerStock = true,
            .Lignes = {l}};
}

int32_t Enregistrer(ado::Connection& connexion, const Mouvement& mouvement)
{
    return ado::RunInTransaction(connexion, [&] {
        const int32_t numero = EcrireEnTete(connexion, mouvement);
        EcrireLignes(connexion, numero, mouvement.Lignes);
        if (mouvement.TotalApresLignes)
            EcrireTotal(connexion, numero, mouvement.Total);
        if (mouvement.DiminuerStock)
            DiminuerStock(connexion, mouvement.Lignes);
        return numero;
    });
}

} // namespace Mouvements
