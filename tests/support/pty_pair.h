// A pseudo-terminal pair whose master end a test holds as the board's side,
// and a profile that lets the device link reach only terminals a test made.
#pragma once

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <initializer_list>
#include <optional>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <utility>

#include "platform/profile.h"

namespace velk::test {

class PtyPair {
public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        char name[128];
        if (::ptsname_r(master_, name, sizeof name) == 0) slave_ = name;
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0 && !slave_.empty(); }
    int master() const { return master_; }
    const std::string& slavePath() const { return slave_; }

    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    bool Send(const std::string& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    // Everything that arrives until `count` bytes are in or the wait ends.
    std::string Receive(std::size_t count, int timeoutMs = 2000) const {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            char buf[512];
            const ssize_t n = ::read(master_, buf, std::min(sizeof buf, count - got.size()));
            if (n <= 0) break;
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }

    // Whatever is waiting now, without waiting.
    std::string Drain() const {
        std::string got;
        for (;;) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 0) <= 0 || (p.revents & POLLIN) == 0) return got;
            char buf[512];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) return got;
            got.append(buf, static_cast<std::size_t>(n));
        }
    }

private:
    int master_ = -1;
    std::string slave_;
};

// A [Ports] section that gives every port no device except the ones given.
inline std::string PortsSection(std::initializer_list<std::pair<int, std::string>> mapped) {
    std::string text = "[Ports]\n";
    for (int port = 1; port <= 255; ++port) {
        std::string value;
        for (const auto& [p, path] : mapped)
            if (p == port) value = path;
        text += "COM" + std::to_string(port) + "=" + value + "\n";
    }
    return text;
}

}  // namespace velk::test
