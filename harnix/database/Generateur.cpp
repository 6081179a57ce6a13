// A large company's database: the demonstration's company, families, sizes, suppliers, sites
// and services, then generated articles, receipts, profiles with their quota lines, employees,
// machines with their slots and lines, and years of movements. Rows go through statements
// prepared once, in the transaction the caller holds, so that millions of lines take seconds.

#include "harnix/database/Generateur.h"

#include "harnix/database/Data.h"
#include "platform/ado/Session.h"
#include "platform/vb/DateTime.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace database::data {

namespace {

using ado::detail::Statement;

// The same numbers for the same seed on every machine (the standard distributions are not).
class Hasard
{
public:
    explicit Hasard(uint64_t seed) : state_(seed) {}
    uint64_t Next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // A number from 0 to n - 1.
    long Below(long n) { return long(Next() % uint64_t(n)); }

private:
    uint64_t state_;
};

// A statement whose values are bound in order, then written and made ready for the next row.
class Insertion
{
public:
    Insertion(sqlite3* db, const std::string& sql) : statement_(db, sql) {}
    Insertion& operator<<(long value)
    {
        sqlite3_bind_int64(statement_.get(), ++index_, value);
        return *this;
    }
    Insertion& operator<<(double value)
    {
        sqlite3_bind_double(statement_.get(), ++index_, value);
        return *this;
    }
    Insertion& operator<<(std::string_view text)
    {
        ado::detail::BindText(statement_.get(), ++index_, text);
        return *this;
    }
    Insertion& operator<<(std::nullopt_t)
    {
        sqlite3_bind_null(statement_.get(), ++index_);
        return *this;
    }
    template <class T> Insertion& operator<<(const std::optional<T>& value)
    {
        return value ? *this << *value : *this << std::nullopt;
    }
    void Write()
    {
        statement_.Step();
        statement_.Reset();
        index_ = 0;
    }

private:
    Statement statement_;
    int index_ = 0;
};

using Jour = std::chrono::sys_days;

Jour LireJour(const std::string& text)
{
    int y = 0;
    unsigned m = 0, d = 0;
    if (text.empty()) {
        const vb::Date today = vb::Today();
        return Jour(std::chrono::year(vb::Year(today)) / vb::Month(today) / vb::Day(today));
    }
    if (std::sscanf(text.c_str(), "%d-%u-%u", &y, &m, &d) != 3) {
        throw std::invalid_argument("date " + text);
    }
    return Jour(std::chrono::year(y) / m / d);
}

std::string Horodatage(Jour jour, long minutes)
{
    const std::chrono::year_month_day ymd(jour);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02ld:%02ld:00", int(ymd.year()),
                  unsigned(ymd.month()), unsigned(ymd.day()), minutes / 60, minutes % 60);
    return text;
}

// The movements cover six years up to the last day.
constexpr long JoursHistorique = 6 * 365;

constexpr std::array Noms{
    "MARTIN",    "BERNARD",  "DUBOIS",    "THOMAS",   "ROBERT",   "RICHARD",  "PETIT",   "DURAND",
    "LEROY",     "MOREAU",   "SIMON",     "LAURENT",  "LEFEBVRE", "MICHEL",   "GARCIA",  "DAVID",
    "BERTRAND",  "ROUX",     "VINCENT",   "FOURNIER", "MOREL",    "GIRARD",   "ANDRE",   "LEFEVRE",
    "MERCIER",   "DUPONT",   "LAMBERT",   "BONNET",   "FRANCOIS", "MARTINEZ", "LEGRAND", "GARNIER",
    "FAURE",     "ROUSSEAU", "BLANC",     "GUERIN",   "MULLER",   "HENRY",    "ROUSSEL", "NICOLAS",
    "PERRIN",    "MORIN",    "MATHIEU",   "CLEMENT",  "GAUTHIER", "DUMONT",   "LOPEZ",   "FONTAINE",
    "CHEVALIER", "ROBIN",    "VINCENDON", "MASSON",   "SANCHEZ",  "GERARD",   "NGUYEN",  "BOYER",
    "DENIS",     "LEMAIRE",  "DUVAL",     "JOLY",     "GAUTIER",  "ROGER",    "ROCHE",   "ROY",
};

constexpr std::array Prenoms{
    "Jean",     "Sophie",   "Pierre",     "Marie",    "Nicolas", "Julie",   "Philippe", "Isabelle",
    "Laurent",  "Nathalie", "Christophe", "Sandrine", "Olivier", "Céline",  "Stéphane", "Anne",
    "François", "Hélène",   "Michel",     "Claire",   "Éric",    "Valérie", "Thierry",  "Karine",
};

struct Famille
{
    std::string nom;
    std::vector<std::pair<long, std::string>> tailles; // NoTaille, Taille
};

struct Fournisseur
{
    long numero;
    std::string code, societe;
};

struct Article
{
    long reference;
    std::optional<long> code;
    std::string designation;
    long famille;
    long taille; // NoTaille
    const Fournisseur* fournisseur;
    std::string refFournisseur;
    double prixUnit;
    long parPaquet;
    std::optional<std::string> derniereEntree;
};

struct Service
{
    long numero, site;
    std::string nom, nomSite;
};

struct Salarie
{
    std::string badge, nom, prenom;
    const Service* service; // none for a newly hired employee
    std::optional<long> profil;
};

struct Referentiel
{
    std::map<long, Famille> familles;
    std::vector<Fournisseur> fournisseurs;
    std::vector<Service> services;
};

Referentiel LireReferentiel(sqlite3* db)
{
    Referentiel r;
    Statement familles(db, "SELECT NoFamille, NomFamille FROM Familles ORDER BY NoFamille");
    while (familles.Step() == SQLITE_ROW) {
        r.familles[sqlite3_column_int64(familles.get(), 0)].nom =
            reinterpret_cast<const char*>(sqlite3_column_text(familles.get(), 1));
    }
    Statement tailles(db, "SELECT NoFamille, NoTaille, Taille FROM Tailles ORDER BY NoFamille, "
                          "Ordre");
    while (tailles.Step() == SQLITE_ROW) {
        r.familles[sqlite3_column_int64(tailles.get(), 0)].tailles.emplace_back(
            sqlite3_column_int64(tailles.get(), 1),
            reinterpret_cast<const char*>(sqlite3_column_text(tailles.get(), 2)));
    }
    Statement fournisseurs(db, "SELECT Nauto, CodeFournisseur, Societe FROM Fournisseur "
                               "ORDER BY Nauto");
    while (fournisseurs.Step() == SQLITE_ROW) {
        r.fournisseurs.push_back(
            {sqlite3_column_int64(fournisseurs.get(), 0),
             reinterpret_cast<const char*>(sqlite3_column_text(fournisseurs.get(), 1)),
             reinterpret_cast<const char*>(sqlite3_column_text(fournisseurs.get(), 2))});
    }
    Statement services(db, "SELECT NoService, Services.Site, NomService, NomSite FROM Services "
                           "JOIN Sites ON Services.Site = Sites.NoSite ORDER BY NoService");
    while (services.Step() == SQLITE_ROW) {
        r.services.push_back(
            {sqlite3_column_int64(services.get(), 0), sqlite3_column_int64(services.get(), 1),
             reinterpret_cast<const char*>(sqlite3_column_text(services.get(), 2)),
             reinterpret_cast<const char*>(sqlite3_column_text(services.get(), 3))});
    }
    return r;
}

// Articles come in models of four sizes that share a picture; the first ones hold the machine
// article codes.
std::vector<Article> FaireArticles(const Referentiel& r, const Volumes& v, Hasard& hasard)
{
    constexpr std::array paquets{1L, 6L, 10L, 12L, 20L};
    const long codes = std::min(v.articles, 4000L);
    std::vector<Article> articles;
    articles.reserve(size_t(v.articles));
    for (long i = 0; i < v.articles; ++i) {
        const long modele = i / 4;
        const long famille = 1 + modele % long(r.familles.size());
        const Famille& f = r.familles.at(famille);
        const auto& [noTaille, taille] = f.tailles[size_t(i % 4) % f.tailles.size()];
        const Fournisseur& fournisseur = r.fournisseurs[size_t(modele) % r.fournisseurs.size()];
        articles.push_back({.reference = 1000 + i,
                            .code = i < codes ? std::optional<long>(i + 1) : std::nullopt,
                            .designation = f.nom + " MODELE " + std::to_string(modele) +
                                           (std::isdigit(uint8_t(taille[0])) ? " T" : " ") + taille,
                            .famille = famille,
                            .taille = noTaille,
                            .fournisseur = &fournisseur,
                            .refFournisseur = fournisseur.code + "-" + std::to_string(i),
                            .prixUnit = double(50 + hasard.Below(9950)) / 100.0,
                            .parPaquet = paquets[size_t(hasard.Below(long(paquets.size())))],
                            .derniereEntree = std::nullopt});
    }
    return articles;
}

void EcrireEntrees(sqlite3* db, std::vector<Article>& articles, const Volumes& v, Jour premier,
                   Hasard& hasard)
{
    Insertion entree(db, "INSERT INTO MouvementStock (DateEntree, RefProduit, Designation, Qte, "
                         "Commentaire, NomFournisseur, RefFournisseur) VALUES (?,?,?,?,?,?,?)");
    for (long i = 0; i < v.receipts; ++i) {
        Article& a = articles[size_t(hasard.Below(long(articles.size())))];
        const std::string date =
            Horodatage(premier + std::chrono::days(i * JoursHistorique / v.receipts), 8 * 60);
        const long paquets = hasard.Below(20) == 0 ? -1 : 1 + hasard.Below(10);
        entree << date << a.reference << a.designation << paquets * a.parPaquet
               << (paquets < 0 ? "Retour fournisseur" : "Commande " + std::to_string(i))
               << a.fournisseur->societe << a.refFournisseur;
        entree.Write();
        a.derniereEntree = date;
    }
}

void EcrireArticles(sqlite3* db, const std::vector<Article>& articles, Jour premier, Hasard& hasard)
{
    Insertion article(
        db, "INSERT INTO ArticleEnStock (Reference, CodeArticle, CodeBar, Designation, Famille, "
            "Taille, NoFournisseur, RefFournisseur, PrixAchatUnit, PrixAchatGlobal, Prix, "
            "QteParPaket, QteEnStock, StockAlert, DelaiLivraison, DateCreation, "
            "DateDernierMouvement, Image, Norme) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    const std::string creation = Horodatage(premier, 0);
    char codeBar[32];
    for (const Article& a : articles) {
        std::snprintf(codeBar, sizeof codeBar, "376%010ld", a.reference);
        article << a.reference << a.code << std::string_view(codeBar) << a.designation << a.famille
                << a.taille << a.fournisseur->numero << a.refFournisseur << a.prixUnit
                << a.prixUnit * double(a.parPaquet) << a.prixUnit * 2 << a.parPaquet
                << hasard.Below(1000) << hasard.Below(100) << 7 + hasard.Below(24) << creation
                << a.derniereEntree.value_or(creation)
                << std::to_string(1000 + (a.reference - 1000) / 4 * 4)
                << (a.famille == 2 ? std::optional<std::string>()
                                   : "EN " + std::to_string(a.famille * 100 + 88));
        article.Write();
    }
    // The pool of codes: those the articles hold, then a thousand free ones.
    Insertion code(db, "INSERT INTO CodeArticle (CodeArticle, Reference) VALUES (?,?)");
    long last = 0;
    for (const Article& a : articles) {
        if (a.code) {
            code << *a.code << a.reference;
            code.Write();
            last = *a.code;
        }
    }
    for (long c = last + 1; c <= last + 1000; ++c) {
        code << c << std::nullopt;
        code.Write();
    }
}

std::string NomProfil(long numero)
{
    char nom[32];
    std::snprintf(nom, sizeof nom, "PROFIL %02ld", numero);
    return nom;
}

// The profile as movement lines copy it: its number at the counter, its name in an allocation.
std::optional<std::string> Profil(const std::optional<long>& numero, bool dotation)
{
    if (!numero)
        return std::nullopt;
    return dotation ? NomProfil(*numero) : std::to_string(*numero);
}

// Each profile has its share of the quota lines, on articles of its own; one line in two
// hundred and fifty names an article that is no longer in the catalogue.
void EcrireProfils(sqlite3* db, const std::vector<Article>& articles, const Volumes& v,
                   Hasard& hasard)
{
    constexpr std::array periodes{30L, 90L, 180L, 365L};
    Insertion profil(db, "INSERT INTO ProfileQuota (Profile) VALUES (?)");
    Insertion quota(db, "INSERT INTO Quota (NoQota, RefArticle, QtePermise, Periodicite) "
                        "VALUES (?,?,?,?)");
    long ligne = 0;
    for (long p = 1; p <= v.profiles; ++p) {
        profil << NomProfil(p);
        profil.Write();
        const long lignes = v.quotaLines / v.profiles + (p <= v.quotaLines % v.profiles ? 1 : 0);
        for (long k = 0; k < lignes; ++k, ++ligne) {
            const long index = (p * 97 + k * 499) % long(articles.size());
            const long reference = ligne % 250 == 249 ? 1000 + long(articles.size()) + ligne
                                                      : articles[size_t(index)].reference;
            quota << p << reference << 1 + hasard.Below(24)
                  << periodes[size_t(hasard.Below(long(periodes.size())))];
            quota.Write();
        }
    }
}

std::vector<Salarie> EcrireSalaries(sqlite3* db, const Referentiel& r, const Volumes& v,
                                    Hasard& hasard)
{
    Insertion salarie(db, "INSERT INTO Utilisateurs (NoBadge, Nom, Prenom, MatriculeSalarie, "
                          "TailleChaussure, TailleMain, Site, Service, Quota, MachineAutorise) "
                          "VALUES (?,?,?,?,?,?,?,?,?,?)");
    // Shoes are family 3 and gloves family 1, as the settings expect by default.
    const auto& chaussures = r.familles.at(3).tailles;
    const auto& gants = r.familles.at(1).tailles;
    std::vector<Salarie> salaries;
    salaries.reserve(size_t(v.employees));
    char matricule[32];
    for (long j = 0; j < v.employees; ++j) {
        const bool nouveau = hasard.Below(50) == 0;
        Salarie s{.badge = std::to_string(10000 + j),
                  .nom = Noms[size_t(hasard.Below(long(Noms.size())))],
                  .prenom = Prenoms[size_t(hasard.Below(long(Prenoms.size())))],
                  .service = nouveau ? nullptr
                                     : &r.services[size_t(hasard.Below(long(r.services.size())))],
                  .profil =
                      nouveau ? std::nullopt : std::optional<long>(1 + hasard.Below(v.profiles))};
        std::snprintf(matricule, sizeof matricule, "M%05ld", j);
        salarie << s.badge << s.nom << s.prenom << std::string_view(matricule);
        if (nouveau) {
            salarie << std::nullopt << std::nullopt << std::nullopt << std::nullopt << std::nullopt
                    << std::nullopt;
        } else {
            const long premiere = 1 + hasard.Below(v.machines);
            salarie << chaussures[size_t(hasard.Below(long(chaussures.size())))].first
                    << gants[size_t(hasard.Below(long(gants.size())))].first << s.service->site
                    << s.service->numero << *s.profil
                    << std::to_string(premiere) + "," +
                           std::to_string(1 + (premiere + 7) % v.machines);
        }
        salarie.Write();
        salaries.push_back(std::move(s));
    }
    return salaries;
}

// Odd machines are loaded by shelf (4 shelves of 9 slots), even ones by column (18 columns of 5
// slots, a line every second column): 4 and 9 lines.
void EcrireMachines(sqlite3* db, const std::vector<Article>& articles, const Referentiel& r,
                    const Volumes& v, Hasard& hasard)
{
    Insertion machine(db, "INSERT INTO Machines (NoMachine, Type, NbEmplacement, NbPorte, "
                          "Location, Service, Chargement) VALUES (?,?,?,?,?,?,?)");
    Insertion emplacement(db, "INSERT INTO EmplacementsMachine1 (NoEmpl, Etage, Colonne, "
                              "NoMachine, Reference) VALUES (?,?,?,?,?)");
    Insertion ligne(db, "INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle, "
                        "Designation, CodeArticle) VALUES (?,?,?,?,?)");
    const long codes = std::min(long(articles.size()), 4000L);
    for (long m = 1; m <= v.machines; ++m) {
        const bool parEtage = m % 2 == 1;
        const long emplacements = parEtage ? 36 : 90;
        const long portes = parEtage ? 4 : 5;
        const long lignes = parEtage ? 4 : 9;
        const Service& service = r.services[size_t(m) % r.services.size()];
        machine << m << (parEtage ? 1L : 2L) << emplacements << portes
                << "Machine " + std::to_string(m) + " " + service.nomSite << service.nom
                << (parEtage ? std::optional<std::string>("ETAGE") : std::nullopt);
        machine.Write();
        std::vector<const Article*> contenu(size_t(lignes) + 1, nullptr);
        std::vector<long> remplies(size_t(lignes) + 1, 0);
        for (long l = 1; l <= lignes; ++l) {
            if (hasard.Below(10) != 0) {
                contenu[size_t(l)] = &articles[size_t((m * 31 + l * 7) % codes)];
                remplies[size_t(l)] = 1 + hasard.Below(portes);
            }
            const Article* a = contenu[size_t(l)];
            ligne << m << l;
            if (a) {
                ligne << a->reference << a->designation << a->code;
            } else {
                ligne << std::nullopt << std::nullopt << std::nullopt;
            }
            ligne.Write();
        }
        const long parLigne = parEtage ? emplacements / portes : portes;
        for (long slot = 1; slot <= emplacements; ++slot) {
            const long rang = (slot - 1) / parLigne + 1;
            const long place = (slot - 1) % parLigne + 1;
            const long l = parEtage ? rang : (rang % 2 == 1 ? (rang + 1) / 2 : 0);
            const Article* a =
                l > 0 && l <= lignes && place <= remplies[size_t(l)] ? contenu[size_t(l)] : nullptr;
            emplacement << slot << (parEtage ? rang : place) << (parEtage ? place : rang) << m
                        << (a ? std::optional<long>(a->reference) : std::nullopt);
            emplacement.Write();
        }
    }
}

// Headers of one or two lines (39 in 61 have two), dated evenly over the history; one in twenty
// is an allocation line set, the others counter issues. A header's total is the sum of its lines'
// unit prices, as the program writes it.
void EcrireMouvements(sqlite3* db, const std::vector<Article>& articles,
                      const std::vector<Salarie>& salaries, const Referentiel& r, const Volumes& v,
                      Jour premier, Hasard& hasard)
{
    Insertion entete(db, "INSERT INTO Ventes (NumVente, LaDate, Utilisateur, Nom, Prenom, "
                         "TypeMouvement, Total) VALUES (?,?,?,?,?,?,?)");
    Insertion detail(
        db, "INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, PrixAchatUnit, "
            "NomFamille, NoFamille, NomSite, NoSite, NomService, NoService, Profile, "
            "CodeFournisseur, Societe, Taille, RefFournisseur, CodeArticle) "
            "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    const long entetes = std::max(1L, v.movements * 61 / 100);
    long lignesEcrites = 0;
    for (long n = 1; lignesEcrites < v.movements; ++n) {
        const Salarie& s = salaries[size_t(hasard.Below(long(salaries.size())))];
        const bool dotation = hasard.Below(20) == 0;
        const long lignes = std::min((n % 61) < 39 ? 2L : 1L, v.movements - lignesEcrites);
        // Opening hours 7:00 to 17:00, the numbers following the times.
        const long minute = std::min(n - 1, entetes - 1) * (JoursHistorique * 600) / entetes;
        double total = 0;
        std::array<std::pair<const Article*, long>, 2> choix{};
        for (long k = 0; k < lignes; ++k) {
            const Article& a = articles[size_t(hasard.Below(long(articles.size())))];
            choix[size_t(k)] = {&a, dotation ? 1 + hasard.Below(12) : 1};
            total += a.prixUnit;
        }
        entete << n << Horodatage(premier + std::chrono::days(minute / 600), 420 + minute % 600)
               << s.badge << s.nom << s.prenom << long(dotation ? 1 : 3) << total;
        entete.Write();
        for (long k = 0; k < lignes; ++k) {
            const auto& [a, quantite] = choix[size_t(k)];
            const Famille& f = r.familles.at(a->famille);
            const auto taille = std::find_if(f.tailles.begin(), f.tailles.end(),
                                             [&](const auto& t) { return t.first == a->taille; });
            detail << n << a->reference << a->designation << quantite << a->prixUnit << f.nom
                   << a->famille;
            if (s.service) {
                detail << s.service->nomSite << s.service->site << s.service->nom
                       << s.service->numero;
            } else {
                detail << std::nullopt << std::nullopt << std::nullopt << std::nullopt;
            }
            detail << Profil(s.profil, dotation) << a->fournisseur->code << a->fournisseur->societe
                   << taille->second << a->refFournisseur << a->code;
            detail.Write();
        }
        lignesEcrites += lignes;
    }
}

} // namespace

void FillLarge(ado::Connection& connection, const Volumes& volumes)
{
    FillCompanyTables(connection);
    sqlite3* db = connection.Handle();
    // Millions of index entries: a page cache that holds the indexes spares rewriting their pages.
    Statement(db, "PRAGMA cache_size=-524288").Step();
    const Referentiel referentiel = LireReferentiel(db);
    Hasard hasard(volumes.seed);
    const Jour premier = LireJour(volumes.lastDay) - std::chrono::days(JoursHistorique);
    std::vector<Article> articles = FaireArticles(referentiel, volumes, hasard);
    EcrireEntrees(db, articles, volumes, premier, hasard);
    EcrireArticles(db, articles, premier, hasard);
    EcrireProfils(db, articles, volumes, hasard);
    const std::vector<Salarie> salaries = EcrireSalaries(db, referentiel, volumes, hasard);
    EcrireMachines(db, articles, referentiel, volumes, hasard);
    EcrireMouvements(db, articles, salaries, referentiel, volumes, premier, hasard);
}

} // namespace database::data
