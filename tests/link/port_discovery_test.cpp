#include "link/port_discovery.h"

#include <gtest/gtest.h>

namespace kq {
namespace {

TEST(PortDiscoveryTest, ComNamesMapToThePcsOwnPorts) {
  struct Case {
    const char* name;
    const char* path;
  };
#ifdef _WIN32
  // The device namespace reaches every port, COM10 and above too.
  const Case cases[] = {
      {"COM1", "\\\\.\\COM1"},     {"COM9", "\\\\.\\COM9"}, {"COM10", "\\\\.\\COM10"},
      {"COM255", "\\\\.\\COM255"}, {"COM256", "COM256"},    {"COM0", "COM0"},
      {"COM01", "COM01"},          {"com1", "com1"},        {"\\\\.\\COM3", "\\\\.\\COM3"},
  };
#else
  const Case cases[] = {
      {"COM1", "/dev/ttyS0"},
      {"COM8", "/dev/ttyS7"},
      {"COM9", "COM9"},
      {"COM0", "COM0"},
      {"COM10", "COM10"},
      {"com1", "com1"},
      {"/dev/ttyUSB0", "/dev/ttyUSB0"},
      {"/dev/pts/3", "/dev/pts/3"},
      {"COM01", "COM01"},
  };
#endif
  for (const auto& c : cases) EXPECT_EQ(portDevicePath(c.name), c.path) << c.name;
}

TEST(PortDiscoveryTest, ListStartsWithTheEightComPortsThenAdapters) {
  const auto ports = availablePorts();
  ASSERT_GE(ports.size(), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(ports[i], "COM" + std::to_string(i + 1));
  for (std::size_t i = 8; i < ports.size(); ++i) {
#ifdef _WIN32
    EXPECT_TRUE(ports[i].starts_with("COM")) << ports[i];
#else
    EXPECT_TRUE(ports[i].starts_with("/dev/ttyUSB") || ports[i].starts_with("/dev/ttyACM")) << ports[i];
#endif
  }
}

}  // namespace
}  // namespace kq
