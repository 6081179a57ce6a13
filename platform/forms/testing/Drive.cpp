#include "platform/forms/testing/Drive.h"

#include "platform/forms/Registry.h"
#include "platform/forms/testing/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace forms::testing {

namespace {

void RequireUsable(QWidget& control)
{
    if (!control.isVisible())
        ADD_FAILURE() << "control " << control.objectName().toStdString() << " is not visible";
    if (!control.isEnabled())
        ADD_FAILURE() << "control " << control.objectName().toStdString() << " is disabled";
}

// Where a person clicks the control: on the box and caption of a check box or option button,
// which take clicks there only, else in the middle.
QPoint ClickPoint(QWidget& control)
{
    QStyleOptionButton option;
    option.initFrom(&control);
    if (auto* check = qobject_cast<QCheckBox*>(&control)) {
        option.text = check->text();
        return control.style()
            ->subElementRect(QStyle::SE_CheckBoxClickRect, &option, &control)
            .center();
    }
    if (auto* radio = qobject_cast<QRadioButton*>(&control)) {
        option.text = radio->text();
        return control.style()
            ->subElementRect(QStyle::SE_RadioButtonClickRect, &option, &control)
            .center();
    }
    return control.rect().center();
}

} // namespace

void Focus(QWidget& control)
{
    QWidget* window = control.window();
    if (!window->isActiveWindow()) {
        window->activateWindow();
        QApplication::setActiveWindow(window);
    }
    control.setFocus(Qt::OtherFocusReason);
}

void Type(QWidget& control, const QString& text)
{
    Focus(control);
    for (QChar c : text) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &control;
        if (c == '\r')
            QTest::keyClick(target, Qt::Key_Return);
        else if (c == '\t')
            QTest::keyClick(target, Qt::Key_Tab);
        else if (c == '\b')
            QTest::keyClick(target, Qt::Key_Backspace);
        else {
            const Qt::Key key = c.isLetterOrNumber() && c.unicode() < 128
                                    ? Qt::Key(c.toUpper().unicode())
                                    : Qt::Key_unknown;
            QTest::sendKeyEvent(QTest::Press, target, key, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, target, key, QString(c), Qt::NoModifier);
        }
    }
}

void Type(QWidget& window, const QString& name, const QString& text)
{
    Type(Find(window, name), text);
}

void Key(QWidget& control, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    Focus(control);
    QTest::keyClick(&control, key, modifiers);
}

void Key(QWidget& window, const QString& name, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    Key(Find(window, name), key, modifiers);
}

void Click(QWidget& control)
{
    RequireUsable(control);
    QTest::mouseClick(&control, Qt::LeftButton, Qt::NoModifier, ClickPoint(control));
}

void Click(QWidget& window, const QString& name)
{
    Click(Find(window, name));
}

void DoubleClick(QWidget& window, const QString& name)
{
    QWidget& control = Find(window, name);
    RequireUsable(control);
    QTest::mouseDClick(&control, Qt::LeftButton, Qt::NoModifier, control.rect().center());
}

void ProcessEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

namespace {

// Runs the close check on a form once its action is done.
void RunInModal(Form& form, const std::function<void(Form&)>& action)
{
    QPointer<Form> shown = &form;
    action(form);
    if (shown && shown->IsModalShown()) {
        ADD_FAILURE() << "form " << shown->objectName().toStdString() << " is still shown modally";
        shown->Hide();
    }
}

// Watches, while an event loop runs, for a modal form other than the one that was modal when the
// action was given.
struct ModalWatch
{
    QTimer* timer;
    QPointer<Form> outer;
    std::function<void(Form&)> action;
};

std::vector<ModalWatch>& Watches()
{
    static std::vector<ModalWatch> watches;
    return watches;
}

} // namespace

void OnNextModal(std::function<void(Form&)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(0);
    Watches().push_back({timer, Form::ModalForm(), std::move(action)});
    QObject::connect(timer, &QTimer::timeout, [timer] {
        Form* modal = Form::ModalForm();
        auto& watches = Watches();
        auto it = std::find_if(watches.begin(), watches.end(),
                               [timer](const ModalWatch& w) { return w.timer == timer; });
        if (!modal || it == watches.end() || modal == it->outer.data())
            return;
        const std::function<void(Form&)> action = std::move(it->action);
        watches.erase(it);
        timer->stop();
        timer->deleteLater();
        RunInModal(*modal, action);
    });
    timer->start();
}

bool DropModalActions()
{
    const bool any = !Watches().empty();
    for (ModalWatch& watch : Watches())
        delete watch.timer;
    Watches().clear();
    return any;
}

void ShowModal(Form& form, const std::function<void()>& whileShown, QWidget* owner)
{
    QPointer<Form> shown = &form;
    QTimer::singleShot(0, [shown, whileShown] {
        whileShown();
        if (shown && shown->IsModalShown()) {
            ADD_FAILURE() << "form " << shown->objectName().toStdString()
                          << " is still shown modally";
            shown->Hide();
        }
    });
    form.Show(Modal, owner);
}

void WindowTest::TearDown()
{
    Script().VerifyAllAnswered();
    if (DropModalActions())
        ADD_FAILURE() << "a modal form was expected and never shown";
    UnloadAll();
}

} // namespace forms::testing
