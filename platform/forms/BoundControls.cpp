#include "platform/forms/BoundControls.h"

#include "platform/vb/Convert.h"
#include "platform/vb/Format.h"

namespace forms {

QString FieldText(const vb::Variant& value, const QString& format)
{
    if (value.IsNull() || value.IsEmpty())
        return {};
    if (!format.isEmpty())
        return QString::fromStdString(vb::Format(value, format.toStdString()));
    return QString::fromStdString(vb::CStr(value));
}

namespace {

void LimitLength(QLineEdit& box, long size)
{
    box.setMaxLength(size > 0 && size < 32767 ? static_cast<int>(size) : 32767);
}

} // namespace

void LimitToField(QLineEdit& box, const ado::Field& field)
{
    LimitLength(box, TextSize(field));
}

BoundText::BoundText(const QString& name, QWidget* parent) : QLineEdit(parent)
{
    setObjectName(name);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (showing_)
            return;
        changed_ = true;
        emit Change();
    });
}

void BoundText::SetDataFormat(const QString& format)
{
    format_ = format;
    ShowField();
}

void BoundText::ShowField()
{
    // Applied when the bound field changes, so that a length set by code meanwhile stays.
    if (const long size = FieldTextSize(); size != fieldSize_) {
        fieldSize_ = size;
        LimitLength(*this, size);
    }
    const QString shown = FieldText(FieldValue(), format_);
    const bool differs = shown != text();
    showing_ = true;
    setText(shown);
    showing_ = false;
    changed_ = false;
    if (differs)
        emit Change();
}

void BoundText::WriteField()
{
    if (!changed_ || isReadOnly() || !OnRow())
        return;
    // Cleared first: a refused value must not be written again at the next move.
    changed_ = false;
    const QString typed = text();
    SetFieldValue(typed.isEmpty() ? vb::Variant::Null() : vb::Variant(typed.toStdString()));
}

BoundLabel::BoundLabel(const QString& name, QWidget* parent) : Label(name, {}, parent) {}

void BoundLabel::SetDataFormat(const QString& format)
{
    format_ = format;
    ShowField();
}

void BoundLabel::ShowField()
{
    setText(FieldText(FieldValue(), format_));
}

} // namespace forms
