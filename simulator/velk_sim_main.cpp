// velk-sim: a simulated sensor board on a pseudo-terminal. Prints the device
// path of its terminal end and answers there until SIGINT or SIGTERM.
#include "simulator/simulated_board.h"

#include <csignal>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

velk::sim::SimulatedBoard* g_board = nullptr;

constexpr double kDefaultDrift = 6.0;  // degrees a second: one turn a minute

extern "C" void OnSignal(int) {
    if (g_board != nullptr) g_board->RequestStop();
}

const char kUsage[] =
    "Usage: velk-sim [OPTION]...\n"
    "A simulated VELK colour sensor board on a pseudo-terminal. Prints the device\n"
    "path of the terminal end on standard output and answers there until\n"
    "interrupted (SIGINT or SIGTERM).\n"
    "\n"
    "Where:\n"
    "  --link PATH           make PATH a symbolic link to the terminal end, for a\n"
    "                        fixed [Ports] entry in the profile\n"
    "  --log FILE            append every frame received to FILE\n"
    "\n"
    "The target and the light:\n"
    "  --target R,G,B        reflectance of the target, 0 to 1 each (default 0.6,0.6,0.6)\n"
    "  --drift [DEG]         turn the target's hue DEG degrees a second (6 when no\n"
    "                        value is given: a turn a minute; default: fixed)\n"
    "  --ambient X           ambient light relative to the LED at full level (default 0.05)\n"
    "  --noise SIGMA         noise in counts (default 1)\n"
    "  --seed N              noise seed (default: from the clock)\n"
    "  --offsets R,G,B,C     OFFSET registers at start, may be negative (default 0,0,0,0)\n"
    "  --period MS           reading period for \"$ACS\" without an argument (default 100)\n"
    "\n"
    "Faults:\n"
    "  --silent              never answer\n"
    "  --handshake TEXT      answer \"$ACV\" with TEXT as the first line\n"
    "  --hang-up-after N     close the line after N lines\n"
    "  --garbage N           a garbled text line before every Nth line\n"
    "  --binary-noise N      random bytes (NUL, LF, 0xFF...) before every Nth line\n"
    "  --long-lines N        every Nth reading line longer than 255 characters\n"
    "  --byte-gap MS         wait MS milliseconds between the bytes sent\n"
    "  --short-params N      answer \"$ACR\" with only the first N of the twelve fields\n"
    "\n"
    "  --help                show this text\n"
    "\n"
    "Example, a target whose colour turns round the hue circle once a minute:\n"
    "  velk-sim --target 0.8,0.3,0.2 --drift 6 --link /tmp/velk-board\n";

bool ParseInt(const char* text, long lo, long hi, int& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < lo || v > hi) return false;
    out = static_cast<int>(v);
    return true;
}

bool ParseDouble(const char* text, double lo, double hi, double& out) {
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !(v >= lo && v <= hi)) return false;
    out = v;
    return true;
}

template <std::size_t N, typename T, typename Parse>
bool ParseList(const char* text, std::array<T, N>& out, Parse parse) {
    std::stringstream in(text);
    std::string item;
    std::array<T, N> values{};
    for (std::size_t i = 0; i < N; ++i) {
        if (!std::getline(in, item, ',') || !parse(item.c_str(), values[i])) return false;
    }
    if (std::getline(in, item, ',')) return false;
    out = values;
    return true;
}

int Usage(const std::string& problem) {
    std::cerr << "velk-sim: " << problem << "\nTry 'velk-sim --help'.\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    velk::sim::BoardOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string opt = argv[i];
        std::optional<std::string> attached;  // --option=value
        if (const auto eq = opt.find('='); opt.rfind("--", 0) == 0 && eq != std::string::npos) {
            attached = opt.substr(eq + 1);
            opt.resize(eq);
        }
        if (opt == "--help" || opt == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (opt == "--silent" && !attached) {
            options.silent = true;
            continue;
        }
        double number = 0.0;
        if (opt == "--drift" && !attached && (i + 1 >= argc || !ParseDouble(argv[i + 1], -36000.0, 36000.0, number))) {
            options.driftDegreesPerSecond = kDefaultDrift;
            continue;
        }
        static const char* const kValued[] = {"--link",    "--log",          "--target",        "--drift",
                                              "--ambient", "--noise",        "--seed",          "--offsets",
                                              "--period",  "--handshake",    "--hang-up-after", "--garbage",
                                              "--binary-noise", "--long-lines", "--byte-gap",   "--short-params"};
        if (std::find(std::begin(kValued), std::end(kValued), opt) == std::end(kValued))
            return Usage("unknown option " + std::string(argv[i]));
        if (!attached && i + 1 >= argc) return Usage("option " + opt + " needs a value");
        const std::string valueText = attached ? *attached : std::string(argv[++i]);
        const char* value = valueText.c_str();
        bool ok = true;
        if (opt == "--link") {
            options.link = value;
        } else if (opt == "--log") {
            options.logFile = value;
        } else if (opt == "--target") {
            ok = ParseList(value, options.target, [](const char* t, double& v) { return ParseDouble(t, 0.0, 1.0, v); });
        } else if (opt == "--drift") {
            ok = ParseDouble(value, -36000.0, 36000.0, options.driftDegreesPerSecond);
        } else if (opt == "--ambient") {
            ok = ParseDouble(value, 0.0, 10.0, options.ambient);
        } else if (opt == "--noise") {
            ok = ParseDouble(value, 0.0, 1023.0, options.noise);
        } else if (opt == "--seed") {
            char* end = nullptr;
            errno = 0;
            options.seed = std::strtoull(value, &end, 10);
            ok = errno == 0 && end != value && *end == '\0';
        } else if (opt == "--offsets") {
            ok = ParseList(value, options.offsets, [](const char* t, std::int32_t& v) {
                int n = 0;
                if (!ParseInt(t, -1023, 1023, n)) return false;
                v = n;
                return true;
            });
        } else if (opt == "--period") {
            ok = ParseInt(value, 1, 60000, options.defaultPeriodMs);
        } else if (opt == "--handshake") {
            options.handshakeText = value;
        } else if (opt == "--hang-up-after") {
            ok = ParseInt(value, 1, 1000000000, options.hangUpAfterLines);
        } else if (opt == "--garbage") {
            ok = ParseInt(value, 1, 1000000, options.garbageEvery);
        } else if (opt == "--binary-noise") {
            ok = ParseInt(value, 1, 1000000, options.binaryNoiseEvery);
        } else if (opt == "--long-lines") {
            ok = ParseInt(value, 1, 1000000, options.longLineEvery);
        } else if (opt == "--byte-gap") {
            ok = ParseInt(value, 1, 10000, options.byteGapMs);
        } else if (opt == "--short-params") {
            ok = ParseInt(value, 0, 12, options.parameterFields);
        } else {
            return Usage("unknown option " + opt);
        }
        if (!ok) return Usage("bad value for " + opt + ": " + value);
    }

    velk::sim::SimulatedBoard board(options);
    std::string error;
    if (!board.Open(&error)) {
        std::cerr << "velk-sim: " << error << "\n";
        return 1;
    }
    g_board = &board;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::cout << board.DevicePath() << std::endl;  // flushed: a script waits for this line
    board.Run();
    g_board = nullptr;
    if (board.Counters().hungUp) std::cerr << "velk-sim: hung up after " << board.Counters().linesSent << " lines\n";
    return 0;
}
