// The board's end of a pseudo-terminal, played by the test: it answers the
// handshake, records every frame it receives, and once reporting has started
// sends one line of the test's choosing every 100 ms, so that each polling
// tick finds a line instead of waiting out the line reader's attempts.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "pty_pair.h"

namespace velk::test {

class FarEnd {
public:
    FarEnd()
    {
        if (!pty_.ok()) return;
        // Holding the terminal end keeps the pair alive while the window
        // closes and reopens its port; raw, so nothing is echoed back.
        slave_ = ::open(pty_.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (slave_ < 0) return;
        termios tio{};
        if (::tcgetattr(slave_, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(slave_, TCSANOW, &tio);
        }
        thread_ = std::thread([this] { Run(); });
    }
    ~FarEnd()
    {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (slave_ >= 0) ::close(slave_);
    }
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    bool ok() const { return pty_.ok() && slave_ >= 0; }
    const std::string& DevicePath() const { return pty_.slavePath(); }

    // The line sent every period from now on (with its line feed).
    void SetLine(std::string line)
    {
        std::lock_guard lock(mu_);
        line_ = std::move(line);
    }

    std::vector<std::string> Frames() const
    {
        std::lock_guard lock(mu_);
        return frames_;
    }

    // Waits until a received frame equals `frame`.
    bool WaitForFrame(const std::string& frame, int timeoutMs = 3000) const
    {
        std::unique_lock lock(mu_);
        return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            for (const auto& f : frames_)
                if (f == frame) return true;
            return false;
        });
    }

private:
    void Run()
    {
        using Clock = std::chrono::steady_clock;
        std::string partial;
        bool reporting = false;
        auto nextLine = Clock::now();
        while (!stop_) {
            pollfd p{pty_.master(), POLLIN, 0};
            if (::poll(&p, 1, 10) > 0 && (p.revents & POLLIN) != 0) {
                char buf[256];
                const ssize_t n = ::read(pty_.master(), buf, sizeof buf);
                for (ssize_t i = 0; i < n; ++i) {
                    if (buf[i] != '\r') {
                        partial += buf[i];
                        continue;
                    }
                    if (partial == "$ACV*54") pty_.Send("$VELK far end\nsecond line\nthird line\n");
                    if (partial.rfind("$ACS", 0) == 0) {
                        reporting = true;
                        nextLine = Clock::now();
                    }
                    if (partial == "$ACT*56") reporting = false;
                    {
                        std::lock_guard lock(mu_);
                        frames_.push_back(partial);
                    }
                    cv_.notify_all();
                    partial.clear();
                }
            }
            if (reporting && Clock::now() >= nextLine) {
                std::string line;
                {
                    std::lock_guard lock(mu_);
                    line = line_;
                }
                pty_.Send(line);
                nextLine += std::chrono::milliseconds(100);
            }
        }
    }

    PtyPair pty_;
    int slave_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mu_;
    mutable std::condition_variable cv_;
    std::vector<std::string> frames_;
    std::string line_ = "idle\n";
};

}  // namespace velk::test
