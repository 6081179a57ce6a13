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

#include <cstdio>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

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

// What the first page of a file says: whether it is a database, and whether it keeps its
// changes in a write-ahead journal (a file written by an earlier version).
struct FileHeader
{
    bool database = false;
    bool writeAhead = false;
};

FileHeader ReadHeader(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char header[20] = {};
    in.read(header, sizeof header);
    FileHeader h;
    h.database = in.gcount() == sizeof header &&
                 std::string_view(header, 16) == std::string_view("SQLite format 3\0", 16);
    h.writeAhead = h.database && header[18] == 2;
    return h;
}

// Whether this process, with its effective rights, may write the file or folder.
bool Writable(const std::string& path)
{
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// Every commit is in the file itself: the rollback journal beside it exists only while a write
// is in progress, so that the file alone, copied while nothing writes, holds every committed
// change and no leftover journal can change a copy put back in its place. A file found with a
// write-ahead journal takes that journal in and changes mode (not while another program keeps
// it open). Synchronous writes keep a commit through a power cut. The changed pages stay in
// memory until the commit, so that a large transaction holds the file's lock at RESERVED and
// the other connections of the program can still read in the middle of it.
int UseRollbackJournal(sqlite3* db)
{
    int rc = sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        rc = SQLITE_OK; // another program has it open: a later open changes it
    }
    if (rc == SQLITE_OK) {
        rc = sqlite3_exec(db, "PRAGMA synchronous=FULL; PRAGMA cache_spill=OFF", nullptr, nullptr,
                          nullptr);
    }
    return rc;
}

// Reads the schema: SQLITE_OK, or the error.
int FirstRead(sqlite3* db)
{
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_schema", -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(stmt);
    return rc;
}

// The failures of an open that come from the folder or the disk rather than the file.
bool FolderOrDiskFailure(int rc)
{
    switch (rc & 0xFF) {
    case SQLITE_CANTOPEN:
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_READONLY:
        return true;
    default:
        return false;
    }
}

// A path as an SQLite file name: the characters that a name of that form gives a meaning to
// written as %XX.
std::string UriPath(const std::string& path)
{
    std::string out;
    for (const char c : path) {
        if (c == '?' || c == '#' || c == '%') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
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

    const FileHeader header = ReadHeader(path);
    if (!header.database) {
        // Never opened as a database: SQLite would make an empty file one.
        Raise(vb::ErrUnspecified, "file is not a database");
    }
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const bool readOnly = detail::UpperAscii(Lookup(settings, "MODE")) == "READ" ||
                          !Writable(path) || !Writable(folder.empty() ? "." : folder);
    // A file left with a write-ahead journal and no journal beside it, that cannot be written,
    // is read as it stands: reading it otherwise makes journal files beside it.
    const bool immutable = readOnly && header.writeAhead && !std::filesystem::exists(path + "-wal");
    const std::string name = immutable ? "file:" + UriPath(path) + "?immutable=1" : path;
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_NOMUTEX | (immutable ? SQLITE_OPEN_URI : 0);
    sqlite3* db = nullptr;
    if (const int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr); rc != SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close_v2(db);
        Raise(vb::ErrUnspecified, "Cannot open the file '" + dataSource + "': " + message);
    }
    // Reading the schema fails on a file that is not a database or is locked; taking in a
    // write-ahead journal and changing the journal's mode fail when the folder or the disk
    // cannot take the writes.
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    int rc = FirstRead(db);
    if (rc == SQLITE_OK && !sqlite3_db_readonly(db, "main")) {
        rc = UseRollbackJournal(db);
    }
    if (rc != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(db);
        sqlite3_close_v2(db);
        if (FolderOrDiskFailure(rc)) {
            Raise(ErrCannotWriteBeside,
                  "La base de données « " + dataSource +
                      " » ne peut pas être ouverte : son dossier ne peut pas être écrit ou le "
                      "disque est plein.");
        }
        Raise(vb::ErrUnspecified, message);
    }
    try {
        if (RecordedPassword(db) != Lookup(settings, "JET OLEDB:DATABASE PASSWORD")) {
            Raise(vb::ErrUnspecified, "Not a valid password.");
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
