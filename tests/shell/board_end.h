// The board's end of a pseudo-terminal, played by the test: it answers the
// handshake, sends a numbered line every 60 ms once asked to report, records
// every frame, and when the closing command arrives copies the profile file as
// it stands at that moment.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "pty_pair.h"

namespace velk::test {

class BoardEnd {
public:
    explicit BoardEnd(std::filesystem::path profile) : profile_(std::move(profile))
    {
        if (!pty_.ok()) return;
        // Held open and raw: the pair outlives the window's port, and nothing
        // the window writes is echoed back to it.
        slave_ = ::open(pty_.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (slave_ < 0) return;
        termios tio{};
        if (::tcgetattr(slave_, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(slave_, TCSANOW, &tio);
        }
        thread_ = std::thread([this] { Run(); });
    }
    ~BoardEnd()
    {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (slave_ >= 0) ::close(slave_);
    }
    BoardEnd(const BoardEnd&) = delete;
    BoardEnd& operator=(const BoardEnd&) = delete;

    bool ok() const { return thread_.joinable(); }
    const std::string& DevicePath() const { return pty_.slavePath(); }

    // Every frame received, without its carriage return.
    std::vector<std::string> Frames() const
    {
        std::lock_guard lock(mutex_);
        return frames_;
    }
    std::size_t Count(const std::string& prefix) const
    {
        std::size_t n = 0;
        for (const std::string& f : Frames())
            if (f.rfind(prefix, 0) == 0) ++n;
        return n;
    }
    // Waits until the closing command has arrived `count` times.
    bool WaitForClose(std::size_t count, int timeoutMs) const
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return closings_ >= count; });
    }
    // The profile file's content when "$ACT" arrived; nullopt before that, or
    // "<no file>" when there was none.
    std::optional<std::string> ProfileAtClose() const
    {
        std::lock_guard lock(mutex_);
        return profileAtClose_;
    }

private:
    void Run()
    {
        using Clock = std::chrono::steady_clock;
        std::string frame;
        bool reporting = false;
        int count = 0;
        auto next = Clock::now();
        while (!stop_) {
            pollfd p{pty_.master(), POLLIN, 0};
            if (::poll(&p, 1, 10) > 0 && (p.revents & POLLIN) != 0) {
                char buf[256];
                const ssize_t n = ::read(pty_.master(), buf, sizeof buf);
                for (ssize_t i = 0; i < n; ++i) {
                    if (buf[i] != '\r') {
                        frame += buf[i];
                        continue;
                    }
                    if (frame.rfind("$ACV", 0) == 0) pty_.Send("$VELK shell test\nline 2\nline 3\n");
                    if (frame.rfind("$ACS", 0) == 0) reporting = true;
                    const bool closing = frame.rfind("$ACT", 0) == 0;
                    if (closing) {
                        reporting = false;
                        SnapshotProfile();
                    }
                    {
                        std::lock_guard lock(mutex_);
                        frames_.push_back(frame);
                        if (closing) ++closings_;
                    }
                    changed_.notify_all();
                    frame.clear();
                }
            }
            if (reporting && Clock::now() >= next) {
                pty_.Send("#tick " + std::to_string(++count) + "\n");
                next = Clock::now() + std::chrono::milliseconds(60);
            }
        }
    }

    void SnapshotProfile()
    {
        std::string text = "<no file>";
        if (std::ifstream in{profile_, std::ios::binary}) {
            std::ostringstream all;
            all << in.rdbuf();
            text = all.str();
        }
        std::lock_guard lock(mutex_);
        profileAtClose_ = text;
    }

    PtyPair pty_;
    int slave_ = -1;
    std::filesystem::path profile_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::size_t closings_ = 0;
    std::vector<std::string> frames_;
    std::optional<std::string> profileAtClose_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace velk::test
