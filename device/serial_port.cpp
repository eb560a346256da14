#include "device/serial_port.h"

#include "device/port_map.h"
#include "platform/unique_fd.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace velk {
namespace {

using Clock = std::chrono::steady_clock;

// One read attempt waits at most this long for its bytes.
constexpr auto kReadTimeout = std::chrono::milliseconds(10);
// A write that cannot hand a single byte to the driver for this long has a
// dead far end (a serial line at 38400 bit/s drains 1024 bytes in 0.3 s);
// without a limit the window would hang for good.
constexpr auto kWriteStall = std::chrono::seconds(2);

timespec ToTimespec(Clock::duration d) {
    if (d < Clock::duration::zero()) d = Clock::duration::zero();
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(d);
    const auto nsecs = std::chrono::duration_cast<std::chrono::nanoseconds>(d - secs);
    return timespec{static_cast<time_t>(secs.count()), static_cast<long>(nsecs.count())};
}

// ppoll on one descriptor until the deadline; EINTR recomputes the wait.
// Returns the revents (0 on time-out) or -1 on an error.
int WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const timespec ts = ToTimespec(deadline - Clock::now());
        const int r = ::ppoll(&p, 1, &ts, nullptr);
        if (r > 0) return p.revents;
        if (r == 0) return 0;
        if (errno != EINTR) return -1;
    }
}

std::string GroupOwning(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    std::vector<char> buf(4096);
    group gr{};
    group* result = nullptr;
    while (::getgrgid_r(st.st_gid, &gr, buf.data(), buf.size(), &result) == ERANGE && buf.size() < (1u << 20))
        buf.resize(buf.size() * 2);
    if (result == nullptr) return std::to_string(st.st_gid);
    return result->gr_name;
}

PortHandle Fail(OpenError* error, OpenFailure category, const std::string& path, int err, std::string reason) {
    if (error != nullptr) {
        error->category = category;
        error->devicePath = path;
        error->error = err;
        error->reason = std::move(reason);
    }
    return INVALID_HANDLE_VALUE;
}

PortHandle FailErrno(OpenError* error, const std::string& path, int err, const char* step) {
    const std::string what = std::string(step) + " " + path + ": " + std::strerror(err);
    switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return Fail(error, OpenFailure::Absent, path, err, "no device at " + path + " (" + std::strerror(err) + ")");
    case EBUSY:
    case EWOULDBLOCK:
        return Fail(error, OpenFailure::Busy, path, err, path + " is in use by another program");
    case EACCES:
    case EPERM: {
        const std::string group = GroupOwning(path);
        std::string reason = what;
        reason += group.empty()
                      ? "; the user must belong to the group that owns the device, usually \"dialout\""
                      : "; the user must belong to the group that owns the device, \"" + group +
                            "\" (sudo usermod -aG " + group + " $USER, then log in again)";
        return Fail(error, OpenFailure::Permission, path, err, std::move(reason));
    }
    case ENOTTY:
    case EISDIR:
        return Fail(error, OpenFailure::NotATerminal, path, err, path + " is not a terminal");
    default:
        return Fail(error, OpenFailure::IoError, path, err, what);
    }
}

}  // namespace

const char* ToString(OpenFailure category) {
    switch (category) {
    case OpenFailure::None: return "none";
    case OpenFailure::NoDevice: return "no device";
    case OpenFailure::Absent: return "absent";
    case OpenFailure::Busy: return "busy";
    case OpenFailure::Permission: return "permission";
    case OpenFailure::NotATerminal: return "not a terminal";
    case OpenFailure::IoError: return "I/O error";
    }
    return "unknown";
}

PortHandle OpenPort(int port, const PortMap& map, OpenError* error) {
    const auto path = map.DevicePath(port);
    if (!path)
        return Fail(error, OpenFailure::NoDevice, {}, 0, "COM" + std::to_string(port) + " has no device");
    return OpenDevice(*path, error);
}

PortHandle OpenDevice(const std::string& path, OpenError* error) {
    if (error != nullptr) *error = OpenError{};
    // Non-blocking: a port with modem control must not wait for a carrier,
    // and every read and write waits with poll() on a deadline anyway.
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return FailErrno(error, path, errno, "cannot open");

    // A mapping to a regular file or a pipe must never receive commands.
    if (!::isatty(fd.get())) return FailErrno(error, path, ENOTTY, "cannot use");

    // flock is what keeps out a second opener running as root.
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        return FailErrno(error, path, errno, "cannot lock");
    }
    // Keeps out other non-root openers that do not take the lock; some
    // drivers do not know it.
    (void)::ioctl(fd.get(), TIOCEXCL);

    // A serial node without a UART behind it opens but does nothing: fail at
    // once, as an absent port does.
    serial_struct serial{};
    if (::ioctl(fd.get(), TIOCGSERIAL, &serial) == 0 && serial.type == PORT_UNKNOWN)
        return Fail(error, OpenFailure::Absent, path, ENODEV, "no hardware behind " + path);
    termios tio{};
    if (::tcgetattr(fd.get(), &tio) != 0) {
        const int err = errno;
        if (err == EIO) return Fail(error, OpenFailure::Absent, path, err, "no hardware behind " + path + " (" + std::strerror(err) + ")");
        return FailErrno(error, path, err, "cannot read the settings of");
    }
    return fd.release();
}

void ConfigurePort(PortHandle port) {
    if (port == INVALID_HANDLE_VALUE) return;
    termios tio{};
    if (::tcgetattr(port, &tio) == 0) {
        ::cfmakeraw(&tio);
        // Bytes with line errors and NUL bytes pass unchanged; nothing is
        // translated; no software flow control.
        tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR |
                                              ICRNL | IXON | IXOFF | IXANY | IMAXBEL);
        tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        tio.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHOE | ECHOK | ECHONL | ISIG | IEXTEN);
        // 8N1, receiver on, modem lines ignored, no RTS/CTS. HUPCL stays on:
        // DTR and RTS are inactive while we hold the port and should stay so
        // after we let it go.
        tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
        tio.c_cflag |= CS8 | CREAD | CLOCAL | HUPCL;
        // Reads return at once with what is there; the 10 ms wait is poll's.
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        ::cfsetispeed(&tio, B38400);
        ::cfsetospeed(&tio, B38400);
        (void)::tcsetattr(port, TCSANOW, &tio);
    }
    // DTR and RTS inactive; a pseudo-terminal answers ENOTTY.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)::ioctl(port, TIOCMBIC, &lines);
    // No queue sizes to set: the kernel keeps its own (4 KiB and more per
    // direction, and the line discipline's buffer), enough for what the board
    // sends between two polls.
    (void)::tcflush(port, TCIOFLUSH);
}

int ReadBytes(PortHandle port, void* buffer, int count) {
    if (port == INVALID_HANDLE_VALUE || count <= 0) return 0;
    if (buffer == nullptr) return -1;
    auto* out = static_cast<unsigned char*>(buffer);
    const auto deadline = Clock::now() + kReadTimeout;
    int got = 0;
    bool saidReadable = false;
    while (got < count) {
        // Read first: a byte that is already waiting costs one system call.
        const ssize_t n = ::read(port, out + got, static_cast<std::size_t>(count - got));
        if (n > 0) {
            got += static_cast<int>(n);
            saidReadable = false;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return -1;  // EIO: the far end is gone
        // Readable but nothing to read: end of the line.
        if (n == 0 && saidReadable) return -1;
        // In raw mode with VMIN = VTIME = 0 an empty queue reads 0 like a
        // closed line does; the wait tells them apart.
        const int revents = WaitFor(port, POLLIN, deadline);
        if (revents < 0) return -1;
        if (revents == 0) break;  // time-out: what has arrived is the answer
        // A pulled adapter or a closed far end shows as a hang-up.
        if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return -1;
        saidReadable = true;
    }
    return got;
}

int WriteBytes(PortHandle port, const void* buffer, int count) {
    if (port == INVALID_HANDLE_VALUE || count <= 0) return 0;
    if (buffer == nullptr) return -1;
    const auto* in = static_cast<const unsigned char*>(buffer);
    int done = 0;
    auto deadline = Clock::now() + kWriteStall;
    while (done < count) {
        const ssize_t n = ::write(port, in + done, static_cast<std::size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            deadline = Clock::now() + kWriteStall;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return -1;
        const int revents = WaitFor(port, POLLOUT, deadline);
        if (revents <= 0) return -1;  // error, or no progress within the stall limit
        if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return -1;
    }
    return done;
}

char* ReadLine(PortHandle port, char* buffer, int size) {
    if (buffer == nullptr || size < 1) return nullptr;
    int length = 0;
    // Every attempt counts, whether it brings a byte or times out.
    for (int attempt = 0; attempt < size - 1; ++attempt) {
        char c = 0;
        const int n = ReadBytes(port, &c, 1);
        if (n < 0) return nullptr;
        if (n == 0) continue;
        buffer[length++] = c;
        if (c == '\n') break;
    }
    buffer[length] = '\0';
    return buffer;
}

void ClosePort(PortHandle& port) {
    if (port == INVALID_HANDLE_VALUE) return;
    // The exclusive flag belongs to the terminal, not to our descriptor: if
    // someone else still holds the terminal (a simulator holding its pseudo-
    // terminal, say), it would keep every later opener out.
    (void)::ioctl(port, TIOCNXCL);
    ::close(port);
    port = INVALID_HANDLE_VALUE;
}

}  // namespace velk
