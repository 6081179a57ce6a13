#include "platform/ado/Connection.h"

#include "platform/ado/Catalogue.h"
#include "platform/ado/Functions.h"
#include "platform/ado/Session.h"
#include "platform/ado/Text.h"
#include "platform/vb/Error.h"
#include "platform/win/End.h"
#include "platform/win/FileSearch.h"

#include <cctype>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>

#include <sys/vfs.h>

namespace ado {
namespace {

using detail::Raise;

// How long a statement waits for another connection's lock before it fails.
constexpr int BusyTimeoutMs = 3000;

std::string Trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) {
        s.remove_suffix(1);
    }
    return std::string(s);
}

// "Key=Value;Key2=Value2", keys without regard to case, values optionally quoted.
std::map<std::string, std::string> ParseConnectionString(std::string_view text)
{
    std::map<std::string, std::string> out;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t eq = text.find('=', pos);
        if (eq == std::string_view::npos) {
            break;
        }
        const std::string key = detail::UpperAscii(Trim(text.substr(pos, eq - pos)));
        size_t valueStart = eq + 1;
        while (valueStart < text.size() && text[valueStart] == ' ') {
            ++valueStart;
        }
        std::string value;
        size_t end;
        if (valueStart < text.size() && (text[valueStart] == '"' || text[valueStart] == '\'')) {
            const char quote = text[valueStart];
            const size_t close = text.find(quote, valueStart + 1);
            value = std::string(text.substr(valueStart + 1, close - valueStart - 1));
            end = close == std::string_view::npos ? text.size() : text.find(';', close);
        } else {
            end = text.find(';', valueStart);
            value = Trim(text.substr(valueStart, end - valueStart));
        }
        out[key] = value;
        pos = end == std::string_view::npos ? text.size() : end + 1;
    }
    return out;
}

std::string Lookup(const std::map<std::string, std::string>& m, const char* key)
{
    auto it = m.find(key);
    return it == m.end() ? std::string() : it->second;
}

// The folder as spelt on disk, each part matched without regard to case when it is not found
// as written; none when a part has no match.
std::optional<std::filesystem::path> FindFolder(const std::string& folder)
{
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) {
        return std::filesystem::path(folder);
    }
    const std::filesystem::path wanted(folder);
    std::filesystem::path found = wanted.root_path();
    for (const auto& part : wanted.relative_path()) {
        const std::filesystem::path exact = found / part;
        if (part == "." || part == ".." || std::filesystem::is_directory(exact, ec)) {
            found = exact;
            continue;
        }
        std::optional<std::filesystem::path> match;
        const std::filesystem::path base = found.empty() ? std::filesystem::path(".") : found;
        for (const auto& entry : std::filesystem::directory_iterator(base, ec)) {
            if (entry.is_directory(ec) &&
                CompareText(entry.path().filename().string(), part.string()) == 0) {
                match = entry.path();
                break;
            }
        }
        if (!match) {
            return std::nullopt;
        }
        found = *match;
    }
    return found;
}

std::string ResolvePath(const std::string& dataSource)
{
    const std::string path = win::NormalizePath(dataSource);
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::optional<std::string> found;
    if (!name.empty()) {
        if (auto where = FindFolder(folder)) {
            found = win::FindFileIgnoringCase(where->string(), name);
        }
    }
    if (!found) {
        Raise(vb::ErrUnspecified, "Could not find file '" + dataSource + "'.");
    }
    return *found;
}

// Whether the file lies on a network file system, where SQLite's write-ahead journal, which
// needs memory shared between the processes, does not work across machines.
bool OnNetworkFileSystem(const std::string& path)
{
    struct statfs info
    {
    };
    if (statfs(path.c_str(), &info) != 0) {
        return false;
    }
    constexpr unsigned long Nfs = 0x6969;
    constexpr unsigned long Smb = 0x517B;
    constexpr unsigned long Cifs = 0xFF534D42;
    constexpr unsigned long Smb2 = 0xFE534D42;
    const auto type = static_cast<unsigned long>(info.f_type);
    return type == Nfs || type == Smb || type == Cifs || type == Smb2;
}

std::string RecordedPassword(sqlite3* db)
{
    detail::Statement exists(db, "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = "
                                 "'SysPassword' COLLATE NOCASE");
    if (exists.Step() != SQLITE_ROW) {
        return {};
    }
    detail::Statement s(db, "SELECT Password FROM SysPassword LIMIT 1");
    if (s.Step() != SQLITE_ROW || sqlite3_column_type(s.get(), 0) == SQLITE_NULL) {
        return {};
    }
    return reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
}

} // namespace

Connection::Connection() : session_(std::make_shared<detail::Session>()) {}

void Connection::Open(std::string_view connectionString, std::string_view, std::string_view)
{
    if (session_->db != nullptr) {
        Raise(3705, "Operation is not allowed when the object is open.");
    }
    const auto settings = ParseConnectionString(connectionString);
    const std::string dataSource = Lookup(settings, "DATA SOURCE");
    const std::string path = ResolvePath(dataSource);

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close_v2(db);
        Raise(vb::ErrUnspecified, "Cannot open the file '" + dataSource + "': " + message);
    }
    try {
        sqlite3_busy_timeout(db, BusyTimeoutMs);
        // Reading the schema fails on a file that is not a database or is locked.
        detail::Statement(db, "SELECT count(*) FROM sqlite_schema").Step();
        if (RecordedPassword(db) != Lookup(settings, "JET OLEDB:DATABASE PASSWORD")) {
            Raise(vb::ErrUnspecified, "Not a valid password.");
        }
        if (!sqlite3_db_readonly(db, "main")) {
            detail::Statement(db, OnNetworkFileSystem(path) ? "PRAGMA journal_mode=DELETE"
                                                            : "PRAGMA journal_mode=WAL")
                .Step();
        }
        detail::Statement(db, "PRAGMA foreign_keys=ON").Step();
    } catch (const vb::Error& e) {
        sqlite3_close_v2(db);
        if (e.Number() == vb::ErrUnspecified) {
            throw;
        }
        Raise(vb::ErrUnspecified, "Cannot open the file '" + dataSource + "': " + e.Description());
    }
    RegisterFunctions(db);
    session_->db = db;
    session_->path = path;
    session_->connectionString = std::string(connectionString);
    detail::AddOpenSession(session_.get());
    static std::once_flag atEnd;
    std::call_once(atEnd, [] { win::AddEndStep(CloseAllConnections); });
}

void CloseAllConnections()
{
    detail::CloseOpenSessions();
}

void Connection::Close()
{
    session_->Close();
}

long Connection::State() const
{
    return session_->db != nullptr ? adStateOpen : adStateClosed;
}

const std::string& Connection::ConnectionString() const
{
    return session_->connectionString;
}

std::string Connection::DataSource() const
{
    return session_->path;
}

long Connection::Execute(std::string_view commandText)
{
    const detail::Source source = detail::Resolve(*session_, commandText);
    return session_->Run(source.sql);
}

void Connection::BeginTrans()
{
    const int level = session_->transactionLevel + 1;
    session_->Run(level == 1 ? std::string("BEGIN IMMEDIATE")
                             : "SAVEPOINT level" + std::to_string(level));
    session_->transactionLevel = level;
}

void Connection::CommitTrans()
{
    const int level = session_->transactionLevel;
    if (level == 0) {
        Raise(detail::ErrNoTransaction, "No transaction is active.");
    }
    session_->Run(level == 1 ? std::string("COMMIT") : "RELEASE level" + std::to_string(level));
    session_->transactionLevel = level - 1;
}

void Connection::RollbackTrans()
{
    const int level = session_->transactionLevel;
    if (level == 0) {
        Raise(detail::ErrNoTransaction, "No transaction is active.");
    }
    const std::string name = "level" + std::to_string(level);
    session_->Run(level == 1 ? std::string("ROLLBACK")
                             : "ROLLBACK TO " + name + "; RELEASE " + name);
    session_->transactionLevel = level - 1;
}

sqlite3* Connection::Handle() const
{
    return session_->db;
}

} // namespace ado
