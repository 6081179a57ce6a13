#include "platform/mci/Mci.h"
#include "tests/platform/mci/EventLoop.h"
#include "tests/platform/mci/GeneratedMedia.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

using mci::SendString;

std::string Ask(const std::string& command)
{
    std::string answer;
    EXPECT_EQ(SendString(command, answer, 128), 0) << command;
    return answer;
}

long AskNumber(const std::string& command)
{
    return std::stol(Ask(command));
}

using testmedia::LoadedMachine;
using testmedia::Pause;
using testmedia::WaitUntil;

class MciDevice : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        folder_ = new std::filesystem::path(testmedia::TempFolder("mci test"));
        // A blank in the folder name: the open command quotes the path.
        std::filesystem::create_directories(*folder_ / "my videos");
        testmedia::MakeWmv(*folder_ / "my videos" / "zad.wmv", 2.0);
        testmedia::MakeWmv(*folder_ / "red.wmv", 1.0, "color=c=red:size=320x240");
    }
    static void TearDownTestSuite()
    {
        std::filesystem::remove_all(*folder_);
        delete folder_;
    }

    void SetUp() override
    {
        area_.resize(640, 480);
        area_.show();
    }
    void TearDown() override { SendString("close 7Aform"); }

    void Open(const std::filesystem::path& path)
    {
        const std::string command = "open MPEGVideo!\"" + path.string() +
                                    "\" alias 7Aform parent " +
                                    std::to_string(mci::WindowHandle(&area_)) + " Style 1073741824";
        ASSERT_EQ(SendString(command), 0);
    }
    void OpenPattern() { Open(*folder_ / "my videos" / "zad.wmv"); }

    QWidget* VideoWindow() { return area_.findChild<QWidget*>(); }

    static std::filesystem::path* folder_;
    QWidget area_;
};

std::filesystem::path* MciDevice::folder_ = nullptr;

TEST_F(MciDevice, OpensStoppedWithLengthAndNaturalSize)
{
    OpenPattern();
    EXPECT_EQ(Ask("set 7Aform time format milliseconds"), "");
    EXPECT_NEAR(AskNumber("status 7Aform length"), 2000, 150);
    EXPECT_EQ(AskNumber("status 7Aform position"), 0);
    EXPECT_EQ(Ask("where 7Aform destination"), "0 0 320 240");

    ASSERT_NE(VideoWindow(), nullptr);
    EXPECT_EQ(VideoWindow()->geometry(), QRect(0, 0, 320, 240));
    Pause(300);
    EXPECT_EQ(AskNumber("status 7Aform position"), 0) << "an opened device does not play";
}

TEST_F(MciDevice, PositionRisesWhilePlayingAndHoldsWhenStoppedOrSeeked)
{
    OpenPattern();
    ASSERT_EQ(SendString("play 7Aform from 0"), 0);
    ASSERT_TRUE(
        WaitUntil([] { return AskNumber("status 7Aform position") >= 400; }, LoadedMachine));

    ASSERT_EQ(SendString("stop 7Aform"), 0);
    const long stopped = AskNumber("status 7Aform position");
    Pause(300);
    EXPECT_EQ(AskNumber("status 7Aform position"), stopped);

    // Seeking a stopped device moves it without starting it.
    ASSERT_EQ(SendString("seek 7Aform to 1200"), 0);
    EXPECT_EQ(AskNumber("status 7Aform position"), 1200);
    Pause(300);
    EXPECT_EQ(AskNumber("status 7Aform position"), 1200);

    // Play resumes where the device stands.
    ASSERT_EQ(SendString("play 7Aform"), 0);
    ASSERT_TRUE(
        WaitUntil([] { return AskNumber("status 7Aform position") > 1300; }, LoadedMachine));
}

TEST_F(MciDevice, SeekingAPlayingDeviceStopsIt)
{
    OpenPattern();
    ASSERT_EQ(SendString("play 7Aform from 0"), 0);
    Pause(200);
    ASSERT_EQ(SendString("seek 7Aform to 500"), 0);
    Pause(300);
    EXPECT_EQ(AskNumber("status 7Aform position"), 500);
}

TEST_F(MciDevice, DoubleSpeedPlaysTwiceAsFast)
{
    OpenPattern();
    ASSERT_EQ(SendString("set 7Aform speed 2000"), 0);
    EXPECT_EQ(AskNumber("status 7Aform speed"), 2000);
    ASSERT_EQ(SendString("play 7Aform from 0"), 0);
    ASSERT_TRUE(WaitUntil([] { return AskNumber("status 7Aform position") > 0; }, LoadedMachine));
    const long start = AskNumber("status 7Aform position");
    QElapsedTimer timer;
    timer.start();
    Pause(500);
    const double rate = double(AskNumber("status 7Aform position") - start) / timer.elapsed();
    EXPECT_GT(rate, 1.5);
    EXPECT_LT(rate, 2.5);
}

TEST_F(MciDevice, SoundSwitchAndVolume)
{
    OpenPattern();
    EXPECT_EQ(Ask("status 7Aform audio"), "on");
    ASSERT_EQ(SendString("set 7Aform audio all off"), 0);
    EXPECT_EQ(Ask("status 7Aform audio"), "off");
    ASSERT_EQ(SendString("set 7Aform audio all on"), 0);
    EXPECT_EQ(Ask("status 7Aform audio"), "on");

    ASSERT_EQ(SendString("setaudio 7Aform volume to 300"), 0);
    EXPECT_EQ(AskNumber("status 7Aform volume"), 300);
    EXPECT_EQ(SendString("setaudio 7Aform volume to -5"), mci::ErrOutOfRange);
    EXPECT_EQ(SendString("setaudio 7Aform volume to 1001"), mci::ErrOutOfRange);
    EXPECT_EQ(AskNumber("status 7Aform volume"), 300);
}

TEST_F(MciDevice, EndOfMediaReportsTheLengthAsPosition)
{
    OpenPattern();
    const long length = AskNumber("status 7Aform length");
    ASSERT_EQ(SendString("play 7Aform from 1500"), 0);
    ASSERT_TRUE(
        WaitUntil([&] { return AskNumber("status 7Aform position") == length; }, LoadedMachine));
    Pause(300);
    EXPECT_EQ(AskNumber("status 7Aform position"), length) << "the device stays at its end";

    // A seek back leaves the end.
    ASSERT_EQ(SendString("seek 7Aform to 200"), 0);
    EXPECT_EQ(AskNumber("status 7Aform position"), 200);
}

TEST_F(MciDevice, DrawsTheFrameIntoTheDestination)
{
    Open(*folder_ / "red.wmv");
    ASSERT_EQ(SendString("put 7Aform window at 0 0 200 100"), 0);
    ASSERT_EQ(SendString("put 7Aform destination at 0 0 200 100"), 0);
    EXPECT_EQ(Ask("where 7Aform destination"), "0 0 200 100");
    ASSERT_NE(VideoWindow(), nullptr);
    EXPECT_EQ(VideoWindow()->geometry(), QRect(0, 0, 200, 100));

    ASSERT_EQ(SendString("play 7Aform from 0"), 0);
    // The frame is stretched over the whole destination: both far corners are red. The first
    // frame can take seconds to decode in an instrumented build on a busy machine.
    auto isRed = [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; };
    ASSERT_TRUE(WaitUntil(
        [&] {
            const QImage shot = area_.grab(QRect(0, 0, 200, 100)).toImage();
            return isRed(shot.pixel(2, 2)) && isRed(shot.pixel(197, 97)) &&
                   isRed(shot.pixel(100, 50));
        },
        15000));
}

TEST_F(MciDevice, DestinationStaysWithinTheScreenAndRefusesNumbersPastTheIntegerRange)
{
    OpenPattern();
    const QSize screen = QGuiApplication::primaryScreen()->virtualSize();
    ASSERT_EQ(SendString("put 7Aform destination at 0 0 40000 20000"), 0);
    EXPECT_EQ(Ask("where 7Aform destination"),
              "0 0 " + std::to_string(screen.width()) + " " + std::to_string(screen.height()));
    ASSERT_EQ(SendString("play 7Aform from 0"), 0);
    ASSERT_TRUE(WaitUntil([&] { return AskNumber("status 7Aform position") > 0; }, LoadedMachine));

    for (const char* command : {"put 7Aform destination at 0 0 4294967616 100",
                                "put 7Aform destination at -2147483649 0 10 10",
                                "put 7Aform window at 0 0 10 99999999999"}) {
        std::string answer;
        EXPECT_EQ(SendString(command, answer, 128), mci::ErrOutOfRange) << command;
    }
    EXPECT_EQ(Ask("where 7Aform destination"),
              "0 0 " + std::to_string(screen.width()) + " " + std::to_string(screen.height()));
}

TEST_F(MciDevice, CloseEndsTheDeviceAndItsWindow)
{
    OpenPattern();
    ASSERT_NE(VideoWindow(), nullptr);
    ASSERT_EQ(SendString("close 7aform"), 0) << "aliases ignore case";
    EXPECT_EQ(VideoWindow(), nullptr);
    std::string answer;
    EXPECT_EQ(SendString("status 7Aform length", answer, 128), mci::ErrInvalidDeviceName);
}

TEST_F(MciDevice, RejectsBadCommands)
{
    EXPECT_EQ(SendString("open MPEGVideo!/no/such/file.wmv alias 7Aform"), mci::ErrFileNotFound);
    EXPECT_EQ(SendString("play 7Aform"), mci::ErrInvalidDeviceName);
    OpenPattern();
    const std::string again =
        "open MPEGVideo!\"" + (*folder_ / "my videos" / "zad.wmv").string() + "\" alias 7AFORM";
    EXPECT_EQ(SendString(again), mci::ErrDuplicateAlias);

    struct Case
    {
        const char* command;
        int error;
    };
    const Case cases[] = {
        {"", mci::ErrMissingCommandString},
        {"rewind 7Aform", mci::ErrUnrecognizedCommand},
        {"play 7Aform from x", mci::ErrBadInteger},
        {"play 7Aform from 99999", mci::ErrOutOfRange},
        {"seek 7Aform to -1", mci::ErrOutOfRange},
        {"seek 7Aform to 99999", mci::ErrOutOfRange},
        {"seek 7Aform to 1.5", mci::ErrBadInteger},
        {"set 7Aform time format frames", mci::ErrUnsupportedFunction},
        {"set 7Aform speed 0", mci::ErrOutOfRange},
        {"set 7Aform speed 100001", mci::ErrOutOfRange},
        {"set 7Aform speed fast", mci::ErrBadInteger},
        {"setaudio 7Aform volume to loud", mci::ErrBadInteger},
        {"put 7Aform window at 0 0 10", mci::ErrUnrecognizedKeyword},
        {"status 7Aform colour", mci::ErrUnrecognizedKeyword},
    };
    for (const Case& c : cases) {
        std::string answer;
        EXPECT_EQ(SendString(c.command, answer, 128), c.error) << c.command;
    }

    // A short return buffer holds what fits and says so.
    std::string answer;
    EXPECT_EQ(SendString("where 7Aform destination", answer, 5), mci::ErrParamOverflow);
    EXPECT_EQ(answer, "0 0 ");
}

} // namespace
