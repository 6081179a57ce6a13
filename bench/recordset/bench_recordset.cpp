// Opening and scanning a recordset of 100 000 rows, and Find over it, each measured against a
// bare SQLite loop over the same rows in the same run.

#include "platform/ado/Catalogue.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int RowCount = 100000;

// One database file for the whole run.
class Database
{
public:
    Database()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "bench-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
        path_ = (folder_ / "zad.MDB").string();
        ado::CreateDatabaseFile(path_, "");
        connection_.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_);
        connection_.Execute("CREATE TABLE Articles (Reference LONG PRIMARY KEY, Designation "
                            "TEXT(50), PrixAchatUnit CURRENCY, QteEnStock LONG, DateCreation "
                            "DATETIME)");
        connection_.BeginTrans();
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(connection_.Handle(),
                           "INSERT INTO Articles VALUES (?1, ?2, ?3, ?4, '2024-05-12 10:00:00')",
                           -1, &insert, nullptr);
        for (int i = 0; i < RowCount; ++i) {
            const std::string name = "ARTICLE " + std::to_string(i);
            sqlite3_bind_int(insert, 1, 1000 + i);
            sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(insert, 3, (i % 997) * 0.25);
            sqlite3_bind_int(insert, 4, i % 50);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        connection_.CommitTrans();
    }
    ~Database()
    {
        connection_.Close();
        std::filesystem::remove_all(folder_);
    }
    ado::Connection& Connection() { return connection_; }
    sqlite3* Handle() { return connection_.Handle(); }

private:
    std::filesystem::path folder_;
    std::string path_;
    ado::Connection connection_;
};

Database& Db()
{
    static Database db;
    return db;
}

// The recordset: open on the table's name, read three fields of every row.
void RecordsetOpenScan(benchmark::State& state)
{
    for (auto _ : state) {
        ado::Recordset rs;
        rs.SetCursorLocation(ado::adUseClient);
        rs.Open("Articles", Db().Connection(), ado::adOpenDynamic, ado::adLockOptimistic);
        long total = 0;
        for (; !rs.Eof(); rs.MoveNext()) {
            total += rs["QteEnStock"].Value().LongValue();
            benchmark::DoNotOptimize(rs["Designation"].Value());
            benchmark::DoNotOptimize(rs["PrixAchatUnit"].Value());
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * RowCount);
}

// The baseline: the same rows and columns stepped through with SQLite alone.
void SqliteScan(benchmark::State& state)
{
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(Db().Handle(), "SELECT rowid, * FROM Articles", -1, &stmt, nullptr);
        long total = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            total += sqlite3_column_int(stmt, 4);
            std::string name(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2)));
            benchmark::DoNotOptimize(name);
            benchmark::DoNotOptimize(sqlite3_column_double(stmt, 3));
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * RowCount);
}

ado::Recordset& OpenRecordset()
{
    static ado::Recordset rs = [] {
        ado::Recordset r;
        r.Open("Articles", Db().Connection(), ado::adOpenDynamic, ado::adLockOptimistic);
        return r;
    }();
    return rs;
}

// Find from the first row for a number near the end, and for a text prefix near the end.
void RecordsetFindNumber(benchmark::State& state)
{
    ado::Recordset& rs = OpenRecordset();
    const std::string criteria = "[Reference]=" + std::to_string(1000 + RowCount - 10);
    for (auto _ : state) {
        rs.Find(criteria, 0, ado::adSearchForward, ado::adBookmarkFirst);
        benchmark::DoNotOptimize(rs.Eof());
    }
    state.SetItemsProcessed(state.iterations() * RowCount);
}

void RecordsetFindLike(benchmark::State& state)
{
    ado::Recordset& rs = OpenRecordset();
    const std::string criteria =
        "[Designation] like 'article " + std::to_string(RowCount - 10) + "*'";
    for (auto _ : state) {
        rs.Find(criteria, 0, ado::adSearchForward, ado::adBookmarkFirst);
        benchmark::DoNotOptimize(rs.Eof());
    }
    state.SetItemsProcessed(state.iterations() * RowCount);
}

// The baseline of both: stepping through the rows with SQLite until the value matches.
void SqliteFindNumber(benchmark::State& state)
{
    const int wanted = 1000 + RowCount - 10;
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(Db().Handle(), "SELECT Reference FROM Articles", -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_int(stmt, 0) != wanted) {
        }
        sqlite3_finalize(stmt);
    }
    state.SetItemsProcessed(state.iterations() * RowCount);
}

void SqliteFindLike(benchmark::State& state)
{
    const std::string prefix = "ARTICLE " + std::to_string(RowCount - 10);
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(Db().Handle(), "SELECT Designation FROM Articles", -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW &&
               sqlite3_strnicmp(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                                prefix.c_str(), static_cast<int>(prefix.size())) != 0) {
        }
        sqlite3_finalize(stmt);
    }
    state.SetItemsProcessed(state.iterations() * RowCount);
}

// Sorting the rows on a text field, as a grid's header click does, against SQLite ordering the
// same rows with the same collation.
void RecordsetSortText(benchmark::State& state)
{
    ado::Recordset& rs = OpenRecordset();
    for (auto _ : state) {
        rs.SetSort("Designation DESC");
        rs.SetSort("");
    }
    state.SetItemsProcessed(state.iterations() * RowCount);
}

void SqliteSortText(benchmark::State& state)
{
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(Db().Handle(),
                           "SELECT Designation FROM Articles ORDER BY Designation DESC", -1, &stmt,
                           nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
        }
        sqlite3_finalize(stmt);
    }
    state.SetItemsProcessed(state.iterations() * RowCount);
}

BENCHMARK(SqliteScan)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordsetOpenScan)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteFindNumber)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordsetFindNumber)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteFindLike)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordsetFindLike)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteSortText)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordsetSortText)->Unit(benchmark::kMillisecond);

} // namespace
