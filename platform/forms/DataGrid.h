#pragma once

#include "platform/forms/DataControl.h"

#include <QFrame>
#include <QPointer>
#include <QString>

#include <vector>

class QLabel;
class QTableView;

namespace forms {

class DataGrid;
class RecordsetModel;

// One column of a data grid, as DBGrid2.Columns(3) hands it out.
class GridColumn
{
public:
    QString Caption() const;
    void SetCaption(const QString& caption);
    QString DataField() const;
    void SetDataField(const QString& field);
    // Width in twips.
    int Width() const;
    void SetWidth(int twips);
    // A Format pattern for the cells' text ("Short Date", "0.00" ...); empty shows the value.
    QString NumberFormat() const;
    void SetNumberFormat(const QString& format);
    bool Locked() const;
    void SetLocked(bool locked);
    void SetVisible(bool visible);
    void SetAllowSizing(bool allow);
    // A button in the current cell of the column; a click on it fires ButtonClick.
    bool Button() const;
    void SetButton(bool button);
    // The value and the text of the column on the current row (Null and "" off the rows).
    vb::Variant Value() const;
    QString Text() const;

private:
    GridColumn(DataGrid* grid, int index) : grid_(grid), index_(index) {}
    DataGrid* grid_;
    int index_;
    friend class DataGrid;
};

// A grid over the recordset of a data control (DBGrid, DataGrid): one row per row of the
// recordset in its current order, its current row kept in step with the recordset both ways.
// Header clicks are only reported: the window decides whether they sort or choose a key.
class DataGrid : public QFrame
{
    Q_OBJECT

public:
    explicit DataGrid(const QString& name, QWidget* parent = nullptr);
    ~DataGrid() override;

    void SetDataSource(DataControl* source);
    DataControl* DataSource() const { return source_; }

    // The caption bar above the cells; hidden while empty.
    QString Caption() const;
    void SetCaption(const QString& caption);

    // Columns. A grid given none shows one column per field, captioned by its name.
    int AddColumn(const QString& caption, const QString& dataField, int widthTwips = -1);
    int ColumnCount() const;
    GridColumn Columns(int index);

    // Whether cells that are not locked take typing.
    bool AllowUpdate() const { return allowUpdate_; }
    void SetAllowUpdate(bool allow) { allowUpdate_ = allow; }
    // An empty last row where typing in a cell that is not locked starts a new record (the
    // recordset's AddNew, then OnAddNew); the record is saved (Update) when the grid leaves its
    // row. Switching it off keeps a record being added.
    bool AllowAddNew() const;
    void SetAllowAddNew(bool allow);

    // Lines of text in the column headers (0 hides them); a caption wider than its column
    // wraps onto the next line.
    void SetHeadLines(int lines);

    // The current cell: the row from 0 in the grid (-1 when none) and the column.
    int Row() const;
    int Col() const;
    void SetCol(int col);
    // The text of the current cell.
    QString Text() const;
    // Shows the recordset's rows again.
    void Refresh();

    QTableView* View() const { return view_; }
    // Where the current cell's button lies, in the view's viewport; empty when it has none.
    QRect CellButtonRect() const;

signals:
    void HeadClick(int colIndex);
    void Click();
    void DblClick();
    // The current cell changed; lastRow is the previous row's position in the recordset (from
    // 1), or Null when there was none.
    void RowColChange(const vb::Variant& lastRow, int lastCol);
    void ButtonClick(int colIndex);
    // Typing in the empty last row has just started a record: the recordset stands on it in
    // add mode. A handler that saves, cancels or leaves it takes the new row over, and the
    // typed text is then dropped.
    void OnAddNew();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FollowRecordset(int reason);
    void CurrentChanged(const QModelIndex& current, const QModelIndex& previous);
    // Moves the recordset to a row the user chose, saving a record being added first; false
    // when the grid went back to the recordset's row.
    bool MoveRecordsetTo(int row);
    // Adds a record for a key typed in the empty last row; the cell of the column on the new
    // record, or an invalid index when there is none to type into.
    QModelIndex StartNewRecord(int column);
    // Escape in a new record that holds no typing drops it.
    void CancelNewRecord();
    void ApplyColumnLayout(int index);
    void ApplyLayout();
    friend class GridColumn;
    friend class CellButtonDelegate;
    friend class GridView;

    QPointer<DataControl> source_;
    QMetaObject::Connection moveConnection_;
    QMetaObject::Connection changeConnection_;
    QMetaObject::Connection recordConnection_;
    RecordsetModel* model_;
    QTableView* view_;
    QLabel* caption_;
    bool allowUpdate_ = true;
    int headLines_ = 1;
    bool following_ = false;
    // The last release was on a cell's button: the view's click that follows is not the grid's.
    bool buttonPressed_ = false;
};

using DBGrid = DataGrid;

} // namespace forms
