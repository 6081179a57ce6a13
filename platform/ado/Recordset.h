#pragma once
// Client-side recordset: opening runs the statement and holds its rows in
// memory; moving, Find, Sort, Filter, bookmarks and positions work on those
// rows. AddNew, field assignment, Update and Delete write the base table at
// once by its key (the rowid where a table has none), also through a stored
// query that joins tables. Another connection's changes show after Requery.
//
// EOF and BOF are spelled Eof() and Bof(): EOF is a macro of the C library.

#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Field.h"
#include "platform/vb/Variant.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ado {

enum CursorLocation : long { adUseServer = 2, adUseClient = 3 };
enum CursorType : long {
    adOpenUnspecified = -1,
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3
};
enum LockType : long {
    adLockUnspecified = -1,
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4
};
enum SearchDirection : long { adSearchForward = 1, adSearchBackward = -1 };
enum BookmarkPosition : long { adBookmarkCurrent = 0, adBookmarkFirst = 1, adBookmarkLast = 2 };
enum EditMode : long { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2, adEditDelete = 4 };
enum Position : long { adPosUnknown = -1, adPosBOF = -2, adPosEOF = -3 };
// RecordStatusEnum (the subset a client-side recordset reports)
enum RecordStatus : long {
    adRecOK = 0,
    adRecNew = 1,
    adRecModified = 2,
    adRecDeleted = 4,
    adRecUnmodified = 8
};
// EventReasonEnum: why a move happens, passed to WillMove and MoveComplete.
enum EventReason : long {
    adRsnAddNew = 1,
    adRsnDelete = 2,
    adRsnUpdate = 3,
    adRsnUndoUpdate = 4,
    adRsnRequery = 7,
    adRsnMove = 10,
    adRsnMoveFirst = 12,
    adRsnMoveNext = 13,
    adRsnMovePrevious = 14,
    adRsnMoveLast = 15
};

// What Update raises when the row changed since it was read: another connection wrote one of
// the columns being written, or removed the row.
inline constexpr int32_t ErrRowChanged = static_cast<int32_t>(0x80040E38);

// A row's identity: its key values. It stays valid across Requery and Sort and
// returns to the row with the same key.
class Bookmark
{
public:
    Bookmark() = default;
    bool IsEmpty() const { return key_.empty(); }
    bool operator==(const Bookmark& other) const = default;

private:
    explicit Bookmark(std::string key) : key_(std::move(key)) {}
    std::string key_;
    friend struct detail::RecordsetState;
    friend class Recordset;
};

class Recordset
{
public:
    Recordset();

    // Settings taken before Open; the recordset is always client-side and
    // keeps them only to answer for them. A read-only lock refuses writes.
    void SetCursorLocation(long location);
    long CursorLocation() const;
    void SetCursorType(long type);
    long CursorType() const;
    void SetLockType(long lock);
    // The windows' usual cursor: client-side and dynamic, with the given locking.
    void SetClientCursor(long lock)
    {
        SetCursorLocation(adUseClient);
        SetCursorType(adOpenDynamic);
        SetLockType(lock);
    }
    long LockType() const;

    // Opens on a command (its text and connection).
    void Open(const Command& command);
    // Opens on a source text and a connection (a private command is made).
    void Open(std::string_view source, const Connection& connection,
              long cursorType = adOpenUnspecified, long lockType = adLockUnspecified);
    void Close();
    long State() const;
    std::string Source() const;
    std::optional<Connection> ActiveConnection() const;

    bool Eof() const;
    bool Bof() const;
    long RecordCount() const;
    // 1-based position in the current order; adPosBOF, adPosEOF or adPosUnknown
    // off the rows.
    long AbsolutePosition() const;
    void SetAbsolutePosition(long position);
    ado::Bookmark GetBookmark() const;
    void SetBookmark(const ado::Bookmark& bookmark);

    void MoveFirst();
    void MoveNext();
    void MovePrevious();
    void MoveLast();
    void Move(long numRecords, long start = adBookmarkCurrent);

    ado::Fields Fields() const;
    // The value of a field (by ordinal) on the row at a 1-based position of the current
    // order, read without moving; the current row gives its edit in progress. Grids read
    // their cells this way. Raises vb::Error 3021 for a position off the rows.
    vb::Variant ValueAt(long position, long fieldIndex) const;
    Field Fields(std::string_view name) const { return FieldNamed(name); }
    Field Fields(long index) const { return Fields().Item(index); }
    Field operator[](std::string_view name) const { return FieldNamed(name); }

    // Find with a criterion of one field ("[Nom] like 'DU*'", "Reference =1000",
    // "LaDate >= #5/12/2024#"). Searches from the current row, or from the first
    // or last with start; skipRows rows are passed over first. Not found leaves
    // the recordset at EOF (forward) or BOF (backward).
    void Find(std::string_view criteria, long skipRows = 0, long searchDirection = adSearchForward,
              long start = adBookmarkCurrent);
    void Find(std::string_view criteria, long skipRows, long searchDirection,
              const ado::Bookmark& start);

    // "Field [ASC|DESC], ..."; the empty text restores the order of the rows as
    // read. Stays in force across updates, AddNew and Requery.
    void SetSort(std::string_view sort);
    std::string Sort() const;

    // Criteria joined by AND / OR (each one as Find takes); the empty text shows
    // every row.
    void SetFilter(std::string_view criteria);
    std::string Filter() const;

    void AddNew();
    void AddNew(const std::vector<std::string>& fieldNames, const std::vector<vb::Variant>& values);
    void Update();
    void Update(const std::vector<std::string>& fieldNames, const std::vector<vb::Variant>& values);
    void CancelUpdate();
    void Delete();
    void Requery();
    long EditMode() const;
    long Status() const;

    // Notifications for data-bound controls. WillMove runs before the current
    // row changes (bound controls write their edits then); MoveComplete after.
    using MoveHandler = std::function<void(EventReason)>;
    int OnWillMove(MoveHandler handler);
    int OnMoveComplete(MoveHandler handler);
    // Runs when Update is called, before the row is saved (reason adRsnUpdate), so that bound
    // controls write their edits into the fields first.
    int OnWillUpdate(MoveHandler handler);
    // Runs after the current row was saved (adRsnUpdate), its edit cancelled (adRsnUndoUpdate)
    // or deleted (adRsnDelete): the row stays current, but what it shows or the rows changed.
    int OnRecordChangeComplete(MoveHandler handler);
    void RemoveHandler(int id);

    bool operator==(const Recordset& other) const { return state_ == other.state_; }

private:
    // A field by name, with one reference to the state (rs("Nom") on every row).
    Field FieldNamed(std::string_view name) const;

    std::shared_ptr<detail::RecordsetState> state_;
};

} // namespace ado
