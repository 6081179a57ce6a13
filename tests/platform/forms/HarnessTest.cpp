#include "platform/forms/Form.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/Drive.h"
#include "platform/forms/testing/ProgramFolder.h"
#include "platform/win/Clock.h"

#include <QDir>
#include <QFile>
#include <QPushButton>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

using namespace forms::testing;
using namespace std::chrono_literals;

namespace {

class Dialog : public forms::Form
{
public:
    int resizes = 0;
    void Form_Resize() override { ++resizes; }
};

using HarnessTest = WindowTest;

TEST_F(HarnessTest, ProgramFolderHoldsFilesAndGoesAway)
{
    QString root;
    {
        ProgramFolder folder;
        root = folder.Path();
        const QString ini = folder.Write("automat.ini", "[Badge]\r\nTypeLecteurBadge=3\r\n");
        const QString icon = folder.Write("icon\\door02.gif", "GIF89a");
        EXPECT_EQ(icon, root + "/icon/door02.gif");
        QFile file(icon);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "GIF89a");
        EXPECT_TRUE(QFile::exists(ini));
    }
    EXPECT_FALSE(QDir(root).exists());
}

TEST_F(HarnessTest, FrozenClockMovesOnlyWhenAdvanced)
{
    {
        FrozenClock clock;
        const auto start = win::Clock::Now();
        win::Sleep(0ms);
        EXPECT_EQ(win::Clock::Now(), start);
        clock.Advance(16s);
        EXPECT_EQ(win::Clock::Now() - start, 16s);
    }
    EXPECT_FALSE(win::Clock::IsFrozen());
}

TEST_F(HarnessTest, AModalFormLeftOpenFailsTheTestInsteadOfWaiting)
{
    Dialog& dialog = forms::form<Dialog>();
    EXPECT_NONFATAL_FAILURE(ShowModal(dialog, [] {}), "is still shown modally");
    EXPECT_FALSE(dialog.isVisible());
}

// A window whose button opens another one modally, as the main window's buttons do.
class Opener : public forms::Form
{
public:
    Opener()
    {
        auto* button = new QPushButton("Familles", this);
        button->setObjectName("CmdFamilles");
        connect(button, &QPushButton::clicked, this, [this] {
            forms::form<Dialog>().Show(forms::Modal, this);
            returned = true;
        });
    }
    bool returned = false;
};

TEST_F(HarnessTest, AnActionRunsInsideTheModalFormThatAClickOpens)
{
    Opener& opener = forms::form<Opener>();
    opener.Show();
    QString seen;
    OnNextModal([&](forms::Form& shown) {
        seen = shown.objectName();
        EXPECT_FALSE(opener.returned);
        shown.Unload();
    });
    Click(opener, "CmdFamilles");
    EXPECT_TRUE(opener.returned);
    EXPECT_EQ(seen, "Dialog");
    EXPECT_EQ(forms::Form::ModalForm(), nullptr);
    EXPECT_FALSE(forms::IsLoaded<Dialog>());

    OnNextModal([](forms::Form&) {});
    EXPECT_NONFATAL_FAILURE(Click(opener, "CmdFamilles"), "is still shown modally");
    EXPECT_FALSE(DropModalActions());

    OnNextModal([](forms::Form& shown) { shown.Hide(); });
    EXPECT_TRUE(DropModalActions()) << "no modal form was shown";
}

TEST_F(HarnessTest, ControlsArePlacedInTwipsAndResizingAFormRunsItsResize)
{
    Dialog& dialog = forms::form<Dialog>();
    dialog.Show();
    auto* button = new QPushButton("STOP", &dialog);
    forms::MoveTwips(*button, 4095, 0, 840, 375);
    EXPECT_EQ(button->geometry(), QRect(273, 0, 56, 25));
    EXPECT_EQ(forms::LeftTwips(*button), 4095);
    EXPECT_EQ(forms::WidthTwips(*button), 840);
    forms::SetWidthTwips(*button, 1500);
    EXPECT_EQ(button->width(), 100);

    const int before = dialog.resizes;
    dialog.SetWidth(9000);
    EXPECT_GT(dialog.resizes, before);
}

} // namespace
