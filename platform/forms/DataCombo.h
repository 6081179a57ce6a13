#pragma once

#include "platform/forms/DataControl.h"

#include <QComboBox>
#include <QPointer>

#include <vector>

// Data combos (DBCombo, DataCombo): the entries are the rows of a row
// source recordset, shown by their list field; choosing one gives its bound column's value,
// which is written into the bound field of another data control when that one moves or saves.
namespace forms {

// The entries of a row source, in the recordset's order.
struct RowSourceEntries
{
    QStringList texts;
    std::vector<vb::Variant> values; // the bound column of each entry
};

// The list that a data combo keeps from its row source, refilled when the row source
// is given a recordset or its rows change (requery, added or removed rows, another order).
class RowSourceList
{
public:
    // The bound column; the list field when none is set.
    QString BoundColumn() const { return boundColumn_.isEmpty() ? listField_ : boundColumn_; }
    const RowSourceEntries& Entries() const { return entries_; }
    // The entry whose bound value equals the value; -1 when none does.
    int IndexOf(const vb::Variant& value) const;

protected:
    RowSourceList() = default;
    ~RowSourceList() = default;

    // Connects to the row source with the control as context; refilled calls Fill.
    void SetRowSourceOf(QObject* control, DataControl* source);
    void SetListFieldOf(const QString& field);
    void SetBoundColumnOf(const QString& column);
    // Reads the entries again and has the control show them.
    void ReadEntries();
    // Puts the row source on the entry's row, as the system's code expects after a pick.
    void MoveRowSourceTo(int index) const;
    virtual void Fill() = 0;

private:
    QPointer<DataControl> source_;
    QMetaObject::Connection moveConnection_;
    QMetaObject::Connection changeConnection_;
    QString listField_;
    QString boundColumn_;
    RowSourceEntries entries_;
    long rows_ = -1;
    std::string sort_;
    std::string filter_;
};

class DataCombo : public QComboBox, public BoundControl, public RowSourceList
{
    Q_OBJECT

public:
    enum Style { dbcDropdownCombo = 0, dbcSimpleCombo = 1, dbcDropdownList = 2 };
    // Click's area: a pick in the list is dbcAreaList.
    enum Area { dbcAreaButton = 0, dbcAreaEdit = 1, dbcAreaList = 2 };

    explicit DataCombo(const QString& name, Style style = dbcDropdownCombo,
                       QWidget* parent = nullptr);

    void SetRowSource(DataControl* source) { SetRowSourceOf(this, source); }
    void SetListField(const QString& field) { SetListFieldOf(field); }
    void SetBoundColumn(const QString& column) { SetBoundColumnOf(column); }
    // Reads the row source's rows again.
    void ReFill() { ReadEntries(); }

    // The bound column's value of the chosen entry; without one, the typed text (Null when
    // empty).
    vb::Variant BoundText() const;
    // Chooses the entry of that bound value (none when no entry has it).
    void SetBoundText(const vb::Variant& value);
    QString Text() const { return currentText(); }
    void SetText(const QString& text);
    int ListIndex() const { return currentIndex(); }

signals:
    void Click(int area);
    void Change();

protected:
    void ShowField() override;
    void WriteField() override;
    void Fill() override;

private:
    void Choose(int index);
    bool changed_ = false;
    bool showing_ = false;
};

using DBCombo = DataCombo;

} // namespace forms
