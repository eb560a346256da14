#include "simulator/simulated_board.h"

#include "device/framing.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <random>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace velk::sim {
namespace {

using Clock = std::chrono::steady_clock;

// Full-scale response: a white target (reflectance 1) under the LED at full
// level gives about 1500 counts with CAP 15 and INT 1023, so a mid-grey
// target at a mid LED level sits near the middle of the range.
constexpr double kScale = 1500.0;
// The blue photodiode is less sensitive; the program's blue gain of 110/100
// makes up for it.
constexpr std::array<double, 3> kSensitivity{1.0, 1.0, 0.9};
// The clear channel has no filter and sees all three colours.
constexpr double kClearScale = 1.3;

constexpr std::size_t kMaxFrame = 2048;      // longer without a CR: not a frame
// A board's serial line sends in real time and keeps no backlog: when the
// terminal takes nothing (nobody has it open), readings are dropped rather
// than piled up to pour out over the next session's handshake.
constexpr std::size_t kMaxQueued = 256;
constexpr auto kHangUpDrainLimit = std::chrono::seconds(2);
constexpr auto kHangUpSettle = std::chrono::milliseconds(50);

std::string Hex2(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02X", v);
    return buf;
}

std::string Line(std::string body) {
    char trailer[8];
    std::snprintf(trailer, sizeof trailer, "*%02X\n", static_cast<unsigned>(Checksum(body)));
    return body + trailer;
}

std::string OffsetField(std::int32_t v) {
    const long long wide = v;
    char buf[24];
    if (wide < 0)
        std::snprintf(buf, sizeof buf, "-%02llX", -wide);
    else
        std::snprintf(buf, sizeof buf, "%02llX", wide);
    return buf;
}

// Hue rotation of an RGB triple, keeping its saturation and value.
std::array<double, 3> RotateHue(const std::array<double, 3>& rgb, double degrees) {
    const double mx = std::max({rgb[0], rgb[1], rgb[2]});
    const double mn = std::min({rgb[0], rgb[1], rgb[2]});
    const double chroma = mx - mn;
    if (chroma <= 0.0) return rgb;
    double h;
    if (mx == rgb[0])
        h = std::fmod((rgb[1] - rgb[2]) / chroma, 6.0);
    else if (mx == rgb[1])
        h = (rgb[2] - rgb[0]) / chroma + 2.0;
    else
        h = (rgb[0] - rgb[1]) / chroma + 4.0;
    h = std::fmod(h * 60.0 + degrees, 360.0);
    if (h < 0) h += 360.0;
    const double hp = h / 60.0;
    const double x = chroma * (1.0 - std::fabs(std::fmod(hp, 2.0) - 1.0));
    std::array<double, 3> out{};
    switch (static_cast<int>(hp) % 6) {
    case 0: out = {chroma, x, 0}; break;
    case 1: out = {x, chroma, 0}; break;
    case 2: out = {0, chroma, x}; break;
    case 3: out = {0, x, chroma}; break;
    case 4: out = {x, 0, chroma}; break;
    default: out = {chroma, 0, x}; break;
    }
    for (double& c : out) c += mn;
    return out;
}

bool ParseHex(std::string_view text, std::uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    std::uint32_t v = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else return false;
        v = v * 16 + static_cast<std::uint32_t>(d);
    }
    value = v;
    return true;
}

}  // namespace

struct SimulatedBoard::Impl {
    explicit Impl(BoardOptions o) : options(std::move(o)) {
        registers.offset = options.offsets;
        registers.periodMs = std::max(1, options.defaultPeriodMs);
        const std::uint64_t seed =
            options.seed != 0 ? options.seed : static_cast<std::uint64_t>(Clock::now().time_since_epoch().count());
        rng.seed(seed);
    }

    ~Impl() {
        if (thread.joinable()) {
            RequestStop();
            thread.join();
        }
        CloseAll();
    }

    void CloseAll() {
        if (!options.link.empty()) {
            std::error_code ec;
            if (std::filesystem::is_symlink(options.link, ec) &&
                std::filesystem::read_symlink(options.link, ec) == std::filesystem::path(path))
                std::filesystem::remove(options.link, ec);
        }
        for (int* fd : {&master, &slave, &wake}) {
            if (*fd >= 0) ::close(*fd);
            *fd = -1;
        }
    }

    bool Open(std::string* error) {
        auto fail = [&](const std::string& what) {
            if (error != nullptr) *error = what + ": " + std::strerror(errno);
            CloseAll();
            return false;
        };
        if (master >= 0) return true;
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (master < 0) return fail("cannot open a pseudo-terminal");
        if (::grantpt(master) != 0 || ::unlockpt(master) != 0) return fail("cannot unlock the pseudo-terminal");
        char name[128];
        if (::ptsname_r(master, name, sizeof name) != 0) return fail("cannot name the pseudo-terminal");
        path = name;
        // Holding the terminal end keeps the pair alive while the program
        // under test closes and reopens it; we never read it nor lock it.
        slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (slave < 0) return fail("cannot open " + path);
        termios tio{};
        if (::tcgetattr(slave, &tio) == 0) {
            ::cfmakeraw(&tio);  // no echo of what the board sends before the program configures the line
            ::cfsetispeed(&tio, B38400);
            ::cfsetospeed(&tio, B38400);
            ::tcsetattr(slave, TCSANOW, &tio);
        }
        wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wake < 0) return fail("cannot make an event descriptor");
        if (!options.link.empty()) {
            std::error_code ec;
            if (std::filesystem::is_symlink(options.link, ec)) std::filesystem::remove(options.link, ec);
            std::filesystem::create_symlink(path, options.link, ec);
            if (ec) {
                errno = ec.value();
                return fail("cannot link " + options.link.string());
            }
        }
        if (!options.logFile.empty()) {
            log.open(options.logFile, std::ios::app);
            if (!log) return fail("cannot open the log " + options.logFile.string());
        }
        start = Clock::now();
        return true;
    }

    void RequestStop() {
        stopRequested.store(true);
        if (wake >= 0) {
            const std::uint64_t one = 1;
            (void)!::write(wake, &one, sizeof one);
        }
    }

    // ---- the model (callers hold mu)

    std::array<double, 4> Levels(Clock::time_point now) const {
        const double seconds = std::chrono::duration<double>(now - start).count();
        const auto target = RotateHue(options.target, options.driftDegreesPerSecond * seconds);
        const double light = options.ambient + static_cast<double>(std::min<std::uint32_t>(registers.ledLevel, 255)) / 255.0;
        std::array<double, 4> signal{};
        for (std::size_t c = 0; c < 3; ++c) signal[c] = kScale * light * std::clamp(target[c], 0.0, 1.0) * kSensitivity[c];
        signal[3] = kScale * light * kClearScale * (target[0] + target[1] + target[2]) / 3.0;
        std::array<double, 4> levels{};
        for (std::size_t c = 0; c < 4; ++c) {
            const double capGain = (static_cast<double>(std::min<std::uint32_t>(registers.cap[c], 15)) + 1.0) / 16.0;
            const double intGain = static_cast<double>(std::min<std::uint32_t>(registers.integration[c], 1023)) / 1023.0;
            double level = signal[c] * capGain * intGain;
            if (registers.offsetMode) level += registers.offset[c];
            levels[c] = std::clamp(level, 0.0, 1023.0);
        }
        return levels;
    }

    std::string ReadingLine(Clock::time_point now) {
        auto levels = Levels(now);
        unsigned v[4];
        for (std::size_t c = 0; c < 4; ++c) {
            double level = levels[c];
            if (options.noise > 0.0) level += noise(rng) * options.noise;
            v[c] = static_cast<unsigned>(std::lround(std::clamp(level, 0.0, 1023.0)));
        }
        char body[64];
        std::snprintf(body, sizeof body, "$ADD%04X,%04X,%04X,%04X", v[0], v[1], v[2], v[3]);
        return Line(body);
    }

    std::string ParameterLine() const {
        std::vector<std::string> fields;
        for (auto v : registers.cap) fields.push_back(Hex2(v));
        for (auto v : registers.integration) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "%04X", v);
            fields.push_back(buf);
        }
        for (auto v : registers.offset) fields.push_back(OffsetField(v));
        const auto count = static_cast<std::size_t>(std::clamp(options.parameterFields, 0, 12));
        std::string body = "$ADR";
        for (std::size_t i = 0; i < count; ++i) body += (i > 0 ? "," : "") + fields[i];
        return Line(body);
    }

    // ---- sending (callers hold mu)

    std::size_t Queued() const {
        std::size_t n = 0;
        for (const auto& chunk : out) n += chunk.bytes.size();
        return n - outOffset;
    }

    void Enqueue(std::string bytes, bool isLine, bool isReading) {
        out.push_back({std::move(bytes), isLine, isReading});
    }

    void DropQueuedReadings() {
        for (auto it = out.begin(); it != out.end();) {
            const bool started = it == out.begin() && outOffset > 0;
            it = (it->isReading && !started) ? out.erase(it) : std::next(it);
        }
    }

    // One line as the board sends it, with the faults that come before it.
    void SendLine(std::string line, bool isReading) {
        if (options.silent || hangingUp) return;
        if (isReading && Queued() > kMaxQueued) return;  // nobody reads: the board's buffer overflows
        ++linesQueued;
        if (options.garbageEvery > 0 && linesQueued % static_cast<std::uint64_t>(options.garbageEvery) == 0)
            Enqueue("#?! garbled @@ line ~~ " + std::to_string(linesQueued) + "\n", true, false);
        if (options.binaryNoiseEvery > 0 && linesQueued % static_cast<std::uint64_t>(options.binaryNoiseEvery) == 0) {
            std::string noiseBytes;
            const int n = 1 + static_cast<int>(rng() % 16);
            for (int i = 0; i < n; ++i) noiseBytes += static_cast<char>(rng() & 0xFF);
            noiseBytes += '\0';
            noiseBytes += '\xFF';
            Enqueue(std::move(noiseBytes), false, false);
        }
        if (isReading && options.longLineEvery > 0 &&
            ++readingsQueued % static_cast<std::uint64_t>(options.longLineEvery) == 0) {
            line.pop_back();  // the line feed
            line += std::string(280, '~') + "\n";
        }
        Enqueue(std::move(line), true, isReading);
        if (options.hangUpAfterLines > 0 && linesQueued >= static_cast<std::uint64_t>(options.hangUpAfterLines))
            hangingUp = true;
    }

    // Writes what the line takes now; with a byte gap, one byte when due.
    void Flush(Clock::time_point now) {
        while (!out.empty()) {
            auto& chunk = out.front();
            std::size_t want = chunk.bytes.size() - outOffset;
            if (options.byteGapMs > 0) {
                if (now < nextByteAt) return;
                want = 1;
            }
            const ssize_t n = ::write(master, chunk.bytes.data() + outOffset, want);
            if (n <= 0) return;  // the terminal is full (EAGAIN) or gone
            outOffset += static_cast<std::size_t>(n);
            if (options.byteGapMs > 0) nextByteAt = now + std::chrono::milliseconds(options.byteGapMs);
            if (outOffset < chunk.bytes.size()) {
                if (options.byteGapMs > 0) return;
                continue;
            }
            if (chunk.isLine) ++counters.linesSent;
            if (chunk.isReading) ++counters.readingsSent;
            out.pop_front();
            outOffset = 0;
            cv.notify_all();
            if (options.byteGapMs > 0) return;
        }
    }

    // ---- receiving (callers hold mu)

    void Receive(const char* data, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            const char c = data[i];
            if (c == '\r') {
                Frame(std::move(frame));
                frame.clear();
            } else if (c == '\n' && frame.empty()) {
                // A line feed after a CR (a terminal typing CR LF) starts no frame.
            } else if (frame.size() < kMaxFrame) {
                frame += c;
            } else {
                Frame(std::move(frame));  // too long: rejected, and reading starts afresh
                frame.clear();
            }
        }
    }

    void Frame(std::string text) {
        const auto star = text.rfind('*');
        std::uint32_t sum = 0;
        const bool ok = star != std::string::npos && text.size() - star == 3 && text.compare(0, 3, "$AC") == 0 &&
                        star >= 4 && ParseHex(std::string_view(text).substr(star + 1), sum) &&
                        sum == Checksum(std::string_view(text).substr(0, star));
        if (log) {
            log << text << (ok ? "" : "    (ignored)") << '\n';
            log.flush();
        }
        frames.push_back(text);
        if (ok) {
            ++counters.framesAccepted;
            Command(text.substr(0, star));
        } else {
            ++counters.framesRejected;
        }
        cv.notify_all();
    }

    void Command(const std::string& body) {
        const char letter = body[3];
        const std::string_view arg = std::string_view(body).substr(4);
        std::uint32_t value = 0;
        const auto now = Clock::now();
        switch (letter) {
        case 'V':
            // An identification request ends any reporting left over from a
            // session that ended without "$ACT", so the reply is the first
            // line that follows.
            registers.reporting = false;
            DropQueuedReadings();
            SendLine(options.handshakeText ? *options.handshakeText + "\n" : std::string("$VELK RGBC colour sensor board\n"),
                     false);
            SendLine("MODEL RGBC-4 (simulated)\n", false);
            SendLine("FIRMWARE 1.00\n", false);
            break;
        case 'S': {
            int period = std::max(1, options.defaultPeriodMs);
            if (!arg.empty()) {
                if (!ParseHex(arg, value)) break;
                period = static_cast<int>(std::clamp<std::uint32_t>(value, 1, 60000));
            }
            registers.periodMs = period;
            registers.reporting = true;
            nextReading = now + std::chrono::milliseconds(period);
            break;
        }
        case 'T':
            registers.reporting = false;
            break;
        case 'R':
            SendLine(ParameterLine(), false);
            break;
        case 'W': {
            unsigned f[8];
            char tail = 0;
            const std::string args(arg);
            if (std::sscanf(args.c_str(), "%x,%x,%x,%x,%x,%x,%x,%x%c", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6],
                            &f[7], &tail) != 8)
                break;
            // The registers are 4 and 10 bits wide.
            for (std::size_t c = 0; c < 4; ++c) {
                registers.cap[c] = std::min(f[c], 15u);
                registers.integration[c] = std::min(f[4 + c], 1023u);
            }
            break;
        }
        case 'H':
            registers.cap = {15, 15, 15, 15};
            registers.integration = {1023, 1023, 1023, 1023};
            registers.offset = {0, 0, 0, 0};
            registers.offsetMode = false;
            break;
        case 'O':
            if (arg == "00") registers.offsetMode = false;
            if (arg == "01") registers.offsetMode = true;
            break;
        case 'L':
            if (ParseHex(arg, value)) registers.ledLevel = std::min(value, 255u);
            break;
        default:
            break;
        }
    }

    // ---- the loop

    void Run() {
        char buf[512];
        while (!stopRequested.load()) {
            auto now = Clock::now();
            Clock::time_point wakeAt = now + std::chrono::seconds(1);
            bool wantWrite = false;
            {
                std::lock_guard lock(mu);
                if (registers.reporting && !options.silent) wakeAt = std::min(wakeAt, nextReading);
                if (!out.empty()) {
                    if (options.byteGapMs > 0)
                        wakeAt = std::min(wakeAt, nextByteAt);
                    else
                        wantWrite = true;
                }
                if (hangingUp && out.empty()) wakeAt = std::min(wakeAt, now + std::chrono::milliseconds(5));
            }
            pollfd fds[2] = {{master, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0}, {wake, POLLIN, 0}};
            auto wait = std::max(Clock::duration::zero(), wakeAt - now);
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
            const timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
            if (::ppoll(fds, 2, &ts, nullptr) < 0 && errno != EINTR) break;
            if ((fds[1].revents & POLLIN) != 0) {
                std::uint64_t count = 0;
                (void)!::read(wake, &count, sizeof count);  // so that a restarted loop waits again
            }
            if (stopRequested.load()) break;

            std::lock_guard lock(mu);
            now = Clock::now();
            if ((fds[0].revents & POLLIN) != 0) {
                for (;;) {
                    const ssize_t n = ::read(master, buf, sizeof buf);
                    if (n <= 0) break;
                    Receive(buf, static_cast<std::size_t>(n));
                }
            }
            if (registers.reporting && !options.silent && now >= nextReading) {
                SendLine(ReadingLine(now), true);
                nextReading += std::chrono::milliseconds(registers.periodMs);
                if (nextReading < now) nextReading = now + std::chrono::milliseconds(registers.periodMs);
            }
            Flush(now);
            if (hangingUp && out.empty() && HangUpNow(now)) break;
        }
    }

    // After the last line is out, wait (a little) until the program has read
    // it, so that it sees every line before the hang-up. The terminal takes
    // written bytes in a moment later, so an empty input queue counts only
    // once the bytes have been seen there, or after a settling time.
    bool HangUpNow(Clock::time_point now) {
        if (hangUpSince == Clock::time_point{}) hangUpSince = now;
        int pending = 0;
        const bool known = ::ioctl(slave, FIONREAD, &pending) == 0;
        if (known && pending > 0) hangUpSeenPending = true;
        const auto waited = now - hangUpSince;
        const bool drained = !known || (pending == 0 && (hangUpSeenPending || waited >= kHangUpSettle));
        if (!drained && waited < kHangUpDrainLimit) return false;
        ::close(master);  // the far end sees the hang-up
        master = -1;
        counters.hungUp = true;
        cv.notify_all();
        return true;
    }

    struct Chunk {
        std::string bytes;
        bool isLine;
        bool isReading;
    };

    BoardOptions options;
    int master = -1;
    int slave = -1;
    int wake = -1;
    std::string path;
    std::thread thread;
    std::atomic<bool> stopRequested{false};

    mutable std::mutex mu;
    mutable std::condition_variable cv;
    BoardRegisters registers;
    BoardCounters counters;
    std::vector<std::string> frames;
    std::string frame;
    std::deque<Chunk> out;
    std::size_t outOffset = 0;
    std::uint64_t linesQueued = 0;
    std::uint64_t readingsQueued = 0;
    bool hangingUp = false;
    Clock::time_point hangUpSince{};
    bool hangUpSeenPending = false;
    Clock::time_point start = Clock::now();
    Clock::time_point nextReading{};
    Clock::time_point nextByteAt{};
    std::mt19937_64 rng;
    std::normal_distribution<double> noise{0.0, 1.0};
    std::ofstream log;
};

SimulatedBoard::SimulatedBoard(BoardOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}
SimulatedBoard::~SimulatedBoard() = default;

bool SimulatedBoard::Open(std::string* error) { return impl_->Open(error); }
const std::string& SimulatedBoard::DevicePath() const { return impl_->path; }

bool SimulatedBoard::Start() {
    if (impl_->thread.joinable()) return true;
    if (!Open(nullptr)) return false;
    impl_->stopRequested.store(false);
    impl_->thread = std::thread([this] { impl_->Run(); });
    return true;
}

void SimulatedBoard::Stop() {
    if (!impl_->thread.joinable()) return;
    impl_->RequestStop();
    impl_->thread.join();
}

void SimulatedBoard::Run() {
    if (Open(nullptr)) impl_->Run();
}

void SimulatedBoard::RequestStop() { impl_->RequestStop(); }

std::vector<std::string> SimulatedBoard::Frames() const {
    std::lock_guard lock(impl_->mu);
    return impl_->frames;
}

BoardCounters SimulatedBoard::Counters() const {
    std::lock_guard lock(impl_->mu);
    return impl_->counters;
}

BoardRegisters SimulatedBoard::Registers() const {
    std::lock_guard lock(impl_->mu);
    return impl_->registers;
}

bool SimulatedBoard::WaitForFrames(std::size_t count, int timeoutMs) const {
    std::unique_lock lock(impl_->mu);
    return impl_->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return impl_->frames.size() >= count; });
}

bool SimulatedBoard::WaitForLines(std::uint64_t count, int timeoutMs) const {
    std::unique_lock lock(impl_->mu);
    return impl_->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return impl_->counters.linesSent >= count; });
}

std::array<double, 4> SimulatedBoard::ModelLevels() const {
    std::lock_guard lock(impl_->mu);
    return impl_->Levels(Clock::now());
}

}  // namespace velk::sim
