#pragma once
// The state behind a Recordset handle and its Field views.

#include "platform/ado/Columns.h"
#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Criteria.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Session.h"
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
    Affinity affinity = Affinity::None;
    long maxChars = 0;  // the declared size of a sized text ("TEXT(50)"), 0 otherwise
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

// The prepared writes of a base table, kept while the recordset is open, and what the database
// adds to a row written there (read from the schema at the first write).
struct TableWriter
{
    bool known = false;
    bool computed = false;          // triggers or generated columns may change any written row
    int rowidField = -1;            // the field holding the table's rowid (an autonumber)
    std::vector<int> defaults;      // fields with a default value
    std::vector<std::string> texts; // the texts bound for dates and amounts, kept until the step
    // By the fields written (and, for updates, whether the row is found by its rowid).
    std::map<std::vector<int>, std::unique_ptr<Statement>> inserts;
    std::map<std::pair<std::vector<int>, bool>, std::unique_ptr<Statement>> updates;
    std::map<bool, std::unique_ptr<Statement>> deletes;
};

// The values set on the current row and not yet written, by column. A column's slot stays
// between rows, so that a text set again reuses its room.
class Edits
{
public:
    bool empty() const { return fields_.empty(); }
    void clear()
    {
        for (int f : fields_) {
            set_[static_cast<size_t>(f)] = false;
        }
        fields_.clear();
    }
    // The value set on a column; null when none is.
    const vb::Variant* Find(int column) const
    {
        const auto c = static_cast<size_t>(column);
        return c < set_.size() && set_[c] ? &values_[c] : nullptr;
    }
    // The value of a column that has one.
    const vb::Variant& At(int column) const { return values_[static_cast<size_t>(column)]; }
    // The value of a column, to be replaced.
    vb::Variant& Slot(int column);
    // The columns that have a value, in column order.
    const std::vector<int>& Fields() const { return fields_; }

private:
    std::vector<vb::Variant> values_;
    std::vector<char> set_;
    std::vector<int> fields_;
};

struct SortKey
{
    int column;
    bool descending;
};

struct RecordsetState
{
    RecordsetState() = default;
    ~RecordsetState();
    RecordsetState(const RecordsetState&) = delete;
    RecordsetState& operator=(const RecordsetState&) = delete;

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
    std::vector<Column> data;                // per column
    std::vector<PlainArray<int64_t>> rowids; // per base table; NoRowid when not known
    std::vector<TableWriter> writers;        // per base table
    // The connection whose keepers know of the writers' statements (Session::statementKeepers).
    std::weak_ptr<Session> statementsOn;
    RowBits deleted;
    std::vector<uint32_t> view;  // the rows shown: filtered, then sorted
    long pos = 0;                // index in view; -1 before the first row
    bool currentDeleted = false; // the current row was deleted; pos is the next one

    long editMode = adEditNone;
    Edits edits;
    std::vector<int> nameHints;                // the column of each name of the last Update
    std::vector<std::vector<int>> writeFields; // per base table, the fields being written
    std::vector<int> writeTables;              // the base tables being written
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
    // Tells the connection of the writers' statements, so that closing it finalizes them.
    void KeepStatementsOnConnection();
    void ReleaseStatements();
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
            if (const vb::Variant* edit = edits.Find(column)) {
                return *edit;
            }
        }
        return Cell(row, column);
    }
    void SetValue(int column, const vb::Variant& value);
    // The stored value of a row.
    vb::Variant Cell(uint32_t row, int column) const
    {
        return data[static_cast<size_t>(column)].Get(row);
    }

    std::string KeyOf(uint32_t row) const;
};

} // namespace ado::detail
