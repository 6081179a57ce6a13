#include "platform/ado/Recordset.h"

#include "platform/ado/RecordsetState.h"
#include "platform/ado/Session.h"
#include "platform/ado/Text.h"
#include "platform/ado/TextSizes.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "platform/vb/Utf8.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <utility>

namespace ado {

namespace detail {

RecordsetState::~RecordsetState()
{
    if (const auto session = statementsOn.lock()) {
        session->statementKeepers.erase(this);
    }
}

void RecordsetState::KeepStatementsOnConnection()
{
    const std::shared_ptr<Session>& session = connection->Session();
    if (statementsOn.lock() == session) {
        return;
    }
    if (const auto former = statementsOn.lock()) {
        former->statementKeepers.erase(this);
    }
    session->statementKeepers[this] = [this] { ReleaseStatements(); };
    statementsOn = session;
}

void RecordsetState::ReleaseStatements()
{
    for (TableWriter& w : writers) {
        w.inserts.clear();
        w.updates.clear();
        w.deletes.clear();
    }
}

void RecordsetState::RequireOpen() const
{
    if (!open) {
        Raise(ErrObjectClosed, "Operation is not allowed when the object is closed.");
    }
}

void RecordsetState::RaiseNoCurrentRow() const
{
    RequireOpen();
    Raise(vb::ErrNoCurrentRecord,
          "Either BOF or EOF is True, or the current record has been deleted. Requested "
          "operation requires a current record.");
}

int RecordsetState::ColumnIndex(std::string_view name) const
{
    RequireOpen();
    std::string_view wanted = name;
    if (wanted.size() >= 2 && wanted.front() == '[' && wanted.back() == ']') {
        wanted = wanted.substr(1, wanted.size() - 2);
    }
    // Callers mostly spell the name as the column does; look for that first.
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].name == wanted) {
            return static_cast<int>(i);
        }
    }
    for (size_t i = 0; i < columns.size(); ++i) {
        if (CompareText(columns[i].name, wanted) == 0) {
            return static_cast<int>(i);
        }
    }
    // "Table.Column"
    if (const size_t dot = wanted.find('.'); dot != std::string_view::npos) {
        const std::string_view table = wanted.substr(0, dot);
        const std::string_view column = wanted.substr(dot + 1);
        for (size_t i = 0; i < columns.size(); ++i) {
            if (CompareText(columns[i].table, table) == 0 &&
                (CompareText(columns[i].column, column) == 0 ||
                 CompareText(columns[i].name, column) == 0)) {
                return static_cast<int>(i);
            }
        }
    }
    Raise(ErrNotFoundInCollection,
          "Item cannot be found in the collection corresponding to the requested name or "
          "ordinal: " +
              std::string(name));
}

vb::Variant& Edits::Slot(int column)
{
    const auto c = static_cast<size_t>(column);
    if (c >= set_.size()) {
        set_.resize(c + 1);
        values_.resize(c + 1);
    }
    if (!set_[c]) {
        set_[c] = true;
        fields_.insert(std::lower_bound(fields_.begin(), fields_.end(), column), column);
    }
    return values_[c];
}

void RecordsetState::SetValue(int column, const vb::Variant& value)
{
    CurrentRow();
    if (lockType == adLockReadOnly) {
        Raise(ErrCannotUpdate, "Current Recordset does not support updating. This may be a "
                               "limitation of the provider, or of the selected locktype.");
    }
    const ColumnInfo& info = columns[static_cast<size_t>(column)];
    if (info.table.empty()) {
        Raise(ErrMultipleStep, "Field '" + info.name + "' cannot be updated.");
    }
    // A text into a text column is kept as it is: copied into the column's slot, whose room
    // a text set before leaves.
    const bool text = info.kind == ColumnKind::Text && value.Type() == vb::VarType::String;
    vb::Variant coerced;
    if (!text) {
        try {
            coerced = Coerce(info.kind, value);
        } catch (const vb::Error&) {
            Raise(ErrMultipleStep,
                  "Multiple-step operation generated errors. Check each status value.");
        }
    }
    const vb::Variant& stored = text ? value : coerced;
    // A text longer than its column's declared size ("TEXT(100)") is refused rather than
    // stored whole: the column cannot hold it.
    if (info.maxChars > 0 && stored.Type() == vb::VarType::String &&
        stored.StringValue().size() > static_cast<size_t>(info.maxChars) &&
        vb::utf8::Length(stored.StringValue()) > info.maxChars) {
        Raise(ErrMultipleStep,
              "Multiple-step operation generated errors. Check each status value.");
    }
    if (editMode == adEditNone) {
        editMode = adEditInProgress;
    }
    if (text) {
        edits.Slot(column) = value;
    } else {
        edits.Slot(column) = std::move(coerced);
    }
}

namespace {

void AppendKey(std::string& out, const vb::Variant& v)
{
    char buf[40];
    switch (v.Type()) {
    case vb::VarType::Empty:
    case vb::VarType::Null:
        out += "N";
        break;
    case vb::VarType::String:
        out += "S" + v.StringValue();
        break;
    case vb::VarType::Bytes:
        out += "B";
        out.append(v.BytesValue().begin(), v.BytesValue().end());
        break;
    case vb::VarType::Date:
        std::snprintf(buf, sizeof buf, "D%.17g", v.DateValue().serial);
        out += buf;
        break;
    default:
        std::snprintf(buf, sizeof buf, "#%.17g", vb::CDbl(v));
        out += buf;
        break;
    }
    out += '\x1f';
}

} // namespace

std::string RecordsetState::KeyOf(uint32_t row) const
{
    std::string key;
    if (primaryTable >= 0) {
        const BaseTable& table = tables[static_cast<size_t>(primaryTable)];
        if (!table.keyFields.empty()) {
            key = "k";
            for (int f : table.keyFields) {
                AppendKey(key, Cell(row, f));
            }
            return key;
        }
        // Rows of a table without key are read with their rowid.
        const int64_t rowid = rowids[static_cast<size_t>(primaryTable)][row];
        if (rowid != NoRowid) {
            return "r" + std::to_string(rowid);
        }
    }
    key = "v";
    for (size_t c = 0; c < columns.size(); ++c) {
        AppendKey(key, Cell(row, static_cast<int>(c)));
    }
    return key;
}

namespace {

// Runs the source text and fills columns, tables and rows.
void Load(RecordsetState& s)
{
    Session& session = *s.connection->Session();
    sqlite3* db = session.Handle();
    const Source source = Resolve(
        session, s.source, s.command ? s.command->Parameters() : std::vector<QueryParameter>{});
    Statement stmt(db, source.sql);
    sqlite3_stmt* st = stmt.get();
    BindParameters(st, source.bindings);
    const int count = sqlite3_column_count(st);
    int rowidColumn = -1;
    const uint32_t previousRows = s.rowCount;
    s.columns.clear();
    s.nameHints.clear();
    s.tables.clear();
    s.data.clear();
    s.rowids.clear();
    s.writers.clear();
    s.deleted.Clear();
    s.rowCount = 0;
    s.view.clear();
    std::vector<int> map; // statement column of each recordset column
    for (int i = 0; i < count; ++i) {
        const char* name = sqlite3_column_name(st, i);
        if (i == 0 && !source.rowTable.empty() && std::string_view(name) == RowidColumn) {
            rowidColumn = 0;
            continue;
        }
        ColumnInfo c;
        c.name = name ? name : "";
        const char* declared = sqlite3_column_decltype(st, i);
        c.declared = declared ? declared : "";
        c.kind = KindOfDeclaredType(c.declared);
        c.affinity = AffinityOf(c.declared);
        if (c.kind == ColumnKind::Text && c.declared.find('(') != std::string::npos) {
            c.maxChars = DefinedSizeOf(c.kind, c.declared);
        }
        if (const char* table = sqlite3_column_table_name(st, i)) {
            c.table = table;
            c.column = sqlite3_column_origin_name(st, i);
        }
        s.columns.push_back(std::move(c));
        map.push_back(i);
    }
    // The base tables, in the order their first column appears.
    for (size_t i = 0; i < s.columns.size(); ++i) {
        ColumnInfo& c = s.columns[i];
        if (c.table.empty()) {
            continue;
        }
        auto it = std::find_if(s.tables.begin(), s.tables.end(),
                               [&](const BaseTable& t) { return t.name == c.table; });
        if (it == s.tables.end()) {
            s.tables.push_back({c.table, {}, {}});
            it = s.tables.end() - 1;
        }
        c.tableIndex = static_cast<int>(it - s.tables.begin());
        it->fields.push_back(static_cast<int>(i));
    }
    s.primaryTable = -1;
    for (size_t t = 0; t < s.tables.size(); ++t) {
        BaseTable& table = s.tables[t];
        const TableInfo& info = session.Table(table.name);
        for (const std::string& key : info.keyColumns) {
            auto f = std::find_if(table.fields.begin(), table.fields.end(), [&](int field) {
                return CompareText(s.columns[static_cast<size_t>(field)].column, key) == 0;
            });
            if (f == table.fields.end()) {
                table.keyFields.clear();
                break;
            }
            table.keyFields.push_back(*f);
        }
        const bool isRowTable = CompareText(table.name, source.rowTable) == 0;
        if (isRowTable || (s.primaryTable < 0 && !table.keyFields.empty())) {
            s.primaryTable = static_cast<int>(t);
        }
    }
    if (s.primaryTable < 0 && !s.tables.empty()) {
        s.primaryTable = 0;
    }
    int rowTableIndex = -1;
    for (size_t t = 0; t < s.tables.size(); ++t) {
        if (CompareText(s.tables[t].name, source.rowTable) == 0) {
            rowTableIndex = static_cast<int>(t);
        }
    }
    for (const ColumnInfo& c : s.columns) {
        s.data.emplace_back(c.kind).Reserve(previousRows);
    }
    s.rowids.resize(s.tables.size());
    s.writers.resize(s.tables.size());
    for (auto& ids : s.rowids) {
        ids.reserve(previousRows);
    }
    const bool readRowid = rowidColumn >= 0 && rowTableIndex >= 0;
    while (stmt.Step() == SQLITE_ROW) {
        for (size_t i = 0; i < s.data.size(); ++i) {
            s.data[i].Append(st, map[i]);
        }
        for (size_t t = 0; t < s.rowids.size(); ++t) {
            s.rowids[t].push_back(readRowid && static_cast<int>(t) == rowTableIndex
                                      ? sqlite3_column_int64(st, rowidColumn)
                                      : NoRowid);
        }
        if (++s.rowCount == std::numeric_limits<uint32_t>::max()) {
            Raise(vb::ErrOutOfMemory, "Out of memory");
        }
    }
    // The arrays grow by doubling while reading; give back what the rows do not use.
    for (Column& c : s.data) {
        c.ShrinkToFit();
    }
    for (auto& ids : s.rowids) {
        ids.shrink_to_fit();
    }
}

// Appends a row of nulls (AddNew) and removes it again (an add cancelled or dropped).
uint32_t AppendRow(RecordsetState& s)
{
    for (Column& c : s.data) {
        c.AppendNull();
    }
    for (auto& ids : s.rowids) {
        ids.push_back(NoRowid);
    }
    return s.rowCount++;
}

void DropAddedRow(RecordsetState& s)
{
    s.view.erase(s.view.begin() + s.pos);
    for (Column& c : s.data) {
        c.PopBack();
    }
    for (auto& ids : s.rowids) {
        ids.pop_back();
    }
    --s.rowCount;
    s.pos = s.positionBeforeAdd;
    s.edits.clear();
    s.editMode = adEditNone;
}

// Resolves the column of each criterion (the columns may have changed since the filter was set).
void ResolveColumns(const RecordsetState& s, FilterNode& node)
{
    if (node.kind == FilterNode::Kind::Criterion) {
        node.column = s.ColumnIndex(node.criterion.field);
    }
    for (FilterNode& child : node.children) {
        ResolveColumns(s, child);
    }
}

bool Evaluate(const FilterNode& node, const RecordsetState& s, uint32_t row)
{
    switch (node.kind) {
    case FilterNode::Kind::And:
        return std::all_of(node.children.begin(), node.children.end(),
                           [&](const FilterNode& c) { return Evaluate(c, s, row); });
    case FilterNode::Kind::Or:
        return std::any_of(node.children.begin(), node.children.end(),
                           [&](const FilterNode& c) { return Evaluate(c, s, row); });
    case FilterNode::Kind::Criterion:
        break;
    }
    return s.data[static_cast<size_t>(node.column)].Matches(node.criterion, row);
}

// Rebuilds the shown rows from the filter and the sort; the current row stays current when
// it is still shown, otherwise the recordset goes to its first row.
void Rebuild(RecordsetState& s, bool keepCurrent)
{
    constexpr uint32_t none = std::numeric_limits<uint32_t>::max();
    const uint32_t current = s.OnRow() ? s.view[static_cast<size_t>(s.pos)] : none;
    if (s.filterNode) {
        ResolveColumns(s, *s.filterNode);
    }
    std::vector<uint32_t> view;
    view.reserve(s.rowCount);
    const bool anyDeleted = s.deleted.Any();
    for (uint32_t row = 0; row < s.rowCount; ++row) {
        if ((!anyDeleted || !s.deleted.Test(row)) &&
            (!s.filterNode || Evaluate(*s.filterNode, s, row))) {
            view.push_back(row);
        }
    }
    s.view = std::move(view);
    if (!s.sortKeys.empty()) {
        std::stable_sort(s.view.begin(), s.view.end(), [&](uint32_t a, uint32_t b) {
            for (const SortKey& k : s.sortKeys) {
                const int r = s.data[static_cast<size_t>(k.column)].Compare(a, b);
                if (r != 0) {
                    return k.descending ? r > 0 : r < 0;
                }
            }
            return false;
        });
    }
    s.currentDeleted = false;
    s.pos = 0;
    if (keepCurrent && current != none) {
        auto it = std::find(s.view.begin(), s.view.end(), current);
        if (it != s.view.end()) {
            s.pos = it - s.view.begin();
        }
    }
}

void Fire(const std::vector<std::pair<int, Recordset::MoveHandler>>& handlers, EventReason reason)
{
    if (handlers.empty()) {
        return; // scans move without handlers
    }
    const auto copy = handlers; // a handler may add or remove handlers
    for (const auto& [id, handler] : copy) {
        handler(reason);
    }
}

std::vector<SortKey> ParseSort(const RecordsetState& s, std::string_view text)
{
    std::vector<SortKey> keys;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            comma = text.size();
        }
        std::string part(text.substr(start, comma - start));
        start = comma + 1;
        // "Field", "Field ASC", "[Field] DESC"
        while (!part.empty() && std::isspace(static_cast<unsigned char>(part.back()))) {
            part.pop_back();
        }
        bool descending = false;
        const std::string upper = UpperAscii(part);
        if (upper.ends_with(" DESC")) {
            descending = true;
            part.resize(part.size() - 5);
        } else if (upper.ends_with(" ASC")) {
            part.resize(part.size() - 4);
        }
        const size_t b = part.find_first_not_of(" \t");
        const size_t e = part.find_last_not_of(" \t");
        if (b == std::string::npos) {
            continue;
        }
        keys.push_back({s.ColumnIndex(part.substr(b, e - b + 1)), descending});
    }
    return keys;
}

// The WHERE clause that finds the stored row of a base table, and its bound values.
struct RowMatch
{
    std::string where;
    std::optional<int64_t> rowid;
    std::vector<std::pair<ColumnKind, vb::Variant>> values;
};

RowMatch Locate(const RecordsetState& s, uint32_t row, int tableIndex)
{
    const BaseTable& table = s.tables[static_cast<size_t>(tableIndex)];
    RowMatch m;
    const int64_t rowid = s.rowids[static_cast<size_t>(tableIndex)][row];
    if (rowid != NoRowid) {
        m.where = "rowid = ?";
        m.rowid = rowid;
        return m;
    }
    const std::vector<int>& fields = table.keyFields.empty() ? table.fields : table.keyFields;
    std::string condition;
    for (int f : fields) {
        const ColumnInfo& c = s.columns[static_cast<size_t>(f)];
        if (!condition.empty()) {
            condition += " AND ";
        }
        condition += QuoteIdentifier(c.column) + " IS ?";
        m.values.emplace_back(c.kind, s.Cell(row, f));
    }
    if (table.keyFields.empty()) {
        // No key among the fields: the first stored row with all these values.
        m.where = "rowid = (SELECT rowid FROM " + QuoteIdentifier(table.name) + " WHERE " +
                  condition + " LIMIT 1)";
    } else {
        m.where = condition;
    }
    return m;
}

void BindAll(sqlite3_stmt* stmt, int first, const RowMatch& m)
{
    if (m.rowid) {
        sqlite3_bind_int64(stmt, first, *m.rowid);
        return;
    }
    for (size_t i = 0; i < m.values.size(); ++i) {
        Bind(stmt, first + static_cast<int>(i), m.values[i].first, m.values[i].second);
    }
}

// Reads the stored columns of a base table back into the row (autonumbers, defaults, the
// stored form of written values).
void Reload(RecordsetState& s, uint32_t row, int tableIndex)
{
    const BaseTable& table = s.tables[static_cast<size_t>(tableIndex)];
    const RowMatch m = Locate(s, row, tableIndex);
    std::string sql = "SELECT rowid";
    for (int f : table.fields) {
        sql += ", " + QuoteIdentifier(s.columns[static_cast<size_t>(f)].column);
    }
    sql += " FROM " + QuoteIdentifier(table.name) + " WHERE " + m.where;
    Statement stmt(s.connection->Session()->Handle(), sql);
    BindAll(stmt.get(), 1, m);
    if (stmt.Step() != SQLITE_ROW) {
        return;
    }
    s.rowids[static_cast<size_t>(tableIndex)][row] = sqlite3_column_int64(stmt.get(), 0);
    for (size_t k = 0; k < table.fields.size(); ++k) {
        const auto f = static_cast<size_t>(table.fields[k]);
        s.data[f].SetRead(row, stmt.get(), static_cast<int>(k) + 1);
    }
}

void RequireWritable(const RecordsetState& s)
{
    if (s.lockType == adLockReadOnly) {
        Raise(ErrCannotUpdate, "Current Recordset does not support updating. This may be a "
                               "limitation of the provider, or of the selected locktype.");
    }
}

void WriteTables(RecordsetState& s, uint32_t row);

void SaveEdits(RecordsetState& s)
{
    if (s.editMode == adEditNone) {
        return;
    }
    const uint32_t row = s.view[static_cast<size_t>(s.pos)];
    sqlite3* db = s.connection->Session()->Handle();
    // The changed fields, grouped by base table.
    s.writeFields.resize(s.tables.size());
    for (std::vector<int>& fields : s.writeFields) {
        fields.clear();
    }
    s.writeTables.clear();
    for (int f : s.edits.Fields()) {
        const int t = s.columns[static_cast<size_t>(f)].tableIndex;
        if (s.writeFields[static_cast<size_t>(t)].empty()) {
            s.writeTables.push_back(t);
        }
        s.writeFields[static_cast<size_t>(t)].push_back(f);
    }
    std::sort(s.writeTables.begin(), s.writeTables.end());
    if (s.editMode == adEditAdd && s.writeTables.empty() && s.primaryTable >= 0) {
        s.writeTables.push_back(s.primaryTable);
    }
    // Writes to several tables succeed or fail together.
    const bool several = s.writeTables.size() > 1;
    if (several) {
        Statement(db, "SAVEPOINT recordset_update").Step();
    }
    try {
        WriteTables(s, row);
    } catch (...) {
        if (several) {
            sqlite3_exec(db, "ROLLBACK TO recordset_update; RELEASE recordset_update", nullptr,
                         nullptr, nullptr);
        }
        throw;
    }
    if (several) {
        Statement(db, "RELEASE recordset_update").Step();
    }
    s.edits.clear();
    s.editMode = adEditNone;
    if (!s.sortKeys.empty() || s.filterNode) {
        Rebuild(s, true);
    }
}

// Reads from the schema what the database adds to a row written in a base table.
void LearnTable(RecordsetState& s, int tableIndex)
{
    const BaseTable& table = s.tables[static_cast<size_t>(tableIndex)];
    TableWriter& w = s.writers[static_cast<size_t>(tableIndex)];
    sqlite3* db = s.connection->Session()->Handle();
    w.computed = false;
    w.rowidField = -1;
    w.defaults.clear();
    std::string definition;
    {
        // The guards of text sizes only refuse a write: they are not counted.
        Statement schema(db, "SELECT (SELECT count(*) FROM sqlite_schema WHERE type = 'trigger' "
                             "AND tbl_name = ?1 COLLATE NOCASE) + (SELECT count(*) FROM "
                             "sqlite_temp_schema WHERE type = 'trigger' AND tbl_name = ?1 COLLATE "
                             "NOCASE AND name NOT GLOB ?2), (SELECT sql FROM sqlite_schema WHERE "
                             "type = 'table' AND name = ?1 COLLATE NOCASE)");
        BindText(schema.get(), 1, table.name);
        BindText(schema.get(), 2, std::string(GuardPrefix) + "*");
        schema.Step();
        w.computed = sqlite3_column_int(schema.get(), 0) > 0;
        if (const auto* sql = sqlite3_column_text(schema.get(), 1)) {
            definition = UpperAscii(reinterpret_cast<const char*>(sql));
        }
    }
    Statement columns(db, "SELECT name, type, dflt_value IS NOT NULL, pk, hidden FROM "
                          "pragma_table_xinfo(?1)");
    BindText(columns.get(), 1, table.name);
    int keyColumns = 0;
    int integerKey = -1;
    while (columns.Step() == SQLITE_ROW) {
        sqlite3_stmt* st = columns.get();
        const std::string_view name(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        std::vector<int> fields; // the recordset's fields that read this column
        for (int f : table.fields) {
            if (CompareText(s.columns[static_cast<size_t>(f)].column, name) == 0) {
                fields.push_back(f);
            }
        }
        if (sqlite3_column_int(st, 3) > 0) {
            ++keyColumns;
            const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
            if (type && UpperAscii(type) == "INTEGER" && fields.size() == 1) {
                integerKey = fields.front();
            }
        }
        if (fields.empty()) {
            continue;
        }
        if (sqlite3_column_int(st, 4) >= 2 || fields.size() > 1) {
            w.computed = true; // a generated column, or a column read twice
        }
        if (sqlite3_column_int(st, 2) != 0) {
            w.defaults.push_back(fields.front());
        }
    }
    if (keyColumns == 1 && integerKey >= 0) {
        // An INTEGER PRIMARY KEY holds the rowid, unless the table has none or the key is
        // declared descending: those rare forms are read back.
        if (definition.find("WITHOUT") != std::string::npos ||
            definition.find("DESC") != std::string::npos) {
            w.computed = true;
        } else {
            w.rowidField = integerKey;
        }
    }
    w.known = true;
}

TableWriter& Writer(RecordsetState& s, int tableIndex)
{
    TableWriter& w = s.writers[static_cast<size_t>(tableIndex)];
    if (!w.known) {
        LearnTable(s, tableIndex);
    }
    return w;
}

// The kept statement of that key, prepared at its first use.
template <class Key, class MakeSql>
Statement& Prepared(std::map<Key, std::unique_ptr<Statement>>& kept, const Key& key, sqlite3* db,
                    MakeSql makeSql)
{
    auto it = kept.find(key);
    if (it == kept.end()) {
        it = kept.emplace(key, std::make_unique<Statement>(db, makeSql())).first;
    } else {
        it->second->Reset();
    }
    return *it->second;
}

// Runs a kept statement. SQLite prepares it again after a schema change; what the table adds to
// rows is then read again too.
void StepKept(TableWriter& w, Statement& stmt)
{
    stmt.Step();
    if (sqlite3_stmt_status(stmt.get(), SQLITE_STMTSTATUS_REPREPARE, 1) > 0) {
        w.known = false;
    }
    stmt.Reset();
}

bool Holds(const std::vector<int>& fields, int field)
{
    return std::find(fields.begin(), fields.end(), field) != fields.end();
}

// Puts the values written to a base table into the row as the table stores them, the
// autonumber of an added row with them; false when only reading the row back tells (triggers,
// defaults, generated columns, values the column's type may change).
bool StoreWritten(RecordsetState& s, uint32_t row, int tableIndex, const std::vector<int>& fields,
                  bool added)
{
    const TableWriter& w = Writer(s, tableIndex);
    if (w.computed) {
        return false;
    }
    bool rowidWritten = false;
    for (int f : fields) {
        const ColumnInfo& c = s.columns[static_cast<size_t>(f)];
        const vb::Variant& value = s.edits.At(f);
        const bool null = value.IsNull() || value.IsEmpty();
        if (null && Holds(w.defaults, f)) {
            return false;
        }
        rowidWritten = rowidWritten || (f == w.rowidField && !null);
        if (!ReadsBackAsWritten(c.kind, c.affinity, value)) {
            return false;
        }
    }
    const int64_t rowid = s.rowids[static_cast<size_t>(tableIndex)][row];
    const bool numbered = added && w.rowidField >= 0 && !rowidWritten;
    if (numbered && (rowid < std::numeric_limits<int32_t>::min() ||
                     rowid > std::numeric_limits<int32_t>::max())) {
        return false;
    }
    if (added) {
        for (int f : s.tables[static_cast<size_t>(tableIndex)].fields) {
            if (!Holds(fields, f) && Holds(w.defaults, f)) {
                return false;
            }
        }
    }
    for (int f : fields) {
        s.data[static_cast<size_t>(f)].Set(row, s.edits.At(f));
    }
    if (numbered) {
        // A Null key takes the next number.
        s.data[static_cast<size_t>(w.rowidField)].Set(row,
                                                      vb::Variant(static_cast<int32_t>(rowid)));
    }
    return true;
}

// Puts the written values into the row, or reads the row back when the table may have changed
// them.
void AfterWrite(RecordsetState& s, uint32_t row, bool added)
{
    for (int t : s.writeTables) {
        const std::vector<int>& fields = s.writeFields[static_cast<size_t>(t)];
        const TableWriter& w = Writer(s, t);
        if (!added && w.rowidField >= 0 && Holds(fields, w.rowidField)) {
            // The row's key changed: it is found by its new rowid from now on.
            s.rowids[static_cast<size_t>(t)][row] = s.edits.At(w.rowidField).LongValue();
        }
        if (!StoreWritten(s, row, t, fields, added)) {
            for (int f : fields) {
                s.data[static_cast<size_t>(f)].Set(row, s.edits.At(f));
            }
            Reload(s, row, t);
        }
    }
}

// Binds the written values of a table's fields from the first parameter on; the values and
// the writer's texts stay as they are until the statement has run.
int BindWritten(RecordsetState& s, TableWriter& w, sqlite3_stmt* stmt,
                const std::vector<int>& fields)
{
    if (w.texts.size() < fields.size()) {
        w.texts.resize(fields.size());
    }
    int i = 1;
    for (int f : fields) {
        Bind(stmt, i, s.columns[static_cast<size_t>(f)].kind, s.edits.At(f),
             &w.texts[static_cast<size_t>(i - 1)]);
        ++i;
    }
    return i;
}

void WriteTables(RecordsetState& s, uint32_t row)
{
    sqlite3* db = s.connection->Session()->Handle();
    s.KeepStatementsOnConnection();
    const bool added = s.editMode == adEditAdd;
    for (int t : s.writeTables) {
        const std::vector<int>& fields = s.writeFields[static_cast<size_t>(t)];
        const BaseTable& table = s.tables[static_cast<size_t>(t)];
        TableWriter& w = s.writers[static_cast<size_t>(t)];
        if (added) {
            Statement& stmt = Prepared(w.inserts, fields, db, [&] {
                std::string sql = "INSERT INTO " + QuoteIdentifier(table.name);
                if (fields.empty()) {
                    return sql + " DEFAULT VALUES";
                }
                std::string names, marks;
                for (int f : fields) {
                    names += (names.empty() ? "" : ", ") +
                             QuoteIdentifier(s.columns[static_cast<size_t>(f)].column);
                    marks += marks.empty() ? "?" : ", ?";
                }
                return sql + " (" + names + ") VALUES (" + marks + ")";
            });
            BindWritten(s, w, stmt.get(), fields);
            StepKept(w, stmt);
            s.rowids[static_cast<size_t>(t)][row] = sqlite3_last_insert_rowid(db);
        } else {
            // The row is found by its key and only while each column written still holds the
            // value read (optimistic locking: another connection may have changed it since).
            const RowMatch m = Locate(s, row, t);
            Statement& stmt =
                Prepared(w.updates, std::make_pair(fields, m.rowid.has_value()), db, [&] {
                    std::string sql = "UPDATE " + QuoteIdentifier(table.name) + " SET ";
                    std::string unchanged;
                    for (size_t k = 0; k < fields.size(); ++k) {
                        const std::string column =
                            QuoteIdentifier(s.columns[static_cast<size_t>(fields[k])].column);
                        sql += (k ? ", " : "") + column + " = ?";
                        unchanged += " AND " + column + " IS ? COLLATE BINARY";
                    }
                    return sql + " WHERE " + m.where + unchanged;
                });
            const int first = BindWritten(s, w, stmt.get(), fields);
            BindAll(stmt.get(), first, m);
            int index = first + (m.rowid ? 1 : static_cast<int>(m.values.size()));
            for (int f : fields) {
                s.data[static_cast<size_t>(f)].BindStored(stmt.get(), index++, row);
            }
            StepKept(w, stmt);
            if (sqlite3_changes(db) == 0) {
                Raise(ErrRowChanged, "Row cannot be located for updating. Some values may "
                                     "have been changed since it was last read.");
            }
        }
    }
    AfterWrite(s, row, added);
}

// Leaves the current row: an edit in progress is saved, an added row without any field set
// is dropped.
void LeaveRow(RecordsetState& s, EventReason reason)
{
    Fire(s.willMove, reason);
    if (s.editMode == adEditAdd && s.edits.empty()) {
        DropAddedRow(s);
        return;
    }
    SaveEdits(s);
}

} // namespace
} // namespace detail

using detail::Raise;
using detail::RecordsetState;

Recordset::Recordset() : state_(std::make_shared<RecordsetState>()) {}

void Recordset::SetCursorLocation(long location)
{
    state_->cursorLocation = location;
}
long Recordset::CursorLocation() const
{
    return state_->cursorLocation;
}
void Recordset::SetCursorType(long type)
{
    state_->cursorType = type;
}
long Recordset::CursorType() const
{
    return state_->cursorType;
}
void Recordset::SetLockType(long lock)
{
    state_->lockType = lock;
}
long Recordset::LockType() const
{
    return state_->lockType;
}

void Recordset::Open(const Command& command)
{
    RecordsetState& s = *state_;
    if (s.open) {
        Raise(3705, "Operation is not allowed when the object is open.");
    }
    if (!command.ActiveConnection()) {
        Raise(detail::ErrNotAllowed, "The connection cannot be used to perform this operation.");
    }
    s.command = command;
    s.connection = command.ActiveConnection();
    s.source = command.CommandText();
    detail::Load(s);
    s.open = true;
    s.editMode = adEditNone;
    s.edits.clear();
    s.filter.clear();
    s.filterNode.reset();
    s.sort.clear();
    s.sortKeys.clear();
    detail::Rebuild(s, false);
    detail::Fire(s.moveComplete, adRsnMove);
}

void Recordset::Open(std::string_view source, const Connection& connection, long cursorType,
                     long lockType)
{
    if (cursorType != adOpenUnspecified) {
        state_->cursorType = cursorType;
    }
    if (lockType != adLockUnspecified) {
        state_->lockType = lockType;
    }
    Command command;
    command.SetActiveConnection(connection);
    command.SetCommandText(source);
    Open(command);
    state_->command.reset();
}

void Recordset::Close()
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    s.open = false;
    s.edits.clear();
    s.editMode = adEditNone;
    s.view.clear();
    s.data.clear();
    s.rowids.clear();
    s.writers.clear();
    s.deleted.Clear();
    s.rowCount = 0;
    s.columns.clear();
    s.tables.clear();
    s.pos = 0;
    s.currentDeleted = false;
}

long Recordset::State() const
{
    return state_->open ? adStateOpen : adStateClosed;
}

std::string Recordset::Source() const
{
    return state_->source;
}

std::optional<Connection> Recordset::ActiveConnection() const
{
    return state_->connection;
}

bool Recordset::Eof() const
{
    state_->RequireOpen();
    return state_->pos >= static_cast<long>(state_->view.size());
}

bool Recordset::Bof() const
{
    state_->RequireOpen();
    return state_->pos < 0 || state_->view.empty();
}

long Recordset::RecordCount() const
{
    state_->RequireOpen();
    return static_cast<long>(state_->view.size());
}

long Recordset::AbsolutePosition() const
{
    const RecordsetState& s = *state_;
    s.RequireOpen();
    if (s.view.empty()) {
        return adPosUnknown;
    }
    if (s.pos < 0) {
        return adPosBOF;
    }
    if (s.pos >= static_cast<long>(s.view.size())) {
        return adPosEOF;
    }
    return s.pos + 1;
}

void Recordset::SetAbsolutePosition(long position)
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    detail::LeaveRow(s, adRsnMove);
    if (position < 1 || position > static_cast<long>(s.view.size())) {
        Raise(detail::ErrBadArgument, "Arguments are of the wrong type, are out of acceptable "
                                      "range, or are in conflict with one another.");
    }
    s.pos = position - 1;
    s.currentDeleted = false;
    detail::Fire(s.moveComplete, adRsnMove);
}

ado::Bookmark Recordset::GetBookmark() const
{
    return ado::Bookmark(state_->KeyOf(state_->CurrentRow()));
}

void Recordset::SetBookmark(const ado::Bookmark& bookmark)
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    detail::LeaveRow(s, adRsnMove);
    for (size_t i = 0; i < s.view.size(); ++i) {
        if (s.KeyOf(s.view[i]) == bookmark.key_) {
            s.pos = static_cast<long>(i);
            s.currentDeleted = false;
            detail::Fire(s.moveComplete, adRsnMove);
            return;
        }
    }
    Raise(detail::ErrBadArgument, "Arguments are of the wrong type, are out of acceptable range, "
                                  "or are in conflict with one another.");
}

void Recordset::MoveFirst()
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    detail::LeaveRow(s, adRsnMoveFirst);
    s.pos = 0;
    s.currentDeleted = false;
    detail::Fire(s.moveComplete, adRsnMoveFirst);
}

void Recordset::MoveLast()
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    detail::LeaveRow(s, adRsnMoveLast);
    s.pos = s.view.empty() ? 0 : static_cast<long>(s.view.size()) - 1;
    s.currentDeleted = false;
    detail::Fire(s.moveComplete, adRsnMoveLast);
}

void Recordset::MoveNext()
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    if (Eof() && !s.currentDeleted) {
        s.CurrentRow(); // raises 3021
    }
    detail::LeaveRow(s, adRsnMoveNext);
    if (s.currentDeleted) {
        s.currentDeleted = false; // pos already stands on the row after the deleted one
    } else {
        ++s.pos;
    }
    detail::Fire(s.moveComplete, adRsnMoveNext);
}

void Recordset::MovePrevious()
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    if (Bof() && !s.currentDeleted) {
        s.CurrentRow(); // raises 3021
    }
    detail::LeaveRow(s, adRsnMovePrevious);
    s.currentDeleted = false;
    --s.pos;
    detail::Fire(s.moveComplete, adRsnMovePrevious);
}

void Recordset::Move(long numRecords, long start)
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    detail::LeaveRow(s, adRsnMove);
    const long size = static_cast<long>(s.view.size());
    long base = s.pos;
    if (start == adBookmarkFirst) {
        base = 0;
    } else if (start == adBookmarkLast) {
        base = size - 1;
    }
    s.currentDeleted = false;
    s.pos = std::clamp(base + numRecords, -1L, size);
    detail::Fire(s.moveComplete, adRsnMove);
}

ado::Fields Recordset::Fields() const
{
    return ado::Fields(state_);
}

Field Recordset::FieldNamed(std::string_view name) const
{
    return Field(state_, state_->ColumnIndex(name));
}

vb::Variant Recordset::ValueAt(long position, long fieldIndex) const
{
    const RecordsetState& s = *state_;
    s.RequireOpen();
    if (fieldIndex < 0 || fieldIndex >= static_cast<long>(s.columns.size())) {
        ado::Fields(state_).Item(fieldIndex); // raises 3265
    }
    const long index = position - 1;
    if (index == s.pos && s.OnRow()) {
        return s.Value(static_cast<int>(fieldIndex));
    }
    if (index < 0 || index >= static_cast<long>(s.view.size())) {
        detail::Raise(vb::ErrNoCurrentRecord, "Either BOF or EOF is True, or the current record "
                                              "has been deleted. Requested operation requires "
                                              "a current record.");
    }
    return s.Cell(s.view[static_cast<size_t>(index)], static_cast<int>(fieldIndex));
}

namespace {

void FindFrom(RecordsetState& s, std::string_view criteria, long skipRows, long direction,
              long begin)
{
    const detail::Criterion criterion = detail::ParseCriterion(criteria);
    const int column = s.ColumnIndex(criterion.field);
    const long size = static_cast<long>(s.view.size());
    const long step = direction == adSearchBackward ? -1 : 1;
    long i = begin + skipRows * step;
    if (step > 0) {
        i = std::max(i, 0L);
    } else {
        i = std::min(i, size - 1);
    }
    s.currentDeleted = false;
    const long end = step > 0 ? size : -1;
    const long found =
        i >= 0 && i < size
            ? s.data[static_cast<size_t>(column)].FindIn(criterion, s.view.data(), i, end, step)
            : -1;
    s.pos = found >= 0 ? found : end;
    detail::Fire(s.moveComplete, adRsnMove);
}

} // namespace

void Recordset::Find(std::string_view criteria, long skipRows, long searchDirection, long start)
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    detail::LeaveRow(s, adRsnMove);
    const long size = static_cast<long>(s.view.size());
    long begin = s.pos;
    if (start == adBookmarkFirst) {
        begin = 0;
    } else if (start == adBookmarkLast) {
        begin = size - 1;
    } else if (s.currentDeleted && searchDirection == adSearchBackward) {
        begin = s.pos - 1;
    }
    FindFrom(s, criteria, skipRows, searchDirection, begin);
}

void Recordset::Find(std::string_view criteria, long skipRows, long searchDirection,
                     const ado::Bookmark& start)
{
    SetBookmark(start);
    FindFrom(*state_, criteria, skipRows, searchDirection, state_->pos);
}

void Recordset::SetSort(std::string_view sort)
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    std::vector<detail::SortKey> keys = detail::ParseSort(s, sort);
    detail::LeaveRow(s, adRsnMove);
    s.sort = std::string(sort);
    s.sortKeys = std::move(keys);
    detail::Rebuild(s, true);
    detail::Fire(s.moveComplete, adRsnMove);
}

std::string Recordset::Sort() const
{
    return state_->sort;
}

void Recordset::SetFilter(std::string_view criteria)
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    std::optional<detail::FilterNode> node;
    const std::string text(criteria);
    if (text.find_first_not_of(" \t") != std::string::npos && text != "0") {
        node = detail::ParseFilter(text);
        // Every field named must exist before the filter takes effect.
        detail::ResolveColumns(s, *node);
    }
    detail::LeaveRow(s, adRsnMove);
    // A criterion of the wrong kind for its field shows only on the rows: the filter in force
    // stays when one of them refuses it.
    std::string previous = std::exchange(s.filter, node ? text : std::string());
    std::optional<detail::FilterNode> previousNode = std::exchange(s.filterNode, std::move(node));
    try {
        detail::Rebuild(s, false);
    } catch (const vb::Error&) {
        s.filter = std::move(previous);
        s.filterNode = std::move(previousNode);
        detail::Rebuild(s, false);
        throw;
    }
    detail::Fire(s.moveComplete, adRsnMove);
}

std::string Recordset::Filter() const
{
    return state_->filter;
}

void Recordset::AddNew()
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    detail::RequireWritable(s);
    if (s.tables.empty()) {
        Raise(detail::ErrCannotUpdate, "Current Recordset does not support updating.");
    }
    detail::LeaveRow(s, adRsnAddNew);
    s.positionBeforeAdd = s.pos;
    s.view.push_back(detail::AppendRow(s));
    s.pos = static_cast<long>(s.view.size()) - 1;
    s.currentDeleted = false;
    s.editMode = adEditAdd;
    s.edits.clear();
    detail::Fire(s.moveComplete, adRsnAddNew);
}

void Recordset::AddNew(const std::vector<std::string>& fieldNames,
                       const std::vector<vb::Variant>& values)
{
    AddNew();
    Update(fieldNames, values);
}

void Recordset::Update()
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    detail::Fire(s.willUpdate, adRsnUpdate);
    if (s.editMode == adEditNone) {
        return;
    }
    detail::SaveEdits(s);
    detail::Fire(s.recordChangeComplete, adRsnUpdate);
}

void Recordset::Update(const std::vector<std::string>& fieldNames,
                       const std::vector<vb::Variant>& values)
{
    if (fieldNames.size() != values.size()) {
        Raise(detail::ErrBadArgument, "Arguments are of the wrong type, are out of acceptable "
                                      "range, or are in conflict with one another.");
    }
    // Rows are mostly written with the same names each time: the column that bore a name
    // exactly is tried first (the first column of that name, as ColumnIndex finds it).
    RecordsetState& s = *state_;
    s.nameHints.resize(fieldNames.size(), -1);
    for (size_t i = 0; i < fieldNames.size(); ++i) {
        int& hint = s.nameHints[i];
        int column = hint;
        if (column < 0 || column >= static_cast<int>(s.columns.size()) ||
            s.columns[static_cast<size_t>(column)].name != fieldNames[i]) {
            column = s.ColumnIndex(fieldNames[i]);
            hint = s.columns[static_cast<size_t>(column)].name == fieldNames[i] ? column : -1;
        }
        s.SetValue(column, values[i]);
    }
    Update();
}

void Recordset::CancelUpdate()
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    if (s.editMode == adEditAdd) {
        detail::DropAddedRow(s);
        detail::Fire(s.moveComplete, adRsnUndoUpdate);
        return;
    }
    const bool edited = s.editMode != adEditNone;
    s.edits.clear();
    s.editMode = adEditNone;
    if (edited) {
        detail::Fire(s.recordChangeComplete, adRsnUndoUpdate);
    }
}

void Recordset::Delete()
{
    RecordsetState& s = *state_;
    const uint32_t row = s.CurrentRow();
    detail::RequireWritable(s);
    if (s.editMode == adEditAdd) {
        CancelUpdate();
        return;
    }
    s.edits.clear();
    s.editMode = adEditNone;
    if (s.primaryTable < 0) {
        Raise(detail::ErrCannotUpdate, "Current Recordset does not support updating.");
    }
    const detail::BaseTable& table = s.tables[static_cast<size_t>(s.primaryTable)];
    const detail::RowMatch m = detail::Locate(s, row, s.primaryTable);
    sqlite3* db = s.connection->Session()->Handle();
    detail::TableWriter& w = s.writers[static_cast<size_t>(s.primaryTable)];
    s.KeepStatementsOnConnection();
    detail::Statement& stmt = detail::Prepared(w.deletes, m.rowid.has_value(), db, [&] {
        return "DELETE FROM " + detail::QuoteIdentifier(table.name) + " WHERE " + m.where;
    });
    detail::BindAll(stmt.get(), 1, m);
    detail::StepKept(w, stmt);
    if (sqlite3_changes(db) == 0) {
        Raise(vb::ErrUnspecified, "Row cannot be located for deletion.");
    }
    s.view.erase(s.view.begin() + s.pos);
    s.deleted.Set(row, true);
    s.currentDeleted = true;
    detail::Fire(s.recordChangeComplete, adRsnDelete);
}

void Recordset::Requery()
{
    RecordsetState& s = *state_;
    s.RequireOpen();
    detail::LeaveRow(s, adRsnRequery);
    if (s.command) {
        // The command's text may have changed since the recordset opened.
        if (auto connection = s.command->ActiveConnection()) {
            s.connection = connection;
        }
        s.source = s.command->CommandText();
    }
    detail::Load(s);
    if (!s.sortKeys.empty()) {
        // The sort stays in force when its fields are still there.
        try {
            s.sortKeys = detail::ParseSort(s, s.sort);
        } catch (const vb::Error&) {
            s.sort.clear();
            s.sortKeys.clear();
        }
    }
    try {
        detail::Rebuild(s, false);
    } catch (const vb::Error&) {
        // A filter on a field the new rows lack no longer applies.
        s.filter.clear();
        s.filterNode.reset();
        detail::Rebuild(s, false);
    }
    detail::Fire(s.moveComplete, adRsnRequery);
}

long Recordset::EditMode() const
{
    state_->RequireOpen();
    return state_->editMode;
}

long Recordset::Status() const
{
    const RecordsetState& s = *state_;
    s.RequireOpen();
    if (s.currentDeleted) {
        return adRecDeleted;
    }
    if (s.editMode == adEditAdd) {
        return adRecNew;
    }
    if (s.editMode == adEditInProgress) {
        return adRecModified;
    }
    return adRecUnmodified;
}

int Recordset::OnWillMove(MoveHandler handler)
{
    const int id = state_->nextHandlerId++;
    state_->willMove.emplace_back(id, std::move(handler));
    return id;
}

int Recordset::OnMoveComplete(MoveHandler handler)
{
    const int id = state_->nextHandlerId++;
    state_->moveComplete.emplace_back(id, std::move(handler));
    return id;
}

int Recordset::OnWillUpdate(MoveHandler handler)
{
    const int id = state_->nextHandlerId++;
    state_->willUpdate.emplace_back(id, std::move(handler));
    return id;
}

int Recordset::OnRecordChangeComplete(MoveHandler handler)
{
    const int id = state_->nextHandlerId++;
    state_->recordChangeComplete.emplace_back(id, std::move(handler));
    return id;
}

void Recordset::RemoveHandler(int id)
{
    for (auto* list : {&state_->willMove, &state_->moveComplete, &state_->willUpdate,
                       &state_->recordChangeComplete}) {
        std::erase_if(*list, [id](const auto& h) { return h.first == id; });
    }
}

} // namespace ado
