// A process that records counter issues in a loop is killed at random moments: after each kill
// the database file holds only whole issues (a header with its line and its stock decrease) and
// passes SQLite's integrity check.

#include "harnix/magasin/Mouvements.h"

#include "tests/harnix/database/DatabaseFixture.h"

#include "platform/vb/DateTime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using database::testing::Text;

std::string Valeur(ado::Connection& cn, const std::string& sql)
{
    ado::Recordset rs;
    rs.Open(sql, cn);
    return Text(rs.Fields(0L).Value());
}

// Tells through `pret` when its first issue is written, so that the kill falls among the writes
// however long the opening and the first write take (they are slow under the sanitizers).
[[noreturn]] void EnregistrerSansFin(const std::string& chemin, int pret)
{
    try {
        ado::Connection cn = database::testing::Open(chemin, database::ZadPassword());
        Mouvements::Mouvement m;
        m.Utilisateur = "1000";
        m.Nom = "MARTIN";
        m.Prenom = "Jean";
        m.Type = Mouvements::RemiseComptoir;
        m.DiminuerStock = true;
        Mouvements::Ligne l;
        l.Designation = "GANTS T8";
        l.Quantite = int32_t{1};
        for (int32_t i = 0;; ++i) {
            m.LaDate = vb::Now();
            l.Reference = int32_t{1000 + i % 2};
            m.Lignes = {l};
            Mouvements::Enregistrer(cn, m);
            if (i == 0 && ::write(pret, "1", 1) != 1)
                ::_exit(1);
        }
    } catch (...) {
        ::_exit(1);
    }
}

TEST(MouvementsKillTest, AKilledWriterLeavesOnlyWholeIssues)
{
    database::testing::ZadFixture zad;
    zad.Connection().Close();
    const std::random_device::result_type graine = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(graine));
    std::mt19937 aleatoire(graine);
    std::uniform_int_distribution<int> delai(1, 40);

    long issues = 0;
    for (int tour = 0; tour < 30; ++tour) {
        int tube[2];
        ASSERT_EQ(::pipe(tube), 0);
        const pid_t enfant = ::fork();
        ASSERT_GE(enfant, 0);
        if (enfant == 0)
            EnregistrerSansFin(zad.Path(), tube[1]);
        ::close(tube[1]);
        char octet = 0;
        const ssize_t lu = ::read(tube[0], &octet, 1);
        ::close(tube[0]);
        EXPECT_EQ(lu, 1) << "round " << tour;
        std::this_thread::sleep_for(std::chrono::milliseconds(delai(aleatoire)));
        ::kill(enfant, SIGKILL);
        int etat = 0;
        ASSERT_EQ(::waitpid(enfant, &etat, 0), enfant);
        // Killed while writing, not ended by an error of its own.
        ASSERT_TRUE(WIFSIGNALED(etat)) << "round " << tour;

        ado::Connection cn = database::testing::Open(zad.Path(), database::ZadPassword());
        EXPECT_EQ(Valeur(cn, "PRAGMA integrity_check"), "ok") << "round " << tour;
        EXPECT_EQ(Valeur(cn, "select count(*) from Ventes where NumVente not in "
                             "(select NumVente from DetailVente)"),
                  "0")
            << "round " << tour;
        EXPECT_EQ(Valeur(cn, "select count(*) from DetailVente where NumVente not in "
                             "(select NumVente from Ventes)"),
                  "0")
            << "round " << tour;
        // The fixture's movements 1 to 3 hold four lines; 1000 started with 10, 1001 with 3.
        for (const auto& [reference, depart] : {std::pair{1000, 10}, std::pair{1001, 3}}) {
            const std::string ref = std::to_string(reference);
            const long lignes = std::stol(Valeur(
                cn, "select count(*) from DetailVente where NumVente > 3 and Reference=" + ref));
            EXPECT_EQ(std::stol(Valeur(
                          cn, "select QteEnStock from ArticleEnStock where Reference=" + ref)),
                      depart - lignes)
                << "round " << tour << ", article " << ref;
        }
        // The writer's first issue, told before the kill, is kept.
        const long now = std::stol(Valeur(cn, "select count(*) from Ventes")) - 3;
        EXPECT_GT(now, issues) << "round " << tour;
        issues = now;
        cn.Close();
    }
}

} // namespace
