#include "platform/ado/CurrentRow.h"

#include "platform/vb/Error.h"

namespace ado {

bool OnRow(const Recordset& rs)
{
    // Bof holds on an empty record set too, so that no row count is needed.
    return !rs.Eof() && !rs.Bof();
}

bool OpenOnRow(const Recordset& rs)
{
    return rs.State() == adStateOpen && OnRow(rs);
}

void CancelPendingEdit(Recordset& rs)
{
    try {
        if (rs.State() == adStateOpen && rs.EditMode() != adEditNone)
            rs.CancelUpdate();
    } catch (const vb::Error&) {
    }
}

} // namespace ado
