#pragma once

struct termios;

#include <string>
#include <string_view>

// The line settings of a serial port as its control writes them: "baud,parity,data,stop", for
// instance "9600,N,8,1".
namespace comm {

struct LineSettings
{
    int baud = 9600;
    char parity = 'N';   // N none, E even, O odd, M mark, S space
    int dataBits = 8;    // 5 to 8
    double stopBits = 1; // 1, 1.5 or 2
};

// Raises vb::Error 380 (invalid property value) for a text that is not of that form or names a
// speed, parity, size or stop bits that a port cannot take. Parity is read without regard to
// case.
LineSettings ParseSettings(std::string_view text);

// Makes the terminal settings a raw line of those settings: no handshaking, no echo, no
// translation of bytes, reads that never wait.
void ApplySettings(termios& tio, const LineSettings& settings);

} // namespace comm
