// The statements and command texts that the windows send on the tables of
// zad.MDB, run as they stand against the schema and the fixture's rows.

#include "DatabaseFixture.h"

#include "harnix/magasin/AlertesStock.h"
#include "harnix/magasin/CalculDotation.h"
#include "platform/vb/DateTime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace database::testing {
namespace {

using Strings = std::vector<std::string>;

// Profile lines with their article and size; the condition is "=n" or "IS NULL".
std::string ProfileDetail(const std::string& select, const std::string& condition)
{
    return select +
           "      Quota.RefArticle,  ArticleEnStock.Designation, ArticleEnStock.CodeArticle,  "
           "Quota.QtePermise,  Quota.Periodicite,  Quota.NoQota,  Quota.NoLigne,"
           "  Tailles.NoTaille ,  Tailles.Taille, Tailles.NoFamille, Tailles.Ordre"
           " FROM          (ArticleEnStock LEFT OUTER JOIN"
           "  Tailles ON  ArticleEnStock.Taille =  Tailles.NoTaille) RIGHT OUTER JOIN"
           "  Quota ON  ArticleEnStock.Reference =  Quota.RefArticle"
           " Where  ( Quota.NoQota " +
           condition + ")";
}

std::string MovementLines(long number)
{
    return "SELECT DISTINCT  DetailVente.NumVente , DetailVente.Reference,  "
           "DetailVente.Designation, DetailVente.PrixAchatUnit,  DetailVente.Quantite FROM  "
           "DetailVente INNER JOIN  Ventes ON  DetailVente.NumVente =  Ventes.NumVente GROUP BY  "
           "DetailVente.NumVente,  DetailVente.Designation, DetailVente.PrixAchatUnit, "
           "DetailVente.Reference,  DetailVente.Quantite HAVING ( DetailVente.NumVente = " +
           std::to_string(number) + ")";
}

// The movement lines of a period, for the consumption reports.
std::string PeriodLines(const std::string& start, const std::string& end)
{
    return "SELECT  Format([Ventes.LaDate],\"mmmm\") AS NomMois,  Ventes.TypeMouvement,  "
           "Ventes.LaDate,  Ventes.Utilisateur,  Ventes.Nom,"
           "   Ventes.Prenom,  DetailVente.Reference,  DetailVente.Designation,  "
           "DetailVente.Quantite,  DetailVente.NomFamille,"
           "   DetailVente.NomSite,  DetailVente.NomService,  DetailVente.Profile,  "
           "DetailVente.CodeFournisseur,  DetailVente.Societe,"
           "   DetailVente.PrixAchatUnit"
           " FROM          Ventes INNER JOIN"
           "    DetailVente ON  Ventes.NumVente =  DetailVente.NumVente"
           " GROUP BY  Ventes.TypeMouvement,  Ventes.LaDate,  Ventes.Utilisateur,  Ventes.Nom,  "
           "Ventes.Prenom,  DetailVente.Reference,"
           "     DetailVente.Designation,  DetailVente.Quantite,  DetailVente.NomFamille,  "
           "DetailVente.NomSite,  DetailVente.NomService,"
           "   DetailVente.Profile ,  DetailVente.CodeFournisseur,  DetailVente.Societe,  "
           "DetailVente.PrixAchatUnit"
           " HAVING      ( Ventes.LaDate > CDate(\"" +
           start + " 00:00:00\")) AND ( Ventes.LaDate < CDate(\"" + end + " 23:59:59\"));";
}

// The movement lines of one employee over a period, with the article's size.
std::string EmployeeLines(const std::string& start, const std::string& end,
                          const std::string& badge)
{
    return "SELECT Format([Ventes.LaDate],\"mmmm\") AS NomMois,  Ventes.TypeMouvement,  "
           "Ventes.LaDate,  Ventes.Utilisateur,  Ventes.Nom,"
           "   Ventes.Prenom,  DetailVente.Reference,  DetailVente.Designation,  "
           "DetailVente.Quantite,   UCASE(DetailVente.NomFamille) AS NomFamille,"
           "   DetailVente.NomSite,  DetailVente.NomService,  DetailVente.Profile,  "
           "DetailVente.CodeFournisseur,  DetailVente.Societe,"
           "   DetailVente.PrixAchatUnit, Tailles.Taille "
           " FROM          ((Ventes INNER JOIN DetailVente ON Ventes.NumVente = "
           "DetailVente.NumVente) LEFT JOIN ArticleEnStock ON DetailVente.Reference = "
           "ArticleEnStock.Reference) LEFT JOIN Tailles ON ArticleEnStock.Taille = "
           "Tailles.NoTaille "
           " GROUP BY  Ventes.TypeMouvement,  Ventes.LaDate,  Ventes.Utilisateur,  Ventes.Nom,  "
           "Ventes.Prenom,  DetailVente.Reference,"
           "     DetailVente.Designation,  DetailVente.Quantite,  DetailVente.NomFamille,  "
           "DetailVente.NomSite,  DetailVente.NomService,"
           "   DetailVente.Profile ,  DetailVente.CodeFournisseur,  DetailVente.Societe,  "
           "DetailVente.PrixAchatUnit, Tailles.Taille "
           " HAVING      ( Ventes.LaDate > CDate(\"" +
           start + " 00:00:00\")) AND ( Ventes.LaDate < CDate(\"" + end +
           " 23:59:59\")) AND (Ventes.Utilisateur = \"" + badge + "\");";
}

struct Statement
{
    std::string what;
    std::string text;       // opened as a recordset's source
    std::string column;     // the column checked
    Strings values;         // its values, in the recordset's order unless unordered
    bool unordered = false; // the statement sets no order
    Strings prepare = {};   // statements executed first
};

void PrintTo(const Statement& s, std::ostream* os)
{
    *os << s.what;
}

class Statements : public ::testing::TestWithParam<Statement>
{
};

TEST_P(Statements, GiveTheRowsTheWindowsExpect)
{
    ZadFixture fixture;
    const Statement& s = GetParam();
    for (const std::string& sql : s.prepare) {
        fixture.Connection().Execute(sql);
    }
    ado::Recordset rs = OpenRecordset(fixture.Connection(), s.text);
    Strings values = Column(rs, s.column);
    Strings expected = s.values;
    if (s.unordered) {
        std::sort(values.begin(), values.end());
        std::sort(expected.begin(), expected.end());
    }
    EXPECT_EQ(values, expected) << s.text;
}

const std::string Site1 = " HAVING      ( Utilisateurs.Site =1)";

INSTANTIATE_TEST_SUITE_P(
    Zad, Statements,
    ::testing::Values(
        Statement{"machines_in_table_order", "select * from Machines", "NoMachine", {"1", "2"}},
        Statement{"machine_list",
                  "select * from Machines order by NoMachine",
                  "Location",
                  {"Atelier", "Magasin"}},
        Statement{"movement_headers", "Ventes order by NumVente", "NumVente", {"1", "2", "3"}},
        Statement{"issue_history", "Ventes Order by NumVente Desc", "NumVente", {"3", "2", "1"}},
        Statement{"lines_of_a_movement", MovementLines(2), "Reference", {"1000", "1001"}, true},
        Statement{"free_codes", "CodeArticle where (Reference Is Null)", "CodeArticle", {"3", "4"}},
        Statement{"articles_for_a_new_number",
                  "ArticleEnStock order by Reference asc",
                  "Reference",
                  {"1000", "1001", "1002"}},
        Statement{"articles_for_the_counter",
                  "ArticleEnStock order by Reference",
                  "Reference",
                  {"1000", "1001", "1002"}},
        Statement{"employees_by_name",
                  "GrUtilisateur order by Nom",
                  "Nom",
                  {"DUPONT", "DURAND", "MARTIN"}},
        Statement{
            "stock_by_number", "Stock order by Reference", "Reference", {"1000", "1001", "1002"}},
        Statement{"stock_by_supplier_reference",
                  "Stock order by RefFournisseur",
                  "RefFournisseur",
                  {"Null", "C42", "G8"}},
        Statement{"sizes_of_a_family",
                  "Tailles where NoFamille=3 order by Ordre",
                  "Taille",
                  {"41", "42"}},
        Statement{"sizes_without_family",
                  "Tailles where NoFamille IS NULL order by Ordre",
                  "Taille",
                  {"XL"}},
        Statement{"size_test_in_a_family",
                  "SELECT   TOP 100 PERCENT NoTaille, Taille, Ordre, NoFamille From Tailles Where "
                  "(NoFamille =3) ORDER BY Ordre",
                  "Taille",
                  {"41", "42"}},
        Statement{"size_test_without_family",
                  "SELECT   TOP 100 PERCENT NoTaille, Taille, Ordre, NoFamille From Tailles Where "
                  "(NoFamille IS NULL) ORDER BY Ordre",
                  "Taille",
                  {"XL"}},
        Statement{"services_of_a_site",
                  "Services where Site=1",
                  "NomService",
                  {"MAINTENANCE", "ATELIER"}},
        Statement{"services_of_a_site_by_name",
                  "Services where Site=1 order by NomService",
                  "NomService",
                  {"ATELIER", "MAINTENANCE"}},
        Statement{"services_without_site",
                  "Services where Site IS NULL order by NomService",
                  "NomService",
                  {"VOLANTE"}},
        Statement{
            "services_of_the_planners_site", "Services where site =2", "NomService", {"ATELIER"}},
        Statement{"profiles_by_name",
                  "ProfileQuota order by Profile",
                  "Profile",
                  {"BUREAU", "PRODUCTION"}},
        Statement{"lines_of_a_profile",
                  "select * from Quota where NoQota=1",
                  "RefArticle",
                  {"1000", "1001", "9999"}},
        Statement{"profile_detail",
                  ProfileDetail(" SELECT", "=1"),
                  "RefArticle",
                  {"1000", "1001", "9999"},
                  true},
        Statement{"profile_detail_sizes",
                  ProfileDetail(" SELECT", "=1"),
                  "Taille",
                  {"8", "42", "Null"},
                  true},
        Statement{"profile_detail_without_profile",
                  ProfileDetail(" SELECT", "IS NULL"),
                  "RefArticle",
                  {}},
        Statement{
            "profile_window_lines", ProfileDetail("SELECT    ", "=2"), "Designation", {"Null"}},
        Statement{"period_lines",
                  PeriodLines("01/03/2024", "31/03/2024"),
                  "Reference",
                  {"1000", "1000", "1001"},
                  true},
        Statement{"period_lines_month_name",
                  PeriodLines("01/03/2024", "31/03/2024"),
                  "NomMois",
                  {"mars", "mars", "mars"}},
        Statement{"period_lines_leave_out_midnight_of_the_first_day",
                  PeriodLines("02/04/2024", "30/04/2024"),
                  "Reference",
                  {}},
        Statement{"employee_lines_sizes",
                  EmployeeLines("01/03/2024", "31/03/2024", "1000"),
                  "Taille",
                  {"8", "8", "42"},
                  true},
        Statement{"employee_lines_families",
                  EmployeeLines("01/03/2024", "31/03/2024", "1000"),
                  "NomFamille",
                  {"GANTS", "GANTS", "CHAUSSURES"},
                  true},
        Statement{"employee_lines_of_another_employee",
                  EmployeeLines("01/03/2024", "31/03/2024", "1002"),
                  "Reference",
                  {}},
        Statement{"consumption_work_table",
                  "select * from CA order by CA.Reference",
                  "Designation",
                  {"A", "B"},
                  false,
                  {"INSERT INTO CA (Reference, Designation) VALUES (1001, 'B')",
                   "INSERT INTO CA (Reference, Designation) VALUES (1000, 'A')"}},
        Statement{"consumption_work_table_emptied",
                  "CA",
                  "Reference",
                  {},
                  false,
                  {"INSERT INTO CA (Reference) VALUES (1001)", "DELETE  FROM CA"}},
        Statement{
            "alert_summary",
            "SELECT     Reference, SUM(Total) AS GrTotal From Consomations GROUP BY Reference",
            "GrTotal",
            {"1", "3"},
            true,
            {AlertesStock::TexteVue(vb::DateSerial(2024, 3, 1), vb::DateSerial(2024, 3, 31))}},
        Statement{"units_per_shelf",
                  "SELECT  TOP 100 PERCENT Etage, COUNT(Reference) AS CompteDeReference From  "
                  "EmplacementsMachine1 where (NoMachine = 1)  GROUP BY Etage ORDER BY Etage",
                  "CompteDeReference",
                  {"2", "1"}},
        Statement{"allocation_by_site",
                  CalculDotation::RequeteCalcul(30, Site1),
                  "RefArticle",
                  {"1000", "1000", "1001", "1001"}},
        Statement{"allocation_site_through_the_service",
                  CalculDotation::RequeteCalcul(30, Site1),
                  "NomSite",
                  {"LYON", "LYON", "LYON", "LYON"}},
        Statement{"allocation_by_site_and_profile",
                  CalculDotation::RequeteCalcul(
                      30, " HAVING      ( Utilisateurs.Site =1) AND ( ProfileQuota.NoQuota =1)"),
                  "NoBadge",
                  {"1000", "1000", "1001", "1001"},
                  true},
        Statement{"allocation_by_site_and_another_profile",
                  CalculDotation::RequeteCalcul(
                      30, " HAVING      ( Utilisateurs.Site =1) AND ( ProfileQuota.NoQuota =2)"),
                  "NoBadge",
                  {}},
        Statement{"allocation_by_service_and_machine",
                  CalculDotation::RequeteCalcul(30, " HAVING       ( Utilisateurs.Service =2 AND "
                                                    "(Utilisateurs.MachineAutorise LIKE N'%1%'))"),
                  "NoBadge",
                  {"1000", "1000"}},
        Statement{"allocation_by_two_services",
                  CalculDotation::RequeteCalcul(
                      30, " HAVING       ( Utilisateurs.Service =1 OR  Utilisateurs.Service =2)"),
                  "NoBadge",
                  {"1000", "1000", "1001", "1001"},
                  true},
        Statement{"allocation_commit_by_site",
                  CalculDotation::RequeteEnregistrement(30, Site1),
                  "NoBadge",
                  {"1000", "1000", "1001", "1001"}},
        Statement{"allocation_commit_by_sites_and_services",
                  CalculDotation::RequeteEnregistrement(30,
                                                        " HAVING      ( Utilisateurs.Site =2) OR ( "
                                                        "Utilisateurs.Service =1)"),
                  "NoBadge",
                  {"1001", "1001"}},
        Statement{"allocation_commit_profile_names",
                  CalculDotation::RequeteEnregistrement(30, Site1),
                  "Profile",
                  {"PRODUCTION", "PRODUCTION", "PRODUCTION", "PRODUCTION"}}),
    [](const ::testing::TestParamInfo<Statement>& info) { return info.param.what; });

// The planned quantity is the allowance over the period, by real division.
TEST(AllocationStatements, ComputeTheQuantityOfThePeriod)
{
    ZadFixture fixture;
    for (const std::string& text : {CalculDotation::RequeteCalcul(90, Site1),
                                    CalculDotation::RequeteEnregistrement(90, Site1)}) {
        ado::Recordset rs = OpenRecordset(fixture.Connection(), text);
        ASSERT_EQ(rs.RecordCount(), 4) << text;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
            const double expected =
                Text(rs.Fields("RefArticle").Value()) == "1000" ? 12.0 * 90 / 30 : 1.0 * 90 / 180;
            EXPECT_DOUBLE_EQ(vb::CDbl(rs.Fields("Qte").Value()), expected);
            EXPECT_EQ(Text(rs.Fields("Quota").Value()),
                      Text(rs.Fields("RefArticle").Value()) == "1000" ? "12" : "1");
        }
    }
}

// The consumption reports copy every field of their query into CA by name.
TEST(ConsumptionStatements, FitTheWorkTable)
{
    ZadFixture fixture;
    ado::Connection& cn = fixture.Connection();
    for (const std::string& text : {PeriodLines("01/03/2024", "31/03/2024"),
                                    EmployeeLines("01/03/2024", "31/03/2024", "1000")}) {
        cn.Execute("DELETE  FROM CA");
        ado::Recordset lines = OpenRecordset(cn, text);
        ado::Recordset ca = OpenRecordset(cn, "CA");
        for (lines.MoveFirst(); !lines.Eof(); lines.MoveNext()) {
            ca.AddNew();
            for (long i = 0; i < lines.Fields().Count(); ++i) {
                const ado::Field field = lines.Fields(i);
                ca.Fields(field.Name()).SetValue(field.Value());
            }
            ca.Update();
        }
        ado::Recordset check = OpenRecordset(cn, "select * from CA order by CA.Reference");
        EXPECT_EQ(Column(check, "Reference"), (Strings{"1000", "1000", "1001"}));
        EXPECT_EQ(Column(check, "NomMois"), (Strings{"mars", "mars", "mars"}));
        check.MoveLast();
        EXPECT_EQ(check.Fields("PrixAchatUnit").Value().CurrencyValue().Scaled(), 400000);
        EXPECT_EQ(vb::CStr(check.Fields("LaDate").Value()), "20/03/2024 09:30:00");
    }
}

} // namespace
} // namespace database::testing
