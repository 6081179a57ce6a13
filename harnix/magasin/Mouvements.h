#pragma once
// The one writer of movements: a header in Ventes, its number read back from the stored row,
// its lines in DetailVente carrying that number, the header's Total, and for counter issues the
// stock decrease, all in one transaction, so that a failure leaves nothing written.
//
// Counter issues (type 3), committed allocations (type 1) and generated movements (type 2) all
// come through here; the caller gives every value, Total included.

#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Date.h"
#include "platform/vb/Variant.h"

#include <cstdint>
#include <vector>

namespace Mouvements {

// Ventes.TypeMouvement
enum TypeMouvement : int16_t { Dotation = 1, MouvementGenere = 2, RemiseComptoir = 3 };

// The columns of a DetailVente row; a value left Null leaves its column empty.
struct Ligne
{
    vb::Variant Reference = {};
    vb::Variant Designation = {};
    vb::Variant Quantite = {};
    vb::Variant PrixAchatUnit = {};
    vb::Variant NomFamille = {};
    vb::Variant NomSite = {};
    vb::Variant NoSite = {};
    vb::Variant NomService = {};
    vb::Variant NoService = {};
    // The profile number (counter) or the profile name (allocation), as the writer has it.
    vb::Variant Profile = {};
    vb::Variant CodeFournisseur = {};
    vb::Variant Societe = {};
    vb::Variant Taille = {};
    vb::Variant RefFournisseur = {};
    vb::Variant CodeArticle = {};
    vb::Variant NoFamille = {};
};

struct Mouvement
{
    vb::Date LaDate;
    vb::Variant Utilisateur; // the employee's badge number
    vb::Variant Nom;
    vb::Variant Prenom;
    int16_t Type = RemiseComptoir;
    vb::Variant Total;
    // The allocation writes its Total once its lines are stored; the counter with the header.
    bool TotalApresLignes = false;
    // Counter issues take each line's quantity off its article's QteEnStock (no lower bound; an
    // article that has no row any more is passed over). Other movements leave the stock alone.
    bool DiminuerStock = false;
    std::vector<Ligne> Lignes = {};
};

// A counter issue of one unit, made at a date: the employee from the current row of
// GrUtilisateur, the article from the current row of Stock, with their names of the moment.
Mouvement RemiseAuComptoir(vb::Date laDate, const ado::Recordset& salarie,
                           const ado::Recordset& article);

// Writes the movement on the connection and returns its NumVente. Inside a transaction of the
// caller's, it becomes part of it (several movements can then be committed together). Raises
// the database's vb::Error after rolling back its own part.
int32_t Enregistrer(ado::Connection& connexion, const Mouvement& mouvement);

} // namespace Mouvements
