// The record set's column storage: values that do not fit their column's type, edits, added and
// deleted rows, bytes, declared sizes, and Find, Filter and Sort on each type of column.

#include "AdoFixture.h"
#include "platform/vb/Convert.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using ado::testing::ErrorOf;
using ado::testing::TempDatabase;

class StorageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        c = db.Open();
        c.Execute("CREATE TABLE Stock (Id LONG PRIMARY KEY, Nom TEXT(5), Qte LONG, Prix CURRENCY, "
                  "Jour DATETIME, Actif YESNO, Petit SMALLINT, Taux DOUBLE, Note MEMO)");
        c.Execute("INSERT INTO Stock VALUES "
                  "(1, 'bb', 10, 2.5, '2024-05-12 00:00:00', -1, 3, 0.5, 'x'), "
                  "(2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL), "
                  "(3, 'A', 'douze', 7, 'demain', 'oui', 70000, 'moitié', 'y'), "
                  "(4, 'é', -4, 12, 45000.25, 0, -2, 1e10, 'z')");
    }

    ado::Recordset Open(const std::string& source)
    {
        ado::Recordset rs;
        rs.SetCursorLocation(ado::adUseClient);
        rs.Open(source, c, ado::adOpenDynamic, ado::adLockOptimistic);
        return rs;
    }

    static std::vector<long> Ids(ado::Recordset& rs)
    {
        std::vector<long> ids;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
            ids.push_back(vb::CLng(rs["Id"].Value()));
        }
        return ids;
    }

    TempDatabase db;
    ado::Connection c;
};

// A value SQLite kept in a column of another type reads as it was stored, beside the typed
// values, and a typed value written over it replaces it.
TEST_F(StorageTest, ValuesOutsideTheirColumnsTypeReadAsStored)
{
    ado::Recordset rs = Open("Stock order by Id");
    rs.Move(2); // Id 3
    struct Case
    {
        const char* field;
        vb::Variant expected;
        vb::VarType type;
    };
    const Case cases[] = {{"Qte", "douze", vb::VarType::String},
                          {"Jour", "demain", vb::VarType::String},
                          {"Actif", "oui", vb::VarType::String},
                          {"Petit", int32_t{70000}, vb::VarType::Long},
                          {"Taux", "moitié", vb::VarType::String},
                          {"Prix", vb::Currency::FromText("7"), vb::VarType::Currency}};
    for (const Case& k : cases) {
        const vb::Variant v = rs[k.field].Value();
        EXPECT_EQ(v.Type(), k.type) << k.field;
        EXPECT_TRUE(v == k.expected) << k.field;
    }
    rs.MoveNext(); // Id 4: a date stored as its serial
    EXPECT_EQ(rs["Jour"].Value().DateValue(), vb::Date::FromParts(2023, 3, 15, 6));
    EXPECT_FALSE(rs["Actif"].Value().BooleanValue());

    rs.MovePrevious();
    rs["Qte"] = int32_t{12};
    rs["Jour"] = vb::Date::FromParts(2024, 1, 2);
    rs.Update();
    EXPECT_EQ(rs["Qte"].Value().Type(), vb::VarType::Long);
    EXPECT_EQ(rs["Jour"].Value().DateValue(), vb::Date::FromParts(2024, 1, 2));
    rs.Requery();
    rs.Find("Id = 3");
    EXPECT_EQ(rs["Qte"].Value().LongValue(), 12);

    // Find and Sort take the mixed column as a whole: nulls first, numbers before texts.
    c.Execute("UPDATE Stock SET Qte = 'douze' WHERE Id = 3");
    rs.Requery();
    rs.SetSort("Qte");
    EXPECT_EQ(Ids(rs), (std::vector<long>{2, 4, 1, 3}));
    rs.Find("Qte = 10", 0, ado::adSearchBackward, ado::adBookmarkLast); // passes the text
    EXPECT_EQ(vb::CLng(rs["Id"].Value()), 1);
    rs.SetFilter("Qte like 'DOU*'");
    EXPECT_EQ(Ids(rs), (std::vector<long>{3}));
}

TEST_F(StorageTest, FindFilterAndSortOnEachColumnType)
{
    c.Execute("DELETE FROM Stock WHERE Id = 3");
    ado::Recordset rs = Open("Stock order by Id");
    struct Case
    {
        const char* sort;
        std::vector<long> ids;
    };
    const Case sorts[] = {{"Qte", {2, 4, 1}},        {"Prix DESC", {4, 1, 2}},
                          {"Jour", {2, 4, 1}},       {"Actif", {2, 1, 4}},
                          {"Petit DESC", {1, 4, 2}}, {"Taux", {2, 1, 4}},
                          {"Nom", {2, 1, 4}},        {"Actif DESC, Id DESC", {4, 1, 2}}};
    for (const Case& k : sorts) {
        rs.SetSort(k.sort);
        EXPECT_EQ(Ids(rs), k.ids) << k.sort;
    }
    rs.SetSort("");

    struct FilterCase
    {
        const char* filter;
        std::vector<long> ids;
    };
    const FilterCase filters[] = {{"Qte < 0", {4}},
                                  {"Qte <> 10", {4}},
                                  {"Qte = Null", {2}},
                                  {"Prix >= 2.5", {1, 4}},
                                  {"Prix = 12", {4}},
                                  {"Jour < #1/1/2024#", {4}},
                                  {"Actif = True", {1}},
                                  {"Actif = 0", {4}},
                                  {"Petit > -3", {1, 4}},
                                  {"Taux > 1", {4}},
                                  {"Nom like 'B*'", {1}},
                                  {"Nom = 'É'", {4}},
                                  {"Nom is not null AND (Qte > 0 OR Prix > 10)", {1, 4}},
                                  {"Qte like '1*'", {1}}};
    for (const FilterCase& k : filters) {
        rs.SetFilter(k.filter);
        EXPECT_EQ(Ids(rs), k.ids) << k.filter;
    }
    rs.SetFilter("");

    rs.Find("Qte = 10", 0, ado::adSearchBackward, ado::adBookmarkLast);
    EXPECT_EQ(vb::CLng(rs["Id"].Value()), 1);
    rs.Find("Qte > -100", 1, ado::adSearchForward, ado::adBookmarkFirst);
    EXPECT_EQ(vb::CLng(rs["Id"].Value()), 4); // row 2 is Null: never greater
    rs.Find("Qte = 99", 0, ado::adSearchForward, ado::adBookmarkFirst);
    EXPECT_TRUE(rs.Eof());
    // A value of the wrong kind for the column is refused, as before the typed storage.
    EXPECT_EQ(ErrorOf([&] { rs.Find("Qte = 'abc'", 0, ado::adSearchForward, 1); }), 3001);
    EXPECT_EQ(ErrorOf([&] { rs.Find("Jour = 'abc'", 0, ado::adSearchForward, 1); }), 3001);
}

// Added rows go at the end of the columns, a cancelled one leaves no trace, deleted rows stay
// out of every new view, and texts rewritten longer or shorter read back whole.
TEST_F(StorageTest, EditsAddedAndDeletedRows)
{
    ado::Recordset rs = Open("Stock order by Id");
    rs["Nom"] = "abcde";
    rs.MoveNext();
    rs.MoveFirst();
    EXPECT_EQ(rs["Nom"].Value().StringValue(), "abcde");
    rs["Nom"] = "z";
    rs.Update();
    EXPECT_EQ(rs["Nom"].Value().StringValue(), "z");

    rs.AddNew();
    rs["Id"] = int32_t{9};
    rs["Nom"] = "neuf";
    rs.Update();
    rs.AddNew();
    rs["Id"] = int32_t{10};
    rs.CancelUpdate();
    EXPECT_EQ(rs.RecordCount(), 5);
    rs.MoveLast();
    EXPECT_EQ(rs["Nom"].Value().StringValue(), "neuf");

    rs.MoveFirst();
    rs.Delete();
    rs.SetSort("Id DESC");
    rs.SetFilter("Id < 5");
    EXPECT_EQ(Ids(rs), (std::vector<long>{4, 3, 2}));
    EXPECT_EQ(rs.ValueAt(3, 0).LongValue(), 2);
}

// OLE Object columns (LONGBINARY) hold bytes, zeros included, written and read through a
// record set.
TEST_F(StorageTest, PictureBytesInALongBinaryColumn)
{
    c.Execute("CREATE TABLE Images (Id LONG PRIMARY KEY, Picture LONGBINARY)");
    ado::Recordset rs = Open("Images");
    EXPECT_EQ(rs["Picture"].Type(), ado::adLongVarBinary);
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 0x00, 0xD9};
    rs.AddNew();
    rs["Id"] = int32_t{1};
    rs["Picture"] = vb::Variant(jpeg);
    rs.Update();
    rs.AddNew();
    rs["Id"] = int32_t{2};
    rs["Picture"] = vb::Variant(std::vector<uint8_t>{});
    rs.Update();
    EXPECT_EQ(ErrorOf([&] { rs["Picture"] = int32_t{5}; }), static_cast<int32_t>(0x80040E21));

    ado::Recordset again = Open("Images order by Id");
    EXPECT_EQ(again["Picture"].Value().BytesValue(), jpeg);
    again.MoveNext();
    EXPECT_EQ(again["Picture"].Value().Type(), vb::VarType::Bytes);
    EXPECT_TRUE(again["Picture"].Value().BytesValue().empty());
    EXPECT_EQ(ErrorOf([&] { vb::CStr(again["Picture"].Value()); }), vb::ErrTypeMismatch);
}

// A text longer than its column's declared size is refused; the size counts characters.
TEST_F(StorageTest, DeclaredTextSizesAreEnforced)
{
    ado::Recordset rs = Open("Stock order by Id");
    EXPECT_EQ(ErrorOf([&] { rs["Nom"] = "abcdef"; }), static_cast<int32_t>(0x80040E21));
    EXPECT_EQ(ErrorOf([&] { rs["Nom"] = "éééééé"; }), static_cast<int32_t>(0x80040E21));
    rs["Nom"] = "ééééé";
    rs["Note"] = std::string(300, 'n'); // a memo has no size to keep to
    rs.Update();
    ado::Recordset again = Open("Stock order by Id");
    EXPECT_EQ(again["Nom"].Value().StringValue(), "ééééé");
    EXPECT_EQ(again["Note"].Value().StringValue().size(), 300u);
}

// Filters nested past any sane depth are refused at once, without the recursion (and time)
// of parsing them; a parenthesis inside a double-quoted value is part of the value.
TEST_F(StorageTest, FilterDepthAndQuotedParentheses)
{
    ado::Recordset rs = Open("Stock order by Id");
    const int depth = 20000;
    const std::string deep = std::string(depth, '(') + "Id = 1" + std::string(depth, ')');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ErrorOf([&] { rs.SetFilter(deep); }), 3001);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(rs.RecordCount(), 4);

    rs.SetFilter(std::string(50, '(') + "Id = 1" + std::string(50, ')'));
    EXPECT_EQ(Ids(rs), (std::vector<long>{1}));
    c.Execute("UPDATE Stock SET Nom = 'x)' WHERE Id = 2");
    rs.Requery();
    rs.SetFilter("(Nom = \"x)\") OR (Nom = 'A')");
    EXPECT_EQ(Ids(rs), (std::vector<long>{2, 3}));
}

// Impossible dates are refused, in criteria and in statements.
TEST_F(StorageTest, ImpossibleDateLiteralsAreRefused)
{
    ado::Recordset rs = Open("Stock order by Id");
    for (const char* date : {"#2/30/2024#", "#1/2/99999#", "#1/1/-5#", "#13/13/2024#"}) {
        EXPECT_EQ(
            ErrorOf([&] { rs.Find(std::string("Jour = ") + date, 0, ado::adSearchForward, 1); }),
            3001)
            << date;
        EXPECT_EQ(ErrorOf([&] {
                      c.Execute(std::string("UPDATE Stock SET Jour = ") + date + " WHERE Id = 1");
                  }),
                  vb::ErrDatabaseRefused)
            << date;
    }
    c.Execute("UPDATE Stock SET Jour = #2/29/2024# WHERE Id = 1");
    rs.Requery();
    EXPECT_EQ(rs["Jour"].Value().DateValue(), vb::Date::FromParts(2024, 2, 29));
}

} // namespace
