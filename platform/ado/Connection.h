#pragma once
// Connection to a database file, in the manner of an ADO connection.
//
// The file is an SQLite database under the system's file name. Open takes the
// connection string the windows build
//   Provider=...;Data Source=<path>;Jet OLEDB:Database Password=<password>
// opens only an existing file and checks the password recorded in it; "Mode=Read"
// opens it for reading only, as does a file or folder that cannot be written. Every
// commit is written into the file itself (a rollback journal exists beside it only
// while a write is in progress), so that the file alone holds every committed
// change whenever nothing writes. Every statement sent through Execute (and
// through commands and recordsets) goes through TranslateSql first.
//
// Connection, Command and Recordset are handles: a copy refers to the same
// object, as a second reference does in the original program.

#include <memory>
#include <string>
#include <string_view>

struct sqlite3;

namespace ado {

// ObjectStateEnum
enum ObjectState : long { adStateClosed = 0, adStateOpen = 1 };

namespace detail {
struct Session;
}

// What Open raises when the file is there but its folder cannot be written or the disk is full.
inline constexpr int ErrCannotWriteBeside = 3051;

class Connection
{
public:
    Connection();

    // Raises vb::Error 0x80004005 when the file is missing, unreadable, locked,
    // not a database, or the password does not match; ErrCannotWriteBeside when
    // the folder or the disk cannot take what opening it writes.
    void Open(std::string_view connectionString, std::string_view userId = {},
              std::string_view password = {});
    void Close();
    long State() const;
    const std::string& ConnectionString() const;
    // The path of the file found on disk (its name matched without regard to case).
    std::string DataSource() const;

    // Runs one statement (Access dialect, or "EXEC name args"); returns the
    // number of rows it changed.
    long Execute(std::string_view commandText);

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    // The underlying SQLite handle; null while closed.
    sqlite3* Handle() const;

    bool operator==(const Connection& other) const { return session_ == other.session_; }

    // Shared state, used by commands and recordsets.
    const std::shared_ptr<detail::Session>& Session() const { return session_; }

private:
    std::shared_ptr<detail::Session> session_;
};

// Closes every open connection of the process, each file's journal written back into it, so
// that the database files hold every change on their own. The program's end runs it.
void CloseAllConnections();

} // namespace ado
