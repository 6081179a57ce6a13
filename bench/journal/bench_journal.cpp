// What the rollback journal written through at each commit costs the program's writes, against
// the write-ahead journal the files used before, in the same run: a counter issue, a stock
// receipt, the allocation commit of 200 employees and the refill of the consumption table CA.
// The floor is one bare one-row commit in the same journal. Run with
// --benchmark_enable_random_interleaving=true --benchmark_repetitions=9 and read the medians.

#include "harnix/database/Databases.h"
#include "harnix/magasin/CalculDotation.h"
#include "harnix/magasin/EnregistrementDotation.h"
#include "harnix/magasin/Mouvements.h"
#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/DateTime.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int Employes = 200;
constexpr int Sites = 20;
constexpr int ArticlesParProfil = 10;
constexpr int32_t Jours = 30;

enum Journal { Ecriture, Retour }; // write-ahead (before), rollback (now)

void Exec(ado::Connection& c, const std::string& sql)
{
    sqlite3_exec(c.Handle(), sql.c_str(), nullptr, nullptr, nullptr);
}

class Base
{
public:
    explicit Base(Journal journal)
    {
        std::string modele = (std::filesystem::temp_directory_path() / "journal-XXXXXX").string();
        dossier_ = ::mkdtemp(modele.data());
        const std::string chemin = (dossier_ / "zad.MDB").string();
        database::CreateZad(chemin, false);
        connexion.Open(database::ConnectionString(chemin, database::ZadPassword()));
        if (journal == Ecriture)
            Exec(connexion, "PRAGMA journal_mode=WAL; PRAGMA cache_spill=ON");
        Exec(connexion, "BEGIN");
        Exec(connexion, "INSERT INTO Familles (NoFamille, NomFamille) VALUES (1, 'GANTS')");
        Exec(connexion, "INSERT INTO Fournisseur (Nauto, [No], CodeFournisseur, Societe) VALUES "
                        "(1, 1, 'F1', 'FOURNISSEUR')");
        Exec(connexion, "INSERT INTO Tailles (NoTaille, Taille, Ordre, NoFamille) VALUES (1, "
                        "'T8', 1, 1)");
        for (int a = 0; a < ArticlesParProfil; ++a)
            Exec(connexion, "INSERT INTO ArticleEnStock (Reference, Designation, Famille, Taille, "
                            "NoFournisseur, PrixAchatUnit, QteEnStock, QteParPaket) VALUES (" +
                                std::to_string(1000 + a) + ", 'ARTICLE " + std::to_string(a) +
                                "', 1, 1, 1, 2.5, 1000000, 10)");
        for (int s = 1; s <= Sites; ++s) {
            const std::string n = std::to_string(s);
            Exec(connexion,
                 "INSERT INTO Sites (NoSite, NomSite) VALUES (" + n + ", 'SITE " + n + "')");
            Exec(connexion, "INSERT INTO Services (NoService, NomService, Site) VALUES (" + n +
                                ", 'SERVICE " + n + "', " + n + ")");
        }
        Exec(connexion, "INSERT INTO ProfileQuota (NoQuota, Profile) VALUES (1, 'PROFILE')");
        for (int a = 0; a < ArticlesParProfil; ++a)
            Exec(connexion, "INSERT INTO Quota (NoQota, RefArticle, QtePermise, Periodicite) "
                            "VALUES (1, " +
                                std::to_string(1000 + a) + ", 2, 30)");
        for (int e = 0; e < Employes; ++e) {
            const std::string site = std::to_string(1 + e % Sites);
            Exec(connexion, "INSERT INTO Utilisateurs (NoBadge, Nom, Prenom, Site, Service, "
                            "Quota, MachineAutorise) VALUES ('" +
                                std::to_string(10000 + e) + "', 'NOM', 'PRENOM', " + site + ", " +
                                site + ", 1, '1,2')");
        }
        Exec(connexion, "COMMIT");
        std::vector<CalculDotation::Critere> criteres(Sites);
        for (int s = 1; s <= Sites; ++s) {
            criteres[s - 1].NoSite = s;
            criteres[s - 1].NoService = 0;
            criteres[s - 1].NoQuota = 0;
        }
        filtre = CalculDotation::Filtre(CalculDotation::ConstruireConditions(criteres), {});
        fiche.SetClientCursor(ado::adLockOptimistic);
        fiche.Open("SELECT * FROM ArticleEnStock WHERE Reference = 1005", connexion);
    }
    ~Base()
    {
        fiche.Close();
        connexion.Close();
        std::filesystem::remove_all(dossier_);
    }

    ado::Connection connexion;
    ado::Recordset fiche; // the article card of the receipt
    std::string filtre;

private:
    std::filesystem::path dossier_;
};

Base& Donnees(Journal journal)
{
    static std::unique_ptr<Base> bases[2];
    if (!bases[journal])
        bases[journal] = std::make_unique<Base>(journal);
    return *bases[journal];
}

// Keeps the tables the writes fill at their size of the start, outside the timing.
void Vider(benchmark::State& state, Base& b)
{
    state.PauseTiming();
    Exec(b.connexion, "DELETE FROM DetailVente; DELETE FROM Ventes; DELETE FROM MouvementStock");
    state.ResumeTiming();
}

void Plancher(benchmark::State& state)
{
    Base& b = Donnees(Journal(state.range(0)));
    Exec(b.connexion, "CREATE TABLE IF NOT EXISTS Plancher (N LONG)");
    for (auto _ : state)
        Exec(b.connexion, "BEGIN; INSERT INTO Plancher VALUES (1); COMMIT");
}

// One unit of an article to an employee: header, line and stock, as the counter writes them.
void RemiseComptoir(benchmark::State& state)
{
    Base& b = Donnees(Journal(state.range(0)));
    Mouvements::Ligne ligne;
    ligne.Reference = int32_t{1000};
    ligne.Designation = std::string("ARTICLE 0");
    ligne.Quantite = int32_t{1};
    ligne.PrixAchatUnit = 2.5;
    for (auto _ : state) {
        Mouvements::Enregistrer(b.connexion, {.LaDate = vb::Now(),
                                              .Utilisateur = std::string("10000"),
                                              .Nom = std::string("NOM"),
                                              .Prenom = std::string("PRENOM"),
                                              .Type = Mouvements::RemiseComptoir,
                                              .Total = 2.5,
                                              .TotalApresLignes = false,
                                              .DiminuerStock = true,
                                              .Lignes = {ligne}});
        Vider(state, b);
    }
}

// The card's stock and date, then the stock journal's row, in one transaction, as the article
// window writes a receipt.
void EntreeStock(benchmark::State& state)
{
    Base& b = Donnees(Journal(state.range(0)));
    int32_t stock = 0;
    for (auto _ : state) {
        b.connexion.BeginTrans();
        b.fiche["QteEnStock"] = ++stock;
        b.fiche["DateDernierMouvement"] = vb::Today();
        b.fiche.Update();
        ado::Command commande;
        commande.SetActiveConnection(b.connexion);
        commande.SetCommandText("MouvementStock");
        ado::Recordset journal;
        journal.SetClientCursor(ado::adLockOptimistic);
        journal.Open(commande);
        journal.AddNew();
        journal["DateEntree"] = vb::Today();
        journal["Qte"] = int32_t{10};
        journal["RefProduit"] = int32_t{1005};
        journal["Designation"] = std::string("ARTICLE 5");
        journal.Update();
        journal.Close();
        b.connexion.CommitTrans();
        Vider(state, b);
    }
}

// The allocation of every employee's entitlements: 200 movements of 10 lines.
void CommitDotation(benchmark::State& state)
{
    Base& b = Donnees(Journal(state.range(0)));
    int32_t mouvements = 0;
    for (auto _ : state) {
        mouvements = EnregistrementDotation::Enregistrer(b.connexion, Jours, b.filtre);
        Vider(state, b);
    }
    state.counters["mouvements"] = mouvements;
}

// The consumption table CA emptied and refilled from the movement lines of a period, in one
// transaction, as the reports window refills it (the lines of 200 movements of 10).
void RemplissageCA(benchmark::State& state)
{
    Base& b = Donnees(Journal(state.range(0)));
    Exec(b.connexion, "DELETE FROM DetailVente; DELETE FROM Ventes");
    EnregistrementDotation::Enregistrer(b.connexion, Jours, b.filtre);
    ado::Recordset lignes;
    lignes.SetClientCursor(ado::adLockPessimistic);
    lignes.Open("SELECT Ventes.TypeMouvement, Ventes.LaDate, Ventes.Utilisateur, Ventes.Nom, "
                "Ventes.Prenom, DetailVente.Reference, DetailVente.Designation, "
                "DetailVente.Quantite, DetailVente.NomFamille, DetailVente.NomSite, "
                "DetailVente.NomService, DetailVente.Profile, DetailVente.PrixAchatUnit FROM "
                "Ventes INNER JOIN DetailVente ON Ventes.NumVente = DetailVente.NumVente",
                b.connexion);
    std::vector<std::string> noms;
    for (long i = 0; i < lignes.Fields().Count(); ++i)
        noms.push_back(lignes.Fields(i).Name());
    std::vector<vb::Variant> valeurs(noms.size());
    for (auto _ : state) {
        b.connexion.BeginTrans();
        b.connexion.Execute("DELETE FROM CA");
        ado::Recordset ca;
        ca.SetClientCursor(ado::adLockPessimistic);
        ca.Open("CA", b.connexion);
        for (long r = 1; r <= lignes.RecordCount(); ++r) {
            for (size_t i = 0; i < noms.size(); ++i)
                valeurs[i] = lignes.ValueAt(r, static_cast<long>(i));
            ca.AddNew(noms, valeurs);
        }
        b.connexion.CommitTrans();
    }
    state.counters["lignes"] = double(lignes.RecordCount());
}

void Journaux(benchmark::internal::Benchmark* b)
{
    b->ArgName("retour")->Arg(Ecriture)->Arg(Retour)->Unit(benchmark::kMillisecond);
}

BENCHMARK(Plancher)->Apply(Journaux);
BENCHMARK(RemiseComptoir)->Apply(Journaux);
BENCHMARK(EntreeStock)->Apply(Journaux);
BENCHMARK(CommitDotation)->Apply(Journaux);
BENCHMARK(RemplissageCA)->Apply(Journaux);

} // namespace
