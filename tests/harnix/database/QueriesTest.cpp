// The stored queries of zad.MDB, the column types the windows rely on, and the
// numbers the database gives new rows.

#include "DatabaseFixture.h"

#include <gtest/gtest.h>

namespace database::testing {
namespace {

using Strings = std::vector<std::string>;

TEST(StockGlobal, ListsEveryArticleWithItsQuantities)
{
    ZadFixture fixture;
    ado::Recordset rs = OpenRecordset(fixture.Connection(), "StockGlobal");
    EXPECT_EQ(Column(rs, "Reference"), (Strings{"1000", "1001", "1002"}));

    struct Expected
    {
        const char* column;
        Strings values; // for 1000, 1001 and the new article 1002
    };
    const Expected expected[] = {
        {"NomFamille", {"GANTS", "CHAUSSURES", "Null"}},
        {"Taille", {"8", "42", "Null"}},
        {"Societe", {"GANTERIE DE L'EST", "CHAUSSEUR DU SUD", "Null"}},
        {"Ville", {"NANCY", "NICE", "Null"}},
        {"CodeArticle", {"1", "2", "Null"}},
        {"QteEnStock", {"10", "3", "Null"}},
        {"QteEnMachine", {"2", "1", "0"}},
        {"QteGlobal", {"12", "4", "0"}},
        {"ValeurStock", {"15", "120", "Null"}},
        {"StockAlert", {"5", "2", "Null"}},
    };
    for (const Expected& e : expected) {
        Strings values;
        for (const char* reference : {"1000", "1001", "1002"}) {
            values.push_back(ValueWhere(rs, "Reference", reference, e.column));
        }
        EXPECT_EQ(values, e.values) << e.column;
    }
    // The unit price keeps the article's exact currency value.
    rs.MoveFirst();
    EXPECT_EQ(rs.Fields("PrixAchatUnit").Type(), ado::adCurrency);
    EXPECT_EQ(rs.Fields("PrixAchatUnit").Value().CurrencyValue().Scaled(), 15000);
}

TEST(StockGlobal, FollowsTheMachinesAndANewArticle)
{
    ZadFixture fixture;
    ado::Connection& cn = fixture.Connection();
    ado::Recordset rs = OpenRecordset(cn, "StockGlobal");
    cn.Execute("UPDATE EmplacementsMachine1 SET Reference = 1000 WHERE NoEmpl = 3");
    // The article window creates an article with its number and date only.
    ado::Recordset articles = OpenRecordset(cn, "ArticleEnStock order by Reference asc");
    articles.AddNew();
    articles.Fields("Reference").SetValue(int32_t{1003});
    articles.Fields("DateCreation").SetValue("10/12/2024");
    articles.Update();
    rs.Requery();
    EXPECT_EQ(ValueWhere(rs, "Reference", "1000", "QteEnMachine"), "3");
    EXPECT_EQ(ValueWhere(rs, "Reference", "1000", "QteGlobal"), "13");
    EXPECT_EQ(ValueWhere(rs, "Reference", "1003", "QteGlobal"), "0");
}

TEST(Stock, ListsEveryArticleForTheCounter)
{
    ZadFixture fixture;
    ado::Recordset rs = OpenRecordset(fixture.Connection(), "Stock order by Reference");
    EXPECT_EQ(Column(rs, "Reference"), (Strings{"1000", "1001", "1002"}));
    EXPECT_EQ(ValueWhere(rs, "Reference", "1001", "Taille"), "42");
    EXPECT_EQ(ValueWhere(rs, "Reference", "1001", "Famille"), "3");
    EXPECT_EQ(ValueWhere(rs, "Reference", "1001", "CodeFournisseur"), "F2");
    EXPECT_EQ(ValueWhere(rs, "Reference", "1000", "NomFamille"), "GANTS");
    EXPECT_EQ(ValueWhere(rs, "Reference", "1002", "Societe"), "Null");
}

TEST(GrUtilisateur, ListsEmployeesWithoutSiteProfileOrSizes)
{
    ZadFixture fixture;
    ado::Recordset rs = OpenRecordset(fixture.Connection(), "GrUtilisateur");
    EXPECT_EQ(Column(rs, "NoBadge"), (Strings{"1000", "1001", "1002"}));
    struct Expected
    {
        const char* column;
        Strings values; // for 1000, 1001 and 1002
    };
    const Expected expected[] = {
        {"NOM", {"MARTIN", "DURAND", "DUPONT"}},
        {"NoSite", {"1", "1", "Null"}},
        {"NomSite", {"LYON", "LYON", "Null"}},
        {"NoService", {"2", "1", "Null"}},
        {"NomService", {"ATELIER", "MAINTENANCE", "Null"}},
        {"Quota", {"1", "1", "Null"}},
        {"Profile", {"PRODUCTION", "PRODUCTION", "Null"}},
        {"TailleCh", {"42", "Null", "Null"}},
        {"TailleM", {"8", "Null", "Null"}},
        {"OrdreM", {"1", "Null", "Null"}},
        {"MachineAutorise", {"1", "Null", "Null"}},
    };
    for (const Expected& e : expected) {
        Strings values;
        for (const char* badge : {"1000", "1001", "1002"}) {
            values.push_back(ValueWhere(rs, "NoBadge", badge, e.column));
        }
        EXPECT_EQ(values, e.values) << e.column;
    }
}

// The employee register adds, edits and renumbers employees through the query.
TEST(GrUtilisateur, WritesTheEmployeesTable)
{
    ZadFixture fixture;
    ado::Connection& cn = fixture.Connection();
    ado::Recordset rs = OpenRecordset(cn, "GrUtilisateur");
    rs.Find("[NoBadge] like '1002'");
    ASSERT_FALSE(rs.Eof());
    rs.Fields("Nom").SetValue("DUPONT-MOREL");
    rs.Fields("Site").SetValue(int32_t{2});
    rs.Fields("Service").SetValue(int32_t{3});
    rs.Fields("Quota").SetValue(int32_t{2});
    rs.Fields("TailleChaussure").SetValue(int32_t{4});
    rs.Update();

    rs.AddNew();
    rs.Fields("NoBadge").SetValue("1003");
    rs.Fields("TailleChaussure").SetValue(vb::Variant::Null());
    rs.Update();

    rs.MoveFirst();
    rs.Find("[NoBadge] like '1001'");
    ASSERT_FALSE(rs.Eof());
    rs.Fields("NoBadge").SetValue("2001");
    rs.Update();

    ado::Recordset staff = OpenRecordset(cn, "Utilisateurs");
    EXPECT_EQ(Column(staff, "NoBadge"), (Strings{"1000", "2001", "1002", "1003"}));
    EXPECT_EQ(ValueWhere(staff, "NoBadge", "1002", "Nom"), "DUPONT-MOREL");
    EXPECT_EQ(ValueWhere(staff, "NoBadge", "2001", "Nom"), "DURAND");
    rs.Requery();
    EXPECT_EQ(ValueWhere(rs, "NoBadge", "1002", "NomSite"), "NANTES");
    EXPECT_EQ(ValueWhere(rs, "NoBadge", "1002", "Profile"), "BUREAU");
    EXPECT_EQ(ValueWhere(rs, "NoBadge", "1002", "TailleCh"), "41");
    EXPECT_EQ(ValueWhere(rs, "NoBadge", "1003", "NomSite"), "Null");
}

TEST(Columns, HaveTheTypesTheWindowsRead)
{
    ZadFixture fixture;
    struct Case
    {
        const char* source;
        const char* column;
        ado::DataType type;
    };
    const Case cases[] = {
        {"ArticleEnStock", "Reference", ado::adInteger},
        {"ArticleEnStock", "PrixAchatGlobal", ado::adCurrency},
        {"ArticleEnStock", "Prix", ado::adDouble},
        {"ArticleEnStock", "DateCreation", ado::adDate},
        {"ArticleEnStock", "Designation", ado::adVarWChar},
        {"Ventes", "TypeMouvement", ado::adSmallInt},
        {"Ventes", "Total", ado::adCurrency},
        {"Ventes", "LaDate", ado::adDate},
        {"DetailVente", "Profile", ado::adVarWChar},
        {"CA", "PrixAchatUnit", ado::adCurrency},
        {"GrUtilisateur", "Quota", ado::adInteger},
        {"GrUtilisateur", "NoBadge", ado::adVarWChar},
    };
    for (const Case& c : cases) {
        ado::Recordset rs = OpenRecordset(fixture.Connection(), c.source);
        EXPECT_EQ(rs.Fields(c.column).Type(), c.type) << c.source << "." << c.column;
    }
    TempFolder folder;
    CreateMainten(folder.File("MAINTEN.MDB"));
    ado::Connection mainten = Open(folder.File("MAINTEN.MDB"), "");
    ado::Recordset errors = OpenRecordset(mainten, "Erreurs");
    EXPECT_EQ(errors.Fields("DateErreur").Type(), ado::adDate);
    EXPECT_EQ(errors.Fields("Erreur").Type(), ado::adVarWChar);
}

// Keys that the database gives: the writers read them back from the saved row.
TEST(NewRows, GetTheirNumbersFromTheDatabase)
{
    ZadFixture fixture;
    ado::Connection& cn = fixture.Connection();

    ado::Recordset headers = OpenRecordset(cn, "Ventes order by NumVente");
    headers.AddNew();
    headers.Fields("LaDate").SetValue("10/12/2024 08:15:00");
    headers.Fields("Utilisateur").SetValue("1000");
    headers.Fields("TypeMouvement").SetValue(int16_t{3});
    headers.Fields("Total").SetValue(vb::Currency::FromText("1.5"));
    headers.Update();
    EXPECT_EQ(Text(headers.Fields("NumVente").Value()), "4");

    // A supplier is made in two steps, so that its number can copy its autonumber.
    ado::Recordset suppliers = OpenRecordset(cn, "Fournisseur");
    suppliers.AddNew({"No"}, {vb::Variant(int32_t{0})});
    const vb::Variant nauto = suppliers.Fields("Nauto").Value();
    EXPECT_EQ(Text(nauto), "3");
    suppliers.Fields("No").SetValue(nauto);
    suppliers.Update();

    ado::Recordset sites = OpenRecordset(cn, "Sites");
    sites.AddNew();
    sites.Fields("NomSite").SetValue("PARIS");
    sites.Update();
    EXPECT_EQ(Text(sites.Fields("NoSite").Value()), "3");

    ado::Recordset profiles = OpenRecordset(cn, "ProfileQuota");
    profiles.AddNew();
    profiles.Fields("Profile").SetValue("-");
    profiles.Update();
    EXPECT_EQ(Text(profiles.Fields("NoQuota").Value()), "3");

    ado::Recordset lines = OpenRecordset(cn, "select * from Quota where NoQota=3");
    lines.AddNew();
    lines.Fields("NoQota").SetValue(int32_t{3});
    lines.Fields("RefArticle").SetValue(int32_t{1000});
    lines.Update();
    EXPECT_EQ(Text(lines.Fields("NoLigne").Value()), "5");

    ado::Recordset check = OpenRecordset(cn, "Fournisseur");
    EXPECT_EQ(ValueWhere(check, "Nauto", "3", "No"), "3");
}

} // namespace
} // namespace database::testing
