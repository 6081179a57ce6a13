#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal whose slave side stands for a serial device: the program opens the slave by
// its path, the test plays the far end on the master side.
namespace comm::testing {

class Pty
{
public:
    Pty()
    {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        path_ = name;
        // A serial line does not echo: neither does the terminal before the program opens it.
        termios tio{};
        ::tcgetattr(slave_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~Pty()
    {
        ::close(master_);
        ::close(slave_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& Path() const { return path_; }
    int Master() const { return master_; }
    // The slave's own descriptor: its line settings are the ones the program applied.
    int Slave() const { return slave_; }

    void Write(const std::string& bytes) const
    {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // What the program has sent so far (waits up to the time for the first byte).
    std::string Read(std::chrono::milliseconds wait = std::chrono::milliseconds(500)) const
    {
        std::string bytes;
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, int(wait.count())) <= 0)
            return bytes;
        char chunk[256];
        for (ssize_t n; (n = ::read(master_, chunk, sizeof chunk)) > 0;)
            bytes.append(chunk, size_t(n));
        return bytes;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// The far end of the line on a thread of its own: each byte the program sends is answered by
// the next reply of the script, after its delay; an empty reply is silence. Bytes past the end
// of the script are only recorded.
class FarEnd
{
public:
    struct Reply
    {
        std::string bytes;
        std::chrono::milliseconds delay{0};
    };

    FarEnd(const Pty& pty, std::vector<Reply> script) : pty_(pty), script_(std::move(script))
    {
        thread_ = std::thread([this] { Run(); });
    }
    ~FarEnd()
    {
        stop_ = true;
        thread_.join();
    }

    // The bytes received, in order.
    std::string Received() const
    {
        std::lock_guard lock(mutex_);
        return received_;
    }

private:
    void Run()
    {
        size_t next = 0;
        while (!stop_) {
            pollfd p{pty_.Master(), POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN))
                continue;
            char byte;
            while (::read(pty_.Master(), &byte, 1) == 1) {
                {
                    std::lock_guard lock(mutex_);
                    received_ += byte;
                }
                if (next < script_.size()) {
                    const Reply reply = script_[next++];
                    std::this_thread::sleep_for(reply.delay);
                    if (!reply.bytes.empty())
                        (void)::write(pty_.Master(), reply.bytes.data(), reply.bytes.size());
                }
            }
        }
    }

    const Pty& pty_;
    std::vector<Reply> script_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::string received_;
    std::thread thread_;
};

// Bytes written as hexadecimal pairs: Bytes("00 FF 30").
inline std::string Bytes(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i < hex.size(); ++i) {
        if (hex[i] == ' ')
            continue;
        bytes += char(std::stoi(hex.substr(i, 2), nullptr, 16));
        ++i;
    }
    return bytes;
}

} // namespace comm::testing
