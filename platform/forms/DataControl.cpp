#include "platform/forms/DataControl.h"

#include "platform/forms/Dialogs.h"
#include "platform/vb/Error.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include <algorithm>

namespace forms {

BoundControl::~BoundControl()
{
    SetDataSource(nullptr);
}

void BoundControl::SetDataSource(DataControl* source)
{
    if (source_ == source)
        return;
    if (source_)
        std::erase(source_->bound_, this);
    source_ = source;
    if (source_) {
        source_->bound_.push_back(this);
        ShowField();
    }
}

void BoundControl::SetDataField(const QString& field)
{
    field_ = field;
    ShowField();
}

void BoundControl::Bind(DataControl* source, const QString& field)
{
    field_ = field;
    if (source_ == source)
        ShowField();
    else
        SetDataSource(source);
}

bool BoundControl::OnRow() const
{
    if (!source_ || field_.isEmpty() || !source_->HasRecordset())
        return false;
    const ado::Recordset rs = source_->Recordset();
    return rs.State() != 0 && !rs.Eof() && !rs.Bof();
}

vb::Variant BoundControl::FieldValue() const
{
    if (!OnRow())
        return vb::Variant::Null();
    return source_->Recordset().Fields(field_.toStdString()).Value();
}

void BoundControl::SetFieldValue(const vb::Variant& value) const
{
    if (OnRow())
        source_->Recordset().Fields(field_.toStdString()).SetValue(value);
}

long BoundControl::FieldTextSize() const
{
    if (!source_ || field_.isEmpty() || !source_->HasRecordset())
        return 0;
    const ado::Recordset rs = source_->Recordset();
    if (rs.State() == 0)
        return 0;
    return TextSize(rs.Fields(field_.toStdString()));
}

long TextSize(const ado::Field& field)
{
    return field.Type() == ado::adVarWChar ? field.DefinedSize() : 0;
}

namespace {

QToolButton* NavigationButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

DataControl::DataControl(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* first = NavigationButton("MoveFirst", "|<", this);
    auto* previous = NavigationButton("MovePrevious", "<", this);
    auto* next = NavigationButton("MoveNext", ">", this);
    auto* last = NavigationButton("MoveLast", ">|", this);
    caption_ = new QLabel(name, this);
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setFrameShape(QFrame::Panel);
    caption_->setFrameShadow(QFrame::Sunken);
    layout->addWidget(first);
    layout->addWidget(previous);
    layout->addWidget(caption_, 1);
    layout->addWidget(next);
    layout->addWidget(last);
    // A move that the recordset refuses (a bound control's value it cannot take) is reported
    // and the row stays current.
    auto button = [this](QToolButton* b, void (DataControl::*move)()) {
        connect(b, &QToolButton::clicked, this, [this, move] {
            try {
                (this->*move)();
            } catch (const vb::Error& error) {
                MsgBox(QString::fromStdString(error.what()), vbExclamation);
            }
        });
    };
    button(first, &DataControl::MoveFirst);
    button(previous, &DataControl::MovePrevious);
    button(next, &DataControl::MoveNext);
    button(last, &DataControl::MoveLast);
}

DataControl::~DataControl()
{
    Detach();
    for (BoundControl* control : bound_)
        control->source_ = nullptr;
}

void DataControl::Detach()
{
    if (!attached_)
        return;
    for (int id : handlers_)
        recordset_.RemoveHandler(id);
    handlers_.clear();
    attached_ = false;
}

void DataControl::SetRecordset(const ado::Recordset& recordset)
{
    Detach();
    recordset_ = recordset;
    attached_ = true;
    handlers_.push_back(recordset_.OnWillMove([this](ado::EventReason reason) {
        WriteBound();
        emit WillMove(reason);
    }));
    handlers_.push_back(recordset_.OnWillUpdate([this](ado::EventReason) { WriteBound(); }));
    handlers_.push_back(recordset_.OnMoveComplete([this](ado::EventReason reason) {
        ShowBound();
        emit MoveComplete(reason);
    }));
    handlers_.push_back(recordset_.OnRecordChangeComplete([this](ado::EventReason reason) {
        // A saved row shows what it now holds (fields set in code included), a cancelled edit
        // its stored values again; a deleted row has none.
        if (reason == ado::adRsnUpdate || reason == ado::adRsnUndoUpdate)
            ShowBound();
        emit RecordChangeComplete(reason);
    }));
    ShowBound();
    emit RecordsetChanged();
}

QString DataControl::Caption() const
{
    return caption_->text();
}

void DataControl::SetCaption(const QString& caption)
{
    caption_->setText(caption);
}

bool DataControl::MoveAllowed() const
{
    return attached_ && recordset_.State() != 0 && recordset_.RecordCount() > 0;
}

void DataControl::MoveFirst()
{
    if (MoveAllowed())
        recordset_.MoveFirst();
}

void DataControl::MovePrevious()
{
    if (!MoveAllowed())
        return;
    const long position = recordset_.AbsolutePosition();
    if (position == ado::adPosEOF)
        recordset_.MoveLast();
    else if (position <= 1)
        recordset_.MoveFirst();
    else
        recordset_.MovePrevious();
}

void DataControl::MoveNext()
{
    if (!MoveAllowed())
        return;
    const long position = recordset_.AbsolutePosition();
    if (position == ado::adPosBOF)
        recordset_.MoveFirst();
    else if (position == ado::adPosEOF || position >= recordset_.RecordCount())
        recordset_.MoveLast();
    else
        recordset_.MoveNext();
}

void DataControl::MoveLast()
{
    if (MoveAllowed())
        recordset_.MoveLast();
}

void DataControl::UpdateRecord()
{
    if (attached_ && recordset_.State() != 0)
        recordset_.Update(); // the bound controls write their edits first (OnWillUpdate)
}

void DataControl::Refresh()
{
    if (attached_ && recordset_.State() != 0)
        recordset_.Requery();
}

void DataControl::ShowBound()
{
    const auto controls = bound_; // a control may unbind itself while showing
    for (BoundControl* control : controls)
        control->ShowField();
}

void DataControl::WriteBound()
{
    const auto controls = bound_;
    for (BoundControl* control : controls)
        control->WriteField();
}

} // namespace forms
