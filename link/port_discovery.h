#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kq {

// The names the port selector offers: "COM1" to "COM8" always, then every
// USB and ACM serial adapter present (as device paths), sorted.
std::vector<std::string> availablePorts();

// The device a port name opens: "COM1" to "COM8" name the PC's own serial
// ports; any other text is taken as a device path.
std::string portDevicePath(std::string_view portName);

}  // namespace kq
