#include "device/port_map.h"

#include "platform/profile.h"

#include <utility>

namespace velk {

PortMap::PortMap() {
    for (int port = kFirstPort; port <= kLastPort; ++port) paths_[static_cast<std::size_t>(port)] = DefaultDevicePath(port);
}

PortMap::PortMap(const Profile& profile) : PortMap() {
    for (int port = kFirstPort; port <= kLastPort; ++port) {
        const auto value = profile.GetString("Ports", "COM" + std::to_string(port));
        if (!value) continue;
        Map(port, value->empty() ? std::nullopt : std::optional<std::string>(*value));
    }
}

std::optional<std::string> PortMap::DevicePath(int port) const {
    if (port < kFirstPort || port > kLastPort) return std::nullopt;
    return paths_[static_cast<std::size_t>(port)];
}

void PortMap::Map(int port, std::optional<std::string> devicePath) {
    if (port < kFirstPort || port > kLastPort) return;
    if (devicePath && devicePath->empty()) devicePath.reset();
    paths_[static_cast<std::size_t>(port)] = std::move(devicePath);
}

std::optional<std::string> PortMap::DefaultDevicePath(int port) {
    if (port >= 1 && port <= 32) return "/dev/ttyS" + std::to_string(port - 1);
    if (port >= 33 && port <= 64) return "/dev/ttyUSB" + std::to_string(port - 33);
    if (port >= 65 && port <= 96) return "/dev/ttyACM" + std::to_string(port - 65);
    return std::nullopt;
}

}  // namespace velk
