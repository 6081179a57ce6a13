#pragma once
// The tables of a supplier's catalogue file, as the import reads and writes them: the products,
// their rows by size, and the work table of the prepared rows.

namespace magasin::testing {

inline constexpr const char* TablesCatalogue[] = {
    "CREATE TABLE article (REFBASE TEXT(50), [Numéro] TEXT(20), Image TEXT(50), "
    "DelaiLivraison LONG, Marque TEXT(50), Descriptif MEMO, Norme TEXT(50), "
    "FicheTech TEXT(50), QteParPaket LONG, PrixAchatUnit CURRENCY)",
    "CREATE TABLE FICHIERARTICLE3 (REFBASE TEXT(50), Designation TEXT(100), "
    "RefFournisseur TEXT(50), NomTaille TEXT(20), Famille LONG, NomFamille "
    "TEXT(50), [No] LONG, Reference LONG)",
    "CREATE TABLE FICHIERARTICLE4 (REFBASE TEXT(50), Designation TEXT(100), "
    "RefFournisseur TEXT(50), NomTaille TEXT(20), Taille LONG, Famille LONG, "
    "NomFamille TEXT(50), [No] LONG, Reference LONG, DelaiLivraison LONG, Marque "
    "TEXT(50), Descriptif MEMO, Norme TEXT(50), FicheTech TEXT(50), QteParPaket "
    "LONG, PrixAchatUnit CURRENCY, NoFournisseur LONG, Image TEXT(50))",
};

} // namespace magasin::testing
