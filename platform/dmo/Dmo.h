#pragma once
// Administration of the database server: a server object that connects with a login, its
// databases, and their stored procedures and views.
//
// The server is this machine. Its databases are the database files of one folder: the database
// "ZAD" is the file zad.MDB of that folder, its name matched without regard to case. The one
// login is qz; its password is the password recorded in the database it opens, so a connection
// without a password reaches only databases that have none. Stored procedures are kept, name
// and text, in a catalogue table of their database; they are recorded, never run. The views are
// the database's own views.
//
// Every failure raises vb::Error with one of the numbers below.

#include "platform/ado/Connection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dmo {

inline constexpr int32_t ErrServerNotFound = static_cast<int32_t>(0x80045001);
inline constexpr int32_t ErrLoginFailed = static_cast<int32_t>(0x80045002);
inline constexpr int32_t ErrDatabaseNotFound = static_cast<int32_t>(0x80045003);
inline constexpr int32_t ErrObjectNotFound = static_cast<int32_t>(0x80045004);
inline constexpr int32_t ErrNotConnected = static_cast<int32_t>(0x80045005);
inline constexpr int32_t ErrObjectExists = static_cast<int32_t>(0x80045006);

// The name of the catalogue table of stored procedures.
inline constexpr const char* ProceduresTable = "SysProcedures";

// A stored procedure: its name and its text, as it was added.
struct StoredProcedure
{
    std::string Name;
    std::string Text;
};

namespace detail {
struct DatabaseState;
}

// The stored procedures of a database, by position from 1 in the order they were added.
class StoredProcedures
{
public:
    long Count() const;
    StoredProcedure Item(long index) const;
    // ErrObjectExists when a procedure of that name (without regard to case) exists.
    void Add(const StoredProcedure& procedure);
    // ErrObjectNotFound when none has that name (without regard to case).
    void Remove(const std::string& name);

private:
    explicit StoredProcedures(std::shared_ptr<detail::DatabaseState> state)
        : state_(std::move(state))
    {
    }
    std::shared_ptr<detail::DatabaseState> state_;
    friend class Database;
};

// The views of a database, by position from 1 in the order of their names.
class Views
{
public:
    long Count() const;
    std::string Item(long index) const;
    // ErrObjectNotFound when none has that name (without regard to case).
    void Remove(const std::string& name);

private:
    explicit Views(std::shared_ptr<detail::DatabaseState> state) : state_(std::move(state)) {}
    std::shared_ptr<detail::DatabaseState> state_;
    friend class Database;
};

class Database
{
public:
    std::string Name() const;
    dmo::StoredProcedures StoredProcedures() const;
    dmo::Views Views() const;

private:
    explicit Database(std::shared_ptr<detail::DatabaseState> state) : state_(std::move(state)) {}
    std::shared_ptr<detail::DatabaseState> state_;
    friend class SQLServer;
};

class SQLServer
{
public:
    // The server of this machine, whose databases are the database files of the folder.
    explicit SQLServer(std::string folder);
    ~SQLServer();
    SQLServer(const SQLServer&) = delete;
    SQLServer& operator=(const SQLServer&) = delete;

    // The server name is a machine and an optional instance, "machine\instance"; the machine
    // must be this one: "(local)", ".", "localhost", 127.0.0.1 or the host's name.
    // ErrServerNotFound for another machine, ErrLoginFailed for a login other than qz.
    void Connect(const std::string& serverName, const std::string& login,
                 const std::string& password);
    // The same, without a password.
    void Connect(const std::string& serverName, const std::string& login);
    // Closes every database reached through the connection.
    void DisConnect();
    bool Connected() const { return connected_; }

    // The database of that name: ErrNotConnected before Connect, ErrDatabaseNotFound when the
    // folder has no such file, ErrLoginFailed when the password is not the database's.
    Database Databases(const std::string& name);

    // Whether the name designates this machine's server.
    static bool IsThisMachine(const std::string& serverName);

private:
    void Open(const std::string& serverName, const std::string& login, const std::string& password);

    std::string folder_;
    std::string password_;
    bool connected_ = false;
    std::vector<std::shared_ptr<detail::DatabaseState>> opened_;
};

} // namespace dmo
