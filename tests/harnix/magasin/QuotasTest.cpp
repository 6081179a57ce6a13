// The counter's quota check on a real zad.MDB: the rolling window of the profile's line, every
// issue counted, the badge bound as a value.

#include "harnix/magasin/Quotas.h"

#include "tests/harnix/database/DatabaseFixture.h"

#include "platform/ado/Recordset.h"
#include "platform/vb/DateTime.h"
#include "platform/win/Clock.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Quota : public ::testing::Test
{
protected:
    database::testing::ZadFixture zad;

    // The check takes its window from today: the day stays the one the test reads.
    void SetUp() override { win::Clock::Freeze(); }
    void TearDown() override { win::Clock::Reset(); }

    void Execute(const std::string& sql) { zad.Connection().Execute(sql); }
    std::string Stored(const std::string& sql)
    {
        ado::Recordset rs = database::testing::OpenRecordset(zad.Connection(), sql);
        return database::testing::Text(rs.Fields(0L).Value());
    }
    int16_t Verifier(int32_t reference, int32_t profile, const std::string& badge)
    {
        return Quotas::VerifierQuota(zad.Connection(), reference, profile, badge);
    }
};

TEST_F(Quota, CountsEveryIssueOfItsWindow)
{
    // Profile 5: at most 2 of article 1001 in 30 days.
    Execute("INSERT INTO Quota (NoQota, RefArticle, QtePermise, Periodicite) VALUES (5, 1001, 2, "
            "30)");
    Execute("INSERT INTO Quota (NoQota, RefArticle, QtePermise) VALUES (6, 1001, 2)");
    const vb::Date aujourdhui = vb::Today();
    const auto moment = [&](int jours, const char* heure) {
        return vb::DateAdd("d", jours, aujourdhui).ToIsoText().substr(0, 10) + " " + heure;
    };
    const auto mouvement = [&](const std::string& date, const char* badge, int quantite) {
        Execute("INSERT INTO Ventes (NumVente, LaDate, Utilisateur, TypeMouvement) VALUES (" +
                std::to_string(100 + std::stoi(Stored("select count(*) from Ventes"))) + ", '" +
                date + "', '" + badge + "', 1)");
        Execute("INSERT INTO DetailVente (NumVente, Reference, Quantite) VALUES ((select "
                "max(NumVente) from Ventes), 1001, " +
                std::to_string(quantite) + ")");
    };
    EXPECT_EQ(Verifier(1000, 5, "1000"), 3) << "no line for the article";
    EXPECT_EQ(Verifier(1001, 7, "1000"), 3) << "no line at all";
    EXPECT_EQ(Verifier(1001, 6, "1000"), 3) << "a line without its period";
    EXPECT_EQ(Verifier(1001, 5, "1000"), 2);

    mouvement(moment(-31, "23:59:59"), "1000", 2);
    EXPECT_EQ(Verifier(1001, 5, "1000"), 2) << "before the window";
    mouvement(moment(0, "12:00:00"), "1001", 2);
    EXPECT_EQ(Verifier(1001, 5, "1000"), 2) << "another employee's";
    mouvement(moment(-30, "00:00:00"), "1000", 1);
    EXPECT_EQ(Verifier(1001, 5, "1000"), 2);
    mouvement(moment(0, "23:59:59"), "1000", 1);
    EXPECT_EQ(Verifier(1001, 5, "1000"), 1) << "from midnight 30 days back to today's end";

    // Two issues alike, in the same second, count twice.
    Execute("DELETE FROM DetailVente WHERE NumVente > 3");
    Execute("DELETE FROM Ventes WHERE NumVente > 3");
    mouvement(moment(0, "08:00:00"), "1000", 1);
    mouvement(moment(0, "08:00:00"), "1000", 1);
    EXPECT_EQ(Verifier(1001, 5, "1000"), 1);
    // A badge with a quote is a value, not part of the statement.
    EXPECT_EQ(Verifier(1001, 5, "x' OR 'a'='a"), 2);
}

} // namespace
