#include "AdoFixture.h"
#include "platform/ado/Command.h"
#include "platform/vb/Convert.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>
#include <vector>

namespace {

using ado::testing::ErrorOf;
using ado::testing::TempDatabase;

class RecordsetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        c = db.Open();
        c.Execute("CREATE TABLE Articles (Reference LONG PRIMARY KEY, Designation TEXT(40), "
                  "Prix CURRENCY, DateCreation DATETIME, Actif YESNO, TypeMvt SMALLINT, "
                  "CodeBar TEXT(20) UNIQUE)");
        c.Execute("INSERT INTO Articles (Reference, Designation, Prix, DateCreation, Actif, "
                  "TypeMvt, CodeBar) VALUES "
                  "(1000, 'GANTS', 12.5, '2024-05-12 00:00:00', -1, 3, '301'), "
                  "(1001, 'écran', 0.1, '2024-05-13 08:30:00', 0, 1, '302'), "
                  "(1002, 'Chaussures', 45, '2024-04-01 00:00:00', -1, 3, '303'), "
                  "(1003, 'ECHARPE', 3.3333, NULL, 0, 2, NULL), "
                  "(1004, 'O''Brien', 1, '2024-06-01 00:00:00', -1, 3, '305')");
    }

    ado::Recordset Open(const std::string& source, long lock = ado::adLockOptimistic)
    {
        ado::Recordset rs;
        rs.SetCursorLocation(ado::adUseClient);
        rs.Open(source, c, ado::adOpenDynamic, lock);
        return rs;
    }

    static long Ref(const ado::Recordset& rs) { return vb::CLng(rs["Reference"].Value()); }

    TempDatabase db;
    ado::Connection c;
};

TEST_F(RecordsetTest, ReadsValuesByDeclaredType)
{
    ado::Recordset rs = Open("Articles order by Reference");
    ASSERT_EQ(rs.RecordCount(), 5);
    EXPECT_EQ(rs.Fields().Count(), 7); // the rowid the recordset reads is not a field
    EXPECT_EQ(rs.Fields("designation").Name(), "Designation");
    EXPECT_EQ(rs.Fields(1L).Name(), "Designation");
    EXPECT_EQ(rs["Designation"].DefinedSize(), 40);
    EXPECT_EQ(ErrorOf([&] { rs.Fields("Absent"); }), 3265);

    struct Case
    {
        const char* field;
        ado::DataType type;
        vb::VarType varType;
    };
    const Case cases[] = {{"Reference", ado::adInteger, vb::VarType::Long},
                          {"Designation", ado::adVarWChar, vb::VarType::String},
                          {"Prix", ado::adCurrency, vb::VarType::Currency},
                          {"DateCreation", ado::adDate, vb::VarType::Date},
                          {"Actif", ado::adBoolean, vb::VarType::Boolean},
                          {"TypeMvt", ado::adSmallInt, vb::VarType::Integer}};
    for (const Case& k : cases) {
        EXPECT_EQ(rs[k.field].Type(), k.type) << k.field;
        EXPECT_EQ(rs[k.field].Value().Type(), k.varType) << k.field;
    }
    EXPECT_EQ(rs["Prix"].Value().CurrencyValue(), vb::Currency::FromText("12.5"));
    EXPECT_EQ(rs["DateCreation"].Value().DateValue(), vb::Date::FromParts(2024, 5, 12));
    EXPECT_TRUE(rs["Actif"].Value().BooleanValue());
    rs.Move(3);
    EXPECT_TRUE(rs["DateCreation"].Value().IsNull());
    EXPECT_EQ(rs["Prix"].Value().CurrencyValue(), vb::Currency::FromText("3.3333"));
}

// Stored numbers no amount or date can hold are read as the numbers they are.
TEST_F(RecordsetTest, NumbersOutsideAmountsAndDatesAreReadAsNumbers)
{
    c.Execute("UPDATE Articles SET Prix = 9223372036854775807, DateCreation = 1e300 "
              "WHERE Reference = 1000");
    c.Execute("UPDATE Articles SET Prix = 922337203685477, DateCreation = 2958465.5 "
              "WHERE Reference = 1001");
    ado::Recordset rs = Open("Articles order by Reference");
    EXPECT_EQ(rs["Prix"].Value().Type(), vb::VarType::Double);
    EXPECT_DOUBLE_EQ(vb::CDbl(rs["Prix"].Value()), 9223372036854775807.0);
    EXPECT_EQ(rs["DateCreation"].Value().Type(), vb::VarType::Double);
    EXPECT_DOUBLE_EQ(vb::CDbl(rs["DateCreation"].Value()), 1e300);
    rs.MoveNext();
    EXPECT_EQ(rs["Prix"].Value().CurrencyValue(), vb::Currency::FromText("922337203685477"));
    EXPECT_EQ(rs["DateCreation"].Value().DateValue(), vb::Date::FromParts(9999, 12, 31, 12));
}

TEST_F(RecordsetTest, MovesPositionsAndNoCurrentRecord)
{
    ado::Recordset rs = Open("Articles order by Reference");
    EXPECT_FALSE(rs.Bof());
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    rs.MoveLast();
    EXPECT_EQ(Ref(rs), 1004);
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.AbsolutePosition(), ado::adPosEOF);
    EXPECT_EQ(ErrorOf([&] { rs["Reference"].Value(); }), vb::ErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs.MoveNext(); }), vb::ErrNoCurrentRecord);
    rs.MoveFirst();
    rs.MovePrevious();
    EXPECT_TRUE(rs.Bof());
    EXPECT_EQ(rs.AbsolutePosition(), ado::adPosBOF);
    EXPECT_EQ(ErrorOf([&] { rs.MovePrevious(); }), vb::ErrNoCurrentRecord);
    rs.SetAbsolutePosition(3);
    EXPECT_EQ(Ref(rs), 1002);
    rs.Move(-1);
    EXPECT_EQ(Ref(rs), 1001);
    rs.Move(2, ado::adBookmarkFirst);
    EXPECT_EQ(Ref(rs), 1002);
    rs.Move(10);
    EXPECT_TRUE(rs.Eof());

    ado::Recordset empty = Open("Articles where Reference < 0");
    EXPECT_TRUE(empty.Bof());
    EXPECT_TRUE(empty.Eof());
    EXPECT_EQ(empty.RecordCount(), 0);
    EXPECT_EQ(empty.AbsolutePosition(), ado::adPosUnknown);
    empty.MoveFirst();
    EXPECT_TRUE(empty.Eof());
    rs.Close();
    EXPECT_EQ(rs.State(), ado::adStateClosed);
    EXPECT_EQ(ErrorOf([&] { rs.MoveFirst(); }), 3704);
}

TEST_F(RecordsetTest, FindCriteria)
{
    ado::Recordset rs = Open("Articles order by Reference");
    struct Case
    {
        const char* criteria;
        long skip;
        long direction;
        long start;
        long expected; // Reference found, 0 for EOF, -1 for BOF
    };
    const Case cases[] = {
        {"[Reference]=1002", 0, ado::adSearchForward, ado::adBookmarkFirst, 1002},
        {"Reference = 1000", 1, ado::adSearchForward, ado::adBookmarkFirst, 0},
        {"[Designation] like 'CH*'", 0, ado::adSearchForward, ado::adBookmarkFirst, 1002},
        {"[Designation]like 'ech%'", 0, ado::adSearchForward, ado::adBookmarkFirst, 1003},
        {"Designation = 'ÉCRAN'", 0, ado::adSearchForward, ado::adBookmarkFirst, 1001},
        {"Designation = 'ecran'", 0, ado::adSearchForward, ado::adBookmarkFirst, 0},
        {"Designation = 'O''Brien'", 0, ado::adSearchForward, ado::adBookmarkFirst, 1004},
        {"Prix > 10", 0, ado::adSearchForward, ado::adBookmarkFirst, 1000},
        {"Prix > 10", 1, ado::adSearchForward, ado::adBookmarkFirst, 1002},
        {"Prix <= 1", 0, ado::adSearchBackward, ado::adBookmarkLast, 1004},
        {"Prix < 1", 0, ado::adSearchBackward, ado::adBookmarkLast, 1001},
        {"Prix <> 12.5", 0, ado::adSearchForward, ado::adBookmarkFirst, 1001},
        {"DateCreation >= #5/13/2024#", 0, ado::adSearchForward, ado::adBookmarkFirst, 1001},
        {"(DateCreation)>=13/05/2024", 0, ado::adSearchForward, ado::adBookmarkFirst, 1001},
        {"DateCreation < #1/1/2000#", 0, ado::adSearchBackward, ado::adBookmarkLast, -1},
        {"CodeBar = Null", 0, ado::adSearchForward, ado::adBookmarkFirst, 1003},
        {"Actif = False", 0, ado::adSearchForward, ado::adBookmarkFirst, 1001},
        {"CodeBar like '30*'", 2, ado::adSearchForward, ado::adBookmarkFirst, 1002},
    };
    for (const Case& k : cases) {
        rs.Find(k.criteria, k.skip, k.direction, k.start);
        const long found = rs.Eof() ? 0 : rs.Bof() ? -1 : Ref(rs);
        EXPECT_EQ(found, k.expected) << k.criteria;
    }
    // From the current row onwards only.
    rs.Find("Reference = 1003", 0, ado::adSearchForward, ado::adBookmarkFirst);
    rs.Find("Reference = 1001");
    EXPECT_TRUE(rs.Eof());
    // A start bookmark.
    rs.MoveFirst();
    const ado::Bookmark second = [&] {
        rs.MoveNext();
        return rs.GetBookmark();
    }();
    rs.MoveLast();
    rs.Find("Actif = True", 0, ado::adSearchForward, second);
    EXPECT_EQ(Ref(rs), 1002);
    EXPECT_EQ(ErrorOf([&] { rs.Find("Reference 1000"); }), 3001);
    EXPECT_EQ(ErrorOf([&] { rs.Find("Inconnu = 1"); }), 3265);
    EXPECT_EQ(ErrorOf([&] { rs.Find("Prix = 'abc'"); }), 3001);
}

TEST_F(RecordsetTest, SortInFrenchOrderStaysInForce)
{
    ado::Recordset rs = Open("Articles");
    rs.SetSort("Designation");
    std::vector<std::string> names;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        names.push_back(vb::CStr(rs["Designation"].Value()));
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"Chaussures", "ECHARPE", "écran", "GANTS", "O'Brien"}));
    rs.MoveFirst();
    rs.SetSort("Actif DESC, [Prix] ASC");
    EXPECT_EQ(Ref(rs), 1002); // the current row stays current
    rs.MoveFirst();
    EXPECT_EQ(Ref(rs), 1001); // Yes is -1: No comes first in descending order
    // An update that changes the sorted field moves the row to its new place.
    rs.SetSort("Designation DESC");
    rs.MoveFirst();
    rs["Designation"] = vb::Variant("AAA");
    rs.Update();
    EXPECT_EQ(vb::CStr(rs["Designation"].Value()), "AAA");
    EXPECT_EQ(rs.AbsolutePosition(), 5);
    rs.Requery();
    EXPECT_EQ(rs.Sort(), "Designation DESC");
    rs.MoveLast();
    EXPECT_EQ(vb::CStr(rs["Designation"].Value()), "AAA");
    rs.SetSort("");
    rs.MoveFirst();
    EXPECT_EQ(Ref(rs), 1000);
}

TEST_F(RecordsetTest, FilterAndBookmarks)
{
    ado::Recordset rs = Open("Articles order by Reference");
    rs.SetFilter("Actif = True AND (Prix > 20 OR Designation like 'g*')");
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(Ref(rs), 1000);
    rs.MoveNext();
    EXPECT_EQ(Ref(rs), 1002);
    EXPECT_EQ(ErrorOf([&] { rs.SetFilter("Inconnu = 1"); }), 3265);
    EXPECT_EQ(rs.RecordCount(), 2); // the filter in force stays
    // Also when the rows refuse it: a number is no date.
    EXPECT_EQ(ErrorOf([&] { rs.SetFilter("DateCreation >= 1224"); }), 3001);
    EXPECT_EQ(rs.RecordCount(), 2);
    rs.SetSort("Designation");
    rs.MoveFirst();
    EXPECT_EQ(Ref(rs), 1002);
    rs.SetSort("");
    rs.SetFilter("");
    EXPECT_EQ(rs.RecordCount(), 5);

    rs.SetAbsolutePosition(4);
    const ado::Bookmark mark = rs.GetBookmark();
    // Another connection inserts a row before it; the bookmark still finds the same row.
    ado::Connection other = db.Open();
    other.Execute("INSERT INTO Articles (Reference, Designation) VALUES (999, 'AVANT')");
    rs.Requery();
    EXPECT_EQ(Ref(rs), 999);
    rs.SetBookmark(mark);
    EXPECT_EQ(Ref(rs), 1003);
    EXPECT_EQ(rs.AbsolutePosition(), 5);
    other.Execute("DELETE FROM Articles WHERE Reference = 1003");
    rs.Requery();
    EXPECT_EQ(ErrorOf([&] { rs.SetBookmark(mark); }), 3001);
}

TEST_F(RecordsetTest, AddNewUpdateDeleteWriteAtOnce)
{
    c.Execute("CREATE TABLE Ventes (NumVente COUNTER, Utilisateur TEXT(20), LaDate DATETIME, "
              "TypeMouvement SMALLINT, Total CURRENCY)");
    ado::Command command;
    command.SetActiveConnection(c);
    command.SetCommandText("Ventes order by NumVente");
    ado::Recordset rs;
    rs.SetCursorLocation(ado::adUseClient);
    rs.SetCursorType(ado::adOpenDynamic);
    rs.SetLockType(ado::adLockOptimistic);
    rs.Open(command);
    rs.AddNew();
    EXPECT_EQ(rs.EditMode(), ado::adEditAdd);
    rs["Utilisateur"] = vb::Variant("1000");
    rs["LaDate"] = vb::Variant("12/05/2024 14:30:00"); // text read day first
    rs["TypeMouvement"] = vb::Variant(int16_t(3));
    rs["Total"] = vb::Variant(vb::Currency::FromText("12.3456"));
    rs.Update();
    // The autonumber shows on the row at once.
    EXPECT_EQ(vb::CLng(rs["NumVente"].Value()), 1);
    EXPECT_EQ(rs["LaDate"].Value().DateValue(), vb::Date::FromParts(2024, 5, 12, 14, 30));
    rs.AddNew({"Utilisateur", "Total"}, {vb::Variant("1001"), vb::Variant(7.5)});
    EXPECT_EQ(vb::CLng(rs["NumVente"].Value()), 2);
    // Assigning one field to another copies its value.
    ado::Recordset copy = Open("Ventes order by NumVente");
    copy.AddNew();
    for (long i = 1; i < rs.Fields().Count(); ++i) {
        copy.Fields(rs.Fields(i).Name()) = rs.Fields(i);
    }
    copy.Update();
    EXPECT_EQ(vb::CLng(copy["NumVente"].Value()), 3);
    EXPECT_EQ(vb::CStr(copy["Utilisateur"].Value()), "1001");
    copy.Delete();
    EXPECT_EQ(rs.RecordCount(), 2);

    // Stored forms: ISO text dates, exact currency.
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(c.Handle(),
                       "SELECT LaDate, typeof(Total), Total FROM Ventes WHERE NumVente = 1", -1,
                       &raw, nullptr);
    ASSERT_EQ(sqlite3_step(raw), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)), "2024-05-12 14:30:00");
    EXPECT_DOUBLE_EQ(sqlite3_column_double(raw, 2), 12.3456);
    sqlite3_finalize(raw);

    // An edit is saved when the row is left, and CancelUpdate drops one.
    rs.MoveFirst();
    rs["Utilisateur"] = vb::Variant("2000");
    EXPECT_EQ(rs.Status(), ado::adRecModified);
    rs.MoveNext();
    rs["Utilisateur"] = vb::Variant("3000");
    rs.CancelUpdate();
    EXPECT_EQ(vb::CStr(rs["Utilisateur"].Value()), "1001");
    rs.AddNew();
    rs.CancelUpdate();
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(vb::CLng(rs["NumVente"].Value()), 2);

    // A type that cannot be converted is refused at the assignment.
    EXPECT_EQ(ErrorOf([&] { rs["LaDate"] = vb::Variant("pas une date"); }),
              static_cast<int32_t>(0x80040E21));

    // A changed command text runs at the next Requery; another connection sees the rows.
    command.SetCommandText("Ventes where Utilisateur = '2000'");
    rs.Requery();
    ASSERT_EQ(rs.RecordCount(), 1);
    rs.Delete();
    EXPECT_EQ(rs.Status(), ado::adRecDeleted);
    EXPECT_EQ(ErrorOf([&] { rs["Utilisateur"].Value(); }), vb::ErrNoCurrentRecord);
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    ado::Connection other = db.Open();
    ado::Recordset check;
    check.Open("Ventes", other);
    ASSERT_EQ(check.RecordCount(), 1);
    EXPECT_EQ(vb::CStr(check["Utilisateur"].Value()), "1001");
    // Read-only recordsets refuse writes.
    EXPECT_EQ(ErrorOf([&] { check["Utilisateur"] = vb::Variant("x"); }), 3251);
    EXPECT_EQ(ErrorOf([&] { check.AddNew(); }), 3251);
}

TEST_F(RecordsetTest, RefusedUpdateKeepsTheEditPending)
{
    ado::Recordset rs = Open("Articles order by Reference");
    rs.MoveNext();
    rs["CodeBar"] = vb::Variant("301");
    EXPECT_EQ(ErrorOf([&] { rs.Update(); }), vb::ErrDatabaseRefused);
    EXPECT_EQ(rs.EditMode(), ado::adEditInProgress);
    rs.CancelUpdate();
    EXPECT_EQ(vb::CStr(rs["CodeBar"].Value()), "302");
    rs.AddNew();
    rs["Reference"] = vb::Variant(1000);
    EXPECT_EQ(ErrorOf([&] { rs.Update(); }), vb::ErrDatabaseRefused);
    rs.CancelUpdate();
    EXPECT_EQ(rs.RecordCount(), 5);
    EXPECT_EQ(Ref(rs), 1001);
}

TEST_F(RecordsetTest, WritesThroughAViewThatJoinsTables)
{
    c.Execute("CREATE TABLE Sites (NoSite COUNTER, NomSite TEXT(50))");
    c.Execute("CREATE TABLE Utilisateurs (NoBadge TEXT(20) PRIMARY KEY, Nom TEXT(50), Site LONG "
              "REFERENCES Sites(NoSite), TailleMain LONG)");
    c.Execute("INSERT INTO Sites (NomSite) VALUES ('Lyon'), ('Paris')");
    c.Execute(
        "INSERT INTO Utilisateurs VALUES ('1000', 'DUPONT', 1, NULL), ('1001', 'MARTIN', 2, NULL)");
    ado::DefineView(c, "GrUtilisateur",
                    "SELECT Utilisateurs.*, Sites.NoSite, Sites.NomSite FROM Utilisateurs LEFT "
                    "JOIN Sites ON Utilisateurs.Site = Sites.NoSite");
    ado::Recordset rs = Open("GrUtilisateur order by Nom");
    EXPECT_EQ(rs["Nom"].BaseTable(), "Utilisateurs");
    EXPECT_EQ(rs["NomSite"].BaseTable(), "Sites");
    rs.Find("[NoBadge] like '1001'", 0, ado::adSearchForward, ado::adBookmarkFirst);
    rs["Nom"] = vb::Variant("MARTINEZ");
    rs["Site"] = vb::Variant(1);
    rs.Update();
    rs.AddNew();
    rs["NoBadge"] = vb::Variant("1002");
    rs["Nom"] = vb::Variant("ZOLA");
    rs["TailleMain"] = vb::Variant::Null();
    rs.Update();
    const ado::Bookmark added = rs.GetBookmark();
    rs.Requery();
    rs.SetBookmark(added);
    EXPECT_EQ(vb::CStr(rs["Nom"].Value()), "ZOLA");
    rs.Find("NoBadge = '1001'", 0, ado::adSearchForward, ado::adBookmarkFirst);
    EXPECT_EQ(vb::CStr(rs["Nom"].Value()), "MARTINEZ");
    EXPECT_EQ(vb::CStr(rs["NomSite"].Value()), "Lyon");
    // A change to two tables that one of them refuses leaves both as they were.
    c.Execute("CREATE UNIQUE INDEX SitesNom ON Sites (NomSite)");
    rs["Nom"] = vb::Variant("X");
    rs["NomSite"] = vb::Variant("paris");
    EXPECT_EQ(ErrorOf([&] { rs.Update(); }), vb::ErrDatabaseRefused);
    rs.CancelUpdate();
    rs.Requery();
    rs.Find("NoBadge = '1001'");
    EXPECT_EQ(vb::CStr(rs["Nom"].Value()), "MARTINEZ");
    EXPECT_EQ(vb::CStr(rs["NomSite"].Value()), "Lyon");
    // A computed column cannot be written.
    ado::DefineView(c, "Noms", "SELECT NoBadge, Nom & '!' AS Cri FROM Utilisateurs");
    ado::Recordset computed = Open("Noms");
    EXPECT_EQ(ErrorOf([&] { computed["Cri"] = vb::Variant("x"); }),
              static_cast<int32_t>(0x80040E21));
    // A relation refuses a site that does not exist.
    rs["Site"] = vb::Variant(99);
    EXPECT_EQ(ErrorOf([&] { rs.Update(); }), vb::ErrDatabaseRefused);
    rs.CancelUpdate();
}

// Rows written with a list of names, one name standing for another column from one row to the
// next: a plain name is always the first column of that name.
TEST_F(RecordsetTest, NamesOfAWriteFindTheirColumnsEachTime)
{
    c.Execute("CREATE TABLE Sites (NoSite LONG PRIMARY KEY, Nom TEXT(50))");
    c.Execute("CREATE TABLE Salaries (NoBadge TEXT(20) PRIMARY KEY, Nom TEXT(50), Site LONG)");
    c.Execute("INSERT INTO Sites VALUES (1, 'Lyon')");
    c.Execute("INSERT INTO Salaries VALUES ('1000', 'DUPONT', 1)");
    ado::Recordset rs = Open("SELECT Salaries.NoBadge, Salaries.Nom, Sites.NoSite, Sites.Nom "
                             "FROM Salaries INNER JOIN Sites ON Salaries.Site = Sites.NoSite");
    rs.Update({"Sites.Nom"}, {vb::Variant("Nantes")});
    rs.Update({"Nom"}, {vb::Variant("DURAND")});
    rs.Update({"nom"}, {vb::Variant("MARTIN")});
    rs.Update({"Nom", "Sites.Nom"}, {vb::Variant("ZOLA"), vb::Variant("Paris")});
    rs.Update({"Sites.Nom", "Nom"}, {vb::Variant("Lille"), vb::Variant("HUGO")});
    ado::Recordset check = Open("SELECT Salaries.Nom AS Salarie, Sites.Nom AS Site FROM "
                                "Salaries, Sites");
    EXPECT_EQ(vb::CStr(check["Salarie"].Value()), "HUGO");
    EXPECT_EQ(vb::CStr(check["Site"].Value()), "Lille");
}

TEST_F(RecordsetTest, TablesWithoutKeyAreWrittenByRowAndByValues)
{
    c.Execute("CREATE TABLE ConfigMachines (NoMachine LONG, Etage LONG, Designation TEXT(50))");
    c.Execute("INSERT INTO ConfigMachines VALUES (1, 1, 'A'), (1, 2, 'B'), (2, 1, 'A')");
    // Opened by name: the row is found by its rowid.
    ado::Recordset byName = Open("ConfigMachines where NoMachine = 1 order by Etage");
    byName.MoveLast();
    byName["Designation"] = vb::Variant("B2");
    byName.Update();
    // Opened by a statement: the row is found by its values.
    ado::Recordset byStatement = Open("select * from ConfigMachines where [NoMachine]=2");
    byStatement["Designation"] = vb::Variant::Null();
    byStatement.Update();
    byStatement.Delete();
    ado::Recordset check = Open("select Designation from ConfigMachines order by NoMachine, Etage");
    std::vector<std::string> values;
    for (; !check.Eof(); check.MoveNext()) {
        values.push_back(vb::CStr(check["Designation"].Value()));
    }
    EXPECT_EQ(values, (std::vector<std::string>{"A", "B2"}));
}

// Every value of every row, with its type, as the recordset shows it.
std::vector<std::string> Shown(ado::Recordset& rs)
{
    std::vector<std::string> shown;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        for (long i = 0; i < rs.Fields().Count(); ++i) {
            const vb::Variant v = rs.Fields(i).Value();
            shown.push_back(v.IsNull()
                                ? "Null"
                                : std::to_string(static_cast<int>(v.Type())) + ":" + vb::CStr(v));
        }
    }
    return shown;
}

// Written rows show what the table stored, as a recordset opened afterwards reads them:
// autonumbers, defaults, what triggers and generated columns wrote, values the column's type
// changed; a trigger created between two writes shows at the next one.
TEST_F(RecordsetTest, WrittenRowsShowWhatTheTableStores)
{
    ASSERT_EQ(sqlite3_exec(c.Handle(),
                           "CREATE TABLE Lignes (No INTEGER PRIMARY KEY AUTOINCREMENT, Quantite "
                           "LONG DEFAULT 1, Note MEMO, Prix CURRENCY, LaDate DATETIME, Libelle "
                           "TEXT(20), Poids DOUBLE);"
                           "CREATE TABLE Calcul (No INTEGER PRIMARY KEY, A LONG, B LONG "
                           "GENERATED ALWAYS AS (A * 2))",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    ado::Recordset rs = Open("Lignes");
    rs.AddNew({"Libelle"}, {vb::Variant("a")});
    EXPECT_EQ(vb::CLng(rs["No"].Value()), 1);
    EXPECT_EQ(vb::CLng(rs["Quantite"].Value()), 1);
    rs.AddNew({"Quantite", "Poids"}, {vb::Variant::Null(), vb::Variant(0.1)});
    EXPECT_TRUE(rs["Quantite"].Value().IsNull());
    rs.AddNew({"No", "Note"}, {vb::Variant(10), vb::Variant("1e3")});
    rs.AddNew({"LaDate", "Prix"}, {vb::Variant(vb::Date{45000.123456789}),
                                   vb::Variant(vb::Currency::FromText("123456789012345.6789"))});
    rs.AddNew({"No", "Prix"}, {vb::Variant::Null(), vb::Variant(vb::Currency::FromText("2.5"))});
    EXPECT_EQ(vb::CLng(rs["No"].Value()), 12);
    ASSERT_EQ(sqlite3_exec(c.Handle(),
                           "CREATE TRIGGER Majuscules AFTER INSERT ON Lignes BEGIN UPDATE Lignes "
                           "SET Libelle = upper(Libelle) WHERE No = new.No; END;"
                           "CREATE TRIGGER MajusculesMaj AFTER UPDATE OF Libelle ON Lignes BEGIN "
                           "UPDATE Lignes SET Libelle = upper(Libelle) WHERE No = new.No; END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    rs.AddNew({"Libelle"}, {vb::Variant("b")});
    EXPECT_EQ(vb::CStr(rs["Libelle"].Value()), "B");
    rs.MoveFirst();
    rs.Update({"Libelle"}, {vb::Variant("c")});
    EXPECT_EQ(vb::CStr(rs["Libelle"].Value()), "C");
    // The row's key changed: it is still found for the next writes.
    rs.MoveNext();
    rs.Update({"No", "Poids"}, {vb::Variant(20), vb::Variant(2.0)});
    rs.Update({"Poids"}, {vb::Variant(3.0)});
    rs.MoveNext();
    rs.Delete();
    rs.MoveNext();
    rs.Delete();
    rs.SetSort("No");
    ado::Recordset again = Open("Lignes order by No");
    EXPECT_EQ(Shown(rs), Shown(again));

    ado::Recordset calcul = Open("Calcul");
    calcul.AddNew({"A"}, {vb::Variant(21)});
    EXPECT_EQ(vb::CLng(calcul["B"].Value()), 42);
    calcul.Update({"A"}, {vb::Variant(5)});
    EXPECT_EQ(vb::CLng(calcul["B"].Value()), 10);
    ado::Recordset calculAgain = Open("Calcul");
    EXPECT_EQ(Shown(calcul), Shown(calculAgain));
}

TEST_F(RecordsetTest, MoveNotificationsLetBoundControlsWriteFirst)
{
    ado::Recordset rs = Open("Articles order by Reference");
    std::vector<std::string> log;
    rs.OnWillMove([&](ado::EventReason reason) {
        log.push_back("will " + std::to_string(reason));
        if (reason == ado::adRsnMoveNext && !rs.Eof()) {
            rs["Designation"] = vb::Variant(vb::CStr(rs["Designation"].Value()) + "+");
        }
    });
    const int complete = rs.OnMoveComplete(
        [&](ado::EventReason reason) { log.push_back("done " + std::to_string(reason)); });
    rs.MoveNext();
    rs.Find("Reference = 1000", 0, ado::adSearchForward, ado::adBookmarkFirst);
    EXPECT_EQ(vb::CStr(rs["Designation"].Value()), "GANTS+");
    rs.RemoveHandler(complete);
    rs.Requery();
    EXPECT_EQ(log,
              (std::vector<std::string>{"will 13", "done 13", "will 10", "done 10", "will 7"}));

    // Update asks the bound controls for their edits before it saves.
    rs.OnWillUpdate([&](ado::EventReason) { rs["Designation"] = vb::Variant("SAISI"); });
    rs.Update();
    ado::Recordset check = Open("Articles where Reference = 1000");
    EXPECT_EQ(vb::CStr(check["Designation"].Value()), "SAISI");
}

TEST_F(RecordsetTest, GridsReadRowsWithoutMoving)
{
    ado::Recordset rs = Open("Articles order by Reference");
    int moves = 0;
    rs.OnMoveComplete([&](ado::EventReason) { ++moves; });
    rs.SetSort("Designation");
    rs.MoveFirst();
    rs["Designation"] = vb::Variant("AAA");
    const long designation = 1;
    EXPECT_EQ(vb::CStr(rs.ValueAt(1, designation)), "AAA"); // the edit in progress
    EXPECT_EQ(vb::CStr(rs.ValueAt(2, designation)), "ECHARPE");
    EXPECT_EQ(vb::CStr(rs.ValueAt(5, designation)), "O'Brien");
    EXPECT_EQ(ErrorOf([&] { rs.ValueAt(6, designation); }), vb::ErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs.ValueAt(1, 42); }), 3265);
    EXPECT_EQ(moves, 2);
    EXPECT_EQ(rs.AbsolutePosition(), 1);
}

} // namespace
