// The allocation computation for 5 000 employees of 200 sites and services with 50 articles per
// profile, against the same translated statement run bare through SQLite in the same run; and,
// on a copy of the large database named by HARNIX_LARGE_DB (skipped without it), the planner
// window's computation for every employee, its grid filled, reset and filled again, against the
// same statement stepped bare with the grid's arithmetic in a plain loop, and its export of that
// grid to the workbook against the same cells written with the workbook library.

#include "harnix/commun/Global.h"
#include "harnix/database/Databases.h"
#include "harnix/magasin/CalculDotation.h"
#include "harnix/staff/FenDotation.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Translate.h"
#include "platform/forms/Registry.h"
#include "platform/workbook/Workbook.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr int Employes = 5000;
constexpr int Sites = 200;
constexpr int Profils = 5;
constexpr int ArticlesParProfil = 50;
constexpr int32_t Jours = 30;

// A database of a temporary folder, and the computation's filter for every site of it.
class Dossier
{
public:
    ~Dossier()
    {
        connexion_.Close();
        std::filesystem::remove_all(dossier_);
    }
    ado::Connection& Connexion() { return connexion_; }
    const std::string& Filtre() const { return filtre_; }

protected:
    std::filesystem::path dossier_;
    ado::Connection connexion_;
    std::string filtre_;
};

class Base : public Dossier
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

// A copy of the large database with every site as a criterion of the planner, made once.
class Grande : public Dossier
{
public:
    static Grande* Instance()
    {
        static std::unique_ptr<Grande> base = [] {
            // The program folder holding zad.MDB, as for the other large-file benchmarks.
            const char* dossier = std::getenv("HARNIX_LARGE_DB");
            if (!dossier)
                return std::unique_ptr<Grande>();
            const auto zad = std::filesystem::path(dossier) / "zad.MDB";
            return std::filesystem::exists(zad) ? std::make_unique<Grande>(zad.string()) : nullptr;
        }();
        return base.get();
    }

    explicit Grande(const std::string& origine)
    {
        std::string modele = (std::filesystem::temp_directory_path() / "dotation-XXXXXX").string();
        dossier_ = ::mkdtemp(modele.data());
        const std::string chemin = (dossier_ / "zad.MDB").string();
        std::filesystem::copy_file(origine, chemin);
        connexion_.Open(database::ConnectionString(chemin, database::ZadPassword()));
        connexion_.Execute("DELETE FROM DotationEnCours");
        connexion_.Execute("INSERT INTO DotationEnCours (NoSite, NomSite, NoService, NomService, "
                           "NoQuota, Profile) SELECT NoSite, NomSite, 0, 'TOUS', 0, 'TOUS' FROM "
                           "Sites");
        ado::Recordset sites;
        sites.Open("SELECT NoSite FROM Sites", connexion_);
        std::vector<CalculDotation::Critere> criteres;
        for (; !sites.Eof(); sites.MoveNext())
            criteres.push_back({sites["NoSite"].Value(), 0, 0});
        sites.Close();
        filtre_ = CalculDotation::Filtre(CalculDotation::ConstruireConditions(criteres), {});
        Global::ChaineConnexion = database::ConnectionString(chemin, database::ZadPassword());
        // The export writes into the program folder's template.
        std::filesystem::copy_file(HARNIX_TEMPLATE, dossier_ / "DotationMO.xlsx");
        Global::SetProgramFolder(dossier_.string());
    }
};

QApplication& Application()
{
    static int argc = 1;
    static char nom[] = "bench_dotation";
    static char* argv[] = {nom, nullptr};
    static std::unique_ptr<QApplication> app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
    }();
    return *app;
}

// The planner window on the large database, its grid computed for every site; none (and the
// benchmark skipped) without the database.
FenDotation* Planificateur(benchmark::State& state)
{
    if (!Grande::Instance()) {
        state.SkipWithError("HARNIX_LARGE_DB names no database");
        return nullptr;
    }
    Application();
    FenDotation& f = forms::form<FenDotation>();
    if (f.NbLignesResultat < 1) {
        f.NbJours = Jours;
        f.GenererDotation();
    }
    return &f;
}

// "Générer le calcul" in the planner, pressed again, as the store keeper does after changing the
// period: the computation, the grid reset and filled again.
void FenetreCalcul(benchmark::State& state)
{
    FenDotation* f = Planificateur(state);
    if (!f)
        return;
    for (auto _ : state)
        f->GenererDotation();
    state.counters["lignes"] = f->MSFlexGrid1->Rows() - 1;
}
BENCHMARK(FenetreCalcul)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The floor: the same statement stepped bare, the quantities rounded half to even and summed per
// article, site and service in a plain loop.
void CalculNu(benchmark::State& state)
{
    Grande* base = Grande::Instance();
    if (!base) {
        state.SkipWithError("HARNIX_LARGE_DB names no database");
        return;
    }
    const std::string sql = ado::TranslateSql(CalculDotation::RequeteCalcul(Jours, base->Filtre()));
    size_t groupes = 0;
    for (auto _ : state) {
        sqlite3_stmt* requete = nullptr;
        sqlite3_prepare_v2(base->Connexion().Handle(), sql.c_str(), -1, &requete, nullptr);
        std::map<std::string, int> colonnes;
        for (int c = 0; c < sqlite3_column_count(requete); ++c)
            colonnes.emplace(sqlite3_column_name(requete, c), c);
        const int qte = colonnes.at("Qte"), ref = colonnes.at("RefArticle"),
                  site = colonnes.at("NomSite"), service = colonnes.at("NomService");
        std::map<std::tuple<std::string, std::string, std::string>, long> sommes;
        while (sqlite3_step(requete) == SQLITE_ROW) {
            auto texte = [&](int c) {
                const auto* t = sqlite3_column_text(requete, c);
                return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
            };
            sommes[{texte(ref), texte(site), texte(service)}] +=
                std::lrint(sqlite3_column_double(requete, qte));
        }
        sqlite3_finalize(requete);
        groupes = sommes.size();
    }
    state.counters["groupes"] = double(groupes);
}
BENCHMARK(CalculNu)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// "Exporter" after the computation for every site: the grid's lines written into the template
// and the workbook saved (not opened).
void FenetreExport(benchmark::State& state)
{
    FenDotation* f = Planificateur(state);
    if (!f)
        return;
    FenDotation::OuvrirClasseur = [](const std::string&) { return true; };
    for (auto _ : state)
        f->ExporterExcel();
    state.counters["lignes"] = f->NbLignesResultat;
}
BENCHMARK(FenetreExport)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The floor: the same cells written with the same workbook library, from the grid's texts read
// beforehand (bench_workbook sets the library itself against bare XML and zip writing).
void ExportNu(benchmark::State& state)
{
    FenDotation* f = Planificateur(state);
    if (!f)
        return;
    std::vector<std::array<std::string, 9>> lignes(size_t(f->NbLignesResultat));
    for (int i = 1; i <= f->NbLignesResultat; ++i)
        for (int j = 0; j <= 8; ++j)
            lignes[size_t(i - 1)][size_t(j)] = f->MSFlexGrid1->TextMatrix(i, j).toStdString();
    const std::string dossier = Global::ProgramFolder();
    for (auto _ : state) {
        const auto classeur = workbook::Workbook::Open(dossier + "/DotationMO.xlsx");
        workbook::Worksheet& feuille = classeur->Worksheets("Feuil1");
        for (size_t i = 0; i < lignes.size(); ++i) {
            const std::string ligne = std::to_string(i + 5);
            const bool total = lignes[i][2].find("TOTAL") != std::string::npos;
            for (int j = 0; j <= 8; ++j) {
                const std::string cellule = char('A' + j) + ligne;
                feuille.SetValue(cellule, lignes[i][size_t(j)]);
                feuille.SetFontSize(cellule, 8);
            }
            if (total)
                for (char colonne = 'C'; colonne <= 'K'; ++colonne) {
                    feuille.SetFontBold(colonne + ligne, true);
                    feuille.SetInteriorColor(colonne + ligne, 0x8DD1FE);
                }
        }
        classeur->SaveAs(dossier + "/Nu.xlsx");
    }
    state.counters["lignes"] = double(lignes.size());
}
BENCHMARK(ExportNu)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
