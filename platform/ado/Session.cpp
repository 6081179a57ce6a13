#include "platform/ado/Session.h"

#include "platform/ado/Catalogue.h"
#include "platform/ado/Command.h"
#include "platform/ado/Descriptions.h"
#include "platform/ado/TextSizes.h"
#include "platform/ado/Translate.h"
#include "platform/ado/Values.h"
#include "platform/vb/Error.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <optional>
#include <set>
#include <utility>

namespace ado::detail {

void Raise(int32_t number, std::string description)
{
    throw vb::Error(number, FrenchDescription(description), ErrorSource);
}

void RaiseSqlite(sqlite3* db, int rc)
{
    const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    switch (rc & 0xFF) {
    case SQLITE_CONSTRAINT:
        // A text longer than its column's declared size: the record set's refusal of it.
        if (db != nullptr && sqlite3_extended_errcode(db) == SQLITE_CONSTRAINT_TRIGGER &&
            message == TextTooLong) {
            Raise(ErrMultipleStep,
                  "Multiple-step operation generated errors. Check each status value.");
        }
        // A unique index or a relation refuses the change.
        Raise(vb::ErrDatabaseRefused, message);
    case SQLITE_ERROR:
        if (message.starts_with("no such table")) {
            Raise(ErrUnknownTable, message);
        }
        if (message.starts_with("no such column")) {
            Raise(ErrMissingParameter, message);
        }
        Raise(vb::ErrDatabaseRefused, message);
    case SQLITE_MISMATCH:
        Raise(ErrTypeMismatchCriteria, message);
    default:
        Raise(vb::ErrUnspecified, message);
    }
}

Statement::Statement(sqlite3* db, const std::string& sql) : db_(db)
{
    const int rc =
        sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        RaiseSqlite(db, rc);
    }
}

Statement::~Statement()
{
    sqlite3_finalize(stmt_);
}

int Statement::Step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        RaiseSqlite(db_, rc);
    }
    return rc;
}

std::string UpperAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

namespace {
std::string Enclosed(std::string_view text, char quote)
{
    std::string out(1, quote);
    for (char c : text) {
        out += c;
        if (c == quote) {
            out += quote;
        }
    }
    return out + quote;
}
} // namespace

std::string QuoteIdentifier(std::string_view name)
{
    return Enclosed(name, '"');
}

std::string QuoteString(std::string_view text)
{
    return Enclosed(text, '\'');
}

void BindText(sqlite3_stmt* stmt, int index, std::string_view text)
{
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

namespace {

// Never destroyed: a connection held by a static object closes after the other statics are
// gone, and still takes its session out of the set.
std::mutex& OpenSessionsMutex()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::set<Session*>& OpenSessions()
{
    static auto* sessions = new std::set<Session*>;
    return *sessions;
}

} // namespace

void AddOpenSession(Session* session)
{
    std::lock_guard lock(OpenSessionsMutex());
    OpenSessions().insert(session);
}

void CloseOpenSessions()
{
    std::set<Session*> sessions;
    {
        std::lock_guard lock(OpenSessionsMutex());
        sessions = OpenSessions();
    }
    std::optional<vb::Error> failure;
    for (Session* session : sessions) {
        try {
            session->Close();
        } catch (const vb::Error& e) {
            if (!failure) {
                failure = e;
            }
        }
    }
    if (failure) {
        throw *failure;
    }
}

Session::~Session()
{
    try {
        Close();
    } catch (const vb::Error&) {
        // A connection dropped without Close has no one to tell: the file is closed anyway.
    }
}

void Session::Close()
{
    mainVersion.reset();
    tempVersion.reset();
    guardedSchemas.reset();
    for (auto& [owner, release] : std::exchange(statementKeepers, {})) {
        release();
    }
    tables.clear();
    transactionLevel = 0;
    if (db == nullptr) {
        return;
    }
    const bool pending = !sqlite3_get_autocommit(db);
    // A file still kept with a write-ahead journal (another program had it open when this one
    // opened it) writes the journal back; every commit of a file with the rollback journal is
    // already in it. Another program still reading keeps the journal (busy): it is not lost.
    const int rc = pending ? SQLITE_OK
                           : sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_TRUNCATE,
                                                       nullptr, nullptr);
    const std::string message =
        rc == SQLITE_OK || rc == SQLITE_BUSY ? std::string() : sqlite3_errmsg(db);
    // A statement still open would keep the file open after its connection: it is finalized
    // with the connection's close.
    if (sqlite3_close(db) != SQLITE_OK) {
        sqlite3_close_v2(db);
    }
    db = nullptr;
    {
        std::lock_guard lock(OpenSessionsMutex());
        OpenSessions().erase(this);
    }
    if (!message.empty()) {
        Raise(vb::ErrUnspecified,
              "La base de données « " + path +
                  " » n'a pas pu être fermée correctement : " + FrenchDescription(message));
    }
}

sqlite3* Session::Handle() const
{
    if (db == nullptr) {
        Raise(ErrObjectClosed, "Operation is not allowed when the object is closed.");
    }
    return db;
}

const TableInfo& Session::Table(const std::string& name)
{
    const std::string key = UpperAscii(name);
    auto found = tables.find(key);
    if (found != tables.end()) {
        return found->second;
    }
    TableInfo info;
    {
        Statement s(Handle(),
                    "SELECT name, type FROM sqlite_schema WHERE type IN ('table','view') AND "
                    "name = ?1 COLLATE NOCASE");
        BindText(s.get(), 1, name);
        if (s.Step() == SQLITE_ROW) {
            info.exists = true;
            info.name = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
            info.isView =
                std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 1))) ==
                "view";
        }
    }
    if (info.exists) {
        Statement s(Handle(), "SELECT name, pk FROM pragma_table_info(?1) ORDER BY cid");
        sqlite3_bind_text(s.get(), 1, info.name.c_str(), -1, SQLITE_TRANSIENT);
        std::vector<std::pair<int, std::string>> keys;
        while (s.Step() == SQLITE_ROW) {
            std::string column = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
            if (const int pk = sqlite3_column_int(s.get(), 1); pk > 0) {
                keys.emplace_back(pk, column);
            }
            info.columns.push_back(std::move(column));
        }
        std::sort(keys.begin(), keys.end());
        for (auto& k : keys) {
            info.keyColumns.push_back(k.second);
        }
    }
    return tables.emplace(key, std::move(info)).first->second;
}

namespace {

int SchemaVersion(sqlite3* db, std::unique_ptr<Statement>& statement, const char* schema)
{
    if (!statement) {
        statement =
            std::make_unique<Statement>(db, std::string("PRAGMA ") + schema + ".schema_version");
    }
    statement->Step();
    const int version = sqlite3_column_int(statement->get(), 0);
    sqlite3_reset(statement->get());
    return version;
}

} // namespace

bool Session::KeepGuards()
{
    sqlite3* handle = Handle();
    // Guards made inside a transaction that is rolled back are gone with it: the temporary
    // schema's version then goes back as well.
    const std::pair<int, int> versions{SchemaVersion(handle, mainVersion, "main"),
                                       SchemaVersion(handle, tempVersion, "temp")};
    if (guardedSchemas == versions) {
        return false;
    }
    GuardTextSizes(handle);
    guardedSchemas.emplace(versions.first, SchemaVersion(handle, tempVersion, "temp"));
    return true;
}

namespace {

// Whether a statement is an ALTER TABLE.
bool Alters(sqlite3_stmt* stmt)
{
    std::string_view sql = sqlite3_sql(stmt);
    while (!sql.empty() && std::isspace(static_cast<unsigned char>(sql.front()))) {
        sql.remove_prefix(1);
    }
    return sql.size() > 5 && UpperAscii(sql.substr(0, 5)) == "ALTER" &&
           std::isspace(static_cast<unsigned char>(sql[5]));
}

} // namespace

void BindParameters(sqlite3_stmt* stmt, const std::vector<vb::Variant>& bindings)
{
    for (size_t i = 0; i < bindings.size(); ++i) {
        const int index =
            sqlite3_bind_parameter_index(stmt, (":p" + std::to_string(i + 1)).c_str());
        if (index > 0) {
            Bind(stmt, index, ColumnKind::Dynamic, bindings[i]);
        }
    }
}

long Session::Run(const std::string& sql, const std::vector<vb::Variant>& bindings)
{
    sqlite3* handle = Handle();
    long changed = 0;
    const char* tail = sql.c_str();
    while (*tail != '\0') {
        sqlite3_stmt* stmt = nullptr;
        const char* next = nullptr;
        int rc = sqlite3_prepare_v2(handle, tail, -1, &stmt, &next);
        if (rc != SQLITE_OK) {
            RaiseSqlite(handle, rc);
        }
        if (stmt == nullptr) {
            tail = next;
            continue; // blanks or a lone ";"
        }
        // Finalized on every way out: an unfinalized statement keeps its connection from closing.
        std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owner(stmt, sqlite3_finalize);
        // The text size guards are made on the first write, not for every connection opened.
        const bool alters = Alters(stmt);
        if (alters) {
            DropTextSizeGuards(handle);
            guardedSchemas.reset();
        } else if (!sqlite3_stmt_readonly(stmt) && KeepGuards()) {
            continue; // prepared again, with the guards
        }
        tail = next;
        BindParameters(stmt, bindings);
        // sqlite3_changes keeps the count of the last INSERT, UPDATE or DELETE: a statement
        // of another kind (CREATE VIEW ...) changed rows only when the total moved.
        const sqlite3_int64 totalBefore = sqlite3_total_changes64(handle);
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            owner.reset();
            try {
                RaiseSqlite(handle, rc);
            } catch (const vb::Error&) {
                if (alters) {
                    KeepGuards();
                }
                throw;
            }
        }
        if (!sqlite3_stmt_readonly(stmt) && sqlite3_total_changes64(handle) != totalBefore) {
            changed += sqlite3_changes(handle);
        }
        owner.reset();
        if (alters) {
            KeepGuards();
        }
    }
    // A statement may have changed the schema.
    tables.clear();
    return changed;
}

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (std::isspace(static_cast<unsigned char>(s.back())) || s.back() == ';')) {
        s.remove_suffix(1);
    }
    return s;
}

// The leading name of a text ("[Stock Global] order by x", "Tailles where ..."): the name and
// the rest.
std::pair<std::string, std::string_view> LeadingName(std::string_view text)
{
    if (!text.empty() && text.front() == '[') {
        const size_t close = text.find(']');
        if (close != std::string_view::npos) {
            return {std::string(text.substr(1, close - 1)), text.substr(close + 1)};
        }
    }
    size_t end = 0;
    while (end < text.size() &&
           (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_' ||
            static_cast<unsigned char>(text[end]) >= 0x80)) {
        ++end;
    }
    return {std::string(text.substr(0, end)), text.substr(end)};
}

// Splits EXEC arguments at the commas outside quotes.
std::vector<std::string> Arguments(std::string_view text)
{
    std::vector<std::string> out;
    std::string current;
    char quote = 0;
    for (char c : text) {
        if (quote != 0) {
            current += c;
            if (c == quote) {
                quote = 0;
            }
        } else if (c == '\'' || c == '"' || c == '#') {
            quote = c;
            current += c;
        } else if (c == ',') {
            out.emplace_back(Trim(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!Trim(current).empty() || !out.empty()) {
        out.emplace_back(Trim(current));
    }
    return out;
}

// A declared parameter: "[name] Type", "name Type" or a bare name.
struct Declared
{
    std::string name; // as declared, brackets kept
    std::string bare; // without brackets
    std::string type;
};

std::vector<Declared> DeclaredParameters(std::string_view list)
{
    std::vector<Declared> out;
    for (const std::string& n : Arguments(list)) {
        std::string_view text = n;
        Declared d;
        if (!text.empty() && text.front() == '[') {
            const size_t close = text.find(']');
            d.name = std::string(
                text.substr(0, close == std::string_view::npos ? text.size() : close + 1));
            d.bare = d.name.substr(1, d.name.size() - (d.name.back() == ']' ? 2 : 1));
            d.type = std::string(Trim(text.substr(d.name.size())));
        } else {
            const size_t blank = text.find(' ');
            d.name = std::string(text.substr(0, blank));
            d.bare = d.name;
            if (blank != std::string_view::npos) {
                d.type = std::string(Trim(text.substr(blank)));
            }
        }
        if (!d.bare.empty()) {
            out.push_back(std::move(d));
        }
    }
    return out;
}

// The value converted to the parameter's declared type, as the engine converts it when binding.
vb::Variant Typed(const vb::Variant& value, const std::string& type)
{
    if (value.IsNull() || type.empty()) {
        return value;
    }
    return Coerce(KindOfDeclaredType(type), value);
}

bool IsStatement(std::string_view firstWord)
{
    static const char* const words[] = {"SELECT",  "INSERT",  "UPDATE",  "DELETE",   "CREATE",
                                        "DROP",    "ALTER",   "WITH",    "PRAGMA",   "REPLACE",
                                        "VACUUM",  "BEGIN",   "COMMIT",  "ROLLBACK", "SAVEPOINT",
                                        "RELEASE", "ANALYZE", "REINDEX", "VALUES"};
    const std::string u = UpperAscii(firstWord);
    for (const char* w : words) {
        if (u == w) {
            return true;
        }
    }
    return false;
}

// Whether a text begins with a clause that may follow a table's name ("order by ...").
bool StartsWithClause(std::string_view text)
{
    const std::string word = UpperAscii(LeadingName(Trim(text)).first);
    for (const char* clause : {"ORDER", "WHERE", "GROUP", "HAVING", "UNION", "LIMIT"}) {
        if (word == clause) {
            return true;
        }
    }
    return false;
}

bool ReturnsRows(const std::string& sql)
{
    const std::string u = UpperAscii(Trim(sql).substr(0, 10));
    return u.starts_with("SELECT") || u.starts_with("WITH") || u.starts_with("VALUES") ||
           u.starts_with("PRAGMA");
}

} // namespace

std::vector<QueryParameter> QueryParameters(const StoredQuery& query)
{
    std::vector<QueryParameter> out;
    for (Declared& d : DeclaredParameters(query.parameters)) {
        out.push_back({std::move(d.name), std::move(d.type), {}});
    }
    return out;
}

Source Resolve(Session& session, std::string_view commandText)
{
    return Resolve(session, commandText, {});
}

Source Resolve(Session& session, std::string_view commandText,
               const std::vector<QueryParameter>& bound)
{
    const std::string_view text = Trim(commandText);
    auto [first, rest] = LeadingName(text);
    const std::string upperFirst = UpperAscii(first);
    Source source;
    if (upperFirst == "EXEC" || upperFirst == "EXECUTE") {
        auto [name, args] = LeadingName(Trim(rest));
        const std::vector<std::string> arguments = Arguments(args);
        if (auto query = FindStoredQuery(session, name)) {
            const std::vector<Declared> declared = DeclaredParameters(query->parameters);
            std::vector<Parameter> parameters;
            for (size_t i = 0; i < declared.size(); ++i) {
                const Declared& d = declared[i];
                auto set = std::find_if(bound.begin(), bound.end(), [&](const QueryParameter& p) {
                    return !p.value.IsEmpty() && (UpperAscii(p.name) == UpperAscii(d.name) ||
                                                  UpperAscii(p.name) == UpperAscii(d.bare));
                });
                if (set != bound.end()) {
                    // Bound by name and type: the value never enters the statement's text.
                    source.bindings.push_back(Typed(set->value, d.type));
                    parameters.push_back({d.bare, ":p" + std::to_string(source.bindings.size())});
                } else if (i < arguments.size()) {
                    parameters.push_back({d.bare, arguments[i]});
                } else {
                    Raise(ErrMissingParameter,
                          "No value given for one or more required parameters.");
                }
            }
            source.sql = TranslateSql(query->body, parameters);
        } else if (session.Table(name).exists) {
            source.sql = TranslateSql("SELECT * FROM [" + name + "]");
        } else {
            Raise(ErrUnknownTable, "Cannot find the input table or query '" + name + "'.");
        }
    } else if (!first.empty() && !IsStatement(first) && text.front() != '(') {
        const TableInfo& table = session.Table(first);
        std::string translatedRest = TranslateSql(rest);
        if (!table.exists) {
            if (!Trim(rest).empty()) {
                if (StartsWithClause(rest) && !FindStoredQuery(session, first)) {
                    // A name followed by a clause names a table or query that is not there.
                    Raise(ErrUnknownTable, "Cannot find the input table or query '" + first + "'.");
                }
                // Not a name followed by a clause: a statement SQLite will judge.
                source.sql = TranslateSql(text);
                source.returnsRows = ReturnsRows(source.sql);
                return source;
            }
            // A parameterless query of the catalogue opened by its name.
            return Resolve(session, "EXEC [" + first + "]");
        }
        if (table.isView) {
            source.sql = "SELECT * FROM \"" + table.name + "\" " + translatedRest;
        } else {
            source.sql = "SELECT \"" + table.name + "\".rowid AS \"" + RowidColumn +
                         "\", * FROM \"" + table.name + "\" " + translatedRest;
            source.rowTable = table.name;
        }
    } else {
        // A statement's [name]s of the parameters set on its command are bound by name.
        std::vector<Parameter> parameters;
        for (const QueryParameter& p : bound) {
            if (p.value.IsEmpty()) {
                continue;
            }
            std::string_view bare = p.name;
            if (bare.size() >= 2 && bare.front() == '[' && bare.back() == ']') {
                bare = bare.substr(1, bare.size() - 2);
            }
            source.bindings.push_back(Typed(p.value, p.type));
            parameters.push_back(
                {std::string(bare), ":p" + std::to_string(source.bindings.size())});
        }
        source.sql = TranslateSql(text, parameters);
    }
    source.returnsRows = ReturnsRows(source.sql);
    return source;
}

} // namespace ado::detail
