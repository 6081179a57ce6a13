#pragma once
// Writes that belong together: all of them are kept, or none.

#include "platform/ado/Connection.h"

#include <type_traits>
#include <utility>

namespace ado {

// Rolls back the connection's innermost transaction after a failed write. A rollback that fails
// in turn is dropped: the failure of the writes is the one the caller reports.
void RollBackAfterFailure(Connection& connection) noexcept;

// Runs `writes` in one transaction and returns what they return. When they (or the commit) fail,
// the transaction is rolled back and their failure passed on as it was raised.
template <class Writes>
std::invoke_result_t<Writes> RunInTransaction(Connection& connection, Writes&& writes)
{
    connection.BeginTrans();
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<Writes>>) {
            std::forward<Writes>(writes)();
            connection.CommitTrans();
        } else {
            auto result = std::forward<Writes>(writes)();
            connection.CommitTrans();
            return result;
        }
    } catch (...) {
        RollBackAfterFailure(connection);
        throw;
    }
}

} // namespace ado
