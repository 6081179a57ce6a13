#pragma once
// Where a record set stands, and what it holds pending on its current row.

#include "platform/ado/Recordset.h"

namespace ado {

// Whether the record set stands on a row (neither past its end nor before its start). Like Eof
// and Bof, it raises 3704 on a closed record set.
bool OnRow(const Recordset& rs);

// Whether the record set is open and stands on a row; false on a closed one.
bool OpenOnRow(const Recordset& rs);

// Drops the pending edit or addition of the current row, for instance one the database refused,
// so that the list it feeds stays usable. Does nothing on a closed record set or one with
// nothing pending; a failure to cancel is ignored.
void CancelPendingEdit(Recordset& rs);

} // namespace ado
