// The serial channel against real pseudo-terminals; the test holds the
// board's end.
#include "device/serial_port.h"

#include "device/port_map.h"
#include "platform/profile.h"
#include "tests/support/pty_pair.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <vector>

namespace velk {
namespace {

using Clock = std::chrono::steady_clock;
using test::PtyPair;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

constexpr int kPort = 7;

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty_.ok());
        map_ = PortMap(Profile::FromText(test::PortsSection({{kPort, pty_.slavePath()}})));
        OpenError error;
        port_ = OpenPort(kPort, map_, &error);
        ASSERT_NE(port_, INVALID_HANDLE_VALUE) << error.reason;
        ConfigurePort(port_);
        pty_.Drain();  // whatever the terminal echoed before it was raw
    }
    void TearDown() override { ClosePort(port_); }

    std::string Line(int size = kLineBufferSize) {
        std::vector<char> buf(static_cast<std::size_t>(size), 'x');
        const char* line = ReadLine(port_, buf.data(), size);
        EXPECT_EQ(line, buf.data());
        return line != nullptr ? std::string(line) : std::string("<null>");
    }

    PtyPair pty_;
    PortMap map_;
    PortHandle port_ = INVALID_HANDLE_VALUE;
};

TEST_F(SerialPortTest, WaitingLinesComeBackAtOnceWithTheirLineFeed) {
    ASSERT_TRUE(pty_.Send("$ADD0100,0200,0300,03FF*12\n$ADR0F\r\n"));
    const auto start = Clock::now();
    EXPECT_EQ(Line(), "$ADD0100,0200,0300,03FF*12\n");
    EXPECT_EQ(Line(), "$ADR0F\r\n");  // a carriage return is just a byte
    EXPECT_LT(MsSince(start), 200.0);
}

TEST_F(SerialPortTest, SilentPortGivesAnEmptyLineAfterAllAttempts) {
    const auto start = Clock::now();
    EXPECT_EQ(Line(), "");
    const double ms = MsSince(start);
    EXPECT_GT(ms, 2500.0);  // 255 attempts of 10 ms
    EXPECT_LT(ms, 6000.0);
}

TEST_F(SerialPortTest, LongLineIsCutAfter255CharactersAndContinues) {
    const std::string head(255, 'A');
    const std::string tail = std::string(44, 'B') + "\n";
    ASSERT_TRUE(pty_.Send(head + tail));
    const auto start = Clock::now();
    EXPECT_EQ(Line(), head);  // no line feed, no wait for one
    EXPECT_LT(MsSince(start), 200.0);
    EXPECT_EQ(Line(), tail);
}

TEST_F(SerialPortTest, TimedOutAttemptsCutASlowLine) {
    // Three attempts: one byte, then two that time out. The time-outs use up
    // the attempts but do not end the line.
    ASSERT_TRUE(pty_.Send("A"));
    EXPECT_EQ(Line(4), "A");
    ASSERT_TRUE(pty_.Send("BC\n"));
    EXPECT_EQ(Line(4), "BC\n");
}

TEST_F(SerialPortTest, NulByteIsStoredLikeAnyOther) {
    ASSERT_TRUE(pty_.Send(std::string("A\0B\n", 4)));
    char buf[kLineBufferSize];
    std::memset(buf, 'x', sizeof buf);
    ASSERT_EQ(ReadLine(port_, buf, sizeof buf), buf);
    EXPECT_EQ(std::string(buf, 5), std::string("A\0B\n\0", 5));
    EXPECT_EQ(std::strlen(buf), 1u);
}

TEST_F(SerialPortTest, SizeOneMakesNoAttempt) {
    ASSERT_TRUE(pty_.Send("X\n"));
    const auto start = Clock::now();
    EXPECT_EQ(Line(1), "");
    EXPECT_LT(MsSince(start), 50.0);
    char c = 0;
    EXPECT_EQ(ReadBytes(port_, &c, 1), 1);
    EXPECT_EQ(c, 'X');
}

TEST_F(SerialPortTest, ReadBytesReturnsWhatArrivedWithinTenMilliseconds) {
    ASSERT_TRUE(pty_.Send("abc"));
    char buf[8] = {};
    const auto start = Clock::now();
    EXPECT_EQ(ReadBytes(port_, buf, 8), 3);
    const double ms = MsSince(start);
    EXPECT_GE(ms, 9.0);
    EXPECT_LT(ms, 150.0);
    EXPECT_EQ(std::string(buf, 3), "abc");
}

extern "C" void OnAlarm(int) {}

TEST_F(SerialPortTest, InterruptedWaitIsResumedWithinTheSameTenMilliseconds) {
    struct sigaction sa {};
    sa.sa_handler = OnAlarm;  // no SA_RESTART: every tick interrupts ppoll
    struct sigaction old {};
    ASSERT_EQ(sigaction(SIGALRM, &sa, &old), 0);
    itimerval tick{{0, 1000}, {0, 1000}};
    ASSERT_EQ(setitimer(ITIMER_REAL, &tick, nullptr), 0);
    char c = 0;
    const auto start = Clock::now();
    const int n = ReadBytes(port_, &c, 1);
    const double ms = MsSince(start);
    itimerval off{};
    setitimer(ITIMER_REAL, &off, nullptr);
    sigaction(SIGALRM, &old, nullptr);
    EXPECT_EQ(n, 0);
    EXPECT_GE(ms, 9.0);
    EXPECT_LT(ms, 150.0);
}

TEST_F(SerialPortTest, WritesArriveWhole) {
    const std::string big(5000, 'w');  // more than the terminal takes in one write
    std::string received;
    std::thread reader([&] { received = pty_.Receive(big.size(), 5000); });
    EXPECT_EQ(WriteBytes(port_, big.data(), static_cast<int>(big.size())), static_cast<int>(big.size()));
    reader.join();
    EXPECT_EQ(received, big);
}

TEST_F(SerialPortTest, WriteThatCannotProgressFailsInsteadOfHanging) {
    // Nobody reads the far end: the terminal fills up and the write stalls.
    const std::string big(256 * 1024, 'w');
    const auto start = Clock::now();
    EXPECT_EQ(WriteBytes(port_, big.data(), static_cast<int>(big.size())), -1);
    const double ms = MsSince(start);
    EXPECT_GT(ms, 1900.0);
    EXPECT_LT(ms, 6000.0);
}

TEST_F(SerialPortTest, HangUpIsAFailedReadAndWrite) {
    pty_.CloseMaster();
    char c = 0;
    EXPECT_EQ(ReadBytes(port_, &c, 1), -1);
    char buf[kLineBufferSize];
    const auto start = Clock::now();
    EXPECT_EQ(ReadLine(port_, buf, sizeof buf), nullptr);
    EXPECT_LT(MsSince(start), 200.0);
    EXPECT_EQ(WriteBytes(port_, "$ACT*56\r", 8), -1);
}

TEST_F(SerialPortTest, PortHeldByAnotherOpenerIsRefusedUntilReleased) {
    OpenError error;
    PortHandle second = OpenPort(kPort, map_, &error);
    EXPECT_EQ(second, INVALID_HANDLE_VALUE);
    EXPECT_EQ(error.category, OpenFailure::Busy);
    EXPECT_EQ(error.devicePath, pty_.slavePath());
    EXPECT_NE(error.reason.find(pty_.slavePath()), std::string::npos);

    ClosePort(port_);
    EXPECT_EQ(port_, INVALID_HANDLE_VALUE);
    second = OpenPort(kPort, map_, &error);
    EXPECT_NE(second, INVALID_HANDLE_VALUE) << error.reason;
    ClosePort(second);
}

TEST_F(SerialPortTest, LineSettingsAreRawBoardSettings) {
    termios t{};
    ASSERT_EQ(tcgetattr(port_, &t), 0);
    EXPECT_EQ(cfgetispeed(&t), B38400);
    EXPECT_EQ(cfgetospeed(&t), B38400);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | IGNPAR | PARMRK | ISTRIP | INPCK), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    // Translations would show here: CR and LF arrive as sent, both ways.
    ASSERT_TRUE(pty_.Send("\r\n"));
    EXPECT_EQ(Line(), "\r\n");
    ASSERT_EQ(WriteBytes(port_, "\r\n", 2), 2);
    EXPECT_EQ(pty_.Receive(2), "\r\n");
}

// ---- without a configured port

TEST(SerialPortClosed, NoPortOpenReadsAndWritesNothingAtOnce) {
    char buf[kLineBufferSize] = "stale";
    EXPECT_EQ(ReadBytes(INVALID_HANDLE_VALUE, buf, 10), 0);
    EXPECT_EQ(WriteBytes(INVALID_HANDLE_VALUE, "$ACV*54\r", 8), 0);
    const auto start = Clock::now();
    EXPECT_EQ(ReadLine(INVALID_HANDLE_VALUE, buf, sizeof buf), buf);
    EXPECT_STREQ(buf, "");
    EXPECT_LT(MsSince(start), 50.0);
    PortHandle none = INVALID_HANDLE_VALUE;
    ClosePort(none);
    EXPECT_EQ(none, INVALID_HANDLE_VALUE);
}

TEST(SerialPortOpen, BytesThatArrivedBeforeConfigurationAreDiscarded) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    OpenError error;
    PortHandle port = OpenDevice(pty.slavePath(), &error);
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << error.reason;
    ASSERT_TRUE(pty.Send("$ADD0001,0002,0003,0004*00\nstale"));
    // The terminal has taken the stale bytes once its echo comes back.
    EXPECT_FALSE(pty.Receive(5, 2000).empty());
    ConfigurePort(port);
    ASSERT_TRUE(pty.Send("$VELK\n"));
    char buf[kLineBufferSize];
    EXPECT_STREQ(ReadLine(port, buf, sizeof buf), "$VELK\n");
    ClosePort(port);
}

TEST(SerialPortOpen, ReachesOnlyTerminals) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const auto dir = std::filesystem::path(::testing::TempDir()) / ("velk-open-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto regular = dir / "not-a-terminal";
    std::ofstream(regular) << "x";

    PortMap map(Profile::FromText(test::PortsSection({{1, pty.slavePath()},
                                                       {10, pty.slavePath()},
                                                       {255, pty.slavePath()},
                                                       {20, regular.string()},
                                                       {21, (dir / "missing").string()},
                                                       {22, dir.string()}})));
    // Two- and three-digit ports open exactly as one-digit ones.
    for (int port : {1, 10, 255}) {
        SCOPED_TRACE(port);
        OpenError error;
        PortHandle h = OpenPort(port, map, &error);
        EXPECT_NE(h, INVALID_HANDLE_VALUE) << error.reason;
        EXPECT_EQ(error.category, OpenFailure::None);
        ClosePort(h);
    }
    const struct {
        int port;
        OpenFailure category;
    } failures[] = {
        {20, OpenFailure::NotATerminal},
        {21, OpenFailure::Absent},
        {22, OpenFailure::NotATerminal},
        {2, OpenFailure::NoDevice},    // empty value in the profile
        {0, OpenFailure::NoDevice},
        {256, OpenFailure::NoDevice},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.port);
        OpenError error;
        EXPECT_EQ(OpenPort(f.port, map, &error), INVALID_HANDLE_VALUE);
        EXPECT_EQ(error.category, f.category) << error.reason;
        EXPECT_FALSE(error.reason.empty());
    }
    // Nothing was written into the regular file.
    std::ifstream in(regular);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "x");
    std::filesystem::remove_all(dir);
}

TEST(SerialPortOpen, PermissionFailureNamesTheOwningGroup) {
    // Tests run as root; an unprivileged child shows what a user outside the
    // device's group sees.
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(chmod(pty.slavePath().c_str(), 0660), 0);
    struct stat st {};
    ASSERT_EQ(stat(pty.slavePath().c_str(), &st), 0);
    const group* gr = getgrgid(st.st_gid);
    const std::string groupName = gr != nullptr ? gr->gr_name : std::to_string(st.st_gid);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        OpenError error;
        const PortHandle h = OpenDevice(pty.slavePath(), &error);
        const std::string report = std::string(ToString(error.category)) + "|" + std::to_string(error.error) + "|" + error.reason;
        if (write(fds[1], report.data(), report.size()) < 0) _exit(3);
        _exit(h == INVALID_HANDLE_VALUE ? 0 : 1);
    }
    close(fds[1]);
    std::string report;
    char buf[512];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) report.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << report;
    EXPECT_EQ(report.substr(0, report.find('|')), "permission") << report;
    EXPECT_NE(report.find("|" + std::to_string(EACCES) + "|"), std::string::npos) << report;
    EXPECT_NE(report.find("\"" + groupName + "\""), std::string::npos) << report;
}

}  // namespace
}  // namespace velk
