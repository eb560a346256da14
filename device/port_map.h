// Port number (COM1 to COM255) to device path.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace velk {

class Profile;

inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 255;

class PortMap {
public:
    // Fixed defaults only: COM1-32 /dev/ttyS0-31, COM33-64 /dev/ttyUSB0-31,
    // COM65-96 /dev/ttyACM0-31, COM97-255 no device. They do not shift when
    // adapters come and go.
    PortMap();

    // Defaults overridden by the profile's [Ports] section: key "COMn" (any
    // letter case), value a device path; an empty value means no device.
    explicit PortMap(const Profile& profile);

    // nullopt: the port has no device (or the number is out of range).
    std::optional<std::string> DevicePath(int port) const;

    void Map(int port, std::optional<std::string> devicePath);

    static std::optional<std::string> DefaultDevicePath(int port);

private:
    std::array<std::optional<std::string>, kLastPort + 1> paths_;
};

}  // namespace velk
