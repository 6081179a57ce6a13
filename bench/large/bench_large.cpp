// The store keeper's repeated actions on a large company's database (harnix-dbtool create
// <folder> --large), each against its floor in the same run: the same rows read by a bare
// SQLite statement. HARNIX_LARGE_DB names the program folder holding zad.MDB; the actions only
// read, yet point it at a copy. Run with --benchmark_enable_random_interleaving and read the
// medians.

#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "harnix/database/Databases.h"
#include "harnix/distribution/FenComptoir.h"
#include "harnix/distribution/FrmConfigMachine.h"
#include "harnix/distribution/FrmVente.h"
#include "harnix/magasin/AlertesStock.h"
#include "harnix/reports/FenCompteRendu.h"
#include "harnix/reports/FenVeltrixRep.h"
#include "harnix/staff/FenQuota.h"
#include "harnix/staff/FrmUtilisateur.h"
#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Translate.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// The program folder, or empty when the variable names none.
std::string Dossier()
{
    const char* dossier = std::getenv("HARNIX_LARGE_DB");
    if (!dossier || !std::filesystem::exists(std::filesystem::path(dossier) / "zad.MDB"))
        return {};
    return dossier;
}

// The application and the settings start-up reads, once for the run.
bool Preparer(benchmark::State& state)
{
    static const bool pret = [] {
        const std::string dossier = Dossier();
        if (dossier.empty())
            return false;
        static int argc = 1;
        static char nom[] = "bench_large";
        static char* argv[] = {nom, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Never destroyed: the windows it shows live until the process ends, and Qt tears down
        // badly when the application goes before them at exit.
        new QApplication(argc, argv);
        Global::SetProgramFolder(dossier);
        const std::string zad = (std::filesystem::path(dossier) / "zad.MDB").string();
        Global::ChaineConnexion = database::ConnectionString(zad, database::ZadPassword());
        Global::TypeLecteur = "1";
        Global::PremierNumeroBadge = "1000";
        Global::FamilleGants = 1;
        Global::FamilleChaussures = 3;
        Global::PortBadge = 1;
        Global::CheminRapports = dossier + "/RPT SQL/";
        // As the program's start does: a file made before an index of the schema gets it.
        ado::Connection cn;
        cn.Open(Global::ChaineConnexion);
        database::AddMissingIndexes(cn);
        cn.Close();
        return true;
    }();
    if (!pret)
        state.SkipWithError("HARNIX_LARGE_DB does not name a folder holding zad.MDB "
                            "(harnix-dbtool create <folder> --large)");
    return pret;
}

ado::Connection& Connexion()
{
    static ado::Connection cn = [] {
        ado::Connection c;
        c.Open(Global::ChaineConnexion);
        return c;
    }();
    return cn;
}

// Steps the statement bare, reading every column of every row, as the floor of an action.
long Nue(const std::string& sql)
{
    const std::string traduite = ado::TranslateSql(sql);
    sqlite3_stmt* requete = nullptr;
    sqlite3_prepare_v2(Connexion().Handle(), traduite.c_str(), -1, &requete, nullptr);
    const int colonnes = sqlite3_column_count(requete);
    long rangs = 0;
    while (sqlite3_step(requete) == SQLITE_ROW) {
        for (int c = 0; c < colonnes; ++c)
            benchmark::DoNotOptimize(sqlite3_column_text(requete, c));
        ++rangs;
    }
    sqlite3_finalize(requete);
    return rangs;
}

// The window opened and activated once for the run, as the menu opens it.
template <class Fenetre> Fenetre& Ouverte()
{
    static Fenetre& f = []() -> Fenetre& {
        Fenetre& ouverte = forms::form<Fenetre>();
        ouverte.Show();
        ouverte.Form_Activate();
        return ouverte;
    }();
    return f;
}

// Sent to the grid's view, as the key reaches it when the grid has the focus.
void Bas(forms::DataGrid& grille)
{
    QKeyEvent appui(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(grille.View(), &appui);
    QKeyEvent relache(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(grille.View(), &relache);
}

// A Down key in a grid whose recordset turns back to its first row at the end.
template <class Fenetre>
void ToucheBas(benchmark::State& state, Fenetre& f, forms::DataGrid& grille, ado::Recordset rs)
{
    long rangs = 0;
    for (auto _ : state) {
        if (rs.AbsolutePosition() >= rs.RecordCount()) {
            state.PauseTiming();
            rs.MoveFirst();
            state.ResumeTiming();
        }
        Bas(grille);
        rangs = f.data2->Recordset().RecordCount();
    }
    if (rs.AbsolutePosition() < 2)
        state.SkipWithError("the Down key did not move the grid");
    state.counters["lignes"] = double(rangs);
}

void RegistreToucheBas(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    FrmUtilisateur& f = Ouverte<FrmUtilisateur>();
    ToucheBas(state, f, *f.DBGrid1, f.data1->Recordset());
}
BENCHMARK(RegistreToucheBas)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// The employee's profile lines, the rows a move of the register reads.
void RegistreToucheBasPlancher(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    ado::Recordset rs = Ouverte<FrmUtilisateur>().data1->Recordset();
    long rangs = 0;
    for (auto _ : state) {
        const vb::Variant quota = rs["Quota"].Value();
        rangs = Nue(RequeteLignesProfil(quota.IsNull() ? "IS NULL" : "=" + vb::CStr(quota)));
    }
    state.counters["lignes"] = double(rangs);
}
BENCHMARK(RegistreToucheBasPlancher)->Unit(benchmark::kMillisecond)->MinTime(0.5);

void ProfilsToucheBas(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    FenQuota& f = Ouverte<FenQuota>();
    ToucheBas(state, f, *f.DataGrid1, f.data1->Recordset());
}
BENCHMARK(ProfilsToucheBas)->Unit(benchmark::kMillisecond)->MinTime(0.5);

void ProfilsToucheBasPlancher(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    ado::Recordset rs = Ouverte<FenQuota>().data1->Recordset();
    long rangs = 0;
    for (auto _ : state)
        rangs = Nue(RequeteLignesProfil("=" + vb::CStr(rs["NoQuota"].Value())));
    state.counters["lignes"] = double(rangs);
}
BENCHMARK(ProfilsToucheBasPlancher)->Unit(benchmark::kMillisecond)->MinTime(0.5);

constexpr long MachineChoisie = 150;

// The machine's line is chosen in the list, then clicked.
void MachineClic(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    FrmConfigMachine& f = Ouverte<FrmConfigMachine>();
    ado::Recordset rs = f.Adodc1->Recordset();
    rs.SetAbsolutePosition(MachineChoisie);
    for (auto _ : state)
        f.DataGrid1_Click();
    state.counters["lignes"] = double(f.MSFlexGrid1->Rows() - 1);
}
BENCHMARK(MachineClic)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// The machine's lines and the units on each, as the click reads them.
void MachineClicPlancher(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    ado::Recordset rs = Ouverte<FrmConfigMachine>().Adodc1->Recordset();
    rs.SetAbsolutePosition(MachineChoisie);
    const std::string no = vb::CStr(rs["NoMachine"].Value());
    const std::string colonne =
        FonctionUtilitaires::ConvertNullStr(rs["Chargement"].Value()) == "ETAGE" ? "Etage"
                                                                                 : "Colonne";
    long rangs = 0;
    for (auto _ : state) {
        rangs = Nue(RequeteLignesMachine(no));
        Nue("SELECT " + colonne +
            ", COUNT(Reference) FROM EmplacementsMachine1 WHERE NoMachine = " + no + " GROUP BY " +
            colonne + " ORDER BY " + colonne);
    }
    state.counters["lignes"] = double(rangs);
}
BENCHMARK(MachineClicPlancher)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// Two article numbers typed in turn in the counter's box: each change is one lookup.
constexpr const char* ArticlesCherches[] = {"10500", "17321"};

void ComptoirRechercheArticle(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    FenComptoir& f = Ouverte<FenComptoir>();
    size_t tour = 0;
    for (auto _ : state)
        f.TextReference->setText(ArticlesCherches[tour++ % 2]);
    if (f.ArticleTrouve != FenComptoir::Vrai)
        state.SkipWithError("the counter found no article");
}
BENCHMARK(ComptoirRechercheArticle)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// The sought article's row of the stock view.
void ComptoirRechercheArticlePlancher(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    size_t tour = 0;
    for (auto _ : state)
        Nue(std::string("SELECT * FROM Stock WHERE Reference = ") + ArticlesCherches[tour++ % 2]);
}
BENCHMARK(ComptoirRechercheArticlePlancher)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// The issue history opened from the menu: loaded, shown and activated, then closed again.
void HistoriqueOuverture(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    long rangs = 0;
    for (auto _ : state) {
        FrmVente& f = forms::form<FrmVente>();
        f.Show();
        f.Form_Activate();
        rangs = f.data1->Recordset().RecordCount();
        state.PauseTiming();
        f.Unload();
        state.ResumeTiming();
    }
    state.counters["lignes"] = double(rangs);
}
BENCHMARK(HistoriqueOuverture)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// Every issue header, in the order the window shows them.
void HistoriqueOuverturePlancher(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    long rangs = 0;
    for (auto _ : state)
        rangs = Nue("SELECT * FROM Ventes ORDER BY LaDate DESC");
    state.counters["lignes"] = double(rangs);
}
BENCHMARK(HistoriqueOuverturePlancher)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// A surname typed in the register's search box, one keystroke at a time: each one searches
// from the first employee in surname order and shows the one found.
constexpr const char* FrappesNom[] = {"V", "VI", "VIN", "VINC", "VINCE", "VINCEN"};

void RegistreRechercheNom(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    FrmUtilisateur& f = Ouverte<FrmUtilisateur>();
    f.SSOptionNom->SetValue(true);
    size_t frappe = 0;
    for (auto _ : state)
        f.TextCherche->setText(FrappesNom[frappe++ % std::size(FrappesNom)]);
    if (vb::CStr(f.data1->Recordset()["Nom"].Value()).rfind("VINC", 0) != 0)
        state.SkipWithError("the search found no VINCEN");
    f.SSOptionBadge->SetValue(true);
}
BENCHMARK(RegistreRechercheNom)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// The first employee whose surname starts with the typed letters, and its profile lines.
void RegistreRechercheNomPlancher(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    ado::Recordset rs = Ouverte<FrmUtilisateur>().data1->Recordset();
    size_t frappe = 0;
    for (auto _ : state) {
        Nue(std::string("SELECT * FROM GrUtilisateur WHERE Nom LIKE '") +
            FrappesNom[frappe++ % std::size(FrappesNom)] + "%' ORDER BY Nom LIMIT 1");
        const vb::Variant quota = rs["Quota"].Value();
        Nue(RequeteLignesProfil(quota.IsNull() ? "IS NULL" : "=" + vb::CStr(quota)));
    }
}
BENCHMARK(RegistreRechercheNomPlancher)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// The register's button pressed again while the window is loaded: it is activated again.
void RegistreActivation(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    FrmUtilisateur& f = Ouverte<FrmUtilisateur>();
    for (auto _ : state)
        f.Form_Activate();
}
BENCHMARK(RegistreActivation)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// Every employee in badge order, the rows an activation reads again.
void RegistreActivationPlancher(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    long rangs = 0;
    for (auto _ : state)
        rangs = Nue("SELECT * FROM GrUtilisateur ORDER BY NoBadge");
    state.counters["lignes"] = double(rangs);
}
BENCHMARK(RegistreActivationPlancher)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// The consumption reports' work table filled for a period typed in the reports window: the
// period's movement lines copied into CA, the last period's rows gone. This one writes: run it
// on a copy.
void RemplirCA(benchmark::State& state, const char* debut, const char* fin)
{
    if (!Preparer(state))
        return;
    FenCompteRendu& f = Ouverte<FenCompteRendu>();
    f.TextDebut->setText(debut);
    f.TextFin->setText(fin);
    f.PeriodeChoisie = true;
    for (auto _ : state)
        if (f.CreerEtatCA() != FenCompteRendu::ResultatCA::Lignes)
            state.SkipWithError("the period holds no movement");
    state.counters["lignes"] = double(Nue("SELECT Reference FROM CA"));
}

// The same lines selected and written by one bare statement in one transaction.
void RemplirCAPlancher(benchmark::State& state, const char* debut, const char* fin)
{
    if (!Preparer(state))
        return;
    const std::string copie =
        std::string("BEGIN; DELETE FROM CA; INSERT INTO CA (NomMois, TypeMouvement, LaDate, "
                    "Utilisateur, Nom, Prenom, Reference, Designation, Quantite, NomFamille, "
                    "NomSite, NomService, Profile, CodeFournisseur, Societe, PrixAchatUnit) "
                    "SELECT strftime('%m', v.LaDate), v.TypeMouvement, v.LaDate, v.Utilisateur, "
                    "v.Nom, v.Prenom, d.Reference, d.Designation, d.Quantite, d.NomFamille, "
                    "d.NomSite, d.NomService, d.Profile, d.CodeFournisseur, d.Societe, "
                    "d.PrixAchatUnit FROM Ventes v JOIN DetailVente d ON v.NumVente = d.NumVente "
                    "WHERE v.LaDate >= '") +
        debut + "' AND v.LaDate < date('" + fin + "', '+1 day'); COMMIT;";
    for (auto _ : state)
        sqlite3_exec(Connexion().Handle(), copie.c_str(), nullptr, nullptr, nullptr);
}

void ConsommationMois(benchmark::State& state)
{
    RemplirCA(state, "01/11/2026", "30/11/2026");
}
BENCHMARK(ConsommationMois)->Unit(benchmark::kMillisecond)->MinTime(0.5);

void ConsommationMoisPlancher(benchmark::State& state)
{
    RemplirCAPlancher(state, "2026-11-01", "2026-11-30");
}
BENCHMARK(ConsommationMoisPlancher)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// The window's own period, from 01/01/2005 to the last day of the file: the whole history.
void ConsommationHistoire(benchmark::State& state)
{
    RemplirCA(state, "01/01/2005", "10/12/2026");
}
BENCHMARK(ConsommationHistoire)->Unit(benchmark::kMillisecond)->Iterations(1);

void ConsommationHistoirePlancher(benchmark::State& state)
{
    RemplirCAPlancher(state, "2005-01-01", "2026-12-10");
}
BENCHMARK(ConsommationHistoirePlancher)->Unit(benchmark::kMillisecond)->Iterations(1);

// The stock alerts computed on the last 31 days of the file, as the article window's button
// does once it has made the period's view; this one writes the thresholds.
void VueAlertes()
{
    static const bool faite = [] {
        sqlite3_exec(Connexion().Handle(), "DROP VIEW IF EXISTS Consomations", nullptr, nullptr,
                     nullptr);
        ado::Command vue;
        vue.SetActiveConnection(Connexion());
        vue.SetCommandText(
            AlertesStock::TexteVue(vb::DateSerial(2026, 11, 10), vb::DateSerial(2026, 12, 10)));
        vue.Execute();
        return true;
    }();
    (void)faite;
}

void AlertesStock31Jours(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    VueAlertes();
    for (auto _ : state)
        AlertesStock::EcrireSeuils(Connexion(), 31);
}
BENCHMARK(AlertesStock31Jours)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// The period's summary per article joined to the delivery times, each threshold computed and
// written by one prepared statement in one transaction.
void AlertesStock31JoursPlancher(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    VueAlertes();
    sqlite3* base = Connexion().Handle();
    const std::string resume = ado::TranslateSql(
        "SELECT c.Reference, c.GrTotal, a.DelaiLivraison FROM (SELECT Reference, SUM(Total) AS "
        "GrTotal FROM Consomations GROUP BY Reference) c JOIN ArticleEnStock a ON a.Reference = "
        "c.Reference");
    long rangs = 0;
    for (auto _ : state) {
        sqlite3_exec(base, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* lecture = nullptr;
        sqlite3_stmt* ecriture = nullptr;
        sqlite3_prepare_v2(base, resume.c_str(), -1, &lecture, nullptr);
        sqlite3_prepare_v2(base, "UPDATE ArticleEnStock SET StockAlert = ? WHERE Reference = ?", -1,
                           &ecriture, nullptr);
        rangs = 0;
        while (sqlite3_step(lecture) == SQLITE_ROW) {
            const double parJour = sqlite3_column_double(lecture, 1) / 31;
            const bool delai = sqlite3_column_type(lecture, 2) != SQLITE_NULL;
            const double jours = delai ? sqlite3_column_double(lecture, 2) + 6 : 7;
            sqlite3_bind_int64(ecriture, 1, std::llrint(parJour * jours));
            sqlite3_bind_int64(ecriture, 2, sqlite3_column_int64(lecture, 0));
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
BENCHMARK(AlertesStock31JoursPlancher)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// A printed list of the reports window written to a PDF file, as the viewer prints it. The
// program folder must hold the reports' folder "RPT SQL".
void ImprimerListe(benchmark::State& state, const char* etat, const char* titre, const char* table)
{
    if (!Preparer(state))
        return;
    // The heading shows the reports window's period.
    FenCompteRendu& compteRendu = Ouverte<FenCompteRendu>();
    compteRendu.TextDebut->setText("01/01/2005");
    compteRendu.TextFin->setText("10/12/2026");
    FenVeltrixRep& visionneuse = forms::form<FenVeltrixRep>();
    const QString pdf = QString::fromStdString(
        (std::filesystem::temp_directory_path() / "bench-large-liste.pdf").string());
    for (auto _ : state) {
        if (!visionneuse.ImprimerEtat2(etat, "", titre, table)) {
            state.SkipWithError("the report could not be prepared");
            return;
        }
        visionneuse.Rapport()->WritePdf(pdf);
    }
    state.counters["pages"] = visionneuse.Rapport()->PageCount();
}

// The floor: the columns the list prints, read bare and their texts drawn straight on as many
// PDF pages.
void ImprimerListePlancher(benchmark::State& state, const char* sql, int pages)
{
    if (!Preparer(state))
        return;
    const QString pdf = QString::fromStdString(
        (std::filesystem::temp_directory_path() / "bench-large-nu.pdf").string());
    const std::string traduite = ado::TranslateSql(sql);
    for (auto _ : state) {
        QPdfWriter writer(pdf);
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&writer);
        painter.setWindow(0, 0, 2100, 2970);
        sqlite3_stmt* requete = nullptr;
        sqlite3_prepare_v2(Connexion().Handle(), traduite.c_str(), -1, &requete, nullptr);
        const int colonnes = sqlite3_column_count(requete);
        int rang = 0, page = 0;
        long rangs = 0;
        while (sqlite3_step(requete) == SQLITE_ROW)
            ++rangs;
        sqlite3_reset(requete);
        const long parPage = std::max<long>(1, rangs / pages + 1);
        while (sqlite3_step(requete) == SQLITE_ROW) {
            if (rang == parPage) {
                writer.newPage();
                rang = 0;
                ++page;
            }
            for (int c = 0; c < colonnes; ++c) {
                const auto* texte = sqlite3_column_text(requete, c);
                painter.drawText(QRectF(100 + c * 190, 400 + rang * 50, 180, 50),
                                 texte ? QString::fromUtf8(reinterpret_cast<const char*>(texte))
                                       : QString());
            }
            ++rang;
        }
        sqlite3_finalize(requete);
        painter.drawText(QRectF(0, 2860, 2100, 40), Qt::AlignHCenter,
                         QString("Page %1").arg(page + 1));
    }
}

void ImprimerStockParRef(benchmark::State& state)
{
    ImprimerListe(state, "StockParRef.RPT", "Articles en stock", "StockGlobal");
}
BENCHMARK(ImprimerStockParRef)->Unit(benchmark::kMillisecond)->Iterations(3);

void ImprimerStockParRefPlancher(benchmark::State& state)
{
    ImprimerListePlancher(state,
                          "SELECT Reference, RefFournisseur, Designation, NomFamille, Taille, "
                          "QteEnStock, QteEnMachine, QteGlobal FROM StockGlobal ORDER BY "
                          "Reference",
                          455);
}
BENCHMARK(ImprimerStockParRefPlancher)->Unit(benchmark::kMillisecond)->Iterations(3);

void ImprimerSalarieNom(benchmark::State& state)
{
    ImprimerListe(state, "SalarieNom.RPT", "Salariés", "GrUtilisateur");
}
BENCHMARK(ImprimerSalarieNom)->Unit(benchmark::kMillisecond)->Iterations(3);

void ImprimerSalarieNomPlancher(benchmark::State& state)
{
    ImprimerListePlancher(state,
                          "SELECT NoBadge, MatriculeSalarie, Nom, Prenom, NomSite, NomService, "
                          "Profile, TailleCh, TailleM, MachineAutorise FROM GrUtilisateur "
                          "ORDER BY Nom, Prenom",
                          173);
}
BENCHMARK(ImprimerSalarieNomPlancher)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
