#include "harnix/database/Databases.h"

#include "harnix/database/Data.h"
#include "harnix/database/Schema.h"
#include "platform/ado/Catalogue.h"
#include "platform/ado/Connection.h"
#include "platform/vb/Error.h"

#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

namespace database {

namespace {

// Makes the file, lays its schema and runs fill, all or nothing: a failure
// removes the file again, so that no half-made database is left behind.
void Create(const std::string& path, std::string_view password,
            const std::vector<schema::Part>& parts,
            const std::function<void(ado::Connection&)>& fill)
{
    ado::CreateDatabaseFile(path, password);
    ado::Connection connection;
    try {
        connection.Open(ConnectionString(path, password));
        connection.BeginTrans();
        // Tables first: the stored queries read tables of other parts.
        for (const schema::Part& part : parts) {
            for (std::string_view statement : part.tables) {
                connection.Execute(statement);
            }
        }
        for (const schema::Part& part : parts) {
            for (const schema::View& view : part.views) {
                ado::DefineView(connection, view.name, view.sql);
            }
            for (const schema::Query& query : part.queries) {
                ado::DefineQuery(connection, query.name, query.parameters, query.sql);
            }
        }
        if (fill) {
            fill(connection);
        }
        connection.CommitTrans();
        connection.Close();
    } catch (...) {
        if (connection.State() == ado::adStateOpen) {
            connection.Close();
        }
        std::error_code ignored;
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
            std::filesystem::remove(path + suffix, ignored);
        }
        throw;
    }
}

std::vector<schema::Part> ZadParts()
{
    return {schema::Shell(), schema::Catalogue(), schema::Staff(), schema::Distribution(),
            schema::Reports()};
}

} // namespace

std::string_view ZadPassword()
{
    return "Kw8Rz";
}

std::string ConnectionString(std::string_view path, std::string_view password)
{
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + std::string(path) +
           ";Jet OLEDB:Database Password=" + std::string(password);
}

void CreateZad(const std::string& path, bool demo)
{
    CreateZad(path, demo ? data::FillDemo : std::function<void(ado::Connection&)>{});
}

void CreateZad(const std::string& path, const std::function<void(ado::Connection&)>& fill)
{
    Create(path, ZadPassword(), ZadParts(), fill);
}

void AddMissingIndexes(ado::Connection& connection)
{
    constexpr std::string_view Plain = "CREATE INDEX ";
    for (const schema::Part& part : ZadParts())
        for (std::string_view statement : part.tables)
            if (statement.starts_with(Plain)) {
                try {
                    connection.Execute("CREATE INDEX IF NOT EXISTS " +
                                       std::string(statement.substr(Plain.size())));
                } catch (const vb::Error&) {
                }
            }
}

void CreateMainten(const std::string& path)
{
    Create(path, {}, {schema::Mainten()}, {});
}

void CreateCodesPostaux(const std::string& path)
{
    Create(path, {}, {schema::PostalCodes()}, data::FillPostalCodes);
}

} // namespace database
