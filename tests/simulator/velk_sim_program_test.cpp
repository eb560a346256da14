// velk-sim as a user starts it: path on standard output, a board on it,
// gone on SIGTERM.
#include "device/framing.h"
#include "device/serial_port.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace velk {
namespace {

struct Child {
    pid_t pid = -1;
    FILE* out = nullptr;
};

Child Spawn(std::vector<std::string> args) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv;
        std::string program = VELK_SIM_PROGRAM;
        argv.push_back(program.data());
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    return {pid, fdopen(fds[0], "r")};
}

int Wait(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string ReadAll(FILE* f) {
    std::string text;
    char buf[512];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    return text;
}

TEST(VelkSimProgram, HelpAndBadOptions) {
    Child help = Spawn({"--help"});
    ASSERT_GT(help.pid, 0);
    const std::string text = ReadAll(help.out);
    fclose(help.out);
    EXPECT_EQ(Wait(help.pid), 0);
    for (const char* option : {"--link", "--log", "--drift", "--silent", "--hang-up-after", "--byte-gap", "--seed"}) {
        SCOPED_TRACE(option);
        EXPECT_NE(text.find(option), std::string::npos);
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--byte-gap", "soon"}, {"--target", "1,2,3"}, {"--bogus"}, {"--seed"}}) {
        SCOPED_TRACE(args.front());
        Child bad = Spawn(args);
        ASSERT_GT(bad.pid, 0);
        EXPECT_EQ(ReadAll(bad.out), "");  // no device path: nothing started
        fclose(bad.out);
        EXPECT_EQ(Wait(bad.pid), 2);
    }
}

TEST(VelkSimProgram, AnswersOnThePrintedPathUntilTerminated) {
    Child sim = Spawn({"--drift", "--seed", "3", "--noise=0"});  // "--drift" alone: the default speed
    ASSERT_GT(sim.pid, 0);
    char pathLine[256] = {};
    ASSERT_NE(fgets(pathLine, sizeof pathLine, sim.out), nullptr);
    std::string path(pathLine);
    ASSERT_FALSE(path.empty());
    path.pop_back();

    PortHandle port = OpenDevice(path);
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << path;
    ConfigurePort(port);
    SendCommand(port, "$ACV");
    char line[kLineBufferSize];
    ASSERT_NE(ReadLine(port, line, sizeof line), nullptr);
    EXPECT_TRUE(IsHandshakeReply(line));
    ReadLine(port, line, sizeof line);
    ReadLine(port, line, sizeof line);

    auto nextReading = [&] {
        for (int i = 0; i < 20; ++i) {
            if (ReadLine(port, line, sizeof line) == nullptr) break;
            if (auto r = ParseReadingLine(line)) return *r;
        }
        ADD_FAILURE() << "no reading";
        return Reading{};
    };
    SendCommand(port, "$ACL%02X", 40);
    SendCommand(port, "$ACS%04X", 10);
    const Reading dim = nextReading();
    SendCommand(port, "$ACL%02X", 200);
    nextReading();  // one that may have been on its way
    const Reading bright = nextReading();
    EXPECT_GT(bright.green, dim.green * 3);
    SendCommand(port, "$ACW%02X,%02X,%02X,%02X,%04X,%04X,%04X,%04X", 7, 15, 15, 15, 1023, 1023, 1023, 1023);
    nextReading();
    const Reading lowCap = nextReading();
    EXPECT_NEAR(lowCap.red, bright.red / 2.0, 3.0);  // CAP 7 of 15: half the gain
    SendCommand(port, "$ACT");
    ClosePort(port);

    ASSERT_EQ(kill(sim.pid, SIGTERM), 0);
    EXPECT_EQ(Wait(sim.pid), 0);
    fclose(sim.out);
}

}  // namespace
}  // namespace velk
