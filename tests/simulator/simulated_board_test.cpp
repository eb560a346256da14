// The simulated board, driven through the device link as the program drives
// a real one.
#include "simulator/simulated_board.h"

#include "device/framing.h"
#include "device/serial_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <time.h>

namespace velk::sim {
namespace {

using Clock = std::chrono::steady_clock;

BoardOptions NoNoise() {
    BoardOptions o;
    o.noise = 0.0;
    o.seed = 7;
    return o;
}

// A board on its thread and the program's end of the line, opened and
// configured.
class Link {
public:
    explicit Link(BoardOptions options = NoNoise()) : board(std::move(options)) {
        EXPECT_TRUE(board.Start());
        OpenError error;
        port = OpenDevice(board.DevicePath(), &error);
        EXPECT_NE(port, INVALID_HANDLE_VALUE) << error.reason;
        ConfigurePort(port);
    }
    ~Link() {
        ClosePort(port);
        board.Stop();
    }

    std::string Line(int size = kLineBufferSize) {
        std::vector<char> buf(static_cast<std::size_t>(size));
        const char* line = ReadLine(port, buf.data(), size);
        return line != nullptr ? std::string(line) : std::string("<null>");
    }

    // The next line of the given kind, skipping others (at most `tries`).
    std::string Next(const char* prefix, int tries = 50) {
        for (int i = 0; i < tries; ++i) {
            const std::string line = Line();
            if (line.rfind(prefix, 0) == 0 || line == "<null>") return line;
        }
        return {};
    }

    // True when nothing arrives for about `ms` milliseconds.
    bool Quiet(int ms) {
        char c;
        for (int waited = 0; waited < ms; waited += 10)
            if (ReadBytes(port, &c, 1) != 0) return false;
        return true;
    }

    Reading NextReading() {
        const std::string line = Next("$ADD");
        const auto r = ParseReadingLine(line.c_str());
        EXPECT_TRUE(r.has_value()) << line;
        return r.value_or(Reading{});
    }

    SimulatedBoard board;
    PortHandle port = INVALID_HANDLE_VALUE;
};

TEST(SimulatedBoard, HandshakeIsOneVelkLineAndExactlyTwoMore) {
    Link link;
    SendCommand(link.port, "$ACV");
    EXPECT_TRUE(IsHandshakeReply(link.Line().c_str()));
    const std::string second = link.Line();
    const std::string third = link.Line();
    EXPECT_FALSE(second.empty());
    EXPECT_EQ(second.back(), '\n');
    EXPECT_EQ(third.back(), '\n');
    EXPECT_TRUE(link.Quiet(100));
    EXPECT_EQ(link.board.Frames(), std::vector<std::string>{"$ACV*54"});
}

TEST(SimulatedBoard, ReadingsFollowTheLedAndTheIntValues) {
    Link link;
    SendCommand(link.port, "$ACL%02X", 0);
    SendCommand(link.port, "$ACS%04X", 5);
    const Reading dark = link.NextReading();

    SendCommand(link.port, "$ACL%02X", 255);
    ASSERT_TRUE(link.board.WaitForFrames(3, 2000));
    link.NextReading();  // one that may have been on its way
    const Reading lit = link.NextReading();
    EXPECT_GT(lit.red, 5 * dark.red);
    EXPECT_GT(lit.clear, lit.green);  // the clear channel sees all colours

    SendCommand(link.port, "$ACW%02X,%02X,%02X,%02X,%04X,%04X,%04X,%04X", 15, 15, 15, 15, 511, 1023, 1023, 1023);
    ASSERT_TRUE(link.board.WaitForFrames(4, 2000));
    link.NextReading();
    const Reading halved = link.NextReading();
    EXPECT_NEAR(halved.red, lit.red / 2.0, 3.0);
    EXPECT_EQ(halved.green, lit.green);

    // Every reading line is checksummed like a frame and ends with a line feed.
    const std::string line = link.Next("$ADD");
    ASSERT_GE(line.size(), 5u);
    const auto star = line.find('*');
    ASSERT_NE(star, std::string::npos);
    char expected[8];
    std::snprintf(expected, sizeof expected, "*%02X\n", static_cast<unsigned>(Checksum(line.substr(0, star))));
    EXPECT_EQ(line.substr(star), expected);

    SendCommand(link.port, "$ACT");
    ASSERT_TRUE(link.board.WaitForFrames(5, 2000));
    EXPECT_FALSE(link.board.Registers().reporting);
    link.Quiet(30);  // what was on its way
    EXPECT_TRUE(link.Quiet(100));
}

TEST(SimulatedBoard, ParameterLineWriteResetAndOffsetMode) {
    BoardOptions options = NoNoise();
    options.offsets = {-5, 3, 0, -300};
    Link link(options);
    SendCommand(link.port, "$ACR");
    EXPECT_EQ(link.Line(), "$ADR0F,0F,0F,0F,03FF,03FF,03FF,03FF,-05,03,00,-12C*3D\n");

    SendCommand(link.port, "$ACW%02X,%02X,%02X,%02X,%04X,%04X,%04X,%04X", 1, 2, 3, 4, 100, 200, 300, 400);
    SendCommand(link.port, "$ACO01");
    SendCommand(link.port, "$ACR");
    auto p = ParseParameterLine(link.Line().c_str());
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->cap, (std::array<std::uint32_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(p->integration, (std::array<std::uint32_t, 4>{100, 200, 300, 400}));
    EXPECT_EQ(p->offset, (std::array<std::int32_t, 4>{-5, 3, 0, -300}));
    EXPECT_TRUE(link.board.Registers().offsetMode);

    SendCommand(link.port, "$ACH");
    SendCommand(link.port, "$ACR");
    EXPECT_EQ(link.Line(), "$ADR0F,0F,0F,0F,03FF,03FF,03FF,03FF,00,00,00,00*7B\n");
    EXPECT_FALSE(link.board.Registers().offsetMode);
}

TEST(SimulatedBoard, HandshakeAfterASessionThatNeverSentStop) {
    Link link;
    SendCommand(link.port, "$ACS%04X", 1);
    ASSERT_TRUE(link.board.WaitForLines(3, 2000));
    ClosePort(link.port);  // gone without "$ACT"; the board goes on reporting
    const auto sent = link.board.Counters().linesSent;
    ASSERT_TRUE(link.board.WaitForLines(sent + 20, 2000));

    link.port = OpenDevice(link.board.DevicePath());
    ASSERT_NE(link.port, INVALID_HANDLE_VALUE);
    ConfigurePort(link.port);
    SendCommand(link.port, "$ACV");
    // Readings sent in the moment between the purge and the request may come
    // first; after the reply's three lines the board is quiet.
    std::string first = link.Line();
    for (int i = 0; i < 5 && IsReadingLine(first.c_str()); ++i) first = link.Line();
    EXPECT_TRUE(IsHandshakeReply(first.c_str())) << first;
    EXPECT_NE(link.Line(), "");
    EXPECT_NE(link.Line(), "");
    EXPECT_TRUE(link.Quiet(50));
    EXPECT_FALSE(link.board.Registers().reporting);
}

TEST(SimulatedBoard, OffsetModeShiftsTheLevels) {
    BoardOptions options = NoNoise();
    options.offsets = {-100, 50, 0, 0};
    SimulatedBoard board(options);
    ASSERT_TRUE(board.Start());
    PortHandle port = OpenDevice(board.DevicePath());
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    ConfigurePort(port);
    SendCommand(port, "$ACL%02X", 128);
    ASSERT_TRUE(board.WaitForFrames(1, 2000));
    const auto plain = board.ModelLevels();
    SendCommand(port, "$ACO01");
    ASSERT_TRUE(board.WaitForFrames(2, 2000));
    const auto shifted = board.ModelLevels();
    EXPECT_NEAR(shifted[0], plain[0] - 100, 1e-6);
    EXPECT_NEAR(shifted[1], plain[1] + 50, 1e-6);
    EXPECT_NEAR(shifted[2], plain[2], 1e-6);
    ClosePort(port);
}

TEST(SimulatedBoard, BadFramesAreIgnored) {
    Link link;
    const std::string bad[] = {
        "$ACV*00\r",     // wrong checksum
        "$ACV\r",        // no trailer
        "$ACV*5\r",      // one digit
        "ACV*54\r",      // no "$"
        "$ACL80*46\n",   // a line feed is no carriage return: this one never ends
    };
    for (const auto& frame : bad) ASSERT_EQ(WriteBytes(link.port, frame.data(), static_cast<int>(frame.size())), static_cast<int>(frame.size()));
    ASSERT_TRUE(link.board.WaitForFrames(4, 2000));
    EXPECT_TRUE(link.Quiet(100));
    EXPECT_EQ(link.board.Counters().framesAccepted, 0u);
    EXPECT_EQ(link.board.Counters().framesRejected, 4u);
    EXPECT_EQ(link.board.Registers().ledLevel, 0u);
    // The next good frame after the unfinished one is taken, with the bytes
    // before it making that frame bad, so the board resynchronises on the one after.
    SendCommand(link.port, "$ACV");
    SendCommand(link.port, "$ACV");
    EXPECT_TRUE(IsHandshakeReply(link.Line().c_str()));
    const auto frames = link.board.Frames();
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(frames[0], "$ACV*00");
    EXPECT_EQ(frames[4], "$ACL80*46\n$ACV*54");
    EXPECT_EQ(frames[5], "$ACV*54");
}

TEST(SimulatedBoard, WhiteBalanceEqualisesAGreyTarget) {
    Link link;
    SendCommand(link.port, "$ACL%02X", 128);
    ASSERT_TRUE(link.board.WaitForFrames(1, 2000));
    auto levels = link.board.ModelLevels();
    // A grey target at a mid LED level with the reset values is well inside
    // the range, blue a little low until the program's blue gain.
    for (double l : levels) {
        EXPECT_GT(l, 200.0);
        EXPECT_LT(l, 900.0);
    }
    EXPECT_LT(levels[2], levels[1] * 0.95);

    // The program's arithmetic: blue gain 110/100, then INT scaled by
    // average / level and limited to 1023.
    std::array<std::int64_t, 4> shown{};
    for (std::size_t c = 0; c < 4; ++c) shown[c] = std::lround(levels[c]);
    shown[2] = std::min<std::int64_t>(shown[2] * 110 / 100, 1023);
    const std::int64_t average = (shown[0] + shown[1] + shown[2]) / 3;
    std::array<std::int64_t, 4> integration{};
    for (std::size_t c = 0; c < 4; ++c) integration[c] = std::min<std::int64_t>(average * 1023 / shown[c], 1023);
    SendCommand(link.port, "$ACW%02X,%02X,%02X,%02X,%04X,%04X,%04X,%04X", 15, 15, 15, 15,
                static_cast<unsigned>(integration[0]), static_cast<unsigned>(integration[1]),
                static_cast<unsigned>(integration[2]), static_cast<unsigned>(integration[3]));
    ASSERT_TRUE(link.board.WaitForFrames(2, 2000));
    levels = link.board.ModelLevels();
    const double red = levels[0], green = levels[1], blue = std::min(levels[2] * 1.1, 1023.0), clear = levels[3];
    const double mean = (red + green + blue) / 3.0;
    for (double l : {red, green, blue, clear}) EXPECT_NEAR(l / mean, 1.0, 0.03);
}

TEST(SimulatedBoard, TargetHueDrifts) {
    BoardOptions options = NoNoise();
    options.target = {0.8, 0.2, 0.2};
    options.driftDegreesPerSecond = 3600.0;  // a turn in 100 ms
    SimulatedBoard board(options);
    ASSERT_TRUE(board.Open());
    const auto first = board.ModelLevels();
    std::array<double, 4> later = first;
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (later[1] <= first[0] * 0.5 && Clock::now() < deadline) later = board.ModelLevels();
    EXPECT_GT(later[1], first[0] * 0.5);  // green has come round
}

// ---- faults

TEST(SimulatedBoardFaults, SilentAndWrongHandshake) {
    {
        BoardOptions options = NoNoise();
        options.silent = true;
        Link link(options);
        SendCommand(link.port, "$ACV");
        SendCommand(link.port, "$ACS%04X", 5);
        ASSERT_TRUE(link.board.WaitForFrames(2, 2000));
        EXPECT_TRUE(link.Quiet(100));
    }
    {
        BoardOptions options = NoNoise();
        options.handshakeText = "$ACV*54";  // an echo
        Link link(options);
        SendCommand(link.port, "$ACV");
        const std::string first = link.Line();
        EXPECT_EQ(first, "$ACV*54\n");
        EXPECT_FALSE(IsHandshakeReply(first.c_str()));
    }
}

TEST(SimulatedBoardFaults, HangUpAfterNLinesIsAFailedRead) {
    BoardOptions options = NoNoise();
    options.hangUpAfterLines = 4;
    Link link(options);
    SendCommand(link.port, "$ACV");
    SendCommand(link.port, "$ACS%04X", 5);
    for (int i = 0; i < 3; ++i) EXPECT_NE(link.Line(), "<null>");  // the handshake
    EXPECT_TRUE(IsReadingLine(link.Line().c_str()));                // the fourth line, then nothing
    char buf[kLineBufferSize];
    EXPECT_EQ(ReadLine(link.port, buf, sizeof buf), nullptr);
    EXPECT_TRUE(link.board.Counters().hungUp);
    EXPECT_EQ(link.board.Counters().linesSent, 4u);
}

TEST(SimulatedBoardFaults, LongLinesAndGarbage) {
    BoardOptions options = NoNoise();
    options.longLineEvery = 2;
    options.garbageEvery = 3;
    Link link(options);
    SendCommand(link.port, "$ACS%04X", 5);
    int longPieces = 0, garbage = 0, readings = 0;
    for (int i = 0; i < 12; ++i) {
        const std::string line = link.Line();
        ASSERT_NE(line, "<null>");
        if (line.size() == 255) {
            ++longPieces;
            EXPECT_TRUE(ParseReadingLine(line.c_str()).has_value());  // the first piece still reads
            const std::string rest = link.Line();
            EXPECT_EQ(rest.back(), '\n');
            EXPECT_EQ(Classify(rest.c_str()), LineKind::Other);
        } else if (line[0] == '#') {
            ++garbage;
        } else {
            EXPECT_TRUE(ParseReadingLine(line.c_str()).has_value()) << line;
            ++readings;
        }
    }
    EXPECT_GT(longPieces, 0);
    EXPECT_GT(garbage, 0);
    EXPECT_GT(readings, 0);
}

TEST(SimulatedBoardFaults, SlowBytesCutALine) {
    BoardOptions options = NoNoise();
    options.byteGapMs = 25;
    Link link(options);
    SendCommand(link.port, "$ACV");
    // Eight attempts of 10 ms cover about 80 ms: three or four bytes at 25 ms.
    const std::string head = link.Line(9);
    EXPECT_GE(head.size(), 1u);
    EXPECT_LT(head.size(), 8u);
    EXPECT_EQ(head.find('\n'), std::string::npos);
    const std::string rest = link.Line();
    EXPECT_EQ(head + rest, "$VELK RGBC colour sensor board\n");
}

TEST(SimulatedBoardFaults, ShortParameterLineIsNotApplied) {
    BoardOptions options = NoNoise();
    options.parameterFields = 11;
    Link link(options);
    SendCommand(link.port, "$ACR");
    const std::string line = link.Line();
    EXPECT_EQ(ScanParameterLine(line.c_str()).filled, 11);  // the "*" stands where a "," should
    EXPECT_FALSE(ParseParameterLine(line.c_str()).has_value());
}

TEST(SimulatedBoardFaults, BinaryNoiseBetweenLines) {
    BoardOptions options = NoNoise();
    options.binaryNoiseEvery = 1;
    Link link(options);
    SendCommand(link.port, "$ACS%04X", 5);
    ASSERT_TRUE(link.board.WaitForLines(3, 2000));
    std::string bytes;
    for (int i = 0; i < 6; ++i) bytes += link.Line();  // NUL bytes end each text early; enough to see 0xFF
    EXPECT_NE(bytes.find('\xFF'), std::string::npos);
}

double CpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

TEST(SimulatedBoard, RestartsAndIdlesWithoutSpinning) {
    SimulatedBoard board(NoNoise());
    ASSERT_TRUE(board.Start());
    board.Stop();
    ASSERT_TRUE(board.Start());
    const double cpuBefore = CpuMs();
    EXPECT_FALSE(board.WaitForFrames(1, 200));  // an idle board only waits
    EXPECT_LT(CpuMs() - cpuBefore, 50.0);

    PortHandle port = OpenDevice(board.DevicePath());
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    ConfigurePort(port);
    SendCommand(port, "$ACV");
    char line[kLineBufferSize];
    EXPECT_TRUE(IsHandshakeReply(ReadLine(port, line, sizeof line)));
    ClosePort(port);
}

TEST(SimulatedBoard, LinkAndLog) {
    const auto dir = std::filesystem::path(::testing::TempDir()) / ("velk-sim-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    BoardOptions options = NoNoise();
    options.link = dir / "board";
    options.logFile = dir / "frames.log";
    {
        SimulatedBoard board(options);
        ASSERT_TRUE(board.Start());
        EXPECT_EQ(std::filesystem::read_symlink(options.link), std::filesystem::path(board.DevicePath()));
        PortHandle port = OpenDevice(options.link.string());
        ASSERT_NE(port, INVALID_HANDLE_VALUE);
        ConfigurePort(port);
        SendCommand(port, "$ACL%02X", 255);
        SendCommand(port, "$ACX");
        WriteBytes(port, "$ACT*00\r", 8);
        ASSERT_TRUE(board.WaitForFrames(3, 2000));
        ClosePort(port);
        // Closing and opening again works: the board keeps its terminal.
        port = OpenDevice(options.link.string());
        EXPECT_NE(port, INVALID_HANDLE_VALUE);
        ClosePort(port);
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(options.link)));
    std::ifstream in(options.logFile);
    std::string log((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(log, "$ACLFF*4E\n$ACX*5A\n$ACT*00    (ignored)\n");
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace velk::sim
