#include "platform/forms/SpinButton.h"

#include <QToolButton>
#include <QVBoxLayout>

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

SpinButton::SpinButton(const QString& name, QWidget* parent)
    : QWidget(parent), up_(MakeArrow(this, Qt::UpArrow, "Up")),
      down_(MakeArrow(this, Qt::DownArrow, "Down"))
{
    setObjectName(name);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up_);
    layout->addWidget(down_);
    connect(up_, &QToolButton::clicked, this, &SpinButton::SpinUp);
    connect(down_, &QToolButton::clicked, this, &SpinButton::SpinDown);
}

} // namespace forms
