#include "platform/comm/CommControl.h"

#include "tests/platform/comm/Pty.h"
#include "tests/platform/vb/ErrorOf.h"

#include "platform/vb/Error.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include <termios.h>

namespace {

using comm::CommControl;
using comm::testing::Bytes;
using comm::testing::Pty;
using vb::testing::ErrorOf;
using namespace std::chrono_literals;

TEST(CommControl, PortNumberNamesTheSerialDeviceUnlessAPathIsGiven)
{
    CommControl port;
    EXPECT_EQ(port.Device(), "/dev/ttyS0");
    port.SetCommPort(3);
    EXPECT_EQ(port.Device(), "/dev/ttyS2");
    port.SetDevicePath("/dev/ttyUSB0");
    EXPECT_EQ(port.Device(), "/dev/ttyUSB0");
    EXPECT_EQ(ErrorOf([&] { port.SetCommPort(0); }), 380);
    EXPECT_EQ(port.Settings(), "9600,N,8,1");
}

struct SettingsCase
{
    const char* text;
    speed_t speed;
    tcflag_t size;
    tcflag_t parity; // PARENB, PARODD, CMSPAR bits
    bool twoStopBits;
};

class CommSettings : public ::testing::TestWithParam<SettingsCase>
{
};

TEST_P(CommSettings, MakeARawLineOfThatSpeedSizeParityAndStopBits)
{
    const SettingsCase& c = GetParam();
    termios tio{};
    tio.c_lflag = ICANON | ECHO;
    tio.c_iflag = IXON | IXOFF | ICRNL;
    tio.c_cflag = CRTSCTS | CS8 | PARENB;
    comm::ApplySettings(tio, comm::ParseSettings(c.text));
    EXPECT_EQ(::cfgetispeed(&tio), c.speed);
    EXPECT_EQ(::cfgetospeed(&tio), c.speed);
    EXPECT_EQ(tio.c_cflag & CSIZE, c.size);
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CMSPAR), c.parity);
    EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.twoStopBits);
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u) << "no hardware handshaking";
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u) << "no software handshaking";
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u) << "raw bytes, no echo";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CommSettings,
    ::testing::Values(SettingsCase{"9600,N,8,1", B9600, CS8, 0, false},
                      SettingsCase{"19200,E,7,2", B19200, CS7, PARENB, true},
                      SettingsCase{"1200,o,8,1.5", B1200, CS8, PARENB | PARODD, true},
                      SettingsCase{"115200,S,5,1", B115200, CS5, PARENB | CMSPAR, false},
                      SettingsCase{" 4800 , m , 6 , 1 ", B4800, CS6, PARENB | PARODD | CMSPAR,
                                   false}));

// A pseudo-terminal keeps the speed and the stop bits (it has no bits to frame).
TEST(CommControl, OpeningAppliesTheSettingsToTheDevice)
{
    Pty pty;
    CommControl port;
    port.SetDevicePath(pty.Path());
    port.SetSettings("19200,N,8,2");
    port.SetPortOpen(true);
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.Slave(), &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), speed_t(B19200));
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);

    port.SetSettings("2400,N,8,1");
    ASSERT_EQ(::tcgetattr(pty.Slave(), &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), speed_t(B2400)) << "a change applies to the open line";
    EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(port.Settings(), "2400,N,8,1");
}

TEST(CommControl, RefusesSettingsTextsThatNameNoLine)
{
    CommControl port;
    for (const char* text : {"", "9600,N,8", "9600,N,8,1,1", "9601,N,8,1", "9600,X,8,1",
                             "9600,N,9,1", "9600,N,8,3", "fast,N,8,1", "9600,NN,8,1"}) {
        EXPECT_EQ(ErrorOf([&] { port.SetSettings(text); }), 380) << text;
    }
    EXPECT_EQ(port.Settings(), "9600,N,8,1") << "a refused text leaves the settings";
}

TEST(CommControl, SendsAndReceivesEveryByteValue)
{
    Pty pty;
    CommControl port;
    port.SetDevicePath(pty.Path());
    port.SetPortOpen(true);

    port.SetOutput(Bytes("00 04 FF 0A 0D"));
    EXPECT_EQ(pty.Read(), Bytes("00 04 FF 0A 0D")) << "no translation of line ends";

    EXPECT_EQ(port.InBufferCount(), 0);
    pty.Write(Bytes("FF FF 00 0D 0A 30 39"));
    ASSERT_TRUE(port.WaitForInput(1s));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(port.InBufferCount(), 7);
    EXPECT_EQ(port.Input(), Bytes("FF FF 00 0D 0A 30 39"));
    EXPECT_EQ(port.InBufferCount(), 0) << "Input takes what it returns";
    EXPECT_EQ(port.Input(), "");
}

TEST(CommControl, WaitBlocksWithoutSpinningAndWakesOnTheFirstByte)
{
    Pty pty;
    CommControl port;
    port.SetDevicePath(pty.Path());
    port.SetPortOpen(true);

    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    EXPECT_FALSE(port.WaitForInput(300ms));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 300ms);
    EXPECT_LT(waited, 600ms);
    EXPECT_LT(double(std::clock() - cpuStart) / CLOCKS_PER_SEC, 0.05) << "the wait spun";

    std::thread sender([&] {
        std::this_thread::sleep_for(100ms);
        pty.Write(Bytes("42"));
    });
    const auto woken = std::chrono::steady_clock::now();
    EXPECT_TRUE(port.WaitForInput(2s));
    EXPECT_LT(std::chrono::steady_clock::now() - woken, 1s);
    sender.join();
    EXPECT_EQ(port.InBufferCount(), 1);

    const auto again = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.WaitForInput(200ms)) << "bytes already in the buffer do not end a wait";
    EXPECT_GE(std::chrono::steady_clock::now() - again, 200ms);
    EXPECT_EQ(port.Input(), "B");
}

TEST(CommControl, ReportsItsErrorsWithTheControlsNumbers)
{
    Pty pty;
    CommControl port;
    EXPECT_EQ(ErrorOf([&] { port.Input(); }), comm::ErrPortNotOpen);
    EXPECT_EQ(ErrorOf([&] { port.SetOutput("x"); }), comm::ErrPortNotOpen);
    EXPECT_EQ(ErrorOf([&] { port.InBufferCount(); }), comm::ErrPortNotOpen);

    port.SetDevicePath("/nonexistent/ttyS9");
    EXPECT_EQ(ErrorOf([&] { port.SetPortOpen(true); }), comm::ErrHardwareNotAvailable);
    EXPECT_FALSE(port.PortOpen());

    const auto plainFile = std::filesystem::temp_directory_path() / "harnix-comm-plain";
    std::ofstream(plainFile) << "x";
    port.SetDevicePath(plainFile.string());
    EXPECT_EQ(ErrorOf([&] { port.SetPortOpen(true); }), comm::ErrHardwareNotAvailable);
    std::filesystem::remove(plainFile);

    port.SetDevicePath(pty.Path());
    port.SetPortOpen(true);
    EXPECT_EQ(ErrorOf([&] { port.SetPortOpen(true); }), comm::ErrPortAlreadyOpen);
    EXPECT_EQ(ErrorOf([&] { port.SetCommPort(2); }), comm::ErrPortOpen);
    EXPECT_EQ(ErrorOf([&] { port.SetDevicePath("/dev/null"); }), comm::ErrPortOpen);

    CommControl second;
    second.SetDevicePath(pty.Path());
    EXPECT_EQ(ErrorOf([&] { second.SetPortOpen(true); }), comm::ErrHardwareNotAvailable)
        << "one owner of a line at a time";

    port.SetPortOpen(false);
    EXPECT_FALSE(port.PortOpen());
    second.SetPortOpen(true);
    EXPECT_TRUE(second.PortOpen()) << "closing frees the line";
}

} // namespace
