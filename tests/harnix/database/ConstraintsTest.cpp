// What the database files refuse: a wrong password, an existing file, and the
// changes that their unique indexes and relations forbid, with the numbers the
// windows test.

#include "DatabaseFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace database::testing {
namespace {

constexpr int32_t Refused = vb::ErrDatabaseRefused; // 0x80040E14
constexpr int32_t Unspecified = vb::ErrUnspecified; // 0x80004005

TEST(Password, IsCheckedWhenADatabaseIsOpened)
{
    TempFolder folder;
    CreateZad(folder.File("zad.MDB"), false);
    CreateMainten(folder.File("MAINTEN.MDB"));
    CreateCodesPostaux(folder.File("CP.MDB"));
    // The program keeps five characters of its unscrambled password text.
    ASSERT_EQ(ZadPassword().size(), 5u);

    struct Case
    {
        const char* file;
        std::string password;
        int32_t error;
    };
    const Case cases[] = {
        {"zad.MDB", std::string(ZadPassword()), 0},
        {"zad.MDB", "", Unspecified},
        {"zad.MDB", "wrong", Unspecified},
        {"zad.MDB", std::string(ZadPassword()) + "x", Unspecified},
        {"MAINTEN.MDB", "", 0},
        {"CP.MDB", "", 0},
        {"missing.MDB", "", Unspecified},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorOf([&] { Open(folder.File(c.file), c.password); }), c.error)
            << c.file << " with '" << c.password << "'";
    }
}

TEST(Creation, RefusesAnExistingFileAndLeavesItAlone)
{
    TempFolder folder;
    const std::string zad = folder.File("zad.MDB");
    CreateZad(zad, true);
    const auto size = std::filesystem::file_size(zad);
    EXPECT_EQ(ErrorOf([&] { CreateZad(zad, false); }), Unspecified);
    EXPECT_EQ(ErrorOf([&] { CreateMainten(zad); }), Unspecified);
    EXPECT_EQ(std::filesystem::file_size(zad), size);
    EXPECT_EQ(ErrorOf([&] { Open(zad, ZadPassword()); }), 0);
}

struct Change
{
    const char* what;
    std::vector<const char*> statements; // the last one is judged, the others prepare it
    int32_t error;
};

void PrintTo(const Change& c, std::ostream* os)
{
    *os << c.what;
}

class Refusals : public ::testing::TestWithParam<Change>
{
};

TEST_P(Refusals, AreTheDatabaseRules)
{
    ZadFixture fixture;
    const Change& change = GetParam();
    for (size_t i = 0; i + 1 < change.statements.size(); ++i) {
        fixture.Connection().Execute(change.statements[i]);
    }
    EXPECT_EQ(ErrorOf([&] { fixture.Connection().Execute(change.statements.back()); }),
              change.error);
}

INSTANTIATE_TEST_SUITE_P(
    Database, Refusals,
    ::testing::Values(
        Change{"a second profile of the same name",
               {"INSERT INTO ProfileQuota (Profile) VALUES ('PRODUCTION')"},
               Refused},
        Change{"a profile name differing only in case",
               {"INSERT INTO ProfileQuota (Profile) VALUES ('production')"},
               Refused},
        Change{"a second new profile while one is unnamed",
               {"INSERT INTO ProfileQuota (Profile) VALUES ('-')",
                "INSERT INTO ProfileQuota (Profile) VALUES ('-')"},
               Refused},
        Change{"deleting a profile an employee uses",
               {"DELETE FROM ProfileQuota WHERE NoQuota = 1"},
               Refused},
        Change{"deleting a profile with quota lines only",
               {"DELETE FROM ProfileQuota WHERE NoQuota = 2"},
               0},
        Change{"a size twice in a family",
               {"INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('42', 3, 3)"},
               Refused},
        Change{"a size renamed to one of its family",
               {"UPDATE Tailles SET Taille = '41' WHERE NoTaille = 3"},
               Refused},
        Change{"a size differing only in case",
               {"UPDATE Tailles SET Taille = 't.u.' WHERE NoTaille = 5",
                "INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('T.U.', 2, 4)"},
               Refused},
        Change{"the same size in another family",
               {"INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('42', 3, 1)"},
               0},
        Change{"deleting a size that an article and an employee hold",
               {"DELETE FROM Tailles WHERE NoTaille = 3"},
               Refused},
        Change{"deleting a size that only an employee holds",
               {"UPDATE ArticleEnStock SET Taille = NULL WHERE Reference = 1000",
                "DELETE FROM Tailles WHERE NoTaille = 1"},
               Refused},
        Change{"deleting a size nobody holds", {"DELETE FROM Tailles WHERE NoTaille = 2"}, 0},
        Change{"deleting a family with articles",
               {"DELETE FROM Familles WHERE NoFamille = 3"},
               Refused},
        Change{
            "deleting a family with sizes", {"DELETE FROM Familles WHERE NoFamille = 4"}, Refused},
        Change{"deleting an unused family",
               {"INSERT INTO Familles (NomFamille) VALUES (NULL)",
                "DELETE FROM Familles WHERE NomFamille IS NULL"},
               0},
        Change{"a second article with the same number",
               {"INSERT INTO ArticleEnStock (Reference) VALUES (1000)"},
               Refused},
        Change{"a second article with the same bar code",
               {"UPDATE ArticleEnStock SET CodeBar = '111' WHERE Reference = 1002"},
               Refused},
        Change{"a second article with the same machine code",
               {"UPDATE ArticleEnStock SET CodeArticle = 1 WHERE Reference = 1002"},
               Refused},
        Change{"two articles without code or bar code",
               {"INSERT INTO ArticleEnStock (Reference) VALUES (1003)"},
               0},
        Change{"a code twice in the pool",
               {"INSERT INTO CodeArticle (CodeArticle) VALUES (3)"},
               Refused},
        Change{"deleting a supplier that articles point to",
               {"DELETE FROM Fournisseur WHERE Nauto = 1"},
               0},
        Change{"a second employee with the same badge",
               {"INSERT INTO Utilisateurs (NoBadge, Nom) VALUES ('1000', 'AUTRE')"},
               Refused},
        Change{"a maintenance badge twice",
               {"INSERT INTO BadgeMaintenance (NoBadge) VALUES ('9000')",
                "INSERT INTO BadgeMaintenance (NoBadge) VALUES ('9000')"},
               Refused},
        Change{"an employee on a site that does not exist",
               {"INSERT INTO Utilisateurs (NoBadge, Site) VALUES ('1003', 7)"},
               Refused},
        Change{"deleting a site with services and employees",
               {"DELETE FROM Sites WHERE NoSite = 1"},
               Refused},
        Change{
            "deleting a site with a service only", {"DELETE FROM Sites WHERE NoSite = 2"}, Refused},
        Change{"deleting a site without services or employees",
               {"INSERT INTO Sites (NomSite) VALUES ('PARIS')",
                "DELETE FROM Sites WHERE NomSite = 'PARIS'"},
               0},
        Change{"deleting a service with employees",
               {"DELETE FROM Services WHERE NoService = 1"},
               Refused},
        Change{"deleting a service without employees",
               {"DELETE FROM Services WHERE NoService = 3"},
               0},
        Change{"deleting an employee", {"DELETE FROM Utilisateurs WHERE NoBadge = '1000'"}, 0}),
    [](const ::testing::TestParamInfo<Change>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p) {
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        }
        return name;
    });

// The windows meet these refusals through their recordsets.
TEST(Refusals, ReachTheRecordsetsOfTheWindows)
{
    ZadFixture fixture;
    ado::Connection& cn = fixture.Connection();

    ado::Recordset profiles = OpenRecordset(cn, "ProfileQuota");
    profiles.AddNew();
    profiles.Fields("Profile").SetValue("BUREAU");
    EXPECT_EQ(ErrorOf([&] { profiles.Update(); }), Refused);
    profiles.CancelUpdate();
    profiles.MoveFirst();
    profiles.Find("NoQuota=1");
    ASSERT_FALSE(profiles.Eof());
    EXPECT_EQ(ErrorOf([&] { profiles.Delete(); }), Refused);

    ado::Recordset sizes = OpenRecordset(cn, "Tailles where NoFamille=3 order by Ordre");
    sizes.MoveLast();
    ASSERT_EQ(Text(sizes.Fields("Taille").Value()), "42");
    sizes.Fields("Taille").SetValue("41");
    EXPECT_EQ(ErrorOf([&] { sizes.Update(); }), Refused);

    ado::Recordset staff = OpenRecordset(cn, "GrUtilisateur");
    staff.AddNew();
    staff.Fields("NoBadge").SetValue("1001");
    EXPECT_EQ(ErrorOf([&] { staff.Update(); }), Refused);
}

} // namespace
} // namespace database::testing
