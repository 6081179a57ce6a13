#include "slidora/Form1.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/Dialogs.h"
#include "platform/forms/testing/Drive.h"
#include "platform/forms/testing/ProgramFolder.h"
#include "platform/mci/Mci.h"
#include "platform/win/End.h"
#include "slidora/ProgramFolder.h"
#include "tests/platform/mci/EventLoop.h"
#include "tests/platform/mci/GeneratedMedia.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <clocale>
#include <functional>

namespace {

using forms::testing::RecordedBox;
using forms::testing::Script;
using slidora::Form1;

// Videos made once for the whole suite: the test pattern (2 s) and a red picture (1 s).
const std::filesystem::path& Media()
{
    static const std::filesystem::path folder = [] {
        auto f = testmedia::TempFolder("slidora-media");
        testmedia::MakeWmv(f / "pattern.wmv", 2.0);
        testmedia::MakeWmv(f / "red.wmv", 1.0, "color=c=red:size=320x240");
        return f;
    }();
    return folder;
}

using testmedia::LoadedMachine;
using testmedia::Pause;
using testmedia::WaitUntil;

bool IsRed(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

class Player : public forms::testing::WindowTest
{
protected:
    void SetUp() override
    {
        std::setlocale(LC_NUMERIC, "C");
        win::SetEndHandler(win::ThrowEndCalled);
        slidora::SetProgramFolder(folder_.Path());
    }
    void TearDown() override
    {
        forms::testing::WindowTest::TearDown();
        win::SetEndHandler({});
        slidora::SetProgramFolder({});
    }

    void PutVideo(const char* source = "pattern.wmv")
    {
        QFile::copy(QString::fromStdString((Media() / source).string()),
                    folder_.FilePath("zad.wmv"));
    }

    // Loads and shows the window, which starts zad.wmv. The position timer is
    // stopped: the tests tick it themselves, as an end of the program from
    // inside the event loop could not be observed.
    Form1& Start()
    {
        Form1& form = forms::form<Form1>();
        form.Timer1->stop();
        form.Show();
        return form;
    }

    std::string Status(Form1& form, const std::string& item)
    {
        std::string answer;
        mci::SendString("status " + form.Alias().toStdString() + " " + item, answer, 128);
        return answer;
    }
    long Position(Form1& form) { return std::stol(Status(form, "position")); }

    // Ticks the timer until the program ends or the time is up.
    bool TicksEndTheProgram(Form1& form, int timeoutMs)
    {
        bool ended = false;
        WaitUntil(
            [&] {
                try {
                    form.Timer1_Timer();
                } catch (const win::EndCalled&) {
                    ended = true;
                }
                return ended;
            },
            timeoutMs);
        return ended;
    }

    // The x of the progress bar's pixel column for a position.
    int ProgressX(Form1& form, long ms)
    {
        return int(double(ms) * form.PicProgress->width() / form.Length());
    }

    forms::testing::ProgramFolder folder_;
};

TEST(FormatTime, HoursMinutesSecondsMilliseconds)
{
    struct Case
    {
        long ms;
        const char* text;
    };
    const Case cases[] = {
        {0, "0:00:00.000"},       {83456, "0:01:23.456"},     {59999, "0:00:59.999"},
        {3600000, "1:00:00.000"}, {36061001, "10:01:01.001"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Form1::FormatTime(c.ms), c.text) << c.ms;
}

TEST_F(Player, LoadDrawsTheAliasAndReadsTheCodecTable)
{
    QFile::copy(SLIDORA_FOURCC_TXT, folder_.FilePath("fourcc.txt"));
    Form1& form = forms::form<Form1>();
    EXPECT_TRUE(QRegularExpression("^[0-9]{1,2}Aform$").match(form.Alias()).hasMatch())
        << form.Alias().toStdString();
    EXPECT_EQ(form.Caption(), "Slidora navigateur - beta");
    EXPECT_EQ(form.Label2->Caption(), "0:00:00.000");
    ASSERT_FALSE(form.FourCCTable().empty());
    EXPECT_EQ(form.FourCCTable().front().code, "WMV1");

    // The table installed with the program describes the codes of its own video.
    Script().ExpectMsgBox(forms::vbOK, "Code : WMV2\r\nNom complet : ");
    form.ShowFourCCInfo("WMV2");
    ASSERT_EQ(Script().Boxes().size(), 1u);
    EXPECT_EQ(Script().Boxes()[0].style, forms::vbInformation);
    EXPECT_EQ(Script().Boxes()[0].title, "Information FourCC");
    EXPECT_TRUE(Script().Boxes()[0].text.contains("\r\nCréateur : "));

    Script().ExpectMsgBox(forms::vbOK, "Code FOURCC inconnu.");
    form.ShowFourCCInfo("Char");
    EXPECT_EQ(Script().Boxes()[1].style, forms::vbExclamation);
    EXPECT_EQ(Script().Boxes()[1].title, "FourCC information");
    form.ShowFourCCInfo("WMV"); // shorter than a code: nothing
    EXPECT_EQ(Script().Boxes().size(), 2u);
}

TEST_F(Player, ActivationPlaysTheIntroductionVideo)
{
    PutVideo();
    folder_.Write("a.avi", "x");
    Form1& form = Start();
    ASSERT_TRUE(form.Playing());
    EXPECT_FALSE(form.Paused());
    EXPECT_EQ(form.InfoText(), "WMV2 [320x240]");
    EXPECT_NEAR(form.Length(), 2000, 150);
    EXPECT_EQ(form.Label1->Caption(), "WMV2 [320x240] - " + Form1::FormatTime(form.Length()));
    EXPECT_EQ(form.Command5->text(), "||");
    ASSERT_TRUE(WaitUntil([&] { return Position(form) > 200; }, LoadedMachine));

    // The video fills the picture area, whose size is the capture size.
    QWidget* videoWindow = nullptr;
    for (QWidget* child : form.Picture1->findChildren<QWidget*>())
        if (child != form.AffBMP)
            videoWindow = child;
    ASSERT_NE(videoWindow, nullptr);
    EXPECT_EQ(videoWindow->size(), form.Picture1->size());
    EXPECT_EQ(form.CaptureWidth(), form.Picture1->width());
    EXPECT_EQ(form.CaptureHeight(), form.Picture1->height());

    form.Timer1_Timer();
    EXPECT_NE(form.Label2->Caption(), "0:00:00.000");

    // A double click on the status line looks its first four characters up.
    Script().ExpectMsgBox(forms::vbOK, "Code FOURCC inconnu.");
    forms::testing::DoubleClick(form, "Label1");
    EXPECT_EQ(Script().Boxes().size(), 1u);
}

TEST_F(Player, OnTopSwitch)
{
    Form1& form = forms::form<Form1>();
    form.Timer1->stop();
    form.Show();
    forms::testing::Click(*form.Check2);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form.isVisible());
    forms::testing::Click(*form.Check2);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(Player, MissingVideoKeepsTheProgramRunning)
{
    Form1& form = Start();
    EXPECT_TRUE(form.Playing());
    EXPECT_EQ(form.Length(), 1000);
    EXPECT_EQ(form.Label1->Caption(), "?     [1x1] - 0:00:01.000");
    for (int i = 0; i < 3; ++i)
        EXPECT_NO_THROW(form.Timer1_Timer());
}

TEST_F(Player, EndOfTheVideoEndsTheProgram)
{
    PutVideo();
    Form1& form = Start();
    EXPECT_TRUE(TicksEndTheProgram(form, 5000));
}

TEST_F(Player, PausedVideoNeverEndsTheProgram)
{
    PutVideo();
    Form1& form = Start();
    form.Command5_Click();
    EXPECT_TRUE(form.Paused());
    EXPECT_EQ(form.Command5->text(), "|>");

    // A release at the very end of the progress bar moves the paused video there.
    const QPoint end(form.PicProgress->width(), form.PicProgress->height() / 2);
    QTest::mousePress(form.PicProgress, Qt::LeftButton, {}, end);
    QTest::mouseRelease(form.PicProgress, Qt::LeftButton, {}, end);
    form.Timer1->stop();
    EXPECT_EQ(Position(form), form.Length());
    EXPECT_FALSE(TicksEndTheProgram(form, 600));

    // Resumed there, the video is at its end and the program ends.
    form.Command5_Click();
    EXPECT_TRUE(TicksEndTheProgram(form, 3000));
}

TEST_F(Player, PressOnTheProgressBarWhilePausedMovesWithoutResuming)
{
    PutVideo();
    Form1& form = Start();
    form.Command5_Click();
    const long target = 1000;
    const QPoint at(ProgressX(form, target) + 1, form.PicProgress->height() / 2);
    QTest::mouseClick(form.PicProgress, Qt::LeftButton, {}, at);
    form.Timer1->stop();
    EXPECT_TRUE(form.Paused());
    const long moved = Position(form);
    EXPECT_NEAR(moved, target, 30);
    Pause(300);
    EXPECT_EQ(Position(form), moved);

    form.Command5_Click();
    EXPECT_FALSE(form.Paused());
    ASSERT_TRUE(WaitUntil([&] { return Position(form) > moved + 100; }, LoadedMachine));
}

TEST_F(Player, ClickOnTheProgressBarWhilePlayingPlaysFromThere)
{
    PutVideo();
    Form1& form = Start();
    const QPoint at(ProgressX(form, 1500) + 1, form.PicProgress->height() / 2);
    QTest::mouseClick(form.PicProgress, Qt::LeftButton, {}, at);
    form.Timer1->stop();
    ASSERT_TRUE(WaitUntil([&] { return Position(form) >= 1500; }, LoadedMachine));
    // The bar shows the gradient up to the position: green at its start.
    form.DrawProgressBar(1500);
    const QImage bar = form.PicProgress->Image();
    const QRgb start = bar.pixel(0, 1);
    EXPECT_EQ(qGreen(start), 128);
    EXPECT_LT(qRed(start), 10);
    const QRgb late = bar.pixel(ProgressX(form, 1400), 1);
    EXPECT_GT(qRed(late), 60) << "towards light cyan";
    EXPECT_EQ(bar.pixel(bar.width() - 2, 1), form.PicProgress->palette().window().color().rgb());
}

TEST_F(Player, SpeedButtonsActOnlyWhilePlaying)
{
    PutVideo();
    Form1& form = Start();
    form.Command5_Click();
    forms::testing::Click(*form.CMspeed[2]);
    EXPECT_EQ(Status(form, "speed"), "1000") << "paused: nothing";
    form.Command5_Click();
    forms::testing::Click(*form.CMspeed[2]);
    EXPECT_EQ(Status(form, "speed"), "2000");
    forms::testing::Click(*form.CMspeed[0]);
    EXPECT_EQ(Status(form, "speed"), "500");
    forms::testing::Click(*form.CMspeed[1]);
    EXPECT_EQ(Status(form, "speed"), "1000");
}

TEST_F(Player, SoundSwitchAndVolumeBar)
{
    PutVideo();
    Form1& form = Start();
    forms::testing::Click(*form.Check1);
    EXPECT_EQ(Status(form, "audio"), "off");
    forms::testing::Click(*form.Check1);
    EXPECT_EQ(Status(form, "audio"), "on");

    // The sound setting also holds for the next video.
    form.Check1->SetValue(1);
    form.OpenSelected();
    EXPECT_EQ(Status(form, "audio"), "off");

    const int h = form.PicVolume->height();
    const int y = h * 3 / 10;
    QTest::mouseClick(form.PicVolume, Qt::LeftButton, {}, QPoint(2, y));
    EXPECT_EQ(std::stol(Status(form, "volume")), long(std::floor(double(y) / h * 1000)));
    const QImage bar = form.PicVolume->Image();
    EXPECT_EQ(QColor(bar.pixel(1, 0)), QColor(0, 128, 0));
    EXPECT_NE(QColor(bar.pixel(1, h - 2)), QColor(0, 128, 0));
}

TEST_F(Player, StopClosesTheVideo)
{
    PutVideo();
    Form1& form = Start();
    form.Timer1_Timer();
    forms::testing::Click(*form.Command2);
    EXPECT_FALSE(form.Playing());
    EXPECT_EQ(form.Label2->Caption(), "0:00:00.000");
    std::string answer;
    EXPECT_EQ(mci::SendString("status " + form.Alias().toStdString() + " position", answer, 128),
              mci::ErrInvalidDeviceName);
    // Nothing plays: pause, speed and capture do nothing.
    form.Command5_Click();
    EXPECT_FALSE(form.Paused());
    form.Command6_Click();
    EXPECT_TRUE(Script().Boxes().empty());
}

TEST_F(Player, PreviousAndNextWalkTheListAndPlayTheIntroduction)
{
    PutVideo();
    folder_.Write("a.avi", "x");
    folder_.Write("b.mpg", "x");
    Form1& form = Start();
    ASSERT_EQ(form.File1->ListCount(), 3);
    EXPECT_EQ(form.File1->ListIndex(), -1);

    forms::testing::Click(*form.Command3);
    EXPECT_EQ(form.File1->ListIndex(), -1) << "no selection: previous does nothing";
    forms::testing::Click(*form.Command4);
    EXPECT_EQ(form.File1->ListIndex(), 0);
    EXPECT_TRUE(form.Playing());
    EXPECT_EQ(form.InfoText(), "WMV2 [320x240]") << "whatever the entry, zad.wmv plays";
    forms::testing::Click(*form.Command3);
    EXPECT_EQ(form.File1->ListIndex(), 0) << "the first entry has none before it";

    form.File1->SetListIndex(2);
    forms::testing::Click(*form.Command4);
    EXPECT_EQ(form.File1->ListIndex(), 0) << "next wraps";
    forms::testing::Click(*form.Command4);
    forms::testing::Click(*form.Command3);
    EXPECT_EQ(form.File1->ListIndex(), 0);

    // The status line names the chosen entry while the video loads: a timer due
    // now runs when the window lets pending events run.
    QString loading;
    QTimer::singleShot(0, form.Label1, [&] { loading = form.Label1->Caption(); });
    form.File1->SetListIndex(1);
    form.File1_DblClick();
    EXPECT_EQ(loading, "Chargement de b.mpg");
    EXPECT_TRUE(form.Playing());
}

TEST_F(Player, EmptyFolderListLeavesPreviousAndNextIdle)
{
    PutVideo();
    Form1& form = Start();
    forms::testing::Click(*form.Command2);
    const QString empty = folder_.FilePath("empty");
    QDir().mkpath(empty);
    Script().ExpectFile(RecordedBox::Folder, empty);
    forms::testing::Click(*form.Command1);
    EXPECT_EQ(Script().Boxes().back().text, "Dossier contenant des vidéos");
    EXPECT_EQ(form.Caption(), "Navigation dans " + empty);
    EXPECT_EQ(form.File1->ListCount(), 0);
    forms::testing::Click(*form.Command4);
    forms::testing::Click(*form.Command3);
    EXPECT_FALSE(form.Playing());

    // Cancelling the folder chooser changes nothing.
    Script().ExpectFile(RecordedBox::Folder, "");
    forms::testing::Click(*form.Command1);
    EXPECT_EQ(form.Caption(), "Navigation dans " + empty);
}

TEST_F(Player, FunctionKeysChooseTheListPattern)
{
    PutVideo();
    folder_.Write("a.mp3", "x");
    folder_.Write("b.jpg", "x");
    folder_.Write("c.mpe", "x");
    Form1& form = Start();
    forms::testing::Click(*form.Command2);
    struct Case
    {
        Qt::Key key;
        QStringList entries;
    };
    const Case cases[] = {
        {Qt::Key_F8, {"b.jpg"}},
        {Qt::Key_F10, {"a.mp3", "c.mpe", "zad.wmv"}},
        {Qt::Key_F9, {"c.mpe", "zad.wmv"}},
    };
    for (const Case& c : cases) {
        forms::testing::Key(*form.File1, c.key);
        QStringList entries;
        for (int i = 0; i < form.File1->ListCount(); ++i)
            entries << form.File1->List(i);
        EXPECT_EQ(entries, c.entries) << int(c.key);
    }
    folder_.Write("d.avi", "x");
    EXPECT_EQ(form.File1->ListCount(), 2);
    forms::testing::Key(*form.File1, Qt::Key_F5);
    EXPECT_EQ(form.File1->ListCount(), 3);

    // Enter in the list opens.
    forms::testing::Key(*form.File1, Qt::Key_Return);
    EXPECT_TRUE(form.Playing());
}

TEST_F(Player, WidthChangeRebuildsTheProgressBar)
{
    PutVideo();
    Form1& form = Start();
    form.Command5_Click();
    const int mid = form.PicProgress->width() / 2;
    auto drawnAt = [&](int x) {
        return form.PicProgress->Image().pixel(x, 1) !=
               form.PicProgress->palette().window().color().rgb();
    };
    form.DrawProgressBar(form.Length() * 3 / 4);
    ASSERT_TRUE(drawnAt(mid));

    form.resize(form.width(), form.height() + 60);
    QApplication::processEvents();
    EXPECT_TRUE(drawnAt(mid)) << "a height change keeps the bar";
    EXPECT_EQ(forms::HeightTwips(*form.Picture1), form.Height() - 1230);

    form.resize(form.width() + 80, form.height());
    QApplication::processEvents();
    EXPECT_FALSE(drawnAt(mid)) << "a width change sets the bar up again";
    EXPECT_EQ(forms::WidthTwips(*form.Picture1), form.Width() - 120);
    EXPECT_EQ(forms::WidthTwips(*form.PicProgress), form.Width() - 2400);
    EXPECT_EQ(form.CaptureWidth(), form.Picture1->width());
    EXPECT_EQ(form.CaptureHeight(), form.Picture1->height());
    std::string where;
    mci::SendString("where " + form.Alias().toStdString() + " destination", where, 128);
    EXPECT_EQ(QString::fromStdString(where),
              QString("0 0 %1 %2").arg(form.Picture1->width()).arg(form.Picture1->height()));
}

TEST_F(Player, StillPictureFitsTheArea)
{
    PutVideo();
    Form1& form = Start();
    forms::testing::Click(*form.Command2);
    QImage picture(100, 50, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    const QString path = folder_.FilePath("photo.bmp");
    ASSERT_TRUE(picture.save(path));
    form.OpenAndPlay(path);
    EXPECT_FALSE(form.Playing()) << "a picture is shown, not played";
    EXPECT_TRUE(form.AffBMP->isVisible());
    EXPECT_EQ(form.AffBMP->geometry(), QRect(0, 0, 100, 50));

    const QSize area = form.Picture1->size();
    form.Check3->SetValue(1);
    EXPECT_EQ(form.AffBMP->size(), area);
    form.Check4->SetValue(1);
    const int h = int(std::floor(area.width() / 2.0));
    const QSize fitted =
        h > area.height() ? QSize(area.height() * 2, area.height()) : QSize(area.width(), h);
    EXPECT_EQ(form.AffBMP->size(), fitted);
    EXPECT_EQ(form.AffBMP->pos(), QPoint(0, 0));
    form.Check3->SetValue(0);
    EXPECT_EQ(form.AffBMP->size(), QSize(100, 50));

    forms::testing::Click(*form.Command2);
    EXPECT_FALSE(form.AffBMP->isVisible());
}

class Capture : public Player
{
protected:
    Form1& StartRed()
    {
        PutVideo("red.wmv");
        Form1& form = Start();
        form.Command5_Click();
        // The paused frame is drawn once the first picture is decoded.
        EXPECT_TRUE(WaitUntil(
            [&] {
                return IsRed(form.Picture1->grab().toImage().pixel(form.Picture1->rect().center()));
            },
            LoadedMachine));
        return form;
    }

    QImage Saved(const QString& name) { return QImage(folder_.FilePath(name), "BMP"); }
};

TEST_F(Capture, ToFileAppendsTheExtensionWhenMissing)
{
    Form1& form = StartRed();
    struct Case
    {
        const char* typed;
        const char* saved;
    };
    const Case cases[] = {
        {"clip.BMP", "clip.BMP"}, {"clip", "clip.bmp"}, {"clip.jpg", "clip.jpg.bmp"}};
    for (const Case& c : cases) {
        Script().ExpectFile(RecordedBox::SaveFile, folder_.FilePath(c.typed));
        form.Command6_Click();
        const QImage saved = Saved(c.saved);
        ASSERT_FALSE(saved.isNull()) << c.saved;
        EXPECT_EQ(saved.size(), form.Picture1->size());
        EXPECT_TRUE(IsRed(saved.pixel(saved.rect().center()))) << c.saved;
    }
    const RecordedBox& box = Script().Boxes().front();
    EXPECT_EQ(box.text, "Fichier bitmap de la capture...");
    EXPECT_EQ(box.filter, "Fichiers BMP (*.bmp)|*.bmp|");
    EXPECT_EQ(box.initialDir, folder_.Path());
}

TEST_F(Capture, AppendedNameAsksBeforeOverwriting)
{
    Form1& form = StartRed();
    const QString existing = folder_.Write("clip.bmp", "keep");

    Script().ExpectFile(RecordedBox::SaveFile, folder_.FilePath("clip"));
    Script().ExpectMsgBox(forms::vbNo, "clip.bmp existe déjà.");
    form.Command6_Click();
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "keep");
    file.close();
    EXPECT_EQ(Script().Boxes().back().style,
              forms::vbYesNo + forms::vbExclamation + forms::vbDefaultButton2);

    Script().ExpectFile(RecordedBox::SaveFile, folder_.FilePath("clip"));
    Script().ExpectMsgBox(forms::vbYes, "clip.bmp existe déjà.");
    form.Command6_Click();
    EXPECT_TRUE(IsRed(Saved("clip.bmp").pixel(10, 10)));

    // Cancelling saves nothing.
    Script().ExpectFile(RecordedBox::SaveFile, "");
    form.Command6_Click();
    EXPECT_EQ(QDir(folder_.Path()).entryList({"*.bmp"}).size(), 1);
}

TEST_F(Capture, ToClipboardIsIndependentOfTheFileCapture)
{
    Form1& form = StartRed();
    Script().ExpectFile(RecordedBox::SaveFile, "");
    form.Command6_Click();
    const QImage first = form.FileCapture();
    ASSERT_FALSE(first.isNull());

    forms::testing::Click(*form.Command7);
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_FALSE(copied.isNull());
    EXPECT_TRUE(IsRed(copied.pixel(copied.rect().center())));
    EXPECT_EQ(form.ClipboardCapture().size(), form.Picture1->size());
    EXPECT_EQ(form.FileCapture().cacheKey(), first.cacheKey());
}

// The program itself, in a folder of its own: it plays zad.wmv and ends at its end.
TEST(SlidoraProgram, EndsAtTheEndOfTheVideo)
{
    // A blank in the folder's name: the video's path is quoted in the open command.
    const auto folder = testmedia::TempFolder("slidora run");
    std::filesystem::copy_file(SLIDORA_EXECUTABLE, folder / "slidora");
    testmedia::MakeWmv(folder / "zad.wmv", 1.0);
    const std::string command = "cd '" + folder.string() +
                                "' && QT_QPA_PLATFORM=offscreen timeout 15 ./slidora "
                                ">/dev/null 2>&1";
    QElapsedTimer timer;
    timer.start();
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "124 means it was still running after 15 s";
    EXPECT_GE(timer.elapsed(), 900);
    std::filesystem::remove_all(folder);
}

} // namespace
