// The register's and the profiles window's openings on a large company's database
// (GrandeBase.h), each against its floor in the same run: the rows the opening shows read by bare
// SQLite statements. Run with --benchmark_enable_random_interleaving and read the medians.

#include "bench/large/GrandeBase.h"
#include "harnix/commun/Global.h"
#include "harnix/staff/FenQuota.h"
#include "harnix/staff/FrmUtilisateur.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"

#include <QApplication>

#include <string>

namespace {

using grande::Nue;
using grande::Preparer;

// Opens the window as the menu does when it is not loaded: loaded, then shown, which activates
// it; then the events the showing posted (layout, painting) handled, as the event loop does
// before the store keeper sees the window.
template <class Fenetre> Fenetre& Ouvrir()
{
    const bool chargee = forms::IsLoaded<Fenetre>();
    Fenetre& f = forms::form<Fenetre>();
    if (!chargee) {
        f.Show();
        QCoreApplication::processEvents();
    }
    return f;
}

// Closes the window and lets Qt delete it, so that the next opening builds it again; no event is
// left waiting, as none is once the event loop has run.
template <class Fenetre> void Fermer()
{
    forms::form<Fenetre>().Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// What showing one employee reads: the services of its site, its profile's lines.
void EmployeNu(const vb::Variant& site, const vb::Variant& quota)
{
    if (!site.IsNull())
        Nue("SELECT * FROM Services WHERE Site=" + vb::CStr(site));
    Nue(RequeteLignesProfil(quota.IsNull() ? "IS NULL" : "=" + vb::CStr(quota)));
}

// The lists the register offers: sites, profiles and the two families' sizes.
void ListesNues()
{
    Nue("SELECT * FROM Sites");
    Nue("SELECT * FROM ProfileQuota");
    for (const long famille : {Global::FamilleGants, Global::FamilleChaussures})
        Nue("SELECT * FROM Tailles WHERE NoFamille=" + std::to_string(famille) + " ORDER BY Ordre");
}

// The register opened from the menu: built, loaded, shown on its first employee.
void RegistreOuverture(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    for (auto _ : state) {
        state.PauseTiming();
        if (forms::IsLoaded<FrmUtilisateur>())
            Fermer<FrmUtilisateur>();
        state.ResumeTiming();
        Ouvrir<FrmUtilisateur>();
    }
    state.counters["lignes"] =
        double(forms::form<FrmUtilisateur>().data1->Recordset().RecordCount());
}
BENCHMARK(RegistreOuverture)->Unit(benchmark::kMillisecond)->MinTime(2);

// Every employee's row of the register's query, the lists, and the first employee shown.
void RegistreOuverturePlancher(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    ado::Recordset premier;
    premier.Open("SELECT Site, Quota FROM Utilisateurs ORDER BY NoBadge LIMIT 1",
                 grande::Connexion());
    const vb::Variant site = premier["Site"].Value(), quota = premier["Quota"].Value();
    long rangs = 0;
    for (auto _ : state) {
        rangs = Nue("SELECT * FROM GrUtilisateur ORDER BY NoBadge");
        ListesNues();
        EmployeNu(site, quota);
    }
    state.counters["lignes"] = double(rangs);
}
BENCHMARK(RegistreOuverturePlancher)->Unit(benchmark::kMillisecond)->MinTime(2);

// The profiles window opened from the menu: built, loaded, shown on its first profile.
void ProfilsOuverture(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    for (auto _ : state) {
        state.PauseTiming();
        if (forms::IsLoaded<FenQuota>())
            Fermer<FenQuota>();
        state.ResumeTiming();
        Ouvrir<FenQuota>();
    }
    state.counters["lignes"] = double(forms::form<FenQuota>().data2->Recordset().RecordCount());
}
BENCHMARK(ProfilsOuverture)->Unit(benchmark::kMillisecond)->MinTime(2);

// Every profile, and the first profile's lines.
void ProfilsOuverturePlancher(benchmark::State& state)
{
    if (!Preparer(state))
        return;
    ado::Recordset premier;
    premier.Open("SELECT NoQuota FROM ProfileQuota LIMIT 1", grande::Connexion());
    const std::string quota = vb::CStr(premier["NoQuota"].Value());
    long rangs = 0;
    for (auto _ : state) {
        Nue("SELECT * FROM ProfileQuota");
        rangs = Nue(RequeteLignesProfil("=" + quota));
    }
    state.counters["lignes"] = double(rangs);
}
BENCHMARK(ProfilsOuverturePlancher)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace
