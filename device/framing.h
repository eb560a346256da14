// Command frames to the board and the rules by which its lines are read.
#pragma once

#include <array>
#include <cstdarg>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/serial_port.h"

namespace velk {

// Size of the buffer a command body is formatted into; a body needs at most
// kCommandBufferSize - 1 characters.
inline constexpr int kCommandBufferSize = 1024;

// XOR of the body's characters, the first left out when it is "$".
std::uint8_t Checksum(std::string_view body);

// The frame's trailer for a body: "*%02X\r".
std::string FrameTrailer(std::string_view body);

// Formats the body, then writes it and its trailer as two writes. A body that
// does not fit the buffer is not sent at all. True when both writes took all
// their bytes (the main window ignores it, as a board gives no answer anyway).
bool SendCommand(PortHandle port, const char* format, ...) __attribute__((format(printf, 2, 3)));
bool SendCommandV(PortHandle port, const char* format, va_list args) __attribute__((format(printf, 2, 0)));

// The whole frame as it goes out, body and trailer; nullopt when the body
// does not fit. For a board (or a tool) that needs the bytes, not a port.
std::optional<std::string> FormatFrame(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- Receive rules: exact, case-sensitive prefix tests on the first
// characters only. A null line never matches.
bool IsHandshakeReply(const char* line);  // "$VELK"
bool IsReadingLine(const char* line);     // "$ADD"
bool IsParameterLine(const char* line);   // "$ADR"

enum class LineKind { Reading, Parameters, Other };
// Reading before parameters: a "$ADD" line is never tried as a parameter line.
LineKind Classify(const char* line);

inline constexpr int kReadingFields = 4;
inline constexpr int kParameterFields = 12;

// sscanf with "$ADD%x,%x,%x,%x*%x": the raw 32-bit fields (red, green, blue,
// clear, checksum) and the number of fields filled, checksum included.
struct ReadingScan {
    std::array<std::uint32_t, kReadingFields + 1> raw{};
    int filled = 0;
};
ReadingScan ScanReadingLine(const char* line);

// sscanf with "$ADR%x,...(twelve)...*%x": CAP red..clear, INT red..clear,
// OFFSET red..clear, checksum.
struct ParameterScan {
    std::array<std::uint32_t, kParameterFields + 1> raw{};
    int filled = 0;
};
ParameterScan ScanParameterLine(const char* line);

// The four levels, each the field's 32 bits read as signed.
struct Reading {
    std::int32_t red = 0;
    std::int32_t green = 0;
    std::int32_t blue = 0;
    std::int32_t clear = 0;
};

// Register order everywhere: red, green, blue, clear.
struct ParameterLine {
    std::array<std::uint32_t, 4> cap{};
    std::array<std::uint32_t, 4> integration{};  // INT
    std::array<std::int32_t, 4> offset{};
};

// A line that yields fewer fields than its format (the checksum not counted)
// is not applied: nullopt. Neither the checksum nor its presence is checked.
std::optional<Reading> ParseReadingLine(const char* line);
std::optional<ParameterLine> ParseParameterLine(const char* line);

}  // namespace velk
