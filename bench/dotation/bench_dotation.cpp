// The allocation computation for 5 000 employees of 200 sites and services with 50 articles per
// profile, against the same translated statement run bare through SQLite in the same run.

#include "harnix/database/Databases.h"
#include "harnix/magasin/CalculDotation.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Translate.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int Employes = 5000;
constexpr int Sites = 200;
constexpr int Profils = 5;
constexpr int ArticlesParProfil = 50;
constexpr int32_t Jours = 30;

class Base
{
public:
    Base()
    {
        std::string modele = (std::filesystem::temp_directory_path() / "dotation-XXXXXX").string();
        dossier_ = ::mkdtemp(modele.data());
        const std::string chemin = (dossier_ / "zad.MDB").string();
        database::CreateZad(chemin, false);
        connexion_.Open(database::ConnectionString(chemin, database::ZadPassword()));
        sqlite3* db = connexion_.Handle();
        auto exec = [db](const std::string& sql) { sqlite3_exec(db, sql.c_str(), 0, 0, 0); };
        exec("BEGIN");
        exec("INSERT INTO Familles (NoFamille, NomFamille) VALUES (1, 'GANTS')");
        exec("INSERT INTO Fournisseur (Nauto, [No], CodeFournisseur, Societe) VALUES (1, 1, 'F1', "
             "'FOURNISSEUR')");
        exec("INSERT INTO Tailles (NoTaille, Taille, Ordre, NoFamille) VALUES (1, 'T8', 1, 1)");
        for (int a = 0; a < Profils * ArticlesParProfil; ++a)
            exec("INSERT INTO ArticleEnStock (Reference, Designation, Famille, Taille, "
                 "NoFournisseur, PrixAchatUnit, QteEnStock) VALUES (" +
                 std::to_string(1000 + a) + ", 'ARTICLE " + std::to_string(a) +
                 "', 1, 1, 1, 2.5, 1000000)");
        for (int s = 1; s <= Sites; ++s) {
            exec("INSERT INTO Sites (NoSite, NomSite) VALUES (" + std::to_string(s) + ", 'SITE " +
                 std::to_string(s) + "')");
            exec("INSERT INTO Services (NoService, NomService, Site) VALUES (" + std::to_string(s) +
                 ", 'SERVICE " + std::to_string(s) + "', " + std::to_string(s) + ")");
        }
        for (int p = 1; p <= Profils; ++p) {
            exec("INSERT INTO ProfileQuota (NoQuota, Profile) VALUES (" + std::to_string(p) +
                 ", 'PROFILE " + std::to_string(p) + "')");
            for (int a = 0; a < ArticlesParProfil; ++a)
                exec("INSERT INTO Quota (NoQota, RefArticle, QtePermise, Periodicite) VALUES (" +
                     std::to_string(p) + ", " +
                     std::to_string(1000 + (p - 1) * ArticlesParProfil + a) + ", " +
                     std::to_string(1 + a % 12) + ", 30)");
        }
        for (int e = 0; e < Employes; ++e) {
            const std::string site = std::to_string(1 + e % Sites);
            exec("INSERT INTO Utilisateurs (NoBadge, Nom, Prenom, Site, Service, Quota, "
                 "MachineAutorise) VALUES ('" +
                 std::to_string(10000 + e) + "', 'NOM', 'PRENOM', " + site + ", " + site + ", " +
                 std::to_string(1 + e % Profils) + ", '1,2')");
        }
        exec("COMMIT");

        std::vector<CalculDotation::Critere> criteres(Sites);
        for (int s = 1; s <= Sites; ++s)
            criteres[static_cast<size_t>(s - 1)] = {s, 0, 0};
        filtre_ =
            CalculDotation::Filtre(CalculDotation::ConstruireConditions(criteres), std::string());
    }
    ~Base()
    {
        connexion_.Close();
        std::filesystem::remove_all(dossier_);
    }
    ado::Connection& Connexion() { return connexion_; }
    const std::string& Filtre() const { return filtre_; }

private:
    std::filesystem::path dossier_;
    ado::Connection connexion_;
    std::string filtre_;
};

Base& Donnees()
{
    static Base base;
    return base;
}

// The computation as the planner runs it: the statement through the translator and a client-side
// recordset, then the grid's lines.
void Calcul(benchmark::State& state)
{
    size_t lignes = 0;
    for (auto _ : state) {
        const auto resultat =
            CalculDotation::Calculer(Donnees().Connexion(), Jours, Donnees().Filtre());
        lignes = resultat.Lignes.size();
    }
    state.counters["lignes"] = double(lignes);
}
BENCHMARK(Calcul)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same statement, translated once, stepped bare through SQLite reading the columns the
// computation reads.
void RequeteNue(benchmark::State& state)
{
    const std::string sql =
        ado::TranslateSql(CalculDotation::RequeteCalcul(Jours, Donnees().Filtre()));
    long rangs = 0;
    for (auto _ : state) {
        sqlite3_stmt* requete = nullptr;
        sqlite3_prepare_v2(Donnees().Connexion().Handle(), sql.c_str(), -1, &requete, nullptr);
        const int colonnes = sqlite3_column_count(requete);
        rangs = 0;
        while (sqlite3_step(requete) == SQLITE_ROW) {
            for (int c = 0; c < colonnes; ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(requete, c));
            ++rangs;
        }
        sqlite3_finalize(requete);
    }
    state.counters["rangs"] = double(rangs);
}
BENCHMARK(RequeteNue)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
