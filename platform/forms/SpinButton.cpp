#include "platform/forms/SpinButton.h"

#include <QBoxLayout>
#include <QToolButton>

namespace forms {

namespace {

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow, const char* name)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return button;
}

} // namespace

SpinButton::SpinButton(const QString& name, QWidget* parent, Qt::Orientation orientation)
    : QWidget(parent)
{
    setObjectName(name);
    const bool horizontal = orientation == Qt::Horizontal;
    up_ = MakeArrow(this, horizontal ? Qt::RightArrow : Qt::UpArrow, "Up");
    down_ = MakeArrow(this, horizontal ? Qt::LeftArrow : Qt::DownArrow, "Down");
    auto* layout =
        new QBoxLayout(horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(horizontal ? down_ : up_);
    layout->addWidget(horizontal ? up_ : down_);
    connect(up_, &QToolButton::clicked, this, &SpinButton::SpinUp);
    connect(down_, &QToolButton::clicked, this, &SpinButton::SpinDown);
}

} // namespace forms
