#pragma once
// Internals shared by connections, commands and recordsets.

#include <sqlite3.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/vb/Variant.h"

namespace ado {
struct StoredQuery;
struct QueryParameter;
} // namespace ado

namespace ado::detail {

// Error numbers of the data layer besides those of platform/vb.
inline constexpr int32_t ErrNotFoundInCollection = 3265;
inline constexpr int32_t ErrObjectClosed = 3704;
inline constexpr int32_t ErrNotAllowed = 3219;
inline constexpr int32_t ErrNoTransaction = 3034;
inline constexpr int32_t ErrCannotUpdate = 3251;
inline constexpr int32_t ErrTypeMismatchCriteria = static_cast<int32_t>(0x80040E07);
inline constexpr int32_t ErrMissingParameter = static_cast<int32_t>(0x80040E10);
inline constexpr int32_t ErrMultipleStep = static_cast<int32_t>(0x80040E21);
inline constexpr int32_t ErrUnknownTable = static_cast<int32_t>(0x80040E37);
inline constexpr int32_t ErrBadArgument = 3001;

inline constexpr const char* ErrorSource = "ado";

[[noreturn]] void Raise(int32_t number, std::string description);
// Raises the error that matches an SQLite result code and the handle's message.
[[noreturn]] void RaiseSqlite(sqlite3* db, int rc);

// A prepared statement, finalised on destruction.
class Statement
{
public:
    Statement(sqlite3* db, const std::string& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return stmt_; }
    // SQLITE_ROW or SQLITE_DONE; raises on errors.
    int Step();
    // Makes a statement kept for reuse ready for its next values.
    void Reset()
    {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

struct TableInfo
{
    bool exists = false;
    bool isView = false;
    std::string name; // as the schema spells it
    std::vector<std::string> columns;
    std::vector<std::string> keyColumns; // primary key, in key order
};

struct Session
{
    sqlite3* db = nullptr;
    std::string connectionString;
    std::string path;
    int transactionLevel = 0;
    std::map<std::string, TableInfo> tables; // by upper-case name
    // The schema versions of the file and of the temporary schema that the text size guards
    // (TextSizes.h) were made for; none before they are.
    std::optional<std::pair<int, int>> guardedSchemas;
    std::unique_ptr<Statement> mainVersion;
    std::unique_ptr<Statement> tempVersion;
    // Those that keep prepared statements on this connection (the record sets), each with what
    // finalizes them: a file is really closed only once no statement is left on it.
    std::map<const void*, std::function<void()>> statementKeepers;

    ~Session();
    // Rolls back what is pending, has the keepers finalize their statements and closes the file;
    // raises (the file closed all the same) when a write-ahead journal could not be written
    // back into it.
    void Close();
    // The open handle; raises 3704 when the connection is closed.
    sqlite3* Handle() const;
    const TableInfo& Table(const std::string& name);
    // Makes the text size guards when there are none yet or the schema has changed since they
    // were made (by this connection or another, or by a rollback); true when it made them.
    bool KeepGuards();
    // Runs SQLite statements (already translated), each with the values of the named
    // parameters ":p1", ":p2" ... it holds; returns the rows changed.
    long Run(const std::string& sql, const std::vector<vb::Variant>& bindings = {});
};

// Keeps the open sessions, so that the end of the program can close them all.
void AddOpenSession(Session* session);
// Closes every open session; raises the first failure once all are closed.
void CloseOpenSessions();

// What a command text runs.
struct Source
{
    std::string sql;      // SQLite statement
    std::string rowTable; // set when the statement selects "~rowid" of this table first
    bool returnsRows = true;
    std::vector<vb::Variant> bindings; // the values of ":p1", ":p2" ... in the statement
};

// Binds the values of the named parameters ":p1", ":p2" ... that the statement holds.
void BindParameters(sqlite3_stmt* stmt, const std::vector<vb::Variant>& bindings);

inline constexpr const char* RowidColumn = "~rowid";

// Turns a command text (table or stored-query name, name with a clause, full statement, or
// "EXEC name args") into the statement to run. The parameters set on a command take the place of
// EXEC's arguments, bound by name.
Source Resolve(Session& session, std::string_view commandText,
               const std::vector<QueryParameter>& parameters);
Source Resolve(Session& session, std::string_view commandText);

std::string UpperAscii(std::string_view text);
// A name in double quotes and a text in single quotes, their quotes doubled inside.
std::string QuoteIdentifier(std::string_view name);
std::string QuoteString(std::string_view text);
// Binds a text (embedded zeros kept) to a statement's parameter.
void BindText(sqlite3_stmt* stmt, int index, std::string_view text);

// The parameters a stored query declares, in order, without values.
std::vector<QueryParameter> QueryParameters(const StoredQuery& query);

// The stored query of that name (compared without regard to case) in the session's catalogue.
std::optional<StoredQuery> FindStoredQuery(Session& session, std::string_view name);

// The ISO text of a date literal's inside ("5/12/2024" of #5/12/2024#, read month first);
// none when it is not a date.
std::optional<std::string> DateLiteralIso(std::string_view inner);

} // namespace ado::detail
