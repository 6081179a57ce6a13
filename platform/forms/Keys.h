#pragma once

#include <QString>

#include <functional>

class QKeyEvent;
class QWidget;

// Keys as the event procedures see them: KeyDown and KeyUp with key codes and the shift state,
// KeyPress with the typed character (its code; set it to 0 to drop the key, or change it).
// With a form's key preview on, the form's handlers run before the control's.
namespace forms {

constexpr int vbKeyBack = 8;
constexpr int vbKeyTab = 9;
constexpr int vbKeyReturn = 13;
constexpr int vbKeyShift = 16;
constexpr int vbKeyControl = 17;
constexpr int vbKeyMenu = 18;
constexpr int vbKeyPause = 19;
constexpr int vbKeyCapital = 20;
constexpr int vbKeyEscape = 27;
constexpr int vbKeySpace = 32;
constexpr int vbKeyPageUp = 33;
constexpr int vbKeyPageDown = 34;
constexpr int vbKeyEnd = 35;
constexpr int vbKeyHome = 36;
constexpr int vbKeyLeft = 37;
constexpr int vbKeyUp = 38;
constexpr int vbKeyRight = 39;
constexpr int vbKeyDown = 40;
constexpr int vbKeyInsert = 45;
constexpr int vbKeyDelete = 46;
constexpr int vbKey0 = 48;       // to vbKey9 = 57
constexpr int vbKeyA = 65;       // to vbKeyZ = 90
constexpr int vbKeyNumpad0 = 96; // to vbKeyNumpad9 = 105
constexpr int vbKeyMultiply = 106;
constexpr int vbKeyAdd = 107;
constexpr int vbKeySubtract = 109;
constexpr int vbKeyDecimal = 110;
constexpr int vbKeyDivide = 111;
constexpr int vbKeyF1 = 112; // to vbKeyF12 = 123
constexpr int vbKeyF5 = 116;
constexpr int vbKeyF8 = 119;
constexpr int vbKeyF9 = 120;
constexpr int vbKeyF10 = 121;
constexpr int vbKeyF12 = 123;

// The key code of a key event (0 for a key that has none) and the shift state (1 Shift, 2 Ctrl,
// 4 Alt) of its modifiers.
int KeyCode(const QKeyEvent& event);
int ShiftState(const QKeyEvent& event);

using KeyPressHandler = std::function<void(int& keyAscii)>;
using KeyCodeHandler = std::function<void(int& keyCode, int shift)>;

// Adds a handler to a control; a control's handlers run in the order they were added, each seeing
// what the one before left, and stop once the key is dropped. Keys typed in a child of the
// control (the edit box of a combo) count as the control's.
void OnKeyPress(QWidget* control, KeyPressHandler handler);
void OnKeyDown(QWidget* control, KeyCodeHandler handler);
void OnKeyUp(QWidget* control, KeyCodeHandler handler);

// The key filters of input fields, as pure functions on a typed character...
// A character turned into its capital (accented letters included).
int UpperCaseKey(int keyAscii);
// 0 for a printable character (code 32 or above) not in accepted; control keys always pass.
int AcceptKey(int keyAscii, const QString& accepted);
// 0 for a printable character that is not a plain letter or digit (in either case).
int LetterOrDigitKey(int keyAscii);

// ...and as handlers added to a control.
void UpperCase(QWidget* control);
void AcceptOnly(QWidget* control, const QString& accepted);
void DigitsOnly(QWidget* control);
// Enter is dropped and a Tab key is sent, so the focus moves to the next field.
void EnterMovesNext(QWidget* control);

// Sends a Tab key press to the focused control (or the one given) and returns once it is
// handled: its key handlers see code 9, then the focus moves on.
void SendTab(QWidget* to = nullptr);

namespace detail {
// Installs the program's key routing once the application exists.
void EnsureKeyRouter();
} // namespace detail

} // namespace forms
