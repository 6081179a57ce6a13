// Tables of the distribution: movement headers and lines, the machines, the slots
// and lines of each machine, and the refill lists of the machine sheets.

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
                // The reports and the stock alerts select the movements of a period.
                "CREATE INDEX VentesLaDate ON Ventes (LaDate)",
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
                // The article of each line of a machine; Null columns for a line without one.
                R"(CREATE TABLE ConfigMachines (
                    NoMachine LONG NOT NULL, Etage LONG NOT NULL, ReferenceArticle LONG,
                    Designation TEXT(100), CodeArticle LONG, PRIMARY KEY (NoMachine, Etage)))",
                // The refill list of the machine sheets, rebuilt before each of them. Units to
                // refill are not whole on a shelf whose capacity is not.
                R"(CREATE TABLE TRemplissageMachine (
                    Etage LONG, Reference LONG, CodeArticle LONG, NbUnite LONG,
                    Aremplir DOUBLE, NumMach LONG))",
            },
        .views = {},
        // The refill list as the last build left it (one machine or all of them); the
        // articles of one machine's lines.
        .queries =
            {
                {"RemplissageMachine", "[Machine] Long",
                 R"(SELECT TRemplissageMachine.NumMach, Machines.Location,
                           TRemplissageMachine.Etage, TRemplissageMachine.Reference,
                           TRemplissageMachine.CodeArticle, ArticleEnStock.Designation,
                           ArticleEnStock.Image, TRemplissageMachine.NbUnite,
                           TRemplissageMachine.Aremplir
                    FROM (TRemplissageMachine LEFT JOIN ArticleEnStock
                          ON TRemplissageMachine.Reference = ArticleEnStock.Reference)
                         LEFT JOIN Machines ON TRemplissageMachine.NumMach = Machines.NoMachine
                    ORDER BY TRemplissageMachine.NumMach, TRemplissageMachine.Etage)"},
                {"PresentationArticle", "[Machine] Long",
                 R"(SELECT ConfigMachines.NoMachine AS NumMach, Machines.Location,
                           ConfigMachines.Etage, ConfigMachines.ReferenceArticle AS Reference,
                           ArticleEnStock.CodeArticle, ArticleEnStock.Designation,
                           ArticleEnStock.Image
                    FROM (ConfigMachines INNER JOIN ArticleEnStock
                          ON ConfigMachines.ReferenceArticle = ArticleEnStock.Reference)
                         LEFT JOIN Machines ON ConfigMachines.NoMachine = Machines.NoMachine
                    WHERE ConfigMachines.NoMachine = [Machine]
                    ORDER BY ConfigMachines.Etage)"},
            },
    };
}

} // namespace database::schema
