#include "platform/forms/MousePointer.h"

#include <QApplication>
#include <QCursor>

namespace forms {

namespace {

enum MousePointer current = MousePointer::Default;

} // namespace

void SetMousePointer(enum MousePointer pointer)
{
    // Qt keeps a stack of override cursors; the program's pointer is one value, so there is
    // at most one override at any time.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    current = pointer;
    switch (pointer) {
    case MousePointer::Hourglass:
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        break;
    case MousePointer::Arrow:
        QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
        break;
    case MousePointer::Default:
        break;
    }
}

enum MousePointer MousePointer()
{
    return current;
}

} // namespace forms
