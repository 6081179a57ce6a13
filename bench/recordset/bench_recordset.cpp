// The recordset against plain baselines in the same run, at 100 000 and 1 000 000 rows:
// opening and scanning against a bare SQLite loop reading the same columns the recordset loads;
// Find against a plain C++ scan of the same values held in a std::vector; Sort against SQLite
// ordering the same rows; and the memory the rows take against their raw values.

#include "platform/ado/Catalogue.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <strings.h>
#include <vector>

namespace {

std::string Designation(long i)
{
    return "ARTICLE " + std::to_string(i);
}

// One database file per row count, for the whole run.
class Database
{
public:
    explicit Database(long rows) : rows_(rows)
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
        sqlite3_prepare_v2(connection_.Handle(), "INSERT INTO Articles VALUES (?1, ?2, ?3, ?4, ?5)",
                           -1, &insert, nullptr);
        for (long i = 0; i < rows; ++i) {
            const std::string name = Designation(i);
            // Dates of every day and time, as an article table holds them.
            char date[32];
            std::snprintf(date, sizeof date, "%04ld-%02ld-%02ld %02ld:%02ld:%02ld", 2000 + i % 25,
                          1 + i % 12, 1 + i % 28, i % 24, i % 60, (i / 60) % 60);
            sqlite3_bind_text(insert, 5, date, -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(insert, 1, 1000 + i);
            sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(insert, 3, static_cast<double>(i % 997) * 0.25);
            sqlite3_bind_int64(insert, 4, i % 50);
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
    long Rows() const { return rows_; }
    ado::Connection& Connection() { return connection_; }
    sqlite3* Handle() { return connection_.Handle(); }

private:
    long rows_;
    std::filesystem::path folder_;
    std::string path_;
    ado::Connection connection_;
};

Database& Db(long rows)
{
    static std::map<long, std::unique_ptr<Database>> databases;
    auto& db = databases[rows];
    if (!db) {
        db = std::make_unique<Database>(rows);
    }
    return *db;
}

ado::Recordset OpenArticles(Database& db)
{
    ado::Recordset rs;
    rs.SetCursorLocation(ado::adUseClient);
    rs.Open("Articles", db.Connection(), ado::adOpenDynamic, ado::adLockOptimistic);
    return rs;
}

// The baseline: the rows stepped through with SQLite alone, each column the recordset loads
// (the rowid and the five columns) read, texts copied out.
void SqliteScan(benchmark::State& state)
{
    Database& db = Db(state.range(0));
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db.Handle(), "SELECT rowid, * FROM Articles", -1, &stmt, nullptr);
        long total = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int64(stmt, 0));
            benchmark::DoNotOptimize(sqlite3_column_int(stmt, 1));
            std::string name(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2)));
            benchmark::DoNotOptimize(name);
            benchmark::DoNotOptimize(sqlite3_column_double(stmt, 3));
            total += sqlite3_column_int(stmt, 4);
            std::string date(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 5)));
            benchmark::DoNotOptimize(date);
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * db.Rows());
}

// The recordset: open on the table's name, read three fields of every row through Field
// objects taken once.
void RecordsetOpenScan(benchmark::State& state)
{
    Database& db = Db(state.range(0));
    for (auto _ : state) {
        ado::Recordset rs = OpenArticles(db);
        const ado::Field quantity = rs["QteEnStock"];
        const ado::Field name = rs["Designation"];
        const ado::Field price = rs["PrixAchatUnit"];
        long total = 0;
        for (; !rs.Eof(); rs.MoveNext()) {
            total += quantity.Value().LongValue();
            benchmark::DoNotOptimize(name.Value());
            benchmark::DoNotOptimize(price.Value());
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * db.Rows());
}

// Opening alone: running the statement and storing its rows.
void RecordsetOpen(benchmark::State& state)
{
    Database& db = Db(state.range(0));
    for (auto _ : state) {
        ado::Recordset rs = OpenArticles(db);
        benchmark::DoNotOptimize(rs.RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * db.Rows());
}

// The same, the fields looked up by name on every row as the windows write it.
void RecordsetOpenScanByName(benchmark::State& state)
{
    Database& db = Db(state.range(0));
    for (auto _ : state) {
        ado::Recordset rs = OpenArticles(db);
        long total = 0;
        for (; !rs.Eof(); rs.MoveNext()) {
            total += rs["QteEnStock"].Value().LongValue();
            benchmark::DoNotOptimize(rs["Designation"].Value());
            benchmark::DoNotOptimize(rs["PrixAchatUnit"].Value());
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * db.Rows());
}

ado::Recordset& OpenRecordset(long rows)
{
    static std::map<long, ado::Recordset> open;
    auto found = open.find(rows);
    if (found == open.end()) {
        found = open.emplace(rows, OpenArticles(Db(rows))).first;
    }
    return found->second;
}

// Find from the first row for a number near the end, and for a text prefix near the end.
void RecordsetFindNumber(benchmark::State& state)
{
    const long rows = state.range(0);
    ado::Recordset& rs = OpenRecordset(rows);
    const std::string criteria = "[Reference]=" + std::to_string(1000 + rows - 10);
    for (auto _ : state) {
        rs.Find(criteria, 0, ado::adSearchForward, ado::adBookmarkFirst);
        benchmark::DoNotOptimize(rs.Eof());
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

void RecordsetFindLike(benchmark::State& state)
{
    const long rows = state.range(0);
    ado::Recordset& rs = OpenRecordset(rows);
    const std::string criteria = "[Designation] like 'article " + std::to_string(rows - 10) + "*'";
    for (auto _ : state) {
        rs.Find(criteria, 0, ado::adSearchForward, ado::adBookmarkFirst);
        benchmark::DoNotOptimize(rs.Eof());
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

// The baselines: the same values in a std::vector, scanned by a plain loop until one matches
// (the text without regard to case, as like does).
void VectorFindNumber(benchmark::State& state)
{
    const long rows = state.range(0);
    std::vector<int32_t> values;
    for (long i = 0; i < rows; ++i) {
        values.push_back(static_cast<int32_t>(1000 + i));
    }
    const int32_t wanted = static_cast<int32_t>(1000 + rows - 10);
    for (auto _ : state) {
        size_t i = 0;
        while (i < values.size() && values[i] != wanted) {
            ++i;
        }
        benchmark::DoNotOptimize(i);
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

void VectorFindPrefix(benchmark::State& state)
{
    const long rows = state.range(0);
    std::vector<std::string> values;
    for (long i = 0; i < rows; ++i) {
        values.push_back(Designation(i));
    }
    const std::string prefix = "article " + std::to_string(rows - 10);
    for (auto _ : state) {
        size_t i = 0;
        while (i < values.size() &&
               (values[i].size() < prefix.size() ||
                strncasecmp(values[i].c_str(), prefix.c_str(), prefix.size()) != 0)) {
            ++i;
        }
        benchmark::DoNotOptimize(i);
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

// Sorting the rows on a text field, as a grid's header click does, against SQLite ordering the
// same rows with the same collation.
void RecordsetSortText(benchmark::State& state)
{
    const long rows = state.range(0);
    ado::Recordset& rs = OpenRecordset(rows);
    for (auto _ : state) {
        rs.SetSort("Designation DESC");
        rs.SetSort("");
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

void SqliteSortText(benchmark::State& state)
{
    Database& db = Db(state.range(0));
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db.Handle(),
                           "SELECT Designation FROM Articles ORDER BY Designation DESC", -1, &stmt,
                           nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
        }
        sqlite3_finalize(stmt);
    }
    state.SetItemsProcessed(state.iterations() * db.Rows());
}

// The heap the rows of an open recordset take, against their raw values: the rowid, the
// 32-bit integers, the 8-byte currency and date, the text's bytes.
void RecordsetMemory(benchmark::State& state)
{
    const long rows = state.range(0);
    Database& db = Db(rows);
    double used = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks + mallinfo2().hblkhd;
        ado::Recordset rs = OpenArticles(db);
        const size_t after = mallinfo2().uordblks + mallinfo2().hblkhd;
        used = static_cast<double>(after - before);
        benchmark::DoNotOptimize(rs.RecordCount());
    }
    double raw = 0;
    for (long i = 0; i < rows; ++i) {
        raw += 8 + 4 + static_cast<double>(Designation(i).size()) + 8 + 4 + 8;
    }
    state.counters["bytes_per_row"] = used / static_cast<double>(rows);
    state.counters["raw_bytes_per_row"] = raw / static_cast<double>(rows);
    state.counters["ratio"] = used / raw;
}

BENCHMARK(SqliteScan)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordsetOpenScan)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordsetOpen)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordsetOpenScanByName)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(VectorFindNumber)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordsetFindNumber)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(VectorFindPrefix)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordsetFindLike)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteSortText)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordsetSortText)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordsetMemory)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
