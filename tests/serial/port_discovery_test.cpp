#include "serial/port_discovery.h"

#include <gtest/gtest.h>

#include "tests/support/fake_dev.h"

namespace kq {
namespace {

namespace fs = std::filesystem;

TEST(PortDiscoveryTest, AdapterLabelsKeepBusMakerAndModel) {
  struct Case {
    const char* byId;
    const char* device;
    const char* label;
  };
  const Case cases[] = {
      {"usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0", "USB: FTDI FT232R (ttyUSB0)"},
      {"usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0", "ttyUSB1",
       "USB: Silicon Labs CP2102 (ttyUSB1)"},
      {"usb-1a86_USB2.0-Serial-if00-port0", "ttyUSB2", "USB: CH34x (ttyUSB2)"},
      {"usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0", "ttyUSB3", "USB: Prolific (ttyUSB3)"},
      {"usb-FTDI_Dual_RS232-HS-if01-port0", "ttyUSB4", "USB: FTDI Dual RS232-HS (ttyUSB4)"},
      {"usb-Arduino__www.arduino.cc__0043_5583834303435111C1E2-if00", "ttyACM0",
       "USB: Arduino www.arduino.cc 0043 (ttyACM0)"},
      // Nothing but common words: kept rather than left empty.
      {"usb-USB_Serial-if00", "ttyACM1", "USB: USB Serial (ttyACM1)"},
      {"odd", "ttyUSB5", "odd (ttyUSB5)"},
  };
  for (const auto& c : cases) EXPECT_EQ(adapterLabel(c.byId, c.device), c.label) << c.byId;
}

TEST(PortDiscoveryTest, ComPortsThenAdaptersByStableNameElseByPath) {
  test::FakeDev dev;
  for (const char* device : {"ttyUSB0", "ttyUSB1", "ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "tty1"})
    dev.addDevice(device);
  dev.addStableName("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB1");
  dev.addStableName("usb-FTDI_FT232R_USB_UART_ZZZ-if00-port0", "ttyUSB1");  // a second name: ignored
  dev.addStableName("usb-Arduino_Uno_55838343-if00", "ttyACM0");
  dev.addStableName("usb-Gone_Adapter_1234-if00-port0", "ttyUSB7");  // unplugged: link left dangling

  const std::string root = dev.root().string();
  const std::string byId = root + "/serial/by-id/";
  std::vector<PortEntry> expected;
  for (int i = 0; i < 8; ++i)
    expected.push_back({"COM" + std::to_string(i + 1), root + "/ttyS" + std::to_string(i)});
  expected.push_back({"USB: Arduino Uno (ttyACM0)", byId + "usb-Arduino_Uno_55838343-if00"});
  expected.push_back({root + "/ttyUSB0", root + "/ttyUSB0"});
  expected.push_back({"USB: FTDI FT232R (ttyUSB1)", byId + "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"});
  expected.push_back({root + "/ttyUSB2", root + "/ttyUSB2"});
  expected.push_back({root + "/ttyUSB10", root + "/ttyUSB10"});
  EXPECT_EQ(availablePorts(dev.root()), expected);

  // Without a by-id folder, or any /dev at all, the COM ports remain.
  EXPECT_EQ(availablePorts(dev.root() / "missing").size(), 8u);
}

TEST(PortDiscoveryTest, PortNamesOpenTheirDevices) {
  test::FakeDev dev;
  dev.addDevice("ttyUSB0");
  dev.addStableName("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");
  const std::string root = dev.root().string();
  struct Case {
    std::string name;
    std::string path;
  };
  const Case cases[] = {
      {"COM1", root + "/ttyS0"},
      {"COM8", root + "/ttyS7"},
      {"COM9", "COM9"},
      {"COM0", "COM0"},
      {"COM10", "COM10"},
      {"com1", "com1"},
      {"USB: FTDI FT232R (ttyUSB0)", root + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"},
      {"USB: FTDI FT232R (ttyUSB1)", "USB: FTDI FT232R (ttyUSB1)"},  // not present: reported as not found
      {"/dev/ttyUSB0", "/dev/ttyUSB0"},
      {"/dev/pts/3", "/dev/pts/3"},
  };
  for (const auto& c : cases) EXPECT_EQ(portDevicePath(c.name, dev.root()), c.path) << c.name;
  EXPECT_EQ(portDevicePath("COM1"), "/dev/ttyS0");
}

}  // namespace
}  // namespace kq
