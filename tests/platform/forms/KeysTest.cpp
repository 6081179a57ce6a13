#include "platform/forms/Keys.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/Drive.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace forms;
using namespace forms::testing;

namespace {

// A window with three fields whose handlers log what they see.
class KeyWindow : public Form
{
public:
    KeyWindow()
    {
        setObjectName("KeyWindow");
        auto* layout = new QVBoxLayout(this);
        for (QLineEdit** field : {&Text1, &Text2, &Text3}) {
            *field = new QLineEdit(this);
            layout->addWidget(*field);
        }
        Text1->setObjectName("Text1");
        Text2->setObjectName("Text2");
        Text3->setObjectName("Text3");
    }

    void Form_KeyDown(int& keyCode, int shift) override
    {
        log.push_back("form down " + std::to_string(keyCode) + " " + std::to_string(shift));
    }
    void Form_KeyPress(int& keyAscii) override
    {
        log.push_back("form press " + std::to_string(keyAscii));
        if (keyAscii == '@')
            keyAscii = 0;
    }
    void Form_KeyUp(int& keyCode, int) override
    {
        log.push_back("form up " + std::to_string(keyCode));
    }

    void LogControl(QWidget* control)
    {
        OnKeyDown(control,
                  [this](int& code, int) { log.push_back("text down " + std::to_string(code)); });
        OnKeyPress(control,
                   [this](int& ascii) { log.push_back("text press " + std::to_string(ascii)); });
        OnKeyUp(control,
                [this](int& code, int) { log.push_back("text up " + std::to_string(code)); });
    }

    QLineEdit* Text1;
    QLineEdit* Text2;
    QLineEdit* Text3;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

class KeysTest : public WindowTest
{
protected:
    void SetUp() override { form<KeyWindow>().Show(); }
    KeyWindow& window() { return form<KeyWindow>(); }
};

TEST_F(KeysTest, KeyPreviewShowsEachKeyToTheFormBeforeTheControl)
{
    window().LogControl(window().Text1);
    window().SetKeyPreview(true);
    Type(window(), "Text1", "a");
    EXPECT_EQ(window().log, (Log{"form down 65 0", "text down 65", "form press 97", "text press 97",
                                 "form up 65", "text up 65"}));
    EXPECT_EQ(window().Text1->text(), "a");

    window().log.clear();
    window().SetKeyPreview(false);
    Type(window(), "Text1", "b");
    EXPECT_EQ(window().log, (Log{"text down 66", "text press 98", "text up 66"}));
}

TEST_F(KeysTest, TheFormCanDropAKeyBeforeTheControlSeesIt)
{
    window().LogControl(window().Text1);
    window().SetKeyPreview(true);
    Type(window(), "Text1", "@");
    EXPECT_EQ(window().Text1->text(), "");
    for (const std::string& entry : window().log)
        EXPECT_NE(entry, "text press 64") << "the control's KeyPress runs after a drop";
}

TEST_F(KeysTest, KeyPressDropsOrChangesTheTypedCharacter)
{
    OnKeyPress(window().Text1, [](int& keyAscii) {
        if (keyAscii == 'x')
            keyAscii = 0;
        else if (keyAscii == ',')
            keyAscii = '.';
    });
    Type(window(), "Text1", "1x,5\b\b");
    EXPECT_EQ(window().Text1->text(), "1");
    Type(window(), "Text1", "2,x5");
    EXPECT_EQ(window().Text1->text(), "12.5");
}

TEST_F(KeysTest, FiltersOfTheInputFields)
{
    struct Case
    {
        void (*add)(QWidget*);
        QString typed;
        QString shown;
    };
    const std::vector<Case> cases = {
        {UpperCase, "dupont éèç 1", "DUPONT ÉÈÇ 1"},
        {DigitsOnly, "12a-3 4\b", "123"},
        {[](QWidget* w) { OnKeyPress(w, [](int& k) { k = LetterOrDigitKey(k); }); }, "ab1 é-Z_9",
         "ab1Z9"},
        {[](QWidget* w) { AcceptOnly(w, "0123456789 "); }, "01 23-45x", "01 2345"},
        {[](QWidget* w) { AcceptOnly(w, "-0123456789"); }, "-1a2.", "-12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        auto* field = new QLineEdit(&window());
        field->show();
        c.add(field);
        Type(*field, c.typed);
        EXPECT_EQ(field->text(), c.shown);
    }
    EXPECT_EQ(AcceptKey(8, "0"), 8) << "control keys pass";
    EXPECT_EQ(AcceptKey(' ', "0"), 0);
    EXPECT_EQ(LetterOrDigitKey(13), 13);
    EXPECT_EQ(UpperCaseKey(0), 0);
}

TEST_F(KeysTest, EnterMovesToTheNextField)
{
    EnterMovesNext(window().Text1);
    window().LogControl(window().Text2);
    Type(window(), "Text1", "ab\r");
    EXPECT_EQ(window().Text1->text(), "ab") << "Enter is not typed";
    EXPECT_EQ(QApplication::focusWidget(), window().Text2);
    Type(*window().Text2, "\r");
    EXPECT_EQ(QApplication::focusWidget(), window().Text2) << "only where the filter is set";
}

TEST_F(KeysTest, TabReachesTheKeyHandlersAndCanBeKept)
{
    int tabs = 0;
    bool keep = false;
    OnKeyPress(window().Text1, [&](int& keyAscii) {
        if (keyAscii == vbKeyTab) {
            ++tabs;
            if (keep)
                keyAscii = 0;
        }
    });
    keep = true;
    Type(window(), "Text1", "\t");
    EXPECT_EQ(QApplication::focusWidget(), window().Text1);
    keep = false;
    SendTab();
    EXPECT_EQ(tabs, 2);
    EXPECT_EQ(QApplication::focusWidget(), window().Text2);
}

TEST_F(KeysTest, KeyCodesAndShiftStates)
{
    int code = -1;
    int shiftSeen = -1;
    OnKeyDown(window().Text1, [&](int& keyCode, int shift) {
        code = keyCode;
        shiftSeen = shift;
    });
    struct Case
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int code;
        int shift;
    };
    const std::vector<Case> cases = {
        {Qt::Key_F12, {}, vbKeyF12, 0},
        {Qt::Key_F10, {}, 121, 0},
        {Qt::Key_Return, {}, vbKeyReturn, 0},
        {Qt::Key_Enter, Qt::KeypadModifier, 13, 0},
        {Qt::Key_Escape, {}, 27, 0},
        {Qt::Key_A, Qt::ShiftModifier, 65, 1},
        {Qt::Key_C, Qt::ControlModifier, 67, 2},
        {Qt::Key_5, {}, 53, 0},
        {Qt::Key_5, Qt::KeypadModifier, 101, 0},
        {Qt::Key_Delete, {}, 46, 0},
        {Qt::Key_Down, Qt::AltModifier, 40, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        Key(*window().Text1, c.key, c.modifiers);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(shiftSeen, c.shift);
    }
}

TEST_F(KeysTest, AKeyDownSetToZeroIsNotHandledByTheControl)
{
    window().Text1->setText("abc");
    window().Text1->setCursorPosition(0);
    OnKeyDown(window().Text1, [](int& keyCode, int) {
        if (keyCode == vbKeyDelete)
            keyCode = 0;
    });
    Key(*window().Text1, Qt::Key_Delete);
    EXPECT_EQ(window().Text1->text(), "abc");
    Key(*window().Text1, Qt::Key_Right);
    Key(*window().Text1, Qt::Key_Backspace);
    EXPECT_EQ(window().Text1->text(), "bc");
}

TEST_F(KeysTest, ReleasingAKeyRunsKeyUpWithItsCode)
{
    int released = 0;
    OnKeyUp(window().Text1, [&](int& keyCode, int) { released = keyCode; });
    Key(*window().Text1, Qt::Key_Return);
    EXPECT_EQ(released, vbKeyReturn);
}

TEST_F(KeysTest, KeysTypedInAComboReachTheCombosHandlers)
{
    auto* combo = new ComboBox("Combo1", ComboBox::DropdownCombo, &window());
    combo->show();
    UpperCase(combo);
    Type(*combo, "ab");
    EXPECT_EQ(combo->Text(), "AB");
}

} // namespace
