#pragma once

#include "platform/ado/Recordset.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

class QLabel;
class QToolButton;

namespace forms {

class DataControl;

// A control that shows a field of a data control's current row. The data control asks it to
// write its edit before the row changes or is saved, and to show the new row after a move.
class BoundControl
{
public:
    virtual ~BoundControl();
    BoundControl(const BoundControl&) = delete;
    BoundControl& operator=(const BoundControl&) = delete;

    DataControl* DataSource() const { return source_; }
    const QString& DataField() const { return field_; }
    void SetDataSource(DataControl* source);
    void SetDataField(const QString& field);
    void Bind(DataControl* source, const QString& field);

protected:
    BoundControl() = default;

    // Shows the value of the bound field on the current row (or the empty value off the rows).
    virtual void ShowField() = 0;
    // Writes a pending edit into the bound field; nothing when there is none.
    virtual void WriteField() {}

    // The bound field's value on the current row; Null when there is no source, no field or no
    // current row.
    vb::Variant FieldValue() const;
    // Whether the source stands on a row whose bound field can be written.
    bool OnRow() const;
    void SetFieldValue(const vb::Variant& value) const;
    // The defined size of the bound field when it holds text; 0 for any other field, and
    // without source, field or open recordset.
    long FieldTextSize() const;

private:
    QPointer<DataControl> source_;
    QString field_;
    friend class DataControl;
};

// The defined size of a field that holds text; 0 for any other field.
long TextSize(const ado::Field& field);

// The data control: holds a recordset, moves it with its navigation bar (first, previous, next,
// last) and signals each move. The controls bound to it write their edits before the row
// changes or is saved and show the new row after it.
class DataControl : public QWidget
{
    Q_OBJECT

public:
    explicit DataControl(const QString& name, QWidget* parent = nullptr);
    ~DataControl() override;

    // The recordset of the control ("Set data1.Recordset = rs"); the bound controls show its
    // current row at once.
    void SetRecordset(const ado::Recordset& recordset);
    ado::Recordset Recordset() const { return recordset_; }
    bool HasRecordset() const { return attached_; }

    QString Caption() const;
    void SetCaption(const QString& caption);

    // The navigation bar's moves: previous on the first row and next on the last stay there.
    void MoveFirst();
    void MovePrevious();
    void MoveNext();
    void MoveLast();
    // Writes the bound controls' edits and saves the row.
    void UpdateRecord();
    // Runs the recordset's statement again; the bound controls show its current row.
    void Refresh();

signals:
    // Before the current row changes (after the bound controls have written their edits).
    void WillMove(int reason);
    // After the current row has changed (the bound controls show it already).
    void MoveComplete(int reason);
    // A new recordset was given to the control.
    void RecordsetChanged();
    // The current row was saved, its edit cancelled or the row deleted (the bound controls show
    // what the row now holds).
    void RecordChangeComplete(int reason);

private:
    void Detach();
    void ShowBound();
    void WriteBound();
    bool MoveAllowed() const;

    ado::Recordset recordset_;
    bool attached_ = false;
    std::vector<int> handlers_;
    std::vector<BoundControl*> bound_;
    QLabel* caption_;
    friend class BoundControl;
};

} // namespace forms
