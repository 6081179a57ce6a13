#pragma once

#include "platform/comm/Settings.h"

#include <chrono>
#include <cstdint>
#include <string>

// A serial communications control over a Linux serial device (termios): port number, line
// settings, opening and closing, sending bytes, and an input buffer read as text, each received
// byte one character of that code. No handshaking; reception needs no events: the owner reads
// InBufferCount and Input when it wants.
//
// Port N is the device /dev/ttyS(N-1), unless a device path is given, which is then opened
// whatever the port number (a USB adapter, a pseudo-terminal).
//
// Errors are vb::Error with the control's numbers:
//   380  invalid property value (settings text, port number below 1)
//   8000 operation not valid while the port is open (changing the port or the device)
//   8005 port already open
//   8010 the device is not available (missing, refused, not a serial line)
//   8018 operation valid only when the port is open
//   8020 error reading or writing the device
namespace comm {

inline constexpr int32_t ErrPortOpen = 8000;
inline constexpr int32_t ErrPortAlreadyOpen = 8005;
inline constexpr int32_t ErrHardwareNotAvailable = 8010;
inline constexpr int32_t ErrPortNotOpen = 8018;
inline constexpr int32_t ErrReadWrite = 8020;

// The device of a port number: "/dev/ttyS" & (port - 1).
std::string DeviceOfPort(int port);

class CommControl
{
public:
    CommControl() = default;
    ~CommControl();
    CommControl(const CommControl&) = delete;
    CommControl& operator=(const CommControl&) = delete;

    int16_t CommPort() const { return port_; }
    void SetCommPort(int16_t port);

    // Empty: the device of the port number.
    void SetDevicePath(const std::string& path);
    // The device that opening uses.
    std::string Device() const;

    // "9600,N,8,1" unless set; a change while the port is open applies at once.
    const std::string& Settings() const { return settings_; }
    void SetSettings(const std::string& settings);

    bool PortOpen() const { return fd_ >= 0; }
    // Opens (configured by Settings) or closes the port; opening drops nothing already waiting.
    void SetPortOpen(bool open);

    // Sends the bytes of the text, each character one byte.
    void SetOutput(const std::string& bytes);
    // Every byte waiting, taken out of the input buffer.
    std::string Input();
    // The number of bytes waiting in the input buffer.
    int InBufferCount();

    // Waits until the device delivers bytes that the input buffer does not hold yet, or the time
    // has passed, without using the processor meanwhile; whether bytes came. Events are not
    // processed: this is a plain blocking wait.
    bool WaitForInput(std::chrono::milliseconds most);

private:
    void RequireOpen() const;
    void Configure(const LineSettings& settings);
    // Moves what the device holds into the input buffer.
    void Receive();

    int16_t port_ = 1;
    std::string devicePath_;
    std::string settings_ = "9600,N,8,1";
    int fd_ = -1;
    std::string buffer_;
};

} // namespace comm
