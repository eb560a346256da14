// Command frames as the bytes that reach the board, and the receive rules.
#include "device/framing.h"

#include "device/serial_port.h"
#include "tests/support/pty_pair.h"

#include <gtest/gtest.h>

#include <climits>
#include <sys/socket.h>
#include <unistd.h>

namespace velk {
namespace {

using test::PtyPair;

// The program's end of `pty`, opened and configured, with nothing left waiting
// at the board's end; INVALID_HANDLE_VALUE when it does not open.
PortHandle OpenConfigured(const PtyPair& pty) {
    PortHandle port = OpenDevice(pty.slavePath());
    if (port == INVALID_HANDLE_VALUE) return port;
    ConfigurePort(port);
    pty.Drain();
    return port;
}

// The whole catalogue, the three LED levels the checksum table names, and a
// value wider than its field.
struct FrameCase {
    const char* name;
    std::string (*send)(PortHandle);  // sends through SendCommand; returns the expected body
    const char* frame;
};

const FrameCase kFrames[] = {
    {"handshake", [](PortHandle p) { SendCommand(p, "$ACV"); return std::string("$ACV"); }, "$ACV*54\r"},
    {"start", [](PortHandle p) { SendCommand(p, "$ACS%04X", 100); return std::string("$ACS0064"); }, "$ACS0064*53\r"},
    {"stop", [](PortHandle p) { SendCommand(p, "$ACT"); return std::string("$ACT"); }, "$ACT*56\r"},
    {"led0", [](PortHandle p) { SendCommand(p, "$ACL%02X", 0); return std::string("$ACL00"); }, "$ACL00*4E\r"},
    {"led128", [](PortHandle p) { SendCommand(p, "$ACL%02X", 128); return std::string("$ACL80"); }, "$ACL80*46\r"},
    {"led255", [](PortHandle p) { SendCommand(p, "$ACL%02X", 255); return std::string("$ACLFF"); }, "$ACLFF*4E\r"},
    {"write-reset-values",
     [](PortHandle p) {
         SendCommand(p, "$ACW%02X,%02X,%02X,%02X,%04X,%04X,%04X,%04X", 15, 15, 15, 15, 1023, 1023, 1023, 1023);
         return std::string("$ACW0F,0F,0F,0F,03FF,03FF,03FF,03FF");
     },
     "$ACW0F,0F,0F,0F,03FF,03FF,03FF,03FF*79\r"},
    {"write-wide-cap",
     [](PortHandle p) {
         SendCommand(p, "$ACW%02X,%02X,%02X,%02X,%04X,%04X,%04X,%04X", 300, 15, 15, 15, 1023, 1023, 1023, 1023);
         return std::string("$ACW12C,0F,0F,0F,03FF,03FF,03FF,03FF");
     },
     "$ACW12C,0F,0F,0F,03FF,03FF,03FF,03FF*4F\r"},
    {"read", [](PortHandle p) { SendCommand(p, "$ACR"); return std::string("$ACR"); }, "$ACR*50\r"},
    {"reset", [](PortHandle p) { SendCommand(p, "$ACH"); return std::string("$ACH"); }, "$ACH*4A\r"},
    {"offset-off", [](PortHandle p) { SendCommand(p, "$ACO00"); return std::string("$ACO00"); }, "$ACO00*4D\r"},
    {"offset-on", [](PortHandle p) { SendCommand(p, "$ACO01"); return std::string("$ACO01"); }, "$ACO01*4C\r"},
};

TEST(Framing, EveryCatalogueFrameReachesTheBoardAsExactBytes) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    PortHandle port = OpenConfigured(pty);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    for (const auto& c : kFrames) {
        SCOPED_TRACE(c.name);
        c.send(port);
        const std::string expected = c.frame;
        EXPECT_EQ(pty.Receive(expected.size()), expected);
        EXPECT_EQ(pty.Drain(), "");  // nothing after the carriage return, no line feed
    }
    ClosePort(port);
}

TEST(Framing, BodyAndTrailerAreTwoWrites) {
    // A packet socket keeps each write apart, so the reader sees the writes.
    int sv[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sv), 0);
    for (const auto& c : kFrames) {
        SCOPED_TRACE(c.name);
        const std::string body = c.send(sv[0]);
        const std::string frame = c.frame;
        char buf[2048];
        const ssize_t first = recv(sv[1], buf, sizeof buf, MSG_DONTWAIT);
        ASSERT_GT(first, 0);
        EXPECT_EQ(std::string(buf, static_cast<std::size_t>(first)), body);
        const ssize_t second = recv(sv[1], buf, sizeof buf, MSG_DONTWAIT);
        ASSERT_EQ(second, 4);
        EXPECT_EQ(std::string(buf, 4), frame.substr(body.size()));
        EXPECT_EQ(recv(sv[1], buf, sizeof buf, MSG_DONTWAIT), -1);  // and nothing more
    }
    close(sv[0]);
    close(sv[1]);
}

TEST(Framing, BodyThatDoesNotFitIsNotSentAtAll) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    PortHandle port = OpenConfigured(pty);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);

    const std::string longest = "$AC" + std::string(kCommandBufferSize - 4, 'Z');  // 1023 characters
    EXPECT_TRUE(SendCommand(port, "%s", longest.c_str()));
    const std::string frame = longest + FrameTrailer(longest);
    EXPECT_EQ(pty.Receive(frame.size()), frame);

    EXPECT_FALSE(SendCommand(port, "%sZ", longest.c_str()));
    EXPECT_FALSE(FormatFrame("%sZ", longest.c_str()).has_value());
    ASSERT_TRUE(SendCommand(port, "$ACT"));  // the next frame arrives alone
    EXPECT_EQ(pty.Receive(8), "$ACT*56\r");
    ClosePort(port);
}

TEST(Framing, ChecksumCoversTheBodyAfterTheDollarSign) {
    EXPECT_EQ(Checksum("$ACV"), 0x54);
    EXPECT_EQ(Checksum("ACV"), 0x54);        // a leading "$" is left out, nothing else
    EXPECT_EQ(Checksum("$$ACV"), 0x54 ^ '$');
    EXPECT_EQ(Checksum(""), 0);
    EXPECT_EQ(Checksum(std::string_view("$AC\0V", 5)), 'A' ^ 'C');  // stops at a NUL
    EXPECT_EQ(FrameTrailer("$ACS0064"), "*53\r");
    EXPECT_EQ(FormatFrame("$ACL%02X", 255).value(), "$ACLFF*4E\r");
    // Handshake frame as bytes.
    const std::string v = FormatFrame("$ACV").value();
    EXPECT_EQ(std::vector<unsigned char>(v.begin(), v.end()),
              (std::vector<unsigned char>{0x24, 0x41, 0x43, 0x56, 0x2A, 0x35, 0x34, 0x0D}));
}

TEST(Framing, ClosedPortDropsCommandsQuietly) {
    EXPECT_FALSE(SendCommand(INVALID_HANDLE_VALUE, "$ACL%02X", 10));
}

// ---- receive rules

TEST(ReceiveRules, HandshakeReplyIsTheFirstFiveCharacters) {
    const struct {
        const char* line;
        bool ok;
    } cases[] = {
        {"$VELK\n", true},      {"$VELK", true},  {"$VELKxyz anything", true}, {"$VEL", false},
        {"", false},            {"\n", false},    {"$velk\n", false},          {"$ACV*54\r", false},
        {"$ADD0001,0002,0003,0004*00\n", false},  {" $VELK\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(IsHandshakeReply(c.line), c.ok);
    }
    EXPECT_FALSE(IsHandshakeReply(nullptr));
}

TEST(ReceiveRules, ClassificationByExactPrefix) {
    const struct {
        const char* line;
        LineKind kind;
    } cases[] = {
        {"$ADD0001,0002,0003,0004*00\n", LineKind::Reading},
        {"$ADD", LineKind::Reading},
        {"$ADDR0001", LineKind::Reading},  // a reading line is never tried as a parameter line
        {"$ADR0F,0F,0F,0F,03FF,03FF,03FF,03FF,00,00,00,00*00\n", LineKind::Parameters},
        {"$ADR", LineKind::Parameters},
        {"$add0001,0002,0003,0004*00\n", LineKind::Other},
        {"$ADd0001", LineKind::Other},
        {"$AD", LineKind::Other},
        {"", LineKind::Other},
        {" $ADD0001", LineKind::Other},
        {"$VELK\n", LineKind::Other},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Classify(c.line), c.kind);
    }
    EXPECT_EQ(Classify(nullptr), LineKind::Other);
}

struct ReadingCase {
    const char* line;
    int filled;  // checksum included
    std::optional<std::array<std::int32_t, 4>> levels;
};

TEST(ReceiveRules, ReadingLines) {
    using L = std::array<std::int32_t, 4>;
    const ReadingCase cases[] = {
        {"$ADD0100,0200,0300,03FF*12\n", 5, L{256, 512, 768, 1023}},
        {"$ADD0100,0200,0300,03FF*ZZ\n", 4, L{256, 512, 768, 1023}},  // checksum never checked
        {"$ADD0100,0200,0300,03FF\n", 4, L{256, 512, 768, 1023}},     // no "*" part at all
        {"$ADDa,B,c,D*0", 5, L{10, 11, 12, 13}},                      // digits of either case
        {"$ADD0x1F,0X20,0x0,0*0", 5, L{31, 32, 0, 0}},
        {"$ADD 1,\t2,\n3,  4*5", 5, L{1, 2, 3, 4}},  // white space before a field
        {"$ADD1,2,3,4 *5", 4, L{1, 2, 3, 4}},          // but not before the "*"
        {"$ADD-5,FFFFFFFB,+7,80000000*0", 5, L{-5, -5, 7, INT_MIN}},
        {"$ADD7FFFFFFF,FFFFFFFF,0,0*0", 5, L{INT_MAX, -1, 0, 0}},
        {"$ADD1,2,3,4xyz", 4, L{1, 2, 3, 4}},  // parsing stops at what does not fit
        {"$ADD1 ,2,3,4*0", 1, std::nullopt},   // "," must follow the digits at once
        {"$ADD1,2,3\n", 3, std::nullopt},
        {"$ADD1,2,3,*0", 3, std::nullopt},
        {"$ADD", 0, std::nullopt},
        {"$ADD\n", 0, std::nullopt},
        {"$ADDG,1,2,3", 0, std::nullopt},
        {"$add1,2,3,4*0", 0, std::nullopt},
        {"$ADR1,2,3,4*0", 0, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(ScanReadingLine(c.line).filled, c.filled);
        const auto reading = ParseReadingLine(c.line);
        ASSERT_EQ(reading.has_value(), c.levels.has_value());
        if (reading) {
            EXPECT_EQ((std::array<std::int32_t, 4>{reading->red, reading->green, reading->blue, reading->clear}),
                      *c.levels);
        }
    }
    EXPECT_EQ(ScanReadingLine("$ADD-5,0,0,0").raw[0], 0xFFFFFFFBu);
    EXPECT_FALSE(ParseReadingLine(nullptr).has_value());
}

TEST(ReceiveRules, ParameterLines) {
    const auto full = ParseParameterLine("$ADR0F,0E,0D,0C,03FF,0200,0001,0000,05,-5,FFFFFFFB,0x10*3A\n");
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(full->cap, (std::array<std::uint32_t, 4>{15, 14, 13, 12}));
    EXPECT_EQ(full->integration, (std::array<std::uint32_t, 4>{1023, 512, 1, 0}));
    EXPECT_EQ(full->offset, (std::array<std::int32_t, 4>{5, -5, -5, 16}));

    const auto noChecksum = ParseParameterLine("$ADR1,2,3,4,5,6,7,8,9,A,B,C");
    ASSERT_TRUE(noChecksum.has_value());
    EXPECT_EQ(noChecksum->offset[3], 12);

    const struct {
        const char* line;
        int filled;
    } shortLines[] = {
        {"$ADR1,2,3,4,5,6,7,8,9,A,B*00\n", 11},
        {"$ADR1,2,3,4*00\n", 4},
        {"$ADR\n", 0},
        {"$ADRx", 0},
        {"$ADD1,2,3,4,5,6,7,8,9,A,B,C*0", 0},
    };
    for (const auto& c : shortLines) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(ScanParameterLine(c.line).filled, c.filled);
        EXPECT_FALSE(ParseParameterLine(c.line).has_value());
    }
    EXPECT_EQ(ScanParameterLine("$ADR1,2,3,4,5,6,7,8,9,A,B,C*3F").filled, 13);
}

}  // namespace
}  // namespace velk
