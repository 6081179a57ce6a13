// The consumption reports' work tables and the two long lists on a generated company: the
// window's tables hold what a plain recomputation from the movement lines gives, and the lists
// print every article and every employee.

#include "harnix/reports/FenCompteRendu.h"

#include "harnix/commun/Global.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/Drive.h"
#include "tests/harnix/database/DatabaseFixture.h"
#include "tests/harnix/database/GeneratedCompany.h"
#include "tests/harnix/reports/Visionneuse.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace database::testing;

// Every row of a bare statement, its columns as SQLite gives them in text, joined.
std::vector<std::string> Rangs(ado::Connection& cn, const std::string& sql)
{
    sqlite3_stmt* requete = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(cn.Handle(), sql.c_str(), -1, &requete, nullptr), SQLITE_OK)
        << sql;
    std::vector<std::string> rangs;
    while (sqlite3_step(requete) == SQLITE_ROW) {
        std::string rang;
        for (int c = 0; c < sqlite3_column_count(requete); ++c) {
            const auto* texte = sqlite3_column_text(requete, c);
            rang += (texte ? reinterpret_cast<const char*>(texte) : "Null") + std::string("|");
        }
        rangs.push_back(rang);
    }
    sqlite3_finalize(requete);
    return rangs;
}

class CompteRenduGenere : public forms::testing::WindowTest
{
protected:
    void SetUp() override
    {
        database::data::Volumes volumes = SmallCompany();
        volumes.employees = 60;
        CreateGenerated(chemin, volumes);
        cn = Open(chemin, database::ZadPassword());
        Global::SetProgramFolder(dossier.Path().string());
        Global::ChaineConnexion = database::ConnectionString(chemin, database::ZadPassword());
        Global::CheminRapports = HARNIX_RAPPORTS;
    }

    // The movement lines of the period, month named in full, sorted, in CA's columns.
    std::vector<std::string> LignesDeLaPeriode(const std::string& debut, const std::string& fin)
    {
        static const char* const mois[] = {"janvier",   "février", "mars",     "avril",
                                           "mai",       "juin",    "juillet",  "août",
                                           "septembre", "octobre", "novembre", "décembre"};
        std::vector<std::string> lignes;
        for (std::string rang :
             Rangs(cn, "SELECT CAST(substr(v.LaDate, 6, 2) AS INTEGER), v.TypeMouvement, v.LaDate, "
                       "v.Utilisateur, v.Nom, v.Prenom, d.Reference, d.Designation, d.Quantite, "
                       "d.NomFamille, d.NomSite, d.NomService, d.Profile, d.CodeFournisseur, "
                       "d.Societe, d.PrixAchatUnit, NULL, NULL FROM Ventes v JOIN DetailVente d "
                       "ON v.NumVente = d.NumVente WHERE v.LaDate >= '" +
                           debut + "' AND v.LaDate < date('" + fin + "', '+1 day')")) {
            const size_t barre = rang.find('|');
            lignes.push_back(mois[std::stoi(rang.substr(0, barre)) - 1] + rang.substr(barre));
        }
        std::sort(lignes.begin(), lignes.end());
        return lignes;
    }

    std::vector<std::string> TableCA()
    {
        std::vector<std::string> lignes =
            Rangs(cn, "SELECT NomMois, TypeMouvement, LaDate, Utilisateur, Nom, Prenom, "
                      "Reference, Designation, Quantite, NomFamille, NomSite, NomService, "
                      "Profile, CodeFournisseur, Societe, PrixAchatUnit, Taille, RefFournisseur "
                      "FROM CA");
        std::sort(lignes.begin(), lignes.end());
        return lignes;
    }

    // The text of the list a button of the window prints, through its viewer.
    QString Liste(QPushButton* bouton)
    {
        return reports::testing::TexteVu(*bouton,
                                         QString::fromStdString(dossier.File("liste.pdf")));
    }

    TempFolder dossier;
    std::string chemin = dossier.File("zad.MDB");
    ado::Connection cn;
};

TEST_F(CompteRenduGenere, WorkTablesHoldTheMovementLinesOfThePeriod)
{
    struct Cas
    {
        const char* debut;
        const char* fin;
        std::string debutIso, finIso;
    };
    const Cas cas[] = {
        {"01/06/2026", "30/06/2026", "2026-06-01", "2026-06-30"}, // a month
        {"01/01/2005", "30/06/2026", "2005-01-01", "2026-06-30"}, // the window's own period
        {"15/05/2026", "15/05/2026", "2026-05-15", "2026-05-15"}, // one day
        {"01/06/2026", "30/06/2026", "2026-06-01", "2026-06-30"}, // a month again, after all
    };
    FenCompteRendu& f = forms::form<FenCompteRendu>();
    f.PeriodeChoisie = true;
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.debut + std::string(" - ") + c.fin);
        f.TextDebut->setText(c.debut);
        f.TextFin->setText(c.fin);
        const std::vector<std::string> attendues = LignesDeLaPeriode(c.debutIso, c.finIso);
        ASSERT_FALSE(attendues.empty());
        ASSERT_EQ(f.CreerEtatCA(), FenCompteRendu::ResultatCA::Lignes);
        EXPECT_EQ(TableCA(), attendues);

        // Per article: the quantity and the value summed over the same lines.
        struct Somme
        {
            long quantite = 0;
            double valeur = 0;
        };
        std::map<std::string, Somme> sommes;
        for (const std::string& rang :
             Rangs(cn, "SELECT d.Reference, d.Quantite, d.PrixAchatUnit FROM Ventes v JOIN "
                       "DetailVente d ON v.NumVente = d.NumVente WHERE v.LaDate >= '" +
                           c.debutIso + "' AND v.LaDate < date('" + c.finIso + "', '+1 day')")) {
            const size_t a = rang.find('|'), b = rang.find('|', a + 1);
            Somme& s = sommes[rang.substr(0, a)];
            const long quantite = std::stol(rang.substr(a + 1, b - a - 1));
            s.quantite += quantite;
            s.valeur += quantite * std::stod(rang.substr(b + 1));
        }
        ASSERT_TRUE(f.CreerEtatCAparArticle());
        const std::vector<std::string> table =
            Rangs(cn, "SELECT Reference, Quantite, Valeur FROM TCAparArticle");
        ASSERT_EQ(table.size(), sommes.size());
        for (const std::string& rang : table) {
            const size_t a = rang.find('|'), b = rang.find('|', a + 1);
            const auto s = sommes.find(rang.substr(0, a));
            ASSERT_NE(s, sommes.end()) << rang;
            EXPECT_EQ(std::stol(rang.substr(a + 1, b - a - 1)), s->second.quantite) << rang;
            EXPECT_NEAR(std::stod(rang.substr(b + 1)), s->second.valeur, 0.005) << rang;
        }
    }
}

TEST_F(CompteRenduGenere, ListsPrintEveryArticleAndEveryEmployee)
{
    FenCompteRendu& f = forms::form<FenCompteRendu>();
    const QString stock = Liste(f.cmdPaieModeJournalier);
    const std::string articles = Rangs(cn, "SELECT COUNT(*) FROM StockGlobal").front();
    EXPECT_TRUE(stock.contains(
        QString::fromStdString("Total (" + articles.substr(0, articles.size() - 1) + ")")))
        << articles;
    const std::string salaries = Rangs(cn, "SELECT COUNT(*) FROM GrUtilisateur").front();
    const QString noms = Liste(&f.CmdSalarie(0));
    EXPECT_TRUE(noms.contains(QString::fromStdString(
        "Nombre de salariés (" + salaries.substr(0, salaries.size() - 1) + ")")));
    // The employees in the order of their names, the first and the last both printed.
    const std::vector<std::string> nomsTries =
        Rangs(cn, "SELECT Nom FROM GrUtilisateur WHERE Nom IS NOT NULL ORDER BY Nom");
    ASSERT_GE(nomsTries.size(), 2u);
    auto nom = [](const std::string& rang) {
        return QString::fromStdString(rang.substr(0, rang.size() - 1));
    };
    EXPECT_LT(noms.indexOf(nom(nomsTries.front())), noms.lastIndexOf(nom(nomsTries.back())));
}

} // namespace
