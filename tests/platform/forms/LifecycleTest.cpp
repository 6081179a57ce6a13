#include "platform/forms/Center.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Form.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/Dialogs.h"
#include "platform/forms/testing/Drive.h"
#include "platform/win/Screen.h"
#include "platform/win/Twips.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using forms::form;
using forms::IsLoaded;
using namespace forms::testing;

namespace {

// What the test windows did, kept outside them so that it outlives an unload.
struct Events
{
    int loads = 0;
    int activations = 0;
    int unloads = 0;
    int lastUnloadMode = -1;
    int cancelQuery = 0;
    int cancelUnload = 0;
    forms::Form* seenInLoad = nullptr;
};

template <int N> class Window : public forms::Form
{
public:
    static Events& events()
    {
        static Events e;
        return e;
    }
    Window() { setObjectName(QString("Window%1").arg(N)); }
    void Form_Load() override
    {
        ++events().loads;
        // Code of the load that reaches the form through the registry gets this very instance.
        events().seenInLoad = &form<Window<N>>();
    }
    void Form_Activate() override { ++events().activations; }
    void Form_QueryUnload(int& cancel, int unloadMode) override
    {
        events().lastUnloadMode = unloadMode;
        cancel = events().cancelQuery;
    }
    void Form_Unload(int& cancel) override
    {
        ++events().unloads;
        cancel = events().cancelUnload;
    }
};

using First = Window<1>;

namespace screens {
class FrmStock : public forms::Form
{
};
} // namespace screens
using Second = Window<2>;

class LifecycleTest : public WindowTest
{
protected:
    void SetUp() override
    {
        First::events() = {};
        Second::events() = {};
    }
};

TEST_F(LifecycleTest, FirstUseLoadsHiddenAndEveryCallerGetsTheSameInstance)
{
    EXPECT_FALSE(IsLoaded<First>());
    EXPECT_EQ(First::events().loads, 0) << "IsLoaded must not create the form";

    First& a = form<First>();
    EXPECT_TRUE(IsLoaded<First>());
    EXPECT_EQ(First::events().loads, 1);
    EXPECT_EQ(First::events().seenInLoad, &a);
    EXPECT_FALSE(a.isVisible()) << "loading does not show";
    EXPECT_EQ(First::events().activations, 0);

    EXPECT_EQ(&form<First>(), &a);
    EXPECT_EQ(First::events().loads, 1);
    EXPECT_FALSE(IsLoaded<Second>());

    EXPECT_EQ(a.objectName(), "Window1") << "a name the form gives itself stays";
    EXPECT_EQ(form<screens::FrmStock>().objectName(), "FrmStock");
}

TEST_F(LifecycleTest, UseAfterUnloadCreatesANewFormAndLoadsItAgain)
{
    QPointer<First> old = &form<First>();
    old->Show();
    EXPECT_TRUE(old->Unload());
    EXPECT_EQ(First::events().unloads, 1);
    EXPECT_EQ(First::events().lastUnloadMode, forms::FormCode);
    EXPECT_FALSE(IsLoaded<First>());
    EXPECT_FALSE(old->isVisible());

    First& fresh = form<First>();
    EXPECT_EQ(First::events().loads, 2);
    ProcessEvents();
    EXPECT_TRUE(old.isNull()) << "the unloaded form is deleted";
    EXPECT_EQ(&form<First>(), &fresh);
}

TEST_F(LifecycleTest, QueryUnloadOrUnloadCanCancel)
{
    First& a = form<First>();
    a.Show();
    First::events().cancelQuery = 1;
    EXPECT_FALSE(a.Unload());
    EXPECT_EQ(First::events().unloads, 0) << "a cancelled QueryUnload skips Unload";
    First::events().cancelQuery = 0;
    First::events().cancelUnload = 1;
    EXPECT_FALSE(a.Unload());
    EXPECT_TRUE(IsLoaded<First>());
    EXPECT_TRUE(a.isVisible());

    // Closing from the frame asks the same way, with its own unload mode.
    a.close();
    EXPECT_TRUE(a.isVisible());
    EXPECT_EQ(First::events().lastUnloadMode, forms::FormControlMenu);
    First::events().cancelUnload = 0;
    a.close();
    EXPECT_FALSE(IsLoaded<First>());
}

TEST_F(LifecycleTest, ModalShowReturnsWhenTheFormHidesOrUnloads)
{
    std::vector<std::string> order;
    First& a = form<First>();
    order.push_back("before");
    ShowModal(a, [&] {
        order.push_back("shown");
        EXPECT_TRUE(a.isVisible());
        EXPECT_EQ(forms::Form::ModalForm(), &a);
        a.Hide();
        order.push_back("hidden");
    });
    order.push_back("after");
    EXPECT_EQ(order, (std::vector<std::string>{"before", "shown", "hidden", "after"}));
    EXPECT_TRUE(IsLoaded<First>()) << "hiding keeps the form loaded";
    EXPECT_EQ(forms::Form::ModalForm(), nullptr);

    Second& b = form<Second>();
    bool returned = false;
    ShowModal(
        b,
        [&] {
            EXPECT_FALSE(returned);
            b.Unload();
        },
        &a);
    returned = true;
    EXPECT_FALSE(IsLoaded<Second>());
}

TEST_F(LifecycleTest, AFormDeletedWhileShownModallyReturnsFromShow)
{
    First& a = form<First>();
    ShowModal(a, [] { forms::UnloadAll(); });
    EXPECT_FALSE(IsLoaded<First>());
    EXPECT_EQ(forms::Form::ModalForm(), nullptr);
}

TEST_F(LifecycleTest, ModelessShowReturnsAtOnce)
{
    First& a = form<First>();
    a.Show();
    EXPECT_TRUE(a.isVisible());
    EXPECT_EQ(forms::Form::ModalForm(), nullptr);

    // The same form, already shown modeless, can then be shown modally (the article picker).
    ShowModal(a, [&] {
        EXPECT_EQ(a.windowModality(), Qt::ApplicationModal);
        EXPECT_TRUE(a.isVisible());
        a.Hide();
    });
    EXPECT_EQ(a.windowModality(), Qt::NonModal);
}

TEST_F(LifecycleTest, ActivateRunsWhenAnotherOfTheProgramsFormsWasActive)
{
    First& a = form<First>();
    a.Show();
    EXPECT_EQ(First::events().activations, 1);
    EXPECT_EQ(forms::Form::ActiveForm(), &a);

    // A message box, or coming back from another program, leaves the same form active.
    Script().ExpectMsgBox(forms::vbOK);
    forms::MsgBox("Enregistré");
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(&a, &deactivate);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&a, &activate);
    EXPECT_EQ(First::events().activations, 1);

    Second& b = form<Second>();
    b.Show();
    EXPECT_EQ(Second::events().activations, 1);
    QCoreApplication::sendEvent(&a, &activate);
    EXPECT_EQ(First::events().activations, 2) << "back from another form of the program";

    // Closing a modal form makes its owner active again.
    Second& modal = form<Second>();
    ShowModal(
        modal, [&] { modal.Hide(); }, &a);
    EXPECT_EQ(Second::events().activations, 2);
    EXPECT_EQ(First::events().activations, 3);
    EXPECT_EQ(forms::Form::ActiveForm(), &a);

    // The handler stays callable directly.
    a.Form_Activate();
    EXPECT_EQ(First::events().activations, 4);
}

TEST_F(LifecycleTest, PositionAndSizeAreInTwipsOfTheOuterFrame)
{
    First& a = form<First>();
    a.SetCaption("Articles en stock");
    a.Show();
    a.Move(1500, 750, 6000, 4500);
    EXPECT_EQ(a.windowTitle(), "Articles en stock");
    EXPECT_EQ(a.Caption(), "Articles en stock");
    EXPECT_EQ(a.Left(), 1500);
    EXPECT_EQ(a.Top(), 750);
    EXPECT_EQ(a.Width(), 6000);
    EXPECT_EQ(a.Height(), 4500);
    EXPECT_EQ(a.ScaleWidth(), win::PixelsToTwips(a.width()));
    EXPECT_LE(a.ScaleWidth(), a.Width());
    EXPECT_LE(a.ScaleHeight(), a.Height());

    a.SetWidth(3000);
    EXPECT_EQ(a.Width(), 3000);
    EXPECT_EQ(a.Height(), 4500) << "changing the width keeps the height";
    EXPECT_EQ(a.Left(), 1500);
}

TEST_F(LifecycleTest, SizeSetBeforeTheFirstShowIsTheOuterSizeOnceShown)
{
    First& a = form<First>();
    a.Move(300, 450, 6000, 9210);
    a.SetWidth(6390);
    a.Show();
    EXPECT_EQ(a.Left(), 300);
    EXPECT_EQ(a.Top(), 450);
    EXPECT_EQ(a.Width(), 6390 / 15 * 15);
    EXPECT_EQ(a.Height(), 9210 / 15 * 15);
}

TEST_F(LifecycleTest, CentringUsesTheFormsInnerSizeAndThePanelsContainer)
{
    First& a = form<First>();
    a.Show();
    a.Move(0, 0, 7500, 6000);
    forms::CenterForm(a);
    EXPECT_EQ(a.Width(), 7500) << "centring keeps the size";
    EXPECT_NEAR(a.Left(), (win::ScreenWidthTwips() - a.ScaleWidth()) / 2, 15);
    EXPECT_NEAR(a.Top(), (win::ScreenHeightTwips() - a.ScaleHeight()) / 2, 15);

    QWidget panel(&a);
    panel.resize(200, 100);
    forms::CenterPanel(panel);
    EXPECT_EQ(panel.size(), QSize(200, 100));
    EXPECT_EQ(panel.x(), (win::ScreenWidthPixels() - 200) / 2);
    EXPECT_EQ(panel.y(), (win::ScreenHeightPixels() - 100) / 2);
}

TEST_F(LifecycleTest, TheTestScreenIsWideEnoughForTheProgram)
{
    EXPECT_GE(win::ScreenWidthPixels(), 1024);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(screen.width(), win::ScreenWidthPixels());
    EXPECT_EQ(screen.height(), win::ScreenHeightPixels());
}

} // namespace
