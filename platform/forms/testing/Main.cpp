// The main of window tests: the application on the offscreen platform with a 1280 x 1024 screen,
// the scripted dialogs for every test, and every form unloaded after each test.
#include "platform/forms/Application.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/Dialogs.h"
#include "platform/forms/testing/Drive.h"
#include "platform/win/Screen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryFile>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr int ScreenWidth = 1280;
constexpr int ScreenHeight = 1024;
// A modal form still shown after this long is a test waiting for a person: it fails.
constexpr int ModalLimitMs = 20000;

// The offscreen platform reads its screens from a configuration file named in its options.
// Window-system events are delivered at once, so that showing a form activates it there and then.
void ChooseOffscreenPlatform(QTemporaryFile& config)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && platform != "offscreen")
        return;
    if (!config.open())
        return;
    config.write(QByteArray("{\"synchronousWindowSystemEvents\": true, \"screens\": [{\"name\": "
                            "\"screen\", \"x\": 0, \"y\": 0, \"width\": ") +
                 QByteArray::number(ScreenWidth) +
                 ", \"height\": " + QByteArray::number(ScreenHeight) +
                 ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1.0}]}");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
}

class FormsListener : public ::testing::EmptyTestEventListener
{
public:
    void OnTestStart(const ::testing::TestInfo&) override
    {
        forms::testing::Script().Reset();
        forms::SetDialogService(&forms::testing::Script());
        forms::SetMousePointer(forms::MousePointer::Default);
    }

    void OnTestEnd(const ::testing::TestInfo&) override
    {
        forms::testing::DropModalActions();
        forms::UnloadAll();
    }
};

// Fails a test whose modal form nobody closes, instead of letting it wait forever.
void WatchModalForms(QObject* parent)
{
    auto* timer = new QTimer(parent);
    // The watch state lives in the slot, which goes with the timer.
    QObject::connect(timer, &QTimer::timeout,
                     [since = QElapsedTimer(), watched = QPointer<forms::Form>()]() mutable {
                         forms::Form* modal = forms::Form::ModalForm();
                         if (modal != watched.data()) {
                             watched = modal;
                             since.start();
                             return;
                         }
                         if (modal && since.elapsed() > ModalLimitMs) {
                             ADD_FAILURE() << "modal form " << modal->objectName().toStdString()
                                           << " was never closed";
                             modal->Hide();
                         }
                     });
    timer->start(250);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryFile config;
    ChooseOffscreenPlatform(config);
    forms::Application app(argc, argv);
    // The windows under test see Qt's texts and the font that the programs set up.
    forms::PrepareApplication();
    win::SetScreenSizeOverride(ScreenWidth, ScreenHeight);
    forms::SetDialogService(&forms::testing::Script());
    WatchModalForms(&app);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FormsListener);
    const int result = RUN_ALL_TESTS();
    forms::UnloadAll();
    forms::SetDialogService(nullptr);
    return result;
}
