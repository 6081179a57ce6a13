#include "platform/comm/Settings.h"

#include "platform/vb/Error.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <vector>

#include <termios.h>

namespace comm {

namespace {

[[noreturn]] void Invalid()
{
    vb::Raise(vb::ErrInvalidPropertyValue);
}

std::string_view Trimmed(std::string_view part)
{
    while (!part.empty() && part.front() == ' ')
        part.remove_prefix(1);
    while (!part.empty() && part.back() == ' ')
        part.remove_suffix(1);
    return part;
}

int Whole(std::string_view part)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (ec != std::errc() || end != part.data() + part.size() || part.empty())
        Invalid();
    return value;
}

speed_t Speed(int baud)
{
    switch (baud) {
    case 110:
        return B110;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    default:
        return B115200;
    }
}

tcflag_t Size(int dataBits)
{
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

} // namespace

LineSettings ParseSettings(std::string_view text)
{
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t comma = text.find(',', start);
        parts.push_back(Trimmed(text.substr(start, comma - start)));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    if (parts.size() != 4)
        Invalid();

    // The speeds a serial line of this system can take.
    static constexpr std::array Speeds = {110,  300,   600,   1200,  2400,  4800,
                                          9600, 19200, 38400, 57600, 115200};
    LineSettings settings;
    settings.baud = Whole(parts[0]);
    if (std::find(Speeds.begin(), Speeds.end(), settings.baud) == Speeds.end())
        Invalid();

    if (parts[1].size() != 1)
        Invalid();
    settings.parity = char(std::toupper(static_cast<unsigned char>(parts[1][0])));
    if (std::string_view("NEOMS").find(settings.parity) == std::string_view::npos)
        Invalid();

    settings.dataBits = Whole(parts[2]);
    if (settings.dataBits < 5 || settings.dataBits > 8)
        Invalid();

    if (parts[3] == "1")
        settings.stopBits = 1;
    else if (parts[3] == "1.5")
        settings.stopBits = 1.5;
    else if (parts[3] == "2")
        settings.stopBits = 2;
    else
        Invalid();
    return settings;
}

void ApplySettings(termios& tio, const LineSettings& settings)
{
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | Size(settings.dataBits);
    switch (settings.parity) {
    case 'E':
        tio.c_cflag |= PARENB;
        break;
    case 'O':
        tio.c_cflag |= PARENB | PARODD;
        break;
    case 'M':
        tio.c_cflag |= PARENB | PARODD | CMSPAR;
        break;
    case 'S':
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        break;
    }
    if (settings.stopBits > 1)
        tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, Speed(settings.baud));
    ::cfsetospeed(&tio, Speed(settings.baud));
}

} // namespace comm
