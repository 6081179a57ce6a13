#include "platform/ado/Catalogue.h"

#include "platform/ado/Session.h"
#include "platform/ado/Translate.h"
#include "platform/vb/Error.h"
#include "platform/win/FileSearch.h"

#include <filesystem>

namespace ado {
namespace {

using detail::BindText;
using detail::Raise;
using detail::Statement;

} // namespace

void CreateDatabaseFile(const std::string& path, std::string_view password)
{
    const std::string file = win::NormalizePath(path);
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        Raise(vb::ErrUnspecified, "The file '" + path + "' already exists.");
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close_v2(db);
        Raise(vb::ErrUnspecified, "Cannot create the file '" + path + "': " + message);
    }
    try {
        Statement(db, "CREATE TABLE SysPassword(Password TEXT NOT NULL)").Step();
        Statement(db, "CREATE TABLE SysQueries(Name TEXT PRIMARY KEY COLLATE NOCASE, "
                      "Parameters TEXT NOT NULL, Body TEXT NOT NULL)")
            .Step();
        if (!password.empty()) {
            Statement insert(db, "INSERT INTO SysPassword(Password) VALUES (?1)");
            BindText(insert.get(), 1, password);
            insert.Step();
        }
    } catch (...) {
        sqlite3_close_v2(db);
        std::filesystem::remove(file, ec);
        throw;
    }
    sqlite3_close_v2(db);
}

void DefineQuery(Connection& connection, std::string_view name, std::string_view parameters,
                 std::string_view body)
{
    sqlite3* db = connection.Session()->Handle();
    {
        // The body must translate and prepare, with every parameter standing for Null.
        std::vector<Parameter> nulls;
        std::string_view list = parameters;
        while (!list.empty()) {
            const size_t comma = list.find(',');
            std::string part(list.substr(0, comma));
            const size_t b = part.find_first_not_of(" []");
            const size_t e = part.find_last_not_of(" []");
            if (b != std::string::npos) {
                nulls.push_back({part.substr(b, e - b + 1), "Null"});
            }
            list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        }
        Statement check(db, TranslateSql(body, nulls));
    }
    Statement s(db,
                "INSERT OR REPLACE INTO SysQueries(Name, Parameters, Body) VALUES (?1, ?2, ?3)");
    BindText(s.get(), 1, name);
    BindText(s.get(), 2, parameters);
    BindText(s.get(), 3, body);
    s.Step();
}

void DefineView(Connection& connection, std::string_view name, std::string_view accessSql)
{
    detail::Session& session = *connection.Session();
    const std::string view = detail::QuoteIdentifier(name);
    session.Run("DROP VIEW IF EXISTS " + view);
    session.Run("CREATE VIEW " + view + " AS " + TranslateSql(accessSql));
}

std::string DatabasePassword(Connection& connection)
{
    detail::Session& session = *connection.Session();
    if (!session.Table("SysPassword").exists) {
        return {};
    }
    Statement s(session.Handle(), "SELECT Password FROM SysPassword LIMIT 1");
    if (s.Step() != SQLITE_ROW || sqlite3_column_type(s.get(), 0) == SQLITE_NULL) {
        return {};
    }
    return reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
}

std::optional<StoredQuery> FindStoredQuery(Connection& connection, std::string_view name)
{
    return detail::FindStoredQuery(*connection.Session(), name);
}

Command ProcedureCommand(Connection& connection, std::string_view name)
{
    const std::optional<StoredQuery> query = FindStoredQuery(connection, name);
    if (!query) {
        detail::Raise(detail::ErrUnknownTable,
                      "Cannot find the input table or query '" + std::string(name) + "'.");
    }
    Command command;
    command.SetActiveConnection(connection);
    command.SetCommandText("EXEC [" + query->name + "]");
    command.Parameters() = detail::QueryParameters(*query);
    return command;
}

std::optional<StoredQuery> detail::FindStoredQuery(Session& session, std::string_view name)
{
    if (!session.Table("SysQueries").exists) {
        return std::nullopt;
    }
    Statement s(session.Handle(),
                "SELECT Name, Parameters, Body FROM SysQueries WHERE Name = ?1 COLLATE NOCASE");
    BindText(s.get(), 1, name);
    if (s.Step() != SQLITE_ROW) {
        return std::nullopt;
    }
    auto column = [&](int i) {
        const auto* p = sqlite3_column_text(s.get(), i);
        return p ? std::string(reinterpret_cast<const char*>(p)) : std::string();
    };
    return StoredQuery{column(0), column(1), column(2)};
}

} // namespace ado
