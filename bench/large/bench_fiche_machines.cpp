// The machine sheets on a large company's database (GrandeBase.h), each against its floor in
// the same run. The global sheet's work table is built from every machine's refill line with
// the picture folder holding one picture per article picture name (5 000); its floor reads the
// same rows bare, reads each row's report copy and writes the rows with one prepared statement
// in one transaction. The global refill list that "Fiche global de réapprovisionnement" and
// "Total des Articles à réapprovisionner" build first is measured against the one statement
// that computes the same lines. Run with --benchmark_enable_random_interleaving and read the
// medians.

#include "bench/large/GrandeBase.h"
#include "harnix/commun/Global.h"
#include "harnix/distribution/FrmConfigMachine.h"
#include "harnix/reports/FenCompteRendu.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Translate.h"
#include "platform/vb/Convert.h"

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using grande::Connexion;
using grande::Nue;
using grande::Preparer;

constexpr const char* LignesFiche =
    "SELECT TRemplissageMachine.NumMach, Machines.Location, TRemplissageMachine.Etage, "
    "TRemplissageMachine.Reference, TRemplissageMachine.CodeArticle, "
    "ArticleEnStock.Designation, ArticleEnStock.Image, TRemplissageMachine.NbUnite, "
    "TRemplissageMachine.Aremplir FROM (TRemplissageMachine LEFT JOIN ArticleEnStock ON "
    "TRemplissageMachine.Reference = ArticleEnStock.Reference) LEFT JOIN Machines ON "
    "TRemplissageMachine.NumMach = Machines.NoMachine ORDER BY TRemplissageMachine.NumMach, "
    "TRemplissageMachine.Etage";

// The picture folder with one picture per picture name of the articles, and the refill list of
// every machine's line, once for the run, and the pictures' report copies.
bool PreparerFiche(benchmark::State& state)
{
    if (!Preparer(state))
        return false;
    static const bool pret = [] {
        grande::RemplirImages();
        Connexion().Execute("DELETE FROM TRemplissageMachine");
        Connexion().Execute(
            "INSERT INTO TRemplissageMachine (Etage, Reference, CodeArticle, NbUnite, Aremplir, "
            "NumMach) SELECT ConfigMachines.Etage, ConfigMachines.ReferenceArticle, "
            "ArticleEnStock.CodeArticle, 1, 3, ConfigMachines.NoMachine FROM ConfigMachines "
            "LEFT JOIN ArticleEnStock ON ConfigMachines.ReferenceArticle = "
            "ArticleEnStock.Reference");
        // The report copies made once: the builds measured find them up to date.
        forms::form<FenCompteRendu>().CreerEtatRemplissageMach(0, 300, "RemplissageMachine");
        return true;
    }();
    return pret;
}

void FicheGlobale(benchmark::State& state)
{
    if (!PreparerFiche(state))
        return;
    FenCompteRendu& f = forms::form<FenCompteRendu>();
    for (auto _ : state)
        f.CreerEtatRemplissageMach(0, 300, "RemplissageMachine");
    state.counters["lignes"] = double(Nue("SELECT * FROM ARemplissageMachine"));
}
BENCHMARK(FicheGlobale)->Unit(benchmark::kMillisecond)->MinTime(2);

std::vector<char> Octets(const std::string& chemin)
{
    std::ifstream fichier(chemin, std::ios::binary);
    return {std::istreambuf_iterator<char>(fichier), std::istreambuf_iterator<char>()};
}

void FicheGlobalePlancher(benchmark::State& state)
{
    if (!PreparerFiche(state))
        return;
    sqlite3* base = Connexion().Handle();
    long rangs = 0;
    for (auto _ : state) {
        sqlite3_exec(base, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_exec(base, "DELETE FROM ARemplissageMachine", nullptr, nullptr, nullptr);
        sqlite3_stmt* lecture = nullptr;
        sqlite3_prepare_v2(base, ado::TranslateSql(LignesFiche).c_str(), -1, &lecture, nullptr);
        sqlite3_stmt* ecriture = nullptr;
        sqlite3_prepare_v2(base,
                           "INSERT INTO ARemplissageMachine (NumMach, Location, Etage, Reference, "
                           "CodeArticle, Designation, Image, NbUnite, Aremplir, Picture) "
                           "VALUES (?,?,?,?,?,?,?,?,?,?)",
                           -1, &ecriture, nullptr);
        rangs = 0;
        while (sqlite3_step(lecture) == SQLITE_ROW) {
            for (int c = 0; c < 9; ++c)
                sqlite3_bind_value(ecriture, c + 1, sqlite3_column_value(lecture, c));
            std::vector<char> image;
            if (const auto* nom = sqlite3_column_text(lecture, 6))
                image = Octets(Global::CheminImages + "/RPT" + reinterpret_cast<const char*>(nom) +
                               ".jpg");
            sqlite3_bind_blob(ecriture, 10, image.data(), int(image.size()), SQLITE_TRANSIENT);
            sqlite3_step(ecriture);
            sqlite3_reset(ecriture);
            ++rangs;
        }
        sqlite3_finalize(lecture);
        sqlite3_finalize(ecriture);
        sqlite3_exec(base, "COMMIT", nullptr, nullptr, nullptr);
    }
    state.counters["lignes"] = double(rangs);
}
BENCHMARK(FicheGlobalePlancher)->Unit(benchmark::kMillisecond)->MinTime(2);

// The global refill list, as both global sheets build it before they print.
void ListeGlobale(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    FrmConfigMachine& f = grande::Ouverte<FrmConfigMachine>();
    for (auto _ : state)
        if (!f.RemplissageMachineGlobal())
            state.SkipWithError("the list was not built");
    state.counters["lignes"] = double(Nue("SELECT * FROM TRemplissageMachine"));
}
BENCHMARK(ListeGlobale)->Unit(benchmark::kMillisecond)->Iterations(1);

// Every machine's lines with the units present on each, read by one statement after the list
// is emptied.
void ListeGlobalePlancher(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    for (auto _ : state) {
        Connexion().Execute("DELETE FROM TRemplissageMachine");
        Nue("SELECT c.NoMachine, c.Etage, c.ReferenceArticle, a.CodeArticle, "
            "(SELECT COUNT(e.Reference) FROM EmplacementsMachine1 e WHERE e.NoMachine = "
            "c.NoMachine AND (CASE WHEN m.Chargement = 'ETAGE' THEN e.Etage ELSE e.Colonne END) "
            "= c.Etage) FROM ConfigMachines c JOIN Machines m ON m.NoMachine = c.NoMachine LEFT "
            "JOIN ArticleEnStock a ON a.Reference = c.ReferenceArticle ORDER BY c.NoMachine, "
            "c.Etage");
    }
}
BENCHMARK(ListeGlobalePlancher)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
