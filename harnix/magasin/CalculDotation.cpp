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

// The select list and joins shared by both statements up to the column that differs.
constexpr const char* DebutSelect =
    "SELECT     TOP 100 PERCENT  Quota.RefArticle,  ArticleEnStock.Designation,  "
    "ArticleEnStock.Taille,  Utilisateurs.TailleMain,"
    " SUM( Quota.QtePermise) AS Quota, SUM( Quota.QtePermise) * ";

constexpr const char* SuiteSelect =
    " /  Quota.Periodicite AS Qte,  Quota.Periodicite,  Sites.NomSite,"
    "  Utilisateurs.Site,  Services.NomService,  Utilisateurs.Service,  Utilisateurs.NoBadge,  "
    "Utilisateurs.Nom,  Utilisateurs.Prenom,"
    "  ProfileQuota.Profile,  ArticleEnStock.PrixAchatUnit,  Familles.NomFamille,  "
    "Fournisseur.CodeFournisseur,  Fournisseur.Societe,";

constexpr const char* DebutGroupBy =
    " GROUP BY  Quota.RefArticle,  Quota.Periodicite,  Sites.NomSite,  Services.NomService,  "
    "Utilisateurs.Service,  ArticleEnStock.Designation,"
    "  Utilisateurs.NoBadge,  ProfileQuota.Profile,  ArticleEnStock.PrixAchatUnit,  "
    "Familles.NomFamille,  Fournisseur.CodeFournisseur,"
    "  Fournisseur.Societe,  Utilisateurs.Nom,  Utilisateurs.Prenom,  ProfileQuota.NoQuota,  "
    "ArticleEnStock.Taille,"
    "  Utilisateurs.TailleMain ,  Utilisateurs.Site,  Familles.NoFamille,  "
    "ArticleEnStock.QteEnStock,";

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
    return std::string(DebutSelect) + std::to_string(nbJours) + SuiteSelect +
           "  ProfileQuota.NoQuota ,  Familles.NoFamille,  ArticleEnStock.QteEnStock, "
           "Tailles.Taille AS NomTaille, Utilisateurs.MachineAutorise"
           " FROM           dbo.Quota INNER JOIN"
           "   dbo.Familles INNER JOIN"
           "  dbo.ArticleEnStock ON dbo.Familles.NoFamille = dbo.ArticleEnStock.Famille INNER JOIN"
           "  dbo.Fournisseur ON dbo.ArticleEnStock.NoFournisseur = dbo.Fournisseur.[No] ON"
           "  dbo.Quota.RefArticle = dbo.ArticleEnStock.Reference LEFT OUTER JOIN"
           "  dbo.Tailles ON dbo.ArticleEnStock.Taille = dbo.Tailles.NoTaille LEFT OUTER JOIN"
           "  dbo.Sites RIGHT OUTER JOIN"
           "  dbo.Services ON dbo.Sites.NoSite = dbo.Services.Site RIGHT OUTER JOIN"
           "  dbo.ProfileQuota RIGHT OUTER JOIN"
           "  dbo.Utilisateurs ON dbo.ProfileQuota.NoQuota = dbo.Utilisateurs.Quota ON "
           "dbo.Services.NoService = dbo.Utilisateurs.Service ON"
           "   dbo.Quota.NoQota = dbo.Utilisateurs.Quota" +
           DebutGroupBy + " Tailles.Taille, Utilisateurs.MachineAutorise" + filtre +
           // A group's rows follow each other, so that its TOTAL is not split.
           " ORDER BY  Quota.RefArticle,  Sites.NomSite,  Services.NomService";
}

std::string RequeteEnregistrement(int32_t nbJours, const std::string& filtre)
{
    return std::string(DebutSelect) + std::to_string(nbJours) + SuiteSelect +
           "  ProfileQuota.NoQuota ,  Familles.NoFamille,  ArticleEnStock.QteEnStock, "
           "Utilisateurs.MachineAutorise"
           " FROM          Quota INNER JOIN"
           "  Familles INNER JOIN"
           "  ArticleEnStock ON  Familles.NoFamille =  ArticleEnStock.Famille INNER JOIN"
           "  Fournisseur ON  ArticleEnStock.NoFournisseur =  Fournisseur.[No] ON"
           "  Quota.RefArticle =  ArticleEnStock.Reference LEFT OUTER JOIN"
           "  ProfileQuota RIGHT OUTER JOIN"
           "  Utilisateurs ON  ProfileQuota.NoQuota =  Utilisateurs.Quota LEFT OUTER JOIN"
           "  Sites ON  Utilisateurs.Site =  Sites.NoSite LEFT OUTER JOIN"
           "  Services ON  Utilisateurs.Service =  Services.NoService ON  Quota.NoQota =  "
           "Utilisateurs.Quota" +
           DebutGroupBy + " Utilisateurs.MachineAutorise" + filtre +
           " ORDER BY  Utilisateurs.NoBadge";
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
