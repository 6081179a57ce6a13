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
                // Results of the hourly follow-up and of the consumption per article, refilled
                // by their append queries for a period.
                R"(CREATE TABLE SuiviParHeure (Heure SHORT, NbMouvements LONG, Quantite LONG))",
                R"(CREATE TABLE TCAparArticle (
                    Reference LONG, Designation TEXT(100), Quantite LONG, Valeur CURRENCY))",
                // The rows the machine sheets print: a saved query's columns, the code as text
                // ("05" keeps its zero) and the bytes of the article's report picture.
                R"(CREATE TABLE ARemplissageMachine (
                    NumMach LONG, Location TEXT(50), Etage LONG, Reference LONG,
                    CodeArticle TEXT(10), Designation TEXT(100), Image TEXT(255), NbUnite LONG,
                    Aremplir DOUBLE, Picture LONGBINARY))",
            },
        .views =
            {
                {"EtatSuiviParHeure", "SELECT * FROM SuiviParHeure ORDER BY Heure"},
                {"CAparArticle", "SELECT * FROM TCAparArticle ORDER BY Reference"},
            },
        // The period runs from the first day's start to the last day's end.
        .queries =
            {
                {"AjoutSuiviParHeure", "[DateDébut] DateTime, [DateFin] DateTime",
                 R"(DELETE * FROM SuiviParHeure;
                    INSERT INTO SuiviParHeure (Heure, NbMouvements, Quantite)
                    SELECT Hour(Ventes.LaDate), COUNT(*), SUM(DetailVente.Quantite)
                    FROM Ventes INNER JOIN DetailVente ON Ventes.NumVente = DetailVente.NumVente
                    WHERE Ventes.LaDate >= [DateDébut]
                      AND Ventes.LaDate < DateAdd('d', 1, [DateFin])
                    GROUP BY Hour(Ventes.LaDate))"},
                {"AjoutCAparArticle", "[DateDébut] DateTime, [DateFin] DateTime",
                 R"(DELETE * FROM TCAparArticle;
                    INSERT INTO TCAparArticle (Reference, Designation, Quantite, Valeur)
                    SELECT DetailVente.Reference, MAX(DetailVente.Designation),
                           SUM(DetailVente.Quantite),
                           SUM(DetailVente.Quantite * DetailVente.PrixAchatUnit)
                    FROM Ventes INNER JOIN DetailVente ON Ventes.NumVente = DetailVente.NumVente
                    WHERE Ventes.LaDate >= [DateDébut]
                      AND Ventes.LaDate < DateAdd('d', 1, [DateFin])
                    GROUP BY DetailVente.Reference)"},
            },
    };
}

} // namespace database::schema
