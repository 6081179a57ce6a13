#include "platform/ado/Transaction.h"

namespace ado {

void RollBackAfterFailure(Connection& connection) noexcept
{
    try {
        connection.RollbackTrans();
    } catch (...) {
        // The writes' failure is already on its way; this one would only hide it.
    }
}

} // namespace ado
