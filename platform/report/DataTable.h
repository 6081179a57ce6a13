#pragma once
// The rows a report reads from one of its tables, copied from the recordset given as the table's
// data source, so that the report keeps them after the recordset or its connection closes.

#include "platform/vb/Variant.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace ado {
class Recordset;
}

namespace report {

struct DataTable
{
    QStringList columns;
    std::vector<std::vector<vb::Variant>> rows;

    // The column's index (name compared without regard to case); -1 when absent.
    int Column(const QString& name) const;
    // Copies every row of an open recordset in its current order, without moving it.
    static DataTable FromRecordset(const ado::Recordset& recordset);
};

} // namespace report
