#include "tests/support/board_end.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

namespace velk::test {
namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// "$ACS" followed by the period in hexadecimal milliseconds, as the window
// sends it ("$ACS0064*.."); 100 ms when it cannot be read, at least 1 ms.
std::chrono::milliseconds ReportPeriod(const std::string& frame)
{
    unsigned ms = 0;
    const char* first = frame.data() + 4;
    const char* last = frame.data() + frame.size();
    const auto [end, error] = std::from_chars(first, last, ms, 16);
    if (error != std::errc{} || end == first) return std::chrono::milliseconds(100);
    return std::chrono::milliseconds(std::max(ms, 1u));
}

}  // namespace

BoardEnd::BoardEnd(FrameHook onFrame) : onFrame_(std::move(onFrame))
{
    if (!pty_.ok() || ::pipe2(stop_, O_CLOEXEC) != 0) return;
    slave_ = ::open(pty_.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (slave_ < 0) return;
    termios tio{};
    if (::tcgetattr(slave_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
    }
    thread_ = std::thread([this] { Run(); });
}

BoardEnd::~BoardEnd()
{
    if (thread_.joinable()) {
        while (::write(stop_[1], "x", 1) < 0 && errno == EINTR) {
        }
        thread_.join();
    }
    for (int fd : {stop_[0], stop_[1], slave_})
        if (fd >= 0) ::close(fd);
}

void BoardEnd::SetLines(Lines lines)
{
    std::lock_guard lock(mutex_);
    lines_ = std::move(lines);
}

void BoardEnd::SetLine(std::string line)
{
    SetLines([line = std::move(line)](unsigned) { return line; });
}

std::vector<std::string> BoardEnd::Frames() const
{
    std::lock_guard lock(mutex_);
    return frames_;
}

std::size_t BoardEnd::Count(const std::string& prefix) const
{
    std::lock_guard lock(mutex_);
    return CountLocked(prefix);
}

std::size_t BoardEnd::CountLocked(const std::string& prefix) const
{
    return static_cast<std::size_t>(
        std::count_if(frames_.begin(), frames_.end(), [&](const std::string& f) { return f.rfind(prefix, 0) == 0; }));
}

bool BoardEnd::WaitForFrame(const std::string& frame, int timeoutMs) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return std::find(frames_.begin(), frames_.end(), frame) != frames_.end(); });
}

bool BoardEnd::WaitForCount(const std::string& prefix, std::size_t count, int timeoutMs) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return CountLocked(prefix) >= count; });
}

void BoardEnd::Run()
{
    using Clock = std::chrono::steady_clock;
    std::string frame;
    bool reporting = false;
    std::chrono::milliseconds period(100);
    auto next = Clock::now();
    unsigned reported = 0;
    for (;;) {
        int timeoutMs = -1;
        if (reporting)
            timeoutMs = static_cast<int>(std::max<std::chrono::milliseconds::rep>(
                0, std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count()));
        pollfd fds[2] = {{stop_[0], POLLIN, 0}, {pty_.master(), POLLIN, 0}};
        if (::poll(fds, 2, timeoutMs) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents != 0) return;
        if ((fds[1].revents & POLLIN) != 0) {
            char buf[256];
            const ssize_t n = ::read(pty_.master(), buf, sizeof buf);
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] != '\r') {
                    frame += buf[i];
                    continue;
                }
                const bool wasReporting = reporting;
                OnFrame(frame, reporting, period);
                if (reporting && !wasReporting) next = Clock::now();
                frame.clear();
            }
        } else if (fds[1].revents != 0) {
            return;  // the terminal end is held open, so this is the pair failing
        }
        if (reporting && Clock::now() >= next) {
            Lines lines;
            {
                std::lock_guard lock(mutex_);
                lines = lines_;
            }
            if (lines) {
                const std::string line = lines(++reported);
                if (!line.empty()) pty_.Send(line);
            }
            next += period;
        }
    }
}

void BoardEnd::OnFrame(const std::string& frame, bool& reporting, std::chrono::milliseconds& period)
{
    if (StartsWith(frame, "$ACV")) pty_.Send("$VELK test board\nsecond line\nthird line\n");
    if (StartsWith(frame, "$ACS")) {
        reporting = true;
        period = ReportPeriod(frame);
    }
    if (StartsWith(frame, "$ACT")) reporting = false;
    if (onFrame_) onFrame_(frame);
    {
        std::lock_guard lock(mutex_);
        frames_.push_back(frame);
    }
    changed_.notify_all();
}

}  // namespace velk::test
