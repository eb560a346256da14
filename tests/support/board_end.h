// The board's end of a pseudo-terminal, played by the test. It holds the
// terminal end open and raw, so that the pair outlives the window's port and
// nothing the window writes is echoed back; answers "$ACV" with a "$VELK" line
// and two more; records every frame without its carriage return; and from
// "$ACS" until "$ACT" sends a report line of the test's choosing at the period
// that "$ACS" asked for.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/pty_pair.h"

namespace velk::test {

class BoardEnd {
public:
    // Runs on the board's thread with each frame, before the frame is recorded:
    // whoever has waited for the frame sees what the hook did.
    using FrameHook = std::function<void(const std::string& frame)>;

    explicit BoardEnd(FrameHook onFrame = {});
    ~BoardEnd();
    BoardEnd(const BoardEnd&) = delete;
    BoardEnd& operator=(const BoardEnd&) = delete;

    bool ok() const { return thread_.joinable(); }
    const std::string& DevicePath() const { return pty_.slavePath(); }

    // Writes `bytes` to the window now, whatever the board is doing.
    bool Send(const std::string& bytes) const { return pty_.Send(bytes); }
    // The n-th line reported (n from 1, counted over the board's life), with
    // its line end; an empty line sends nothing. Until a test sets lines the
    // board reports nothing.
    using Lines = std::function<std::string(unsigned n)>;
    void SetLines(Lines lines);
    // The same line every period from now on.
    void SetLine(std::string line);

    std::vector<std::string> Frames() const;
    // How many frames received so far begin with `prefix`.
    std::size_t Count(const std::string& prefix) const;
    // Waits until a received frame equals `frame`.
    bool WaitForFrame(const std::string& frame, int timeoutMs = 3000) const;
    // Waits until `count` frames beginning with `prefix` have arrived.
    bool WaitForCount(const std::string& prefix, std::size_t count, int timeoutMs = 3000) const;

private:
    std::size_t CountLocked(const std::string& prefix) const;  // with mutex_ held
    void Run();
    void OnFrame(const std::string& frame, bool& reporting, std::chrono::milliseconds& period);

    PtyPair pty_;
    int slave_ = -1;
    int stop_[2] = {-1, -1};  // a pipe: a byte in it ends the thread
    FrameHook onFrame_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::string> frames_;
    Lines lines_;
    std::thread thread_;
};

}  // namespace velk::test
