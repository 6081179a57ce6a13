// Tables of the distribution: movement headers and lines, the machines and the
// slots of each machine.

#include "harnix/database/Schema.h"

namespace database::schema {

Part Distribution()
{
    return {
        .tables =
            {
                R"(CREATE TABLE Ventes (
                    NumVente COUNTER PRIMARY KEY, LaDate DATETIME, Utilisateur TEXT(20),
                    Nom TEXT(50), Prenom TEXT(50), TypeMouvement SHORT, Total CURRENCY,
                    Ticket TEXT(50)))",
                // Lines copy the names and numbers of the moment, so that they stand alone;
                // they carry the header's number without a relation.
                R"(CREATE TABLE DetailVente (
                    NumVente LONG, Reference LONG, Designation TEXT(100), Quantite LONG,
                    PrixAchatUnit CURRENCY, NomFamille TEXT(50), NoFamille LONG,
                    NomSite TEXT(50), NoSite LONG, NomService TEXT(50), NoService LONG,
                    Profile TEXT(50), CodeFournisseur TEXT(20), Societe TEXT(100),
                    Taille TEXT(20), RefFournisseur TEXT(50), CodeArticle LONG,
                    QteDistribuer LONG))",
                "CREATE INDEX DetailVenteNumVente ON DetailVente (NumVente)",
                "CREATE INDEX DetailVenteReference ON DetailVente (Reference)",
                R"(CREATE TABLE Machines (
                    NoMachine LONG NOT NULL PRIMARY KEY, Type LONG, NbEmplacement LONG,
                    NbPorte LONG, Location TEXT(50), Service TEXT(50), Chargement TEXT(20)))",
                // One row per slot; Reference is the article the slot holds, Null when empty.
                R"(CREATE TABLE EmplacementsMachine1 (
                    NoEmpl LONG, Etage LONG, Colonne LONG, NoMachine LONG, Reference LONG))",
                "CREATE INDEX EmplacementsMachine1Machine ON EmplacementsMachine1 (NoMachine)",
                "CREATE INDEX EmplacementsMachine1Reference ON EmplacementsMachine1 (Reference)",
            },
        .views = {},
    };
}

} // namespace database::schema
