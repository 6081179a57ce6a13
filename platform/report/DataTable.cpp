#include "platform/report/DataTable.h"

#include "platform/ado/Recordset.h"

namespace report {

int DataTable::Column(const QString& name) const
{
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

DataTable DataTable::FromRecordset(const ado::Recordset& recordset)
{
    DataTable table;
    const ado::Fields fields = recordset.Fields();
    const long count = fields.Count();
    for (long i = 0; i < count; ++i)
        table.columns << QString::fromStdString(fields.Item(i).Name());
    const long rows = recordset.RecordCount();
    table.rows.reserve(static_cast<size_t>(rows));
    for (long r = 1; r <= rows; ++r) {
        std::vector<vb::Variant> row;
        row.reserve(static_cast<size_t>(count));
        for (long i = 0; i < count; ++i)
            row.push_back(recordset.ValueAt(r, i));
        table.rows.push_back(std::move(row));
    }
    return table;
}

} // namespace report
