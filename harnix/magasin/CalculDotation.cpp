#include "harnix/magasin/CalculDotation.h"

#include "platform/ado/Recordset.h"
#include "platform/vb/Convert.h"

#include <algorithm>
#include <optional>

namespace CalculDotation {

namespace {

// A criterion's number: Null and 0 both mean "none".
std::optional<int32_t> Numero(const vb::Variant& valeur)
{
    if (valeur.IsNull() || valeur.IsEmpty())
        return std::nullopt;
    const int32_t numero = vb::CLng(valeur);
    if (numero == 0)
        return std::nullopt;
    return numero;
}

void Ajouter(std::string& condition, const char* colonne, int32_t numero)
{
    if (condition.rfind('=', 0) == 0)
        condition += std::string(" OR  ") + colonne + " =" + std::to_string(numero);
    else
        condition = "=" + std::to_string(numero);
}

// The allocation's selection, shared by the computation and the commit: an employee's profile
// lines joined to their article, its family and its supplier, summed per employee, article and
// period. The two statements differ only where the description below says.
struct Selection
{
    const char* Colonnes;  // between the shared columns and the machines
    const char* Jointures; // from the article's joins to the employee
    const char* Groupes;   // between the shared grouping and the machines
    const char* Ordre;
};

// The computation names the size, and takes the site from the employee's service, as the grid
// groups the employees by the site and service they work in.
constexpr Selection PourCalcul{
    " Tailles.Taille AS NomTaille,",
    "  Tailles ON  ArticleEnStock.Taille =  Tailles.NoTaille LEFT OUTER JOIN"
    "  Sites RIGHT OUTER JOIN"
    "  Services ON  Sites.NoSite =  Services.Site RIGHT OUTER JOIN"
    "  ProfileQuota RIGHT OUTER JOIN"
    "  Utilisateurs ON  ProfileQuota.NoQuota =  Utilisateurs.Quota ON"
    "  Services.NoService =  Utilisateurs.Service",
    " Tailles.Taille,",
    // A group's rows follow each other, so that its TOTAL is not split.
    " ORDER BY  Quota.RefArticle,  Sites.NomSite,  Services.NomService"};

// The commit takes the employee's own site, which its movements record, one employee after the
// other.
constexpr Selection PourEnregistrement{
    "", // no size name
    "  ProfileQuota RIGHT OUTER JOIN"
    "  Utilisateurs ON  ProfileQuota.NoQuota =  Utilisateurs.Quota LEFT OUTER JOIN"
    "  Sites ON  Utilisateurs.Site =  Sites.NoSite LEFT OUTER JOIN"
    "  Services ON  Utilisateurs.Service =  Services.NoService",
    "", // nor groups by it
    " ORDER BY  Utilisateurs.NoBadge"};

std::string Requete(const Selection& selection, int32_t nbJours, const std::string& filtre)
{
    return "SELECT     TOP 100 PERCENT  Quota.RefArticle,  ArticleEnStock.Designation,  "
           "ArticleEnStock.Taille,  Utilisateurs.TailleMain,"
           " SUM( Quota.QtePermise) AS Quota, SUM( Quota.QtePermise) * " +
           std::to_string(nbJours) +
           " /  Quota.Periodicite AS Qte,  Quota.Periodicite,  Sites.NomSite,"
           "  Utilisateurs.Site,  Services.NomService,  Utilisateurs.Service,  "
           "Utilisateurs.NoBadge,  Utilisateurs.Nom,  Utilisateurs.Prenom,"
           "  ProfileQuota.Profile,  ArticleEnStock.PrixAchatUnit,  Familles.NomFamille,  "
           "Fournisseur.CodeFournisseur,  Fournisseur.Societe,"
           "  ProfileQuota.NoQuota ,  Familles.NoFamille,  ArticleEnStock.QteEnStock," +
           selection.Colonnes + " Utilisateurs.MachineAutorise" +
           " FROM          Quota INNER JOIN"
           "  Familles INNER JOIN"
           "  ArticleEnStock ON  Familles.NoFamille =  ArticleEnStock.Famille INNER JOIN"
           "  Fournisseur ON  ArticleEnStock.NoFournisseur =  Fournisseur.[No] ON"
           "  Quota.RefArticle =  ArticleEnStock.Reference LEFT OUTER JOIN" +
           selection.Jointures + " ON  Quota.NoQota =  Utilisateurs.Quota" +
           " GROUP BY  Quota.RefArticle,  Quota.Periodicite,  Sites.NomSite,  "
           "Services.NomService,  Utilisateurs.Service,  ArticleEnStock.Designation,"
           "  Utilisateurs.NoBadge,  ProfileQuota.Profile,  ArticleEnStock.PrixAchatUnit,  "
           "Familles.NomFamille,  Fournisseur.CodeFournisseur,"
           "  Fournisseur.Societe,  Utilisateurs.Nom,  Utilisateurs.Prenom,  "
           "ProfileQuota.NoQuota,  ArticleEnStock.Taille,"
           "  Utilisateurs.TailleMain ,  Utilisateurs.Site,  Familles.NoFamille,  "
           "ArticleEnStock.QteEnStock," +
           selection.Groupes + " Utilisateurs.MachineAutorise" + filtre + selection.Ordre;
}

// A Null shows as an empty cell.
std::string Texte(const vb::Variant& valeur)
{
    return valeur.IsNull() ? std::string() : vb::CStr(valeur);
}

// Names of a group: a Null equals only another Null.
bool MemeNom(const vb::Variant& a, const vb::Variant& b)
{
    if (a.IsNull() || b.IsNull())
        return a.IsNull() && b.IsNull();
    return vb::CStr(a) == vb::CStr(b);
}

// The values of the last row read, which a group or TOTAL line shows.
struct Precedent
{
    vb::Variant RefArticle, Designation, NomTaille, NomSite, NomService;
    double QteEnStock = 0;
};

class Remplissage
{
public:
    explicit Remplissage(Resultat& resultat) : resultat_(resultat) {}

    void Lire(ado::Recordset& rs)
    {
        Precedent ligne{rs["RefArticle"].Value(), rs["Designation"].Value(),
                        rs["NomTaille"].Value(),  rs["NomSite"].Value(),
                        rs["NomService"].Value(), Stock(rs["QteEnStock"].Value())};
        if (!premiere_) {
            if (vb::CStr(ligne.RefArticle) != vb::CStr(p_.RefArticle))
                FermerArticle();
            else if (!MemeNom(ligne.NomSite, p_.NomSite) ||
                     !MemeNom(ligne.NomService, p_.NomService))
                FermerGroupe();
        }
        premiere_ = false;
        groupe_ += Arrondi(vb::CDbl(rs["Qte"].Value()));
        p_ = std::move(ligne);
    }

    void Terminer()
    {
        if (!premiere_)
            FermerArticle();
    }

private:
    // A Null stock is an article that never had a receipt.
    static double Stock(const vb::Variant& valeur)
    {
        return valeur.IsNull() ? 0 : vb::CDbl(valeur);
    }

    void FermerGroupe()
    {
        resultat_.Lignes.push_back({"\t\t\t" + Texte(p_.RefArticle) + "\t" + Texte(p_.Designation) +
                                        "\t" + Texte(p_.NomTaille) + "\t" +
                                        std::to_string(groupe_) + "\t" + Texte(p_.NomSite) + "\t" +
                                        Texte(p_.NomService),
                                    false, 0});
        total_ += groupe_;
        ++groupes_;
        groupe_ = 0;
    }

    // The article's whole need against its stock: equal counts as insufficient.
    void FermerArticle()
    {
        const bool plusieurs = groupes_ > 0;
        FermerGroupe();
        const double solde = p_.QteEnStock - double(total_);
        if (solde <= 0)
            resultat_.StockInsuffisant = true;
        if (plusieurs)
            resultat_.Lignes.push_back(
                {"\t\tTOTAL\t\t\t\t" + std::to_string(total_) + "\t\t", true, solde});
        total_ = 0;
        groupes_ = 0;
    }

    Resultat& resultat_;
    Precedent p_;
    bool premiere_ = true;
    int64_t groupe_ = 0;
    int64_t total_ = 0;
    int groupes_ = 0;
};

} // namespace

Conditions ConstruireConditions(const std::vector<Critere>& criteres)
{
    Conditions c;
    for (const Critere& critere : criteres) {
        if (const auto site = Numero(critere.NoSite))
            Ajouter(c.CritereSites, "Utilisateurs.Site", *site);
        if (const auto profil = Numero(critere.NoQuota))
            c.CritereProfile = "=" + std::to_string(*profil);
        else if (const auto service = Numero(critere.NoService))
            Ajouter(c.CritereServices, "Utilisateurs.Service", *service);
    }
    return c;
}

std::string Filtre(const Conditions& c, const std::string& machineFiltre)
{
    std::string prefixe;
    std::string condition;
    if (!c.CritereServices.empty()) {
        prefixe = " HAVING       ";
        condition = "( Utilisateurs.Service " + c.CritereServices + ")";
    } else if (!c.CritereProfile.empty()) {
        prefixe = " HAVING      ";
        condition = "( Utilisateurs.Site " + c.CritereSites + ") AND ( ProfileQuota.NoQuota " +
                    c.CritereProfile + ")";
    } else if (!c.CritereSites.empty()) {
        prefixe = " HAVING      ";
        condition = "( Utilisateurs.Site " + c.CritereSites + ")";
    } else {
        return {};
    }
    if (!machineFiltre.empty())
        condition = "(" + condition + " AND (',' & Utilisateurs.MachineAutorise & ',' LIKE N'%," +
                    machineFiltre + ",%'))";
    return prefixe + condition;
}

std::string RequeteCalcul(int32_t nbJours, const std::string& filtre)
{
    return Requete(PourCalcul, nbJours, filtre);
}

std::string RequeteEnregistrement(int32_t nbJours, const std::string& filtre)
{
    return Requete(PourEnregistrement, nbJours, filtre);
}

int32_t Arrondi(double quantite)
{
    return vb::CLng(vb::Variant(quantite));
}

Resultat Calculer(ado::Connection& connexion, int32_t nbJours, const std::string& filtre,
                  const std::function<void(int)>& progression)
{
    Resultat resultat;
    ado::Recordset rs;
    rs.SetClientCursor(ado::adLockOptimistic);
    rs.Open(RequeteCalcul(nbJours, filtre), connexion);
    Remplissage remplissage(resultat);
    const long nombre = rs.RecordCount();
    for (long position = 1; !rs.Eof(); ++position, rs.MoveNext()) {
        // A Null or zero period leaves the quantity without a value: the line is left out.
        if (rs["Qte"].Value().IsNull()) {
            const std::string ligne =
                Texte(rs["Profile"].Value()) + ", " + Texte(rs["RefArticle"].Value());
            if (std::find(resultat.LignesSansPeriode.begin(), resultat.LignesSansPeriode.end(),
                          ligne) == resultat.LignesSansPeriode.end())
                resultat.LignesSansPeriode.push_back(ligne);
            continue;
        }
        remplissage.Lire(rs);
        if (progression)
            progression(int(position * 100 / nombre));
    }
    remplissage.Terminer();
    rs.Close();
    return resultat;
}

std::string DescriptionSansPeriode(const std::vector<std::string>& lignes)
{
    std::string texte = "Périodicité nulle ou absente, ligne de quota non comptée (profile, "
                        "article):";
    for (const std::string& ligne : lignes)
        texte += " " + ligne + ";";
    texte.pop_back();
    return texte;
}

} // namespace CalculDotation
