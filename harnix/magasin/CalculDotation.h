#pragma once
// The allocation computation: from the planner's criteria (sites, services, one profile), the
// period length and the optional machine, one aggregated statement over the quota lines of the
// chosen employees' profiles, turned into result lines per article, site and service with a
// TOTAL line after each article of several groups, and the stock warning.
//
// The filter it builds is the one the commit uses too, so that the movements written are those
// the result grid showed.

#include "platform/ado/Connection.h"
#include "platform/vb/Variant.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace CalculDotation {

// One row of DotationEnCours as the computation reads it.
struct Critere
{
    vb::Variant NoSite;
    vb::Variant NoService;
    vb::Variant NoQuota;
};

// The condition texts of the planner ("=1 OR  Utilisateurs.Site =2" ...), empty when unused.
struct Conditions
{
    std::string CritereSites;
    std::string CritereServices;
    std::string CritereProfile;
};

Conditions ConstruireConditions(const std::vector<Critere>& criteres);

// The HAVING clause: the chosen services, else the sites with the profile, else the sites. The
// machine (its position as decimal text, empty for all machines) restricts the whole condition
// to the employees whose list of authorised machines holds that number as one of its elements.
// Empty when no condition applies.
std::string Filtre(const Conditions& conditions, const std::string& machineFiltre);

// The statements, in the SQL Server dialect as the planner sends them: the computation's one
// (ordered by article, site and service) and the commit's one (ordered by badge).
std::string RequeteCalcul(int32_t nbJours, const std::string& filtre);
std::string RequeteEnregistrement(int32_t nbJours, const std::string& filtre);

// Half to even, as the grid and the movements count quantities: 2.5 gives 2, 3.5 gives 4.
int32_t Arrondi(double quantite);

// One line of the result grid: nine tab-separated cells.
struct Ligne
{
    std::string Texte;
    bool Total = false;
    // For a TOTAL line: the article's stock less its whole need.
    double Solde = 0;
};

struct Resultat
{
    std::vector<Ligne> Lignes;
    bool StockInsuffisant = false;
    // Quota lines left out for a Null or zero period: "profile, article" once each.
    std::vector<std::string> LignesSansPeriode;
};

// Runs the computation's statement on the connection and builds the result lines; progress
// receives the percentage of rows read. Raises the database's vb::Error.
Resultat Calculer(ado::Connection& connexion, int32_t nbJours, const std::string& filtre,
                  const std::function<void(int)>& progression = {});

// The description of the error reported for quota lines without a period.
std::string DescriptionSansPeriode(const std::vector<std::string>& lignes);

} // namespace CalculDotation
