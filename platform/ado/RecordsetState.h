#pragma once
// The state behind a Recordset handle and its Field views.

#include "platform/ado/Columns.h"
#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Criteria.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Values.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ado::detail {

inline constexpr int64_t NoRowid = INT64_MIN;

struct ColumnInfo
{
    std::string name;
    std::string declared;
    ColumnKind kind = ColumnKind::Dynamic;
    std::string table;  // base table, empty for a computed column
    std::string column; // base column
    int tableIndex = -1;
};

struct BaseTable
{
    std::string name;
    std::vector<int> fields;    // the recordset's columns that come from it
    std::vector<int> keyFields; // its primary key's columns, when all of them are present
};

struct SortKey
{
    int column;
    bool descending;
};

struct RecordsetState
{
    long cursorLocation = adUseServer;
    long cursorType = adOpenForwardOnly;
    long lockType = adLockReadOnly;

    bool open = false;
    std::optional<Command> command; // its current text runs again at Requery
    std::optional<Connection> connection;
    std::string source;

    std::vector<ColumnInfo> columns;
    std::vector<BaseTable> tables;
    int primaryTable = -1; // the table whose key identifies a row
    // The rows in the order read, added rows last, stored by column; a row is its index.
    // Deleted rows keep their place (marked in `deleted`) so that indices stay valid.
    uint32_t rowCount = 0;
    std::vector<Column> data;                 // per column
    std::vector<std::vector<int64_t>> rowids; // per base table; NoRowid when not known
    RowBits deleted;
    std::vector<uint32_t> view;  // the rows shown: filtered, then sorted
    long pos = 0;                // index in view; -1 before the first row
    bool currentDeleted = false; // the current row was deleted; pos is the next one

    long editMode = adEditNone;
    std::map<int, vb::Variant> edits;
    long positionBeforeAdd = 0;

    std::string sort;
    std::vector<SortKey> sortKeys;
    std::string filter;
    std::optional<FilterNode> filterNode;

    int nextHandlerId = 1;
    std::vector<std::pair<int, Recordset::MoveHandler>> willMove;
    std::vector<std::pair<int, Recordset::MoveHandler>> moveComplete;
    std::vector<std::pair<int, Recordset::MoveHandler>> willUpdate;
    std::vector<std::pair<int, Recordset::MoveHandler>> recordChangeComplete;

    void RequireOpen() const;
    bool OnRow() const
    {
        return pos >= 0 && pos < static_cast<long>(view.size()) && !currentDeleted;
    }
    // Raises 3021 off the rows (3704 when closed).
    uint32_t CurrentRow() const
    {
        if (!open || !OnRow()) {
            RaiseNoCurrentRow();
        }
        return view[static_cast<size_t>(pos)];
    }
    [[noreturn]] void RaiseNoCurrentRow() const;
    int ColumnIndex(std::string_view name) const; // raises 3265 when unknown

    // The current row's value, its edit in progress first (inline: bound controls and scans
    // read it for every row).
    vb::Variant Value(int column) const
    {
        const uint32_t row = CurrentRow();
        if (!edits.empty()) {
            if (auto it = edits.find(column); it != edits.end()) {
                return it->second;
            }
        }
        return Cell(row, column);
    }
    void SetValue(int column, const vb::Variant& value);
    vb::Variant OriginalValue(int column) const;
    // The stored value of a row.
    vb::Variant Cell(uint32_t row, int column) const
    {
        return data[static_cast<size_t>(column)].Get(row);
    }

    std::string KeyOf(uint32_t row) const;
};

} // namespace ado::detail
