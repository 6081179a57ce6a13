#include "harnix/magasin/MachinesDistribution.h"

#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"

#include <algorithm>
#include <cmath>

namespace MachinesDistribution {

namespace {

// A number of the machine tables: Null and the empty text count 0.
double Nombre(const vb::Variant& valeur)
{
    if (valeur.IsNull() || (valeur.Type() == vb::VarType::String && valeur.StringValue().empty()))
        return 0;
    return vb::CDbl(valeur);
}

} // namespace

bool ParEtage(const vb::Variant& chargement)
{
    return !chargement.IsNull() && vb::CStr(chargement) == "ETAGE";
}

std::string ColonneComptes(bool parEtage)
{
    return parEtage ? "Etage" : "Colonne";
}

int PasColonne(const vb::Variant& type)
{
    switch (static_cast<int>(Nombre(type))) {
    case 1:
        return 4;
    case 2:
    case 4:
        return 2;
    case 3:
    case 5:
    case 6:
        return 1;
    default:
        return 0;
    }
}

int NumeroLigne(int i, int pas)
{
    return 1 + (i - 1) * pas;
}

std::optional<double> Capacite(bool parEtage, const vb::Variant& emplacements,
                               const vb::Variant& portes)
{
    const double nbPorte = Nombre(portes);
    if (nbPorte == 0)
        return std::nullopt;
    return parEtage ? Nombre(emplacements) / nbPorte : nbPorte;
}

std::string RequeteComptes(const std::string& colonne, const std::string& no)
{
    return "SELECT  TOP 100 PERCENT " + colonne +
           ", COUNT(Reference) AS CompteDeReference From  EmplacementsMachine1 where (NoMachine "
           "= " +
           no + ")  GROUP BY " + colonne + " ORDER BY " + colonne;
}

std::optional<double> Unites(ado::Recordset& comptes, const std::string& colonne, int ligne)
{
    if (comptes.RecordCount() == 0)
        return std::nullopt;
    comptes.Find(colonne + "=" + std::to_string(ligne), 0, ado::adSearchForward,
                 ado::adBookmarkFirst);
    if (comptes.Eof())
        return std::nullopt;
    return Nombre(comptes["CompteDeReference"].Value());
}

RemplissageAffiche Remplissage(double capacite, double unites)
{
    RemplissageAffiche ligne{capacite - unites, 0, 0};
    try {
        ligne.aRemplirEntier = vb::CLng(vb::Variant(ligne.aRemplir));
    } catch (const vb::Error&) {
        // Too large for the line table: its field stays 0.
    }
    if (capacite > 0)
        ligne.niveau =
            static_cast<int>(std::clamp(std::nearbyint(unites / capacite * 100), 0.0, 100.0));
    return ligne;
}

RemplissageGlobal RemplissageLigneGlobale(const std::optional<double>& capacite,
                                          const std::optional<double>& unites)
{
    const double nbUnite = unites.value_or(0);
    return {nbUnite, capacite ? vb::Variant(*capacite - nbUnite) : vb::Variant()};
}

std::optional<Modele> ModeleMachine(int type)
{
    static constexpr Modele modeles[] = {{4, 36}, {5, 90}, {5, 180}, {7, 126}, {7, 252}};
    if (type < 1 || type > 5)
        return std::nullopt;
    return modeles[type - 1];
}

Place PlaceEmplacement(const Modele& modele, int emplacement)
{
    const int parPorte = modele.emplacements / modele.portes;
    const int porte = (emplacement - 1) / parPorte + 1;
    const int place = (emplacement - 1) % parPorte + 1;
    // Behind a door of 9 or 18 slots one column of shelves; behind one of 36, two columns of 18.
    if (parPorte == 36)
        return {(place - 1) % 18 + 1, 2 * (porte - 1) + (place - 1) / 18 + 1};
    return {place, porte};
}

void CreerEmplacements(ado::Connection& cn, int32_t noMachine, int type)
{
    const std::optional<Modele> modele = ModeleMachine(type);
    if (!modele)
        return;
    ado::Recordset rs;
    rs.SetClientCursor(ado::adLockOptimistic);
    rs.Open("EmplacementsMachine1", cn);
    for (int emplacement = 1; emplacement <= modele->emplacements; ++emplacement) {
        const Place p = PlaceEmplacement(*modele, emplacement);
        rs.AddNew({"NoEmpl", "Etage", "Colonne", "NoMachine"},
                  {vb::Variant(emplacement), vb::Variant(p.etage), vb::Variant(p.colonne),
                   vb::Variant(noMachine)});
    }
    rs.Close();
}

} // namespace MachinesDistribution
