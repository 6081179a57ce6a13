#include "harnix/magasin/MouvementsMensuels.h"

#include "harnix/magasin/Mouvements.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Transaction.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"

#include <vector>

namespace MouvementsMensuels {

namespace {

constexpr int16_t Quantite = 5;

// The rows of a saved query, each the values of the named columns.
std::vector<std::vector<vb::Variant>> Lire(ado::Connection& connexion, const char* requete,
                                           std::initializer_list<const char*> colonnes)
{
    ado::Recordset rs;
    rs.SetClientCursor(ado::adLockOptimistic);
    rs.Open(requete, connexion);
    std::vector<std::vector<vb::Variant>> lignes;
    for (; !rs.Eof(); rs.MoveNext()) {
        std::vector<vb::Variant> valeurs;
        for (const char* colonne : colonnes)
            valeurs.push_back(rs[colonne].Value());
        lignes.push_back(std::move(valeurs));
    }
    rs.Close();
    return lignes;
}

} // namespace

long Generer(ado::Connection& connexion)
{
    enum { Reference, Designation, PrixAchatUnit, NomFamille, CodeFournisseur, Societe };
    const auto articles = Lire(
        connexion, "StockGlobal",
        {"Reference", "Designation", "PrixAchatUnit", "NomFamille", "CodeFournisseur", "Societe"});
    enum { NoBadge, Nom, Prenom, NomSite, NoSite, NomService, NoService, Profile };
    const auto employes = Lire(
        connexion, "GrUtilisateur",
        {"NoBadge", "Nom", "Prenom", "NomSite", "NoSite", "NomService", "NoService", "Profile"});
    long ecrits = 0;
    ado::RunInTransaction(connexion, [&] {
        for (int mois = 1; mois <= 12; ++mois) {
            const vb::Date jour = vb::DateSerial(2005, mois, 1);
            for (const auto& article : articles) {
                const vb::Variant& prix = article[PrixAchatUnit];
                for (const auto& employe : employes) {
                    Mouvements::Mouvement m{
                        .LaDate = jour,
                        .Utilisateur = employe[NoBadge],
                        .Nom = employe[Nom],
                        .Prenom = employe[Prenom],
                        .Type = Mouvements::MouvementGenere,
                        .Total = prix.IsNull() ? vb::Variant::Null()
                                               : vb::Variant(vb::CCur(prix) * vb::CCur(Quantite)),
                    };
                    m.Lignes.push_back({
                        .Reference = article[Reference],
                        .Designation = article[Designation],
                        .Quantite = vb::Variant(Quantite),
                        .PrixAchatUnit = prix,
                        .NomFamille = article[NomFamille],
                        .NomSite = employe[NomSite],
                        .NoSite = employe[NoSite],
                        .NomService = employe[NomService],
                        .NoService = employe[NoService],
                        .Profile = employe[Profile],
                        .CodeFournisseur = article[CodeFournisseur],
                        .Societe = article[Societe],
                        .Taille = {},
                        .RefFournisseur = {},
                        .CodeArticle = {},
                        .NoFamille = {},
                    });
                    Mouvements::Enregistrer(connexion, m);
                    ++ecrits;
                }
            }
        }
    });
    return ecrits;
}

} // namespace MouvementsMensuels
