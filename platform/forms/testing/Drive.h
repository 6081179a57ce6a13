#pragma once

#include "platform/forms/Form.h"

#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

// Drives real windows through their named controls, as a person would.
namespace forms::testing {

// The control of that object name (a control-array element is named like Text2(3)) inside the
// window; throws, failing the test, when there is none of that type.
template <class T = QWidget> T& Find(QWidget& window, const QString& name)
{
    T* found = window.findChild<T*>(name);
    if (!found)
        throw std::runtime_error("no control " + name.toStdString() + " of the wanted type in " +
                                 window.objectName().toStdString());
    return *found;
}

// Gives the control the focus and types the text, one key press at a time; "\r" is Enter,
// "\t" Tab, "\b" Backspace.
void Type(QWidget& window, const QString& name, const QString& text);
void Type(QWidget& control, const QString& text);
// Presses and releases one key on the control.
void Key(QWidget& window, const QString& name, Qt::Key key, Qt::KeyboardModifiers modifiers = {});
void Key(QWidget& control, Qt::Key key, Qt::KeyboardModifiers modifiers = {});
// Clicks the control with the left button; fails the test when it is hidden or disabled, as a
// person could not click it then.
void Click(QWidget& window, const QString& name);
void Click(QWidget& control);
void DoubleClick(QWidget& window, const QString& name);

// Makes the window the active one and gives the control the focus, as a click into it would.
void Focus(QWidget& control);

// Lets pending events run (timers due, posted events, deferred deletions).
void ProcessEvents();

// Shows the form modally and runs whileShown inside its modal loop. The form must be hidden or
// unloaded by the time whileShown returns; otherwise the test fails and the form is hidden.
void ShowModal(Form& form, const std::function<void()>& whileShown, QWidget* owner = nullptr);

// Runs action on the next form that the code under test shows modally (a click that opens a
// modal window), inside that form's modal loop. The action must hide or unload the form; otherwise
// the test fails and the form is hidden. An action still waiting at the end of the test is dropped.
void OnNextModal(std::function<void(Form&)> action);
// Drops the actions of OnNextModal that no modal form met; true when there were any.
bool DropModalActions();

// The base of window tests: unloads every form and checks that every expected box appeared.
class WindowTest : public ::testing::Test
{
protected:
    void TearDown() override;
};

} // namespace forms::testing
