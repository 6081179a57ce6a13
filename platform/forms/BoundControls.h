#pragma once

#include "platform/forms/Controls.h"
#include "platform/forms/DataControl.h"

#include <QLineEdit>

// Text boxes and labels bound to a field of a data control's current row.
namespace forms {

// The text of a field's value: Null shows as the empty text; a non-empty pattern formats the
// value as the language's Format does (dates, money).
QString FieldText(const vb::Variant& value, const QString& format = {});

// Takes the defined size of a text field as the box's maximum length, as a bound box does, so
// that a box whose text the program writes to that field takes no more than the column holds.
// A field of another type leaves the box at Qt's longest.
void LimitToField(QLineEdit& box, const ado::Field& field);

// A text box bound to a field. It shows the field of each new row; an edit (typed or set by
// code) is written into the field when the recordset moves or is saved. An emptied box writes
// Null. A locked box only shows. Bound to a text field, the box takes the field's defined size
// as its maximum length, so that nothing longer than the column holds can be typed.
class BoundText : public QLineEdit, public BoundControl
{
    Q_OBJECT

public:
    explicit BoundText(const QString& name, QWidget* parent = nullptr);

    QString Text() const { return text(); }
    void SetText(const QString& text) { setText(text); }
    bool Locked() const { return isReadOnly(); }
    void SetLocked(bool locked) { setReadOnly(locked); }
    void SetDataFormat(const QString& format);
    // Whether the box holds an edit not yet written into the field.
    bool DataChanged() const { return changed_; }

signals:
    void Change();

protected:
    void ShowField() override;
    void WriteField() override;

private:
    QString format_;
    bool changed_ = false;
    bool showing_ = false;
    long fieldSize_ = 0; // the text field size last applied as the maximum length
};

// A label that shows a field of the current row.
class BoundLabel : public Label, public BoundControl
{
    Q_OBJECT

public:
    explicit BoundLabel(const QString& name, QWidget* parent = nullptr);

    void SetDataFormat(const QString& format);

protected:
    void ShowField() override;

private:
    QString format_;
};

} // namespace forms
