#include "platform/comm/CommControl.h"

#include "platform/vb/Error.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace comm {

namespace {

[[noreturn]] void Fail(int32_t number, const std::string& description, int error = 0)
{
    throw vb::Error(number,
                    error != 0 ? description + " (" + std::strerror(error) + ")" : description);
}

} // namespace

std::string DeviceOfPort(int port)
{
    return "/dev/ttyS" + std::to_string(port - 1);
}

CommControl::~CommControl()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void CommControl::SetCommPort(int16_t port)
{
    if (PortOpen())
        Fail(ErrPortOpen, "Opération non valide lorsque le port est ouvert");
    if (port < 1)
        Fail(vb::ErrInvalidPropertyValue, vb::ErrorDescription(vb::ErrInvalidPropertyValue));
    port_ = port;
}

void CommControl::SetDevicePath(const std::string& path)
{
    if (PortOpen())
        Fail(ErrPortOpen, "Opération non valide lorsque le port est ouvert");
    devicePath_ = path;
}

std::string CommControl::Device() const
{
    return devicePath_.empty() ? DeviceOfPort(port_) : devicePath_;
}

void CommControl::SetSettings(const std::string& settings)
{
    const LineSettings parsed = ParseSettings(settings);
    if (PortOpen())
        Configure(parsed);
    settings_ = settings;
}

void CommControl::SetPortOpen(bool open)
{
    if (!open) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        buffer_.clear();
        return;
    }
    if (PortOpen())
        Fail(ErrPortAlreadyOpen, "Port déjà ouvert");

    const LineSettings parsed = ParseSettings(settings_);
    const std::string device = Device();
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        Fail(ErrHardwareNotAvailable, "Le périphérique " + device + " n'est pas disponible", errno);
    if (!::isatty(fd)) {
        ::close(fd);
        Fail(ErrHardwareNotAvailable, "Le périphérique " + device + " n'est pas une ligne série");
    }
    // One owner at a time, as a serial port has.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        Fail(ErrHardwareNotAvailable, "Le périphérique " + device + " est déjà utilisé", error);
    }
    fd_ = fd;
    try {
        Configure(parsed);
    } catch (...) {
        ::close(fd_);
        fd_ = -1;
        throw;
    }
}

void CommControl::Configure(const LineSettings& settings)
{
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0)
        Fail(ErrHardwareNotAvailable, "Impossible de lire les paramètres de la ligne", errno);
    ApplySettings(tio, settings);
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0)
        Fail(ErrHardwareNotAvailable, "Impossible d'appliquer les paramètres de la ligne", errno);
}

void CommControl::RequireOpen() const
{
    if (!PortOpen())
        Fail(ErrPortNotOpen, "Opération valide uniquement lorsque le port est ouvert");
}

void CommControl::SetOutput(const std::string& bytes)
{
    RequireOpen();
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, 1000) > 0 && (p.revents & POLLOUT))
                continue;
            Fail(ErrReadWrite, "Le périphérique n'accepte plus d'octets");
        }
        Fail(ErrReadWrite, "Erreur d'écriture sur le périphérique", errno);
    }
}

void CommControl::Receive()
{
    char chunk[512];
    for (;;) {
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n > 0) {
            buffer_.append(chunk, size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno == EAGAIN)
            return;
        Fail(ErrReadWrite, "Erreur de lecture du périphérique", errno);
    }
}

std::string CommControl::Input()
{
    RequireOpen();
    Receive();
    std::string taken;
    taken.swap(buffer_);
    return taken;
}

int CommControl::InBufferCount()
{
    RequireOpen();
    Receive();
    return int(buffer_.size());
}

bool CommControl::WaitForInput(std::chrono::milliseconds most)
{
    RequireOpen();
    // The device reports bytes that it holds and the buffer does not have yet.
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, int(most.count() < 0 ? 0 : most.count()));
    if (ready < 0 && errno != EINTR)
        Fail(ErrReadWrite, "Erreur d'attente du périphérique", errno);
    if (ready <= 0)
        return false;
    const size_t before = buffer_.size();
    Receive();
    // A line that hung up gives no more bytes; waiting on would only spin.
    if (buffer_.size() == before && (p.revents & (POLLHUP | POLLERR)))
        Fail(ErrReadWrite, "Le périphérique a raccroché");
    return buffer_.size() > before;
}

} // namespace comm
