// The store keeper's repeated actions on a large company's database (GrandeBase.h), each
// against its floor in the same run: the same rows read by a bare SQLite statement. Run with
// --benchmark_enable_random_interleaving and read the medians.

#include "bench/large/GrandeBase.h"
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
#include <QImage>
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

using grande::Connexion;
using grande::Nue;
using grande::Ouverte;
using grande::Preparer;

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
    // Each lookup shows the article's picture from a folder of a large company's pictures.
    grande::RemplirImages();
    FenComptoir& f = Ouverte<FenComptoir>();
    size_t tour = 0;
    for (auto _ : state)
        f.TextReference->setText(ArticlesCherches[tour++ % 2]);
    if (f.ArticleTrouve != FenComptoir::Vrai)
        state.SkipWithError("the counter found no article");
}
BENCHMARK(ComptoirRechercheArticle)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// The sought article's row of the stock view, and its picture read from its file.
void ComptoirRechercheArticlePlancher(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    grande::RemplirImages();
    std::string images[2];
    for (size_t i = 0; i < 2; ++i) {
        ado::Recordset rs;
        rs.Open(std::string("SELECT Image FROM ArticleEnStock WHERE Reference = ") +
                    ArticlesCherches[i],
                Connexion());
        images[i] = Global::CheminImages + "/" + vb::CStr(rs["Image"].Value()) + ".jpg";
    }
    size_t tour = 0;
    for (auto _ : state) {
        Nue(std::string("SELECT * FROM Stock WHERE Reference = ") + ArticlesCherches[tour % 2]);
        QImage image(QString::fromStdString(images[tour++ % 2]));
        benchmark::DoNotOptimize(image.width());
    }
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
    // Each build deletes the rows of the one before: the period's own build first, untimed, so
    // that a repetition does not pay for whichever period ran before it.
    f.CreerEtatCA();
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
    sqlite3_exec(Connexion().Handle(), copie.c_str(), nullptr, nullptr, nullptr);
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
