#include "platform/forms/Keys.h"

#include "platform/forms/Form.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

#include <vector>

namespace forms {

namespace {

// The handlers of one control, kept as a child object so that they go with the control.
class KeyHandlers : public QObject
{
    Q_OBJECT

public:
    explicit KeyHandlers(QWidget* control) : QObject(control) {}
    std::vector<KeyPressHandler> press;
    std::vector<KeyCodeHandler> down;
    std::vector<KeyCodeHandler> up;
};

KeyHandlers* HandlersOf(QWidget* widget)
{
    return widget->findChild<KeyHandlers*>(QString(), Qt::FindDirectChildrenOnly);
}

// The nearest control, from the widget up to its window, that has key handlers.
KeyHandlers* HandlersFor(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (KeyHandlers* handlers = HandlersOf(w))
            return handlers;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

void RunCode(const std::vector<KeyCodeHandler>& handlers, int& keyCode, int shift)
{
    for (const auto& handler : handlers) {
        if (keyCode == 0)
            return;
        handler(keyCode, shift);
    }
}

void RunPress(const std::vector<KeyPressHandler>& handlers, int& keyAscii)
{
    for (const auto& handler : handlers) {
        if (keyAscii == 0)
            return;
        handler(keyAscii);
    }
}

Qt::Key KeyForCharacter(QChar c)
{
    switch (c.unicode()) {
    case 8:
        return Qt::Key_Backspace;
    case 9:
        return Qt::Key_Tab;
    case 13:
        return Qt::Key_Return;
    case 27:
        return Qt::Key_Escape;
    default:
        return Qt::Key(c.toUpper().unicode());
    }
}

// Sees every key event of the program's widgets before the widgets do.
class KeyRouter : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || resending_ ||
            !watched->isWidgetType())
            return false;
        QPointer<QWidget> widget = static_cast<QWidget*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        // The form's handlers run for keys typed on the form itself, and before the focused
        // control's when its key preview is on.
        Form* window = qobject_cast<Form*>(widget->window());
        Form* form = nullptr;
        KeyHandlers* handlers = nullptr;
        if (window && window == widget.data()) {
            form = window;
        } else {
            if (window && window->KeyPreview())
                form = window;
            handlers = HandlersFor(widget);
        }
        if (!form && !handlers)
            return false;
        // A key whose handler failed is not typed.
        bool handled = true;
        RunEventProcedure([&] {
            handled = type == QEvent::KeyPress ? Press(widget, form, handlers, *key)
                                               : Release(form, handlers, *key);
        });
        return handled;
    }

private:
    bool Press(QPointer<QWidget> widget, Form* form, KeyHandlers* handlers, QKeyEvent& key)
    {
        QPointer<KeyHandlers> guard = handlers;
        int keyCode = KeyCode(key);
        const int shift = ShiftState(key);
        if (keyCode != 0) {
            if (form)
                form->Form_KeyDown(keyCode, shift);
            if (guard && keyCode != 0)
                RunCode(guard->down, keyCode, shift);
        }
        const QString text = key.text();
        const bool typed = !text.isEmpty() && text.at(0).unicode() != 0x7f;
        if (!typed)
            return keyCode == 0 && KeyCode(key) != 0;
        const int typedAscii = text.at(0).unicode();
        int keyAscii = typedAscii;
        if (form && widget)
            form->Form_KeyPress(keyAscii);
        if (guard && keyAscii != 0)
            RunPress(guard->press, keyAscii);
        if (keyAscii == 0)
            return true;
        if (keyAscii == typedAscii || !widget)
            return !widget;
        // The character was changed: the control receives the new one in place of the typed one.
        const QChar changed{char16_t(keyAscii)};
        QKeyEvent replacement(QEvent::KeyPress, KeyForCharacter(changed), key.modifiers(),
                              QString(changed), key.isAutoRepeat());
        resending_ = true;
        QCoreApplication::sendEvent(widget, &replacement);
        resending_ = false;
        return true;
    }

    bool Release(Form* form, KeyHandlers* handlers, QKeyEvent& key)
    {
        QPointer<KeyHandlers> guard = handlers;
        int keyCode = KeyCode(key);
        if (keyCode == 0)
            return false;
        const int shift = ShiftState(key);
        if (form)
            form->Form_KeyUp(keyCode, shift);
        if (guard && keyCode != 0)
            RunCode(guard->up, keyCode, shift);
        return keyCode == 0;
    }

    bool resending_ = false;
};

KeyHandlers& Attach(QWidget* control)
{
    detail::EnsureKeyRouter();
    KeyHandlers* handlers = HandlersOf(control);
    if (!handlers)
        handlers = new KeyHandlers(control);
    return *handlers;
}

} // namespace

namespace detail {

void EnsureKeyRouter()
{
    static KeyRouter* router = nullptr;
    if (!router && qApp) {
        router = new KeyRouter;
        router->setParent(qApp);
        qApp->installEventFilter(router);
        QObject::connect(qApp, &QObject::destroyed, [] { router = nullptr; });
    }
}

} // namespace detail

int KeyCode(const QKeyEvent& event)
{
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return (keypad ? vbKeyNumpad0 : vbKey0) + (key - Qt::Key_0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return vbKeyA + (key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return vbKeyF1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return vbKeyBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return vbKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vbKeyReturn;
    case Qt::Key_Shift:
        return vbKeyShift;
    case Qt::Key_Control:
        return vbKeyControl;
    case Qt::Key_Alt:
        return vbKeyMenu;
    case Qt::Key_Pause:
        return vbKeyPause;
    case Qt::Key_CapsLock:
        return vbKeyCapital;
    case Qt::Key_Escape:
        return vbKeyEscape;
    case Qt::Key_Space:
        return vbKeySpace;
    case Qt::Key_PageUp:
        return vbKeyPageUp;
    case Qt::Key_PageDown:
        return vbKeyPageDown;
    case Qt::Key_End:
        return vbKeyEnd;
    case Qt::Key_Home:
        return vbKeyHome;
    case Qt::Key_Left:
        return vbKeyLeft;
    case Qt::Key_Up:
        return vbKeyUp;
    case Qt::Key_Right:
        return vbKeyRight;
    case Qt::Key_Down:
        return vbKeyDown;
    case Qt::Key_Insert:
        return vbKeyInsert;
    case Qt::Key_Delete:
        return vbKeyDelete;
    case Qt::Key_Asterisk:
        return keypad ? vbKeyMultiply : 0;
    case Qt::Key_Plus:
        return keypad ? vbKeyAdd : 0;
    case Qt::Key_Minus:
        return keypad ? vbKeySubtract : 0;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        return keypad ? vbKeyDecimal : 0;
    case Qt::Key_Slash:
        return keypad ? vbKeyDivide : 0;
    default:
        return 0;
    }
}

int ShiftState(const QKeyEvent& event)
{
    int shift = 0;
    if (event.modifiers() & Qt::ShiftModifier)
        shift |= ShiftMaskShift;
    if (event.modifiers() & Qt::ControlModifier)
        shift |= ShiftMaskCtrl;
    if (event.modifiers() & Qt::AltModifier)
        shift |= ShiftMaskAlt;
    return shift;
}

void OnKeyPress(QWidget* control, KeyPressHandler handler)
{
    Attach(control).press.push_back(std::move(handler));
}

void OnKeyDown(QWidget* control, KeyCodeHandler handler)
{
    Attach(control).down.push_back(std::move(handler));
}

void OnKeyUp(QWidget* control, KeyCodeHandler handler)
{
    Attach(control).up.push_back(std::move(handler));
}

int UpperCaseKey(int keyAscii)
{
    if (keyAscii <= 0 || keyAscii > 0xffff)
        return keyAscii;
    const QChar upper = QChar(char16_t(keyAscii)).toUpper();
    return upper.unicode();
}

int AcceptKey(int keyAscii, const QString& accepted)
{
    if (keyAscii < 32 || keyAscii > 0xffff)
        return keyAscii;
    return accepted.contains(QChar(char16_t(keyAscii))) ? keyAscii : 0;
}

int LetterOrDigitKey(int keyAscii)
{
    if (keyAscii < 32)
        return keyAscii;
    const bool ok = (keyAscii >= '0' && keyAscii <= '9') || (keyAscii >= 'a' && keyAscii <= 'z') ||
                    (keyAscii >= 'A' && keyAscii <= 'Z');
    return ok ? keyAscii : 0;
}

void UpperCase(QWidget* control)
{
    OnKeyPress(control, [](int& keyAscii) { keyAscii = UpperCaseKey(keyAscii); });
}

void AcceptOnly(QWidget* control, const QString& accepted)
{
    OnKeyPress(control, [accepted](int& keyAscii) { keyAscii = AcceptKey(keyAscii, accepted); });
}

void DigitsOnly(QWidget* control)
{
    AcceptOnly(control, QStringLiteral("0123456789"));
}

void EnterMovesNext(QWidget* control)
{
    OnKeyPress(control, [control](int& keyAscii) {
        if (keyAscii != vbKeyReturn)
            return;
        keyAscii = 0;
        SendTab(control);
    });
}

void SendTab(QWidget* to)
{
    QWidget* target = to ? to : QApplication::focusWidget();
    if (!target)
        return;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QCoreApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : target,
                                &release);
}

} // namespace forms

#include "Keys.moc"
