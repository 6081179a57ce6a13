#include "platform/forms/Controls.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace forms {

CommandButton::CommandButton(const QString& name, const QString& caption, QWidget* parent)
    : QPushButton(caption, parent)
{
    setObjectName(name);
    setAutoDefault(false);
    setDefault(false);
}

void CommandButton::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CommandButton::paintEvent(QPaintEvent* event)
{
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const QString caption = text();
    if (!icon().isNull() || !caption.contains(' ') ||
        fontMetrics().horizontalAdvance(caption) <= area.width()) {
        QPushButton::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, caption);
}

OptionButton::OptionButton(const QString& name, const QString& caption, QWidget* parent)
    : QRadioButton(caption, parent)
{
    setObjectName(name);
    connect(this, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            emit Click();
    });
}

void OptionButton::SetValue(bool selected)
{
    if (selected || !isChecked()) {
        setChecked(selected);
        return;
    }
    // Qt keeps one option of a group checked; code may clear them all.
    setAutoExclusive(false);
    setChecked(false);
    setAutoExclusive(true);
}

CheckBox::CheckBox(const QString& name, const QString& caption, QWidget* parent)
    : QCheckBox(caption, parent)
{
    setObjectName(name);
    connect(this, &QCheckBox::stateChanged, this, [this] { emit Click(); });
}

int CheckBox::Value() const
{
    switch (checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void CheckBox::SetValue(int value)
{
    if (value == 2)
        setTristate(true);
    setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

ComboBox::ComboBox(const QString& name, Style style, QWidget* parent) : QComboBox(parent)
{
    setObjectName(name);
    setEditable(style == DropdownCombo);
    setInsertPolicy(QComboBox::NoInsert);
    if (isEditable()) {
        // Typing a text that is not the chosen entry's leaves no entry chosen.
        connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
            if (currentIndex() < 0 || itemText(currentIndex()) == text)
                return;
            const int cursor = lineEdit()->cursorPosition();
            setCurrentIndex(-1);
            lineEdit()->setText(text);
            lineEdit()->setCursorPosition(cursor);
        });
    }
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            emit Click();
    });
}

void ComboBox::SetListIndex(int index)
{
    setCurrentIndex(index);
    if (index < 0 && isEditable())
        lineEdit()->clear();
}

void ComboBox::AddItem(const QString& text, int index)
{
    // Qt chooses the first entry added to an empty combo; the chosen entry must not change.
    const int chosen = currentIndex();
    const QString typed = isEditable() ? lineEdit()->text() : QString();
    {
        const QSignalBlocker blocker(this);
        insertItem(index < 0 ? count() : index, text);
        if (chosen < 0) {
            setCurrentIndex(-1);
            if (isEditable())
                lineEdit()->setText(typed);
        }
    }
}

void ComboBox::RemoveItem(int index)
{
    removeItem(index);
}

void ComboBox::Clear()
{
    clear();
    if (isEditable())
        lineEdit()->clear();
}

void ComboBox::SetText(const QString& text)
{
    if (isEditable()) {
        lineEdit()->setText(text);
        return;
    }
    const int found = findText(text, Qt::MatchFixedString);
    if (found >= 0)
        setCurrentIndex(found);
}

Label::Label(const QString& name, const QString& caption, QWidget* parent) : QLabel(caption, parent)
{
    setObjectName(name);
}

void Label::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}

void Label::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLabel::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

Frame::Frame(const QString& name, const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent)
{
    setObjectName(name);
}

Panel::Panel(const QString& name, const QString& caption, QWidget* parent)
    : QFrame(parent), caption_(caption)
{
    setObjectName(name);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
}

void Panel::SetCaption(const QString& caption)
{
    caption_ = caption;
    update();
}

void Panel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (caption_.isEmpty())
        return;
    QPainter painter(this);
    painter.drawText(contentsRect(), Qt::AlignCenter | Qt::TextWordWrap, caption_);
}

} // namespace forms
