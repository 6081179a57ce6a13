#include "platform/forms/DataCombo.h"

#include "platform/forms/BoundControls.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/ErrorBoundary.h"
#include "platform/vb/Error.h"

#include <QLineEdit>

namespace forms {

namespace {

int FieldIndex(const ado::Fields& fields, const QString& name)
{
    for (long i = 0; i < fields.Count(); ++i)
        if (QString::fromStdString(fields.Item(i).Name()).compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

} // namespace

int RowSourceList::IndexOf(const vb::Variant& value) const
{
    if (value.IsNull() || value.IsEmpty())
        return -1;
    for (size_t i = 0; i < entries_.values.size(); ++i) {
        try {
            if (entries_.values[i] == value)
                return int(i);
        } catch (const vb::Error&) {
            // a text that is no number against a number is simply another value
        }
    }
    return -1;
}

void RowSourceList::SetRowSourceOf(QObject* control, DataControl* source)
{
    QObject::disconnect(moveConnection_);
    QObject::disconnect(changeConnection_);
    source_ = source;
    if (source) {
        moveConnection_ = QObject::connect(
            source, &DataControl::MoveComplete, control, Guard(this, [this](int reason) {
                // Only a change of the rows refills the list: a pick moves the row source too.
                const ado::Recordset rs = source_->Recordset();
                if (reason == ado::adRsnRequery || reason == ado::adRsnUndoUpdate ||
                    rs.State() == 0 || rs.RecordCount() != rows_ || rs.Sort() != sort_ ||
                    rs.Filter() != filter_)
                    ReadEntries();
            }));
        changeConnection_ = QObject::connect(source, &DataControl::RecordsetChanged, control,
                                             Guard(this, [this] { ReadEntries(); }));
    }
    ReadEntries();
}

void RowSourceList::SetListFieldOf(const QString& field)
{
    listField_ = field;
    ReadEntries();
}

void RowSourceList::SetBoundColumnOf(const QString& column)
{
    boundColumn_ = column;
    ReadEntries();
}

void RowSourceList::ReadEntries()
{
    entries_ = {};
    rows_ = -1;
    if (source_ && source_->HasRecordset() && source_->Recordset().State() != 0 &&
        !listField_.isEmpty()) {
        const ado::Recordset rs = source_->Recordset();
        const ado::Fields fields = rs.Fields();
        const int list = FieldIndex(fields, listField_);
        const int bound = FieldIndex(fields, BoundColumn());
        rows_ = rs.RecordCount();
        sort_ = rs.Sort();
        filter_ = rs.Filter();
        if (list >= 0) {
            for (long position = 1; position <= rows_; ++position) {
                entries_.texts.append(FieldText(rs.ValueAt(position, list)));
                entries_.values.push_back(bound >= 0 ? rs.ValueAt(position, bound)
                                                     : vb::Variant::Null());
            }
        }
    }
    Fill();
}

void RowSourceList::MoveRowSourceTo(int index) const
{
    if (!source_ || !source_->HasRecordset() || index < 0)
        return;
    ado::Recordset rs = source_->Recordset();
    if (rs.State() == 0 || index >= rs.RecordCount() || rs.AbsolutePosition() == index + 1)
        return;
    try {
        rs.SetAbsolutePosition(index + 1);
    } catch (const vb::Error& error) {
        MsgBox(QString::fromStdString(error.what()), vbExclamation);
    }
}

// Data combo.

DataCombo::DataCombo(const QString& name, Style style, QWidget* parent) : QComboBox(parent)
{
    setObjectName(name);
    setEditable(style != dbcDropdownList);
    setInsertPolicy(QComboBox::NoInsert);
    setCurrentIndex(-1);
    // Moving the row source runs the windows' handlers.
    connect(this, &QComboBox::activated, this, Guard(this, [this](int index) {
                changed_ = true;
                MoveRowSourceTo(index);
                emit Click(dbcAreaList);
            }));
    connect(this, &QComboBox::currentTextChanged, this, [this] {
        if (showing_)
            return;
        changed_ = true;
        emit Change();
    });
}

vb::Variant DataCombo::BoundText() const
{
    if (currentIndex() >= 0 && currentIndex() < int(Entries().values.size()) &&
        currentText() == itemText(currentIndex()))
        return Entries().values[size_t(currentIndex())];
    const QString typed = currentText();
    if (typed.isEmpty())
        return vb::Variant::Null();
    // While the list is being refilled its items may still be those of the old entries.
    const int match = findText(typed, Qt::MatchFixedString);
    if (match >= 0 && match < int(Entries().values.size()))
        return Entries().values[size_t(match)];
    return vb::Variant(typed.toStdString());
}

void DataCombo::SetBoundText(const vb::Variant& value)
{
    Choose(IndexOf(value));
    changed_ = true;
}

void DataCombo::SetText(const QString& text)
{
    const int match = findText(text, Qt::MatchFixedString);
    if (match >= 0 || !isEditable())
        setCurrentIndex(match);
    else
        setEditText(text);
}

void DataCombo::Choose(int index)
{
    showing_ = true;
    setCurrentIndex(index);
    if (index < 0 && isEditable())
        setEditText({});
    showing_ = false;
}

void DataCombo::ShowField()
{
    if (!DataSource() || DataField().isEmpty())
        return;
    Choose(IndexOf(FieldValue()));
    changed_ = false;
}

void DataCombo::WriteField()
{
    if (!changed_ || !OnRow())
        return;
    changed_ = false;
    const QString typed = currentText();
    const int match = currentIndex() >= 0 && typed == itemText(currentIndex())
                          ? currentIndex()
                          : findText(typed, Qt::MatchFixedString);
    if (match >= 0 && match < int(Entries().values.size()))
        SetFieldValue(Entries().values[size_t(match)]);
    else if (typed.isEmpty())
        SetFieldValue(vb::Variant::Null());
    // A text that names no entry leaves the field as it is.
}

void DataCombo::Fill()
{
    const vb::Variant chosen = BoundText();
    showing_ = true;
    clear();
    addItems(Entries().texts);
    showing_ = false;
    if (DataSource() && !DataField().isEmpty())
        ShowField();
    else
        Choose(IndexOf(chosen));
}

} // namespace forms
