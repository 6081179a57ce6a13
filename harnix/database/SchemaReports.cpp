// Work tables of the reports: the movement lines of a period and the heading
// of the report being printed.

#include "harnix/database/Schema.h"

namespace database::schema {

Part Reports()
{
    return {
        .tables =
            {
                R"(CREATE TABLE CA (
                    NomMois TEXT(20), TypeMouvement SHORT, LaDate DATETIME,
                    Utilisateur TEXT(20), Nom TEXT(50), Prenom TEXT(50), Reference LONG,
                    Designation TEXT(100), Quantite LONG, NomFamille TEXT(50),
                    NomSite TEXT(50), NomService TEXT(50), Profile TEXT(50),
                    CodeFournisseur TEXT(20), Societe TEXT(100), PrixAchatUnit CURRENCY,
                    Taille TEXT(20), RefFournisseur TEXT(50)))",
                R"(CREATE TABLE InfoEtat (Titre TEXT(255), Periode TEXT(255)))",
            },
        .views = {},
    };
}

} // namespace database::schema
