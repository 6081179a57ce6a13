#include "platform/ado/TextSizes.h"

#include "platform/ado/Session.h"
#include "platform/ado/Values.h"

#include <map>
#include <string>
#include <vector>

namespace ado::detail {
namespace {

struct SizedColumn
{
    std::string name;
    long size;
};

// The sized text columns of each table of the file (not of views, virtual or attached tables).
std::map<std::string, std::vector<SizedColumn>> SizedColumns(sqlite3* db)
{
    std::map<std::string, std::vector<SizedColumn>> tables;
    // A virtual table has no pages of its own.
    Statement s(db, "SELECT t.name, c.name, c.type FROM main.sqlite_schema AS t, "
                    "pragma_table_info(t.name, 'main') AS c WHERE t.type = 'table' AND "
                    "t.rootpage > 0 AND t.name NOT GLOB 'sqlite_*' AND instr(c.type, '(') > 0");
    while (s.Step() == SQLITE_ROW) {
        const std::string_view type(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 2)));
        const ColumnKind kind = KindOfDeclaredType(type);
        if (kind == ColumnKind::Text) {
            tables[reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0))].push_back(
                {reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 1)),
                 DefinedSizeOf(kind, type)});
        }
    }
    return tables;
}

void CreateGuards(sqlite3* db, const std::string& table, const std::vector<SizedColumn>& columns)
{
    // One call checks many columns of a row, which costs far less than a call for each (SQLite
    // takes at most 127 arguments a call). An update is refused only for a text it changes: a
    // longer text that an earlier version stored stays until it is replaced.
    constexpr size_t ColumnsPerCall = 40;
    std::string insertWhen, updateWhen, updateOf;
    for (size_t i = 0; i < columns.size(); ++i) {
        const std::string name = QuoteIdentifier(columns[i].name);
        const std::string size = std::to_string(columns[i].size);
        const bool first = i % ColumnsPerCall == 0;
        const char* separator = first ? (i == 0 ? "" : ") OR ") : ", ";
        insertWhen +=
            separator + std::string(first ? "ado_TextLonger(" : "") + size + ", NEW." + name;
        updateWhen += separator + std::string(first ? "ado_TextChangedLonger(" : "") + size +
                      ", NEW." + name + ", OLD." + name;
        updateOf += (i == 0 ? "" : ", ") + name;
    }
    insertWhen += ")";
    updateWhen += ")";
    // AFTER, not BEFORE: the refusal undoes the statement all the same, and SQLite runs an AFTER
    // trigger at a fraction of a BEFORE trigger's cost a row.
    const std::string on = " ON main." + QuoteIdentifier(table) + " WHEN ";
    const std::string refuse = " BEGIN SELECT RAISE(ABORT, " + QuoteString(TextTooLong) + "); END";
    const std::string prefix(GuardPrefix);
    Statement(db, "CREATE TEMP TRIGGER " + QuoteIdentifier(prefix + "insert_" + table) +
                      " AFTER INSERT" + on + insertWhen + refuse)
        .Step();
    Statement(db, "CREATE TEMP TRIGGER " + QuoteIdentifier(prefix + "update_" + table) +
                      " AFTER UPDATE OF " + updateOf + on + updateWhen + refuse)
        .Step();
}

} // namespace

void GuardTextSizes(sqlite3* db)
{
    // All or nothing, in one transaction of the temporary schema.
    Statement(db, "SAVEPOINT ado_sizes").Step();
    try {
        DropTextSizeGuards(db);
        for (const auto& [table, columns] : SizedColumns(db)) {
            CreateGuards(db, table, columns);
        }
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK TO ado_sizes; RELEASE ado_sizes", nullptr, nullptr, nullptr);
        throw;
    }
    Statement(db, "RELEASE ado_sizes").Step();
}

void DropTextSizeGuards(sqlite3* db)
{
    std::vector<std::string> names;
    {
        Statement s(db,
                    "SELECT name FROM temp.sqlite_schema WHERE type = 'trigger' AND name GLOB '" +
                        std::string(GuardPrefix) + "*'");
        while (s.Step() == SQLITE_ROW) {
            names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0)));
        }
    }
    for (const std::string& name : names) {
        Statement(db, "DROP TRIGGER temp." + QuoteIdentifier(name)).Step();
    }
}

} // namespace ado::detail
