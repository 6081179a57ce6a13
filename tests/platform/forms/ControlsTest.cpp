#include "platform/forms/Controls.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Form.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"
#include "platform/forms/SpinButton.h"
#include "platform/forms/testing/Drive.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

using namespace forms;
using namespace forms::testing;

namespace {

// A window with the controls in the way the windows of the program hold them.
class ControlWindow : public Form
{
public:
    ControlWindow()
    {
        setObjectName("ControlWindow");
        auto* layout = new QVBoxLayout(this);
        FrameOptData2 = new Frame("FrameOptData2", "Recherche", this);
        auto* options = new QVBoxLayout(FrameOptData2);
        SSOptionRef = new OptionButton("SSOptionRef", "Par Réference", FrameOptData2);
        SSOptionDesi = new OptionButton("SSOptionDesi", "Par désignation", FrameOptData2);
        options->addWidget(SSOptionRef);
        options->addWidget(SSOptionDesi);
        layout->addWidget(FrameOptData2);
        Text1 = new QLineEdit(this);
        Text1->setObjectName("Text1");
        layout->addWidget(Text1);
        CmdAjout = new CommandButton("CmdAjout", "Ajout article", this);
        layout->addWidget(CmdAjout);
        Combo1 = new ComboBox("Combo1", ComboBox::DropdownCombo, this);
        layout->addWidget(Combo1);
        Combo2 = new ComboBox("Combo2", ComboBox::DropdownList, this);
        layout->addWidget(Combo2);
        Check1 = new CheckBox("Check1", "Son off", this);
        layout->addWidget(Check1);
        SpinButton1 = new SpinButton("SpinButton1", this);
        SpinButton1->setFixedSize(20, 40);
        layout->addWidget(SpinButton1);
        Label1 = new Label("Label1", "Chargement", this);
        layout->addWidget(Label1);
        SSPanel1 = new Panel("SSPanel1", "Informations", this);
        layout->addWidget(SSPanel1);
        for (int i = 0; i <= 18; ++i)
            layout->addWidget(&Text2.Add(i, new QLineEdit(this)));
    }

    Frame* FrameOptData2;
    OptionButton* SSOptionRef;
    OptionButton* SSOptionDesi;
    QLineEdit* Text1;
    CommandButton* CmdAjout;
    ComboBox* Combo1;
    ComboBox* Combo2;
    CheckBox* Check1;
    SpinButton* SpinButton1;
    Label* Label1;
    Panel* SSPanel1;
    ControlArray<QLineEdit> Text2{"Text2"};
};

class ControlsTest : public WindowTest
{
protected:
    void SetUp() override { form<ControlWindow>().Show(); }
    ControlWindow& window() { return form<ControlWindow>(); }
};

TEST_F(ControlsTest, AnOptionSelectedInCodeFiresItsClickOnce)
{
    QSignalSpy ref(window().SSOptionRef, &OptionButton::Click);
    QSignalSpy desi(window().SSOptionDesi, &OptionButton::Click);
    window().SSOptionDesi->SetValue(true);
    EXPECT_EQ(desi.count(), 1);
    window().SSOptionDesi->SetValue(true);
    EXPECT_EQ(desi.count(), 1) << "already selected: no click";

    window().SSOptionRef->SetValue(true);
    EXPECT_EQ(ref.count(), 1);
    EXPECT_FALSE(window().SSOptionDesi->Value()) << "options of one frame exclude each other";
    EXPECT_EQ(desi.count(), 1);

    Click(window(), "SSOptionDesi");
    EXPECT_EQ(desi.count(), 2);
    EXPECT_TRUE(window().SSOptionDesi->Value());
}

TEST_F(ControlsTest, CodeCanClearEveryOptionOfAGroup)
{
    window().SSOptionDesi->SetValue(true);
    window().SSOptionDesi->SetValue(false);
    EXPECT_FALSE(window().SSOptionDesi->Value());
    EXPECT_FALSE(window().SSOptionRef->Value());
    window().SSOptionRef->SetValue(true);
    EXPECT_TRUE(window().SSOptionRef->Value()) << "the group still excludes";
    window().SSOptionDesi->SetValue(true);
    EXPECT_FALSE(window().SSOptionRef->Value());
}

TEST_F(ControlsTest, ComboListIndexIsMinusOneUntilAnEntryIsChosen)
{
    for (ComboBox* combo : {window().Combo1, window().Combo2}) {
        SCOPED_TRACE(combo->objectName().toStdString());
        QSignalSpy clicks(combo, &ComboBox::Click);
        combo->AddItem("Chaussures");
        combo->AddItem("Gants");
        EXPECT_EQ(combo->ListIndex(), -1);
        EXPECT_EQ(combo->ListCount(), 2);
        EXPECT_EQ(clicks.count(), 0);

        combo->SetListIndex(1);
        EXPECT_EQ(combo->Text(), "Gants");
        EXPECT_EQ(clicks.count(), 1);
        combo->AddItem("Blouses", 0);
        EXPECT_EQ(combo->ListIndex(), 2) << "the chosen entry stays chosen";
        EXPECT_EQ(combo->Text(), "Gants");
        EXPECT_EQ(combo->List(0), "Blouses");

        combo->SetListIndex(-1);
        EXPECT_EQ(combo->ListIndex(), -1);
        EXPECT_EQ(combo->Text(), "");
        combo->Clear();
        EXPECT_EQ(combo->ListCount(), 0);
        EXPECT_EQ(combo->ListIndex(), -1);
    }
}

TEST_F(ControlsTest, TypingInAComboOverItsEntryChoosesNoEntry)
{
    ComboBox& combo = *window().Combo1;
    combo.AddItem("Chaussures");
    combo.SetListIndex(0);
    Type(combo, "X");
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(combo.Text(), "ChaussuresX");
}

TEST_F(ControlsTest, HoldingASpinArrowRepeats)
{
    QSignalSpy up(window().SpinButton1, &SpinButton::SpinUp);
    QSignalSpy down(window().SpinButton1, &SpinButton::SpinDown);
    QToolButton* arrow = window().SpinButton1->UpArrow();
    QTest::mousePress(arrow, Qt::LeftButton, {}, arrow->rect().center());
    QTest::qWait(arrow->autoRepeatDelay() + 4 * arrow->autoRepeatInterval());
    QTest::mouseRelease(arrow, Qt::LeftButton, {}, arrow->rect().center());
    EXPECT_GE(up.count(), 3);
    EXPECT_EQ(down.count(), 0);

    Click(*window().SpinButton1->DownArrow());
    EXPECT_EQ(down.count(), 1) << "one click, one step";
}

TEST_F(ControlsTest, AHorizontalSpinButtonGoesDownOnTheLeftAndUpOnTheRight)
{
    SpinButton spin("SpinButton2", nullptr, Qt::Horizontal);
    spin.setFixedSize(60, 20);
    spin.show();
    ProcessEvents();
    EXPECT_LT(spin.DownArrow()->geometry().right(), spin.UpArrow()->geometry().left());
    EXPECT_EQ(spin.UpArrow()->arrowType(), Qt::RightArrow);
    EXPECT_EQ(spin.DownArrow()->arrowType(), Qt::LeftArrow);
    QSignalSpy up(&spin, &SpinButton::SpinUp);
    Click(*spin.UpArrow());
    EXPECT_EQ(up.count(), 1);
}

TEST_F(ControlsTest, EnterInATextBoxDoesNotPressAButton)
{
    QSignalSpy clicked(window().CmdAjout, &QPushButton::clicked);
    Type(window(), "Text1", "abc\r");
    EXPECT_EQ(clicked.count(), 0);
    Key(*window().CmdAjout, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 1) << "Enter on the focused button presses it";
}

TEST_F(ControlsTest, CheckBoxValuesAndClick)
{
    QSignalSpy clicks(window().Check1, &CheckBox::Click);
    EXPECT_EQ(window().Check1->Value(), 0);
    Click(window(), "Check1");
    EXPECT_EQ(window().Check1->Value(), 1);
    window().Check1->SetValue(2);
    EXPECT_EQ(window().Check1->Value(), 2);
    window().Check1->SetValue(0);
    EXPECT_EQ(clicks.count(), 3);
}

TEST_F(ControlsTest, ControlsAreFoundByTheirNamesAndArrayIndex)
{
    EXPECT_EQ(&Find<QLineEdit>(window(), "Text2(7)"), &window().Text2(7));
    EXPECT_EQ(&Find<Panel>(window(), "SSPanel1"), window().SSPanel1);
    EXPECT_EQ(window().Text2.LBound(), 0);
    EXPECT_EQ(window().Text2.UBound(), 18);
    EXPECT_THROW(window().Text2(19), std::out_of_range);
    EXPECT_THROW(Find<QLineEdit>(window(), "CmdAjout"), std::runtime_error);

    window().Text2.ForEach([](int index, QLineEdit& box) { box.setText(QString::number(index)); });
    EXPECT_EQ(window().Text2(18).text(), "18");
}

TEST_F(ControlsTest, ClickingAHiddenControlFailsTheTest)
{
    window().CmdAjout->hide();
    EXPECT_NONFATAL_FAILURE(Click(window(), "CmdAjout"), "CmdAjout is not visible");
}

TEST_F(ControlsTest, LabelDoubleClick)
{
    QSignalSpy doubleClicks(window().Label1, &Label::DblClick);
    DoubleClick(window(), "Label1");
    EXPECT_EQ(doubleClicks.count(), 1);
}

TEST_F(ControlsTest, TheMousePointerIsOneValue)
{
    SetMousePointer(MousePointer::Hourglass);
    SetMousePointer(MousePointer::Hourglass);
    EXPECT_EQ(MousePointer(), MousePointer::Hourglass);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    SetMousePointer(MousePointer::Default);
    EXPECT_EQ(MousePointer(), MousePointer::Default);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "one reset undoes any number of sets";
}

} // namespace
