// Two connections on one file: a record set's update goes through only while the columns it
// writes still hold what it read.
#include "AdoFixture.h"
#include "platform/vb/Convert.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>
#include <vector>

namespace {

using ado::testing::Raised;
using ado::testing::TempDatabase;

void Exec(ado::Connection& c, const std::string& sql)
{
    ASSERT_EQ(sqlite3_exec(c.Handle(), sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
}

// The value of T.V of row 1 as SQLite stores it, type and text.
std::string Stored(ado::Connection& c)
{
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(c.Handle(), "SELECT typeof(V) || ':' || quote(V) FROM T WHERE Id = 1", -1,
                       &stmt, nullptr);
    sqlite3_step(stmt);
    std::string out = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    sqlite3_finalize(stmt);
    return out;
}

struct Case
{
    const char* name;
    const char* declared;
    const char* stored;   // SQL literal of the value read
    const char* other;    // what the other connection writes meanwhile
    vb::Variant written;  // what the record set writes
    vb::Variant written2; // its second save, before any requery
};

std::vector<Case> Cases()
{
    const std::vector<uint8_t> bytes{1, 2, 0, 3};
    return {
        {"Long", "LONG", "239", "238", vb::Variant(251), vb::Variant(252)},
        {"LongHoldingAReal", "LONG", "3.5", "3", vb::Variant(4), vb::Variant(5)},
        {"Integer", "SMALLINT", "3", "2", vb::Variant(int16_t{4}), vb::Variant(int16_t{5})},
        {"Double", "DOUBLE", "0.1", "0.2", vb::Variant(0.3), vb::Variant(0.4)},
        {"DoubleHoldingALargeInteger", "NUMERIC", "9007199254740993", "1", vb::Variant(2.0),
         vb::Variant(3.0)},
        {"Single", "SINGLE", "0.1", "0.2", vb::Variant(0.5f), vb::Variant(0.25f)},
        {"Currency", "CURRENCY", "12.5", "12.25", vb::Variant(vb::Currency::FromScaled(130000)),
         vb::Variant(vb::Currency::FromScaled(123456))},
        {"CurrencyFromAComputation", "CURRENCY", "13.58016", "13.5802",
         vb::Variant(vb::Currency::FromScaled(10000)), vb::Variant(vb::Currency::FromScaled(1))},
        {"YesNoStoredAsOne", "YESNO", "1", "-1", vb::Variant(false), vb::Variant(true)},
        {"Date", "DATETIME", "'2024-05-12 08:30:00'", "'2024-05-12 08:30:01'",
         vb::Variant(vb::Date{45000.5}), vb::Variant(vb::Date{45001})},
        {"DateWithoutTime", "DATETIME", "'2024-05-12'", "'2024-05-13'",
         vb::Variant(vb::Date{45000}), vb::Variant(vb::Date{45001})},
        {"DateAsANumber", "DATETIME", "45000.25", "45000.5", vb::Variant(vb::Date{45000}),
         vb::Variant(vb::Date{45001})},
        {"Text", "TEXT(20)", "'GANTS'", "'Gants'", vb::Variant(std::string("BOTTES")),
         vb::Variant(std::string("bottes"))},
        {"TextHoldingBytes", "TEXT(20)", "X'4142'", "'AB'", vb::Variant(std::string("XY")),
         vb::Variant(std::string("CD"))},
        {"Null", "TEXT(20)", "NULL", "''", vb::Variant(std::string("X")), vb::Variant::Null()},
        {"Blob", "LONGBINARY", "X'01020003'", "X'01020004'", vb::Variant(bytes),
         vb::Variant(std::vector<uint8_t>{9})},
        {"BlobHoldingText", "LONGBINARY", "'abc'", "'abd'", vb::Variant(bytes),
         vb::Variant(std::vector<uint8_t>{})},
    };
}

class Conflict : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        mine = db.Open();
        other = db.Open();
        Exec(mine, std::string("CREATE TABLE T (Id INTEGER PRIMARY KEY, V ") + GetParam().declared +
                       ", W TEXT(20))");
        Exec(mine, std::string("INSERT INTO T VALUES (1, ") + GetParam().stored + ", 'w')");
        rs.SetClientCursor(ado::adLockOptimistic);
        rs.Open("SELECT * FROM T", mine);
    }

    TempDatabase db;
    ado::Connection mine;
    ado::Connection other;
    ado::Recordset rs;
};

TEST_P(Conflict, AnUnchangedRowIsSavedAgainAndAgain)
{
    rs["V"] = GetParam().written;
    rs.Update();
    const std::string first = Stored(other);
    // Its second save, as read back after the first one: not refused for its own write.
    rs["V"] = GetParam().written2;
    rs.Update();
    EXPECT_NE(Stored(other), first);
    rs["W"] = "x";
    rs.Update();
}

TEST_P(Conflict, AStaleWriteIsRefusedAndChangesNothing)
{
    Exec(other, std::string("UPDATE T SET V = ") + GetParam().other + " WHERE Id = 1");
    const std::string theirs = Stored(other);
    rs["V"] = GetParam().written;
    const auto [number, description] = Raised([&] { rs.Update(); });
    EXPECT_EQ(number, ado::ErrRowChanged);
    EXPECT_NE(description, "");
    EXPECT_EQ(Stored(other), theirs);
    // The edit stays, to be cancelled or saved after a requery.
    EXPECT_EQ(rs.EditMode(), ado::adEditInProgress);
    rs.CancelUpdate();
    rs.Requery();
    rs["V"] = GetParam().written;
    rs.Update();
    EXPECT_NE(Stored(other), theirs);
}

TEST_P(Conflict, AnotherColumnChangedMeanwhileDoesNotRefuse)
{
    Exec(other, "UPDATE T SET W = 'theirs' WHERE Id = 1");
    rs["V"] = GetParam().written;
    rs.Update();
    rs.Requery();
    EXPECT_EQ(vb::CStr(rs["W"].Value()), "theirs");
}

INSTANTIATE_TEST_SUITE_P(EveryColumnKind, Conflict, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConflictRow, ARowRemovedMeanwhileIsRefused)
{
    TempDatabase db;
    ado::Connection mine = db.Open();
    ado::Connection other = db.Open();
    Exec(mine, "CREATE TABLE T (Id INTEGER PRIMARY KEY, V LONG)");
    Exec(mine, "INSERT INTO T VALUES (1, 5)");
    ado::Recordset rs;
    rs.SetClientCursor(ado::adLockOptimistic);
    rs.Open("T", mine);
    Exec(other, "DELETE FROM T");
    rs["V"] = 6;
    EXPECT_EQ(Raised([&] { rs.Update(); }).first, ado::ErrRowChanged);
}

} // namespace
