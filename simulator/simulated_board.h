// A simulated sensor board on a pseudo-terminal: the program under test opens
// the terminal end (DevicePath()), the board speaks on the master end.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velk::sim {

struct BoardOptions {
    // ---- the target and the light
    std::array<double, 3> target{0.6, 0.6, 0.6};  // reflectance red, green, blue (0 to 1)
    double driftDegreesPerSecond = 0.0;          // hue drift of the target; 0: fixed
    double ambient = 0.05;                       // ambient light, relative to the LED at full level
    double noise = 1.0;                          // standard deviation of the noise, in counts
    std::uint64_t seed = 0;                      // noise seed; 0: from the clock
    std::array<std::int32_t, 4> offsets{0, 0, 0, 0};  // OFFSET registers at start (reset gives 0)
    int defaultPeriodMs = 100;                   // period for "$ACS" without an argument

    // ---- faults
    bool silent = false;                       // never answer anything
    std::optional<std::string> handshakeText;  // first line for "$ACV" instead of "$VELK..."
    int hangUpAfterLines = 0;                  // 0: never; else close the link after N lines
    int garbageEvery = 0;                      // a printable garbage line before every Nth line
    int binaryNoiseEvery = 0;                  // random bytes (NUL, LF, 0xFF...) before every Nth line
    int longLineEvery = 0;                     // every Nth reading line longer than 255 characters
    int byteGapMs = 0;                         // gap between the bytes sent
    int parameterFields = 12;                  // fields in the "$ADR" reply (fewer: a short reply)

    // ---- plumbing
    std::filesystem::path link;     // symbolic link to the terminal end (empty: none)
    std::filesystem::path logFile;  // frames received, one a line (empty: none)
};

struct BoardRegisters {
    std::array<std::uint32_t, 4> cap{15, 15, 15, 15};
    std::array<std::uint32_t, 4> integration{1023, 1023, 1023, 1023};
    std::array<std::int32_t, 4> offset{0, 0, 0, 0};
    bool offsetMode = false;
    std::uint32_t ledLevel = 0;
    bool reporting = false;
    int periodMs = 100;
};

struct BoardCounters {
    std::uint64_t framesAccepted = 0;
    std::uint64_t framesRejected = 0;  // bad checksum, no "*", not a command
    std::uint64_t linesSent = 0;       // every line, readings included
    std::uint64_t readingsSent = 0;
    bool hungUp = false;
};

class SimulatedBoard {
public:
    explicit SimulatedBoard(BoardOptions options = {});
    ~SimulatedBoard();  // stops the thread and closes the terminal
    SimulatedBoard(const SimulatedBoard&) = delete;
    SimulatedBoard& operator=(const SimulatedBoard&) = delete;

    // Opens the pseudo-terminal (and the link). False with a reason on failure.
    bool Open(std::string* error = nullptr);
    const std::string& DevicePath() const;  // the terminal end; valid after Open

    // Runs the board on a thread of its own (Start/Stop), or on the caller's
    // thread until RequestStop or a hang-up (Run).
    bool Start();
    void Stop();
    void Run();
    void RequestStop();  // safe from any thread and from a signal handler

    // Thread-safe snapshots.
    std::vector<std::string> Frames() const;  // every frame received, without its CR
    BoardCounters Counters() const;
    BoardRegisters Registers() const;

    // Waits until `count` frames have been received (accepted or not).
    bool WaitForFrames(std::size_t count, int timeoutMs) const;
    // Waits until `count` lines have been sent in total.
    bool WaitForLines(std::uint64_t count, int timeoutMs) const;

    // The reading the board would send now, before noise: red, green, blue,
    // clear. For tests of the model.
    std::array<double, 4> ModelLevels() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace velk::sim
