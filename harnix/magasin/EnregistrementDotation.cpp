#include "harnix/magasin/EnregistrementDotation.h"

#include "harnix/magasin/CalculDotation.h"
#include "harnix/magasin/Mouvements.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Transaction.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Currency.h"
#include "platform/vb/DateTime.h"

namespace EnregistrementDotation {

namespace {

// An article without a price adds nothing to the total.
vb::Currency Prix(const vb::Variant& valeur)
{
    return valeur.IsNull() ? vb::Currency() : vb::CCur(valeur);
}

Mouvements::Ligne LigneDe(ado::Recordset& rs)
{
    // The allocation hands out at least one unit of each article.
    int32_t quantite = CalculDotation::Arrondi(vb::CDbl(rs["Qte"].Value()));
    if (quantite == 0)
        quantite = 1;
    Mouvements::Ligne ligne;
    ligne.Reference = rs["RefArticle"].Value();
    ligne.Designation = rs["Designation"].Value();
    ligne.Quantite = quantite;
    ligne.PrixAchatUnit = rs["PrixAchatUnit"].Value();
    ligne.NomFamille = rs["NomFamille"].Value();
    ligne.NomSite = rs["NomSite"].Value();
    ligne.NoSite = rs["Site"].Value();
    ligne.NomService = rs["NomService"].Value();
    ligne.NoService = rs["Service"].Value();
    ligne.Profile = rs["Profile"].Value();
    ligne.CodeFournisseur = rs["CodeFournisseur"].Value();
    ligne.Societe = rs["Societe"].Value();
    return ligne;
}

} // namespace

int32_t Enregistrer(ado::Connection& connexion, int32_t nbJours, const std::string& filtre,
                    const std::function<void(int)>& progression)
{
    return Enregistrer(connexion, vb::Now(), nbJours, filtre, progression);
}

int32_t Enregistrer(ado::Connection& connexion, vb::Date laDate, int32_t nbJours,
                    const std::string& filtre, const std::function<void(int)>& progression)
{
    ado::Recordset rs;
    rs.SetClientCursor(ado::adLockOptimistic);
    rs.Open(CalculDotation::RequeteEnregistrement(nbJours, filtre), connexion);
    const long nombre = rs.RecordCount();

    int32_t mouvements = 0;
    Mouvements::Mouvement m;
    vb::Currency total;
    auto ecrire = [&] {
        if (m.Lignes.empty())
            return;
        m.Total = total;
        Mouvements::Enregistrer(connexion, m);
        ++mouvements;
    };

    ado::RunInTransaction(connexion, [&] {
        std::string badge;
        bool premier = true;
        for (long ligne = 1; !rs.Eof(); ++ligne, rs.MoveNext()) {
            if (progression)
                progression(int(ligne * 100 / nombre));
            // A quota line without a period is left out, as the computation left it out.
            if (rs["Qte"].Value().IsNull())
                continue;
            const std::string nouveau = vb::CStr(rs["NoBadge"].Value());
            if (premier || nouveau != badge) {
                ecrire();
                m = {.LaDate = laDate,
                     .Utilisateur = rs["NoBadge"].Value(),
                     .Nom = rs["Nom"].Value(),
                     .Prenom = rs["Prenom"].Value(),
                     .Type = Mouvements::Dotation,
                     .Total = {},
                     .TotalApresLignes = true};
                total = vb::Currency();
                badge = nouveau;
                premier = false;
            }
            m.Lignes.push_back(LigneDe(rs));
            // The unit prices only: quantities are not multiplied in.
            total += Prix(rs["PrixAchatUnit"].Value());
        }
        ecrire();
    });
    rs.Close();
    return mouvements;
}

} // namespace EnregistrementDotation
