#include "link/port_discovery.h"

#include <gtest/gtest.h>

namespace kq {
namespace {

TEST(PortDiscoveryTest, ComNamesMapToThePcsOwnPorts) {
  struct Case {
    const char* name;
    const char* path;
  };
  const Case cases[] = {
      {"COM1", "/dev/ttyS0"},
      {"COM8", "/dev/ttyS7"},
      {"COM9", "COM9"},
      {"COM0", "COM0"},
      {"COM10", "COM10"},
      {"com1", "com1"},
      {"/dev/ttyUSB0", "/dev/ttyUSB0"},
      {"/dev/pts/3", "/dev/pts/3"},
  };
  for (const auto& c : cases) EXPECT_EQ(portDevicePath(c.name), c.path) << c.name;
}

TEST(PortDiscoveryTest, ListStartsWithTheEightComPortsThenAdapters) {
  const auto ports = availablePorts();
  ASSERT_GE(ports.size(), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(ports[i], "COM" + std::to_string(i + 1));
  for (std::size_t i = 8; i < ports.size(); ++i) {
    EXPECT_TRUE(ports[i].starts_with("/dev/ttyUSB") || ports[i].starts_with("/dev/ttyACM")) << ports[i];
  }
}

}  // namespace
}  // namespace kq
