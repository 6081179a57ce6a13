#pragma once
// A database file of its own for each test, in a fresh temporary folder.

#include "platform/ado/Catalogue.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "tests/platform/vb/ErrorOf.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

namespace ado::testing {

class TempDatabase
{
public:
    explicit TempDatabase(std::string name = "zad.MDB", std::string password = "secret")
        : password_(std::move(password))
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "ado-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
        path_ = (folder_ / name).string();
        ado::CreateDatabaseFile(path_, password_);
    }
    ~TempDatabase() { std::filesystem::remove_all(folder_); }

    const std::string& Path() const { return path_; }
    const std::filesystem::path& Folder() const { return folder_; }
    std::string ConnectionString(const std::string& path = {}) const
    {
        return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + (path.empty() ? path_ : path) +
               ";Jet OLEDB:Database Password=" + password_;
    }
    ado::Connection Open() const
    {
        ado::Connection c;
        c.Open(ConnectionString());
        return c;
    }

private:
    std::string password_;
    std::filesystem::path folder_;
    std::string path_;
};

using vb::testing::ErrorOf;

// The number in the first column of the first row a statement reads.
inline long Count(ado::Connection& c, const std::string& sql)
{
    ado::Recordset rs;
    rs.Open(sql, c);
    return vb::CLng(rs.Fields(0L).Value());
}

// The error raised by the statement, number and description.
inline std::pair<int32_t, std::string> Raised(const std::function<void()>& statement)
{
    try {
        statement();
    } catch (const vb::Error& e) {
        return {e.Number(), e.Description()};
    }
    return {0, ""};
}

} // namespace ado::testing
