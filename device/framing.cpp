#include "device/framing.h"

#include <bit>
#include <cstdio>
#include <cstring>

namespace velk {
namespace {

// Formats a body into buf; its length, or -1 when it does not fit.
int FormatBody(char (&buf)[kCommandBufferSize], const char* format, va_list args) {
    if (format == nullptr) return -1;
    const int n = std::vsnprintf(buf, sizeof buf, format, args);
    if (n < 0 || n >= kCommandBufferSize) return -1;
    return n;
}

// sscanf returns EOF when the line ends before the first conversion.
int Filled(int scanned) { return scanned < 0 ? 0 : scanned; }

}  // namespace

std::uint8_t Checksum(std::string_view body) {
    std::uint8_t sum = 0;
    std::size_t i = (!body.empty() && body.front() == '$') ? 1 : 0;
    for (; i < body.size() && body[i] != '\0'; ++i) sum ^= static_cast<std::uint8_t>(body[i]);
    return sum;
}

std::string FrameTrailer(std::string_view body) {
    char trailer[8];
    std::snprintf(trailer, sizeof trailer, "*%02X\r", static_cast<unsigned>(Checksum(body)));
    return trailer;
}

bool SendCommandV(PortHandle port, const char* format, va_list args) {
    char body[kCommandBufferSize];
    const int length = FormatBody(body, format, args);
    if (length < 0) return false;  // never send a command cut short
    const std::string trailer = FrameTrailer(std::string_view(body, static_cast<std::size_t>(length)));
    const int wroteBody = WriteBytes(port, body, length);
    const int wroteTrailer = WriteBytes(port, trailer.data(), static_cast<int>(trailer.size()));
    return wroteBody == length && wroteTrailer == static_cast<int>(trailer.size());
}

bool SendCommand(PortHandle port, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const bool sent = SendCommandV(port, format, args);
    va_end(args);
    return sent;
}

std::optional<std::string> FormatFrame(const char* format, ...) {
    char body[kCommandBufferSize];
    va_list args;
    va_start(args, format);
    const int length = FormatBody(body, format, args);
    va_end(args);
    if (length < 0) return std::nullopt;
    std::string frame(body, static_cast<std::size_t>(length));
    frame += FrameTrailer(frame);
    return frame;
}

bool IsHandshakeReply(const char* line) { return line != nullptr && std::strncmp(line, "$VELK", 5) == 0; }
bool IsReadingLine(const char* line) { return line != nullptr && std::strncmp(line, "$ADD", 4) == 0; }
bool IsParameterLine(const char* line) { return line != nullptr && std::strncmp(line, "$ADR", 4) == 0; }

LineKind Classify(const char* line) {
    if (IsReadingLine(line)) return LineKind::Reading;
    if (IsParameterLine(line)) return LineKind::Parameters;
    return LineKind::Other;
}

// glibc converts each %x as strtoul does and stores the result modulo 2^32,
// so "-5" and "FFFFFFFB" give the same bits.
ReadingScan ScanReadingLine(const char* line) {
    ReadingScan scan;
    if (line == nullptr) return scan;
    unsigned int f[kReadingFields + 1] = {};
    scan.filled = Filled(std::sscanf(line, "$ADD%x,%x,%x,%x*%x", &f[0], &f[1], &f[2], &f[3], &f[4]));
    for (std::size_t i = 0; i < scan.raw.size(); ++i) scan.raw[i] = f[i];
    return scan;
}

ParameterScan ScanParameterLine(const char* line) {
    ParameterScan scan;
    if (line == nullptr) return scan;
    unsigned int f[kParameterFields + 1] = {};
    scan.filled = Filled(std::sscanf(line, "$ADR%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x*%x", &f[0], &f[1], &f[2], &f[3],
                                     &f[4], &f[5], &f[6], &f[7], &f[8], &f[9], &f[10], &f[11], &f[12]));
    for (std::size_t i = 0; i < scan.raw.size(); ++i) scan.raw[i] = f[i];
    return scan;
}

std::optional<Reading> ParseReadingLine(const char* line) {
    if (!IsReadingLine(line)) return std::nullopt;
    const ReadingScan scan = ScanReadingLine(line);
    if (scan.filled < kReadingFields) return std::nullopt;
    return Reading{std::bit_cast<std::int32_t>(scan.raw[0]), std::bit_cast<std::int32_t>(scan.raw[1]),
                   std::bit_cast<std::int32_t>(scan.raw[2]), std::bit_cast<std::int32_t>(scan.raw[3])};
}

std::optional<ParameterLine> ParseParameterLine(const char* line) {
    if (!IsParameterLine(line)) return std::nullopt;
    const ParameterScan scan = ScanParameterLine(line);
    if (scan.filled < kParameterFields) return std::nullopt;
    ParameterLine p;
    for (std::size_t i = 0; i < 4; ++i) {
        p.cap[i] = scan.raw[i];
        p.integration[i] = scan.raw[4 + i];
        p.offset[i] = std::bit_cast<std::int32_t>(scan.raw[8 + i]);
    }
    return p;
}

}  // namespace velk
