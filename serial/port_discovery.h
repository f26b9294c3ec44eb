#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kq {

// One entry of the port selector: the text shown and the device it opens.
struct PortEntry {
  std::string label;
  std::string path;

  bool operator==(const PortEntry&) const = default;
};

// What the port selector offers, read from `devRoot` (tests pass a folder of
// their own): "COM1" to "COM8", then every serial adapter present, ordered by
// device name. An adapter with a stable name under serial/by-id is listed once
// under that name, shortened ("USB: FTDI FT232R (ttyUSB0)"), and opens through
// it; a ttyUSB or ttyACM device without one is listed by its path.
std::vector<PortEntry> availablePorts(const std::filesystem::path& devRoot = "/dev");

// The shortened label of a serial/by-id name for the device `deviceName`
// ("ttyUSB0"): bus, maker and model, without serial number, interface and
// words every adapter carries.
std::string adapterLabel(std::string_view byIdName, std::string_view deviceName);

// The device a port name opens: "COM1" to "COM8" name the PC's own serial
// ports, the label of an adapter present names that adapter, any other text
// is taken as a device path.
std::string portDevicePath(std::string_view portName, const std::filesystem::path& devRoot = "/dev");

}  // namespace kq
