#include "device/port_map.h"

#include "platform/profile.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

TEST(PortMap, FixedDefaultsByNumberRange) {
    const struct {
        int port;
        std::optional<std::string> path;
    } cases[] = {
        {1, "/dev/ttyS0"},     {32, "/dev/ttyS31"},   {33, "/dev/ttyUSB0"}, {64, "/dev/ttyUSB31"},
        {65, "/dev/ttyACM0"},  {96, "/dev/ttyACM31"}, {97, std::nullopt},   {255, std::nullopt},
        {0, std::nullopt},     {256, std::nullopt},   {-1, std::nullopt},
    };
    const PortMap map;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        EXPECT_EQ(map.DevicePath(c.port), c.path);
    }
}

TEST(PortMap, ProfileEntriesOverrideWithoutRegardToCase) {
    const PortMap map(Profile::FromText("[ports]\n"
                                        "com5=/dev/serial/by-id/usb-board-if00\n"
                                        "Com33=\n"
                                        "COM200=/dev/pts/9\n"
                                        "COM256=/dev/pts/1\n"
                                        "COM7x=/dev/pts/2\n"
                                        "[Other]\n"
                                        "COM6=/dev/pts/3\n"));
    EXPECT_EQ(map.DevicePath(5), "/dev/serial/by-id/usb-board-if00");
    EXPECT_EQ(map.DevicePath(33), std::nullopt);  // empty value: no device at all
    EXPECT_EQ(map.DevicePath(200), "/dev/pts/9");
    EXPECT_EQ(map.DevicePath(6), "/dev/ttyS5");   // other sections do not count
    EXPECT_EQ(map.DevicePath(7), "/dev/ttyS6");
    EXPECT_EQ(map.DevicePath(256), std::nullopt);
}

}  // namespace
}  // namespace velk
