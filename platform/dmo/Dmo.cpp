#include "platform/dmo/Dmo.h"

#include "platform/vb/Error.h"
#include "platform/win/Codepage.h"
#include "platform/win/FileSearch.h"

#include <sqlite3.h>

#include <unistd.h>

#include <array>
#include <initializer_list>

namespace dmo {

namespace detail {
struct DatabaseState
{
    std::string name;
    ado::Connection connection;
};
} // namespace detail

namespace {

constexpr const char* TheLogin = "qz";

[[noreturn]] void Fail(int32_t number, const std::string& description)
{
    throw vb::Error(number, description, "dmo");
}

sqlite3* Handle(const detail::DatabaseState& state)
{
    if (state.connection.State() != ado::adStateOpen)
        Fail(ErrNotConnected, "The connection to the server is closed.");
    return state.connection.Handle();
}

// One prepared statement with text parameters, finalised on destruction.
class Statement
{
public:
    Statement(sqlite3* db, const std::string& sql, std::initializer_list<std::string> params = {})
    {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK)
            Fail(vb::ErrUnspecified, sqlite3_errmsg(db));
        int index = 1;
        for (const std::string& p : params)
            sqlite3_bind_text(stmt_, index++, p.c_str(), static_cast<int>(p.size()),
                              SQLITE_TRANSIENT);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // True while a row is there.
    bool Step()
    {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            Fail(vb::ErrUnspecified, sqlite3_errmsg(sqlite3_db_handle(stmt_)));
        return false;
    }
    std::string Text(int column) const
    {
        const auto* p = sqlite3_column_text(stmt_, column);
        return p ? reinterpret_cast<const char*>(p) : std::string();
    }
    long long Integer(int column) const { return sqlite3_column_int64(stmt_, column); }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

bool HasProceduresTable(sqlite3* db)
{
    Statement s(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1",
                {ProceduresTable});
    return s.Step();
}

std::string HostName()
{
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) != 0)
        return {};
    return name.data();
}

} // namespace

long StoredProcedures::Count() const
{
    sqlite3* db = Handle(*state_);
    if (!HasProceduresTable(db))
        return 0;
    Statement s(db, std::string("SELECT COUNT(*) FROM ") + ProceduresTable);
    s.Step();
    return static_cast<long>(s.Integer(0));
}

StoredProcedure StoredProcedures::Item(long index) const
{
    sqlite3* db = Handle(*state_);
    if (index >= 1 && HasProceduresTable(db)) {
        Statement s(db,
                    std::string("SELECT Name, Body FROM ") + ProceduresTable +
                        " ORDER BY rowid LIMIT 1 OFFSET ?1",
                    {std::to_string(index - 1)});
        if (s.Step())
            return {s.Text(0), s.Text(1)};
    }
    Fail(ErrObjectNotFound, "The stored procedure " + std::to_string(index) + " does not exist.");
}

void StoredProcedures::Add(const StoredProcedure& procedure)
{
    sqlite3* db = Handle(*state_);
    if (procedure.Name.empty())
        Fail(vb::ErrInvalidCall, "A stored procedure needs a name.");
    Statement(db, std::string("CREATE TABLE IF NOT EXISTS ") + ProceduresTable +
                      "(Name TEXT PRIMARY KEY COLLATE NOCASE, Body TEXT NOT NULL)")
        .Step();
    Statement exists(db, std::string("SELECT 1 FROM ") + ProceduresTable + " WHERE Name = ?1",
                     {procedure.Name});
    if (exists.Step())
        Fail(ErrObjectExists, "There is already a stored procedure named '" + procedure.Name +
                                  "' in the database '" + state_->name + "'.");
    Statement(db, std::string("INSERT INTO ") + ProceduresTable + "(Name, Body) VALUES (?1, ?2)",
              {procedure.Name, procedure.Text})
        .Step();
}

void StoredProcedures::Remove(const std::string& name)
{
    sqlite3* db = Handle(*state_);
    if (HasProceduresTable(db)) {
        Statement(db, std::string("DELETE FROM ") + ProceduresTable + " WHERE Name = ?1", {name})
            .Step();
        if (sqlite3_changes(db) > 0)
            return;
    }
    Fail(ErrObjectNotFound, "The stored procedure '" + name + "' does not exist in the database '" +
                                state_->name + "'.");
}

long Views::Count() const
{
    Statement s(Handle(*state_), "SELECT COUNT(*) FROM sqlite_master WHERE type = 'view'");
    s.Step();
    return static_cast<long>(s.Integer(0));
}

std::string Views::Item(long index) const
{
    if (index >= 1) {
        Statement s(Handle(*state_),
                    "SELECT name FROM sqlite_master WHERE type = 'view' "
                    "ORDER BY name COLLATE NOCASE LIMIT 1 OFFSET ?1",
                    {std::to_string(index - 1)});
        if (s.Step())
            return s.Text(0);
    }
    Fail(ErrObjectNotFound, "The view " + std::to_string(index) + " does not exist.");
}

void Views::Remove(const std::string& name)
{
    sqlite3* db = Handle(*state_);
    Statement find(db,
                   "SELECT name FROM sqlite_master WHERE type = 'view' AND name = ?1 "
                   "COLLATE NOCASE",
                   {name});
    if (!find.Step())
        Fail(ErrObjectNotFound,
             "The view '" + name + "' does not exist in the database '" + state_->name + "'.");
    std::string quoted = "\"";
    for (char c : find.Text(0)) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    Statement(db, "DROP VIEW " + quoted + "\"").Step();
}

std::string Database::Name() const
{
    return state_->name;
}

dmo::StoredProcedures Database::StoredProcedures() const
{
    return dmo::StoredProcedures(state_);
}

dmo::Views Database::Views() const
{
    return dmo::Views(state_);
}

SQLServer::SQLServer(std::string folder) : folder_(win::NormalizePath(folder)) {}

SQLServer::~SQLServer()
{
    DisConnect();
}

bool SQLServer::IsThisMachine(const std::string& serverName)
{
    const std::string machine = serverName.substr(0, serverName.find('\\'));
    for (const std::string& local : {std::string("(local)"), std::string("."),
                                     std::string("localhost"), std::string("127.0.0.1")}) {
        if (win::EqualsIgnoringCase(machine, local))
            return true;
    }
    const std::string host = HostName();
    return !host.empty() && win::EqualsIgnoringCase(machine, host);
}

void SQLServer::Open(const std::string& serverName, const std::string& login,
                     const std::string& password)
{
    DisConnect();
    if (!IsThisMachine(serverName))
        Fail(ErrServerNotFound, "The server '" + serverName +
                                    "' does not exist or cannot be reached: only the server of "
                                    "this machine can be.");
    if (!win::EqualsIgnoringCase(login, TheLogin))
        Fail(ErrLoginFailed, "Login failed for user '" + login + "'.");
    password_ = password;
    connected_ = true;
}

void SQLServer::Connect(const std::string& serverName, const std::string& login,
                        const std::string& password)
{
    Open(serverName, login, password);
}

void SQLServer::Connect(const std::string& serverName, const std::string& login)
{
    Open(serverName, login, {});
}

void SQLServer::DisConnect()
{
    for (const auto& state : opened_) {
        if (state->connection.State() == ado::adStateOpen)
            state->connection.Close();
    }
    opened_.clear();
    password_.clear();
    connected_ = false;
}

Database SQLServer::Databases(const std::string& name)
{
    if (!connected_)
        Fail(ErrNotConnected, "The server object is not connected.");
    const auto file = win::FindFileIgnoringCase(folder_, name + ".MDB");
    if (!file)
        Fail(ErrDatabaseNotFound, "The database '" + name + "' does not exist.");
    auto state = std::make_shared<detail::DatabaseState>();
    state->name = name;
    try {
        state->connection.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + *file +
                               ";Jet OLEDB:Database Password=" + password_);
    } catch (const vb::Error& error) {
        Fail(ErrLoginFailed, "Cannot open the database '" + name + "' requested by the login '" +
                                 TheLogin + "': " + error.Description());
    }
    opened_.push_back(state);
    return Database(state);
}

} // namespace dmo
