// The serial channel to the board on POSIX termios. A port is a plain file
// descriptor; the caller holds it (the main window keeps it in m_hPort).
#pragma once

#include <string>

namespace velk {

class PortMap;

using PortHandle = int;
inline constexpr PortHandle INVALID_HANDLE_VALUE = -1;

// Buffer size both line readers of the program pass to ReadLine.
inline constexpr int kLineBufferSize = 256;

enum class OpenFailure {
    None,
    NoDevice,      // the port number maps to no device
    Absent,        // no such node, or a node with no hardware behind it
    Busy,          // another opener holds the port
    Permission,    // the user may not open the device
    NotATerminal,  // the path exists but is not a terminal
    IoError,       // anything else
};

struct OpenError {
    OpenFailure category = OpenFailure::None;
    std::string devicePath;  // empty when the port maps to no device
    int error = 0;           // errno where the failure happened, 0 if none
    std::string reason;      // one human-readable sentence
};

const char* ToString(OpenFailure category);

// Opens COMn as mapped for exclusive use. INVALID_HANDLE_VALUE on failure,
// with the details in *error when given.
PortHandle OpenPort(int port, const PortMap& map, OpenError* error = nullptr);

// The same for a device path.
PortHandle OpenDevice(const std::string& devicePath, OpenError* error = nullptr);

// Line settings of the board (raw 38400 8N1, no flow control, DTR and RTS
// inactive) and both queues emptied. Failures are ignored: the port is used
// with whatever settings it took.
void ConfigurePort(PortHandle port);

// Waits at most 10 ms for count bytes, then returns what arrived: the count
// (possibly 0), or -1 on an error or a hang-up. 0 at once without a system
// call when the port is INVALID_HANDLE_VALUE.
int ReadBytes(PortHandle port, void* buffer, int count);

// Writes all bytes: count, or -1 on an error (or when the far end takes
// nothing for a long time). 0 when the port is INVALID_HANDLE_VALUE.
int WriteBytes(PortHandle port, const void* buffer, int count);

// Reads one line of at most size - 1 characters with size - 1 one-byte
// attempts of ReadBytes; the line feed stays in the line. Returns buffer
// (NUL-terminated, possibly empty or cut) or nullptr when a read failed.
// size must be at least 1.
char* ReadLine(PortHandle port, char* buffer, int size);

// Closes the port if open and sets the handle to INVALID_HANDLE_VALUE.
void ClosePort(PortHandle& port);

}  // namespace velk
