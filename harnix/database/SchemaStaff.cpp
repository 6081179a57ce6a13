// Tables and stored queries of the employees and entitlements: sites and
// services, profiles with their quota lines, the employees and the
// maintenance badges, and the allocation planner's criteria.

#include "harnix/database/Schema.h"

namespace database::schema {

namespace {

// The employee register edits employees through this query, so every column
// of Utilisateurs stands in it as it is. Outer joins keep an employee without
// site, service, profile or sizes.
constexpr std::string_view GrUtilisateurSql = R"(SELECT Utilisateurs.NoBadge,
    Utilisateurs.NoUtilisateur, Utilisateurs.MatriculeSalarie, Utilisateurs.Nom,
    Utilisateurs.Prenom, Utilisateurs.TailleChaussure, Utilisateurs.TailleMain,
    Utilisateurs.Site, Utilisateurs.Service, Utilisateurs.Quota, Utilisateurs.MachineAutorise,
    Sites.NoSite, Sites.NomSite, Services.NoService, Services.NomService,
    ProfileQuota.Profile, TaillesCh.Taille AS TailleCh, TaillesM.Taille AS TailleM,
    TaillesM.Ordre AS OrdreM
  FROM Utilisateurs
    LEFT JOIN Sites ON Utilisateurs.Site = Sites.NoSite
    LEFT JOIN Services ON Utilisateurs.Service = Services.NoService
    LEFT JOIN ProfileQuota ON Utilisateurs.Quota = ProfileQuota.NoQuota
    LEFT JOIN Tailles AS TaillesCh ON Utilisateurs.TailleChaussure = TaillesCh.NoTaille
    LEFT JOIN Tailles AS TaillesM ON Utilisateurs.TailleMain = TaillesM.NoTaille)";

} // namespace

Part Staff()
{
    return {
        .tables =
            {
                // The database numbers sites and services. A site that holds services or
                // employees, and a service that holds employees, cannot be deleted.
                R"(CREATE TABLE Sites (
                    NoSite COUNTER PRIMARY KEY, NomSite TEXT(50), Adresse TEXT(255),
                    Info TEXT(255)))",
                R"(CREATE TABLE Services (
                    NoService COUNTER PRIMARY KEY, NomService TEXT(50), Info TEXT(255),
                    Site LONG REFERENCES Sites (NoSite)))",
                "CREATE INDEX ServicesSite ON Services (Site)",
                // Profile names are unique; a profile that an employee uses cannot be deleted.
                R"(CREATE TABLE ProfileQuota (
                    NoQuota COUNTER PRIMARY KEY, Profile TEXT(50)))",
                "CREATE UNIQUE INDEX ProfileQuotaProfile ON ProfileQuota (Profile)",
                // Quota lines stay when their profile is deleted: no relation to ProfileQuota.
                R"(CREATE TABLE Quota (
                    NoQota LONG, NoLigne COUNTER PRIMARY KEY, RefArticle LONG, QtePermise LONG,
                    Periodicite LONG))",
                "CREATE INDEX QuotaNoQota ON Quota (NoQota)",
                // The badge number is the key: a second employee with the same badge is refused.
                R"(CREATE TABLE Utilisateurs (
                    NoBadge TEXT(20) NOT NULL PRIMARY KEY, NoUtilisateur TEXT(50),
                    Nom TEXT(50), Prenom TEXT(50), MatriculeSalarie TEXT(20),
                    TailleChaussure LONG REFERENCES Tailles (NoTaille),
                    TailleMain LONG REFERENCES Tailles (NoTaille),
                    Site LONG REFERENCES Sites (NoSite),
                    Service LONG REFERENCES Services (NoService),
                    Quota LONG REFERENCES ProfileQuota (NoQuota),
                    MachineAutorise TEXT(255)))",
                "CREATE INDEX UtilisateursSite ON Utilisateurs (Site)",
                "CREATE INDEX UtilisateursService ON Utilisateurs (Service)",
                "CREATE INDEX UtilisateursQuota ON Utilisateurs (Quota)",
                // Badge numbers reserved for maintenance, each once.
                "CREATE TABLE BadgeMaintenance (NoBadge TEXT(20) NOT NULL PRIMARY KEY)",
                // The allocation planner's chosen sites, services and profile, kept from one use
                // to the next; no key: the planner deletes the row it stands on.
                R"(CREATE TABLE DotationEnCours (
                    NoSite LONG, NomSite TEXT(50), NoService LONG, NomService TEXT(50),
                    NoQuota LONG, Profile TEXT(50)))",
            },
        .views =
            {
                {"GrUtilisateur", GrUtilisateurSql},
            },
    };
}

} // namespace database::schema
