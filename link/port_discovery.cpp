#include "link/port_discovery.h"

#include <algorithm>
#include <charconv>

#include "link/port_discovery_os.h"

namespace kq {
namespace {

constexpr int kComPorts = 8;
constexpr int kHighestComPort = 255;

// n for "COMn" (1 to 255, no leading zero), else nothing.
std::optional<int> comPortNumber(std::string_view name) {
  if (!name.starts_with("COM") || name.size() < 4 || name[3] == '0') return std::nullopt;
  int number = 0;
  const auto [end, error] = std::from_chars(name.data() + 3, name.data() + name.size(), number);
  if (error != std::errc() || end != name.data() + name.size() || number > kHighestComPort)
    return std::nullopt;
  return number;
}

}  // namespace

std::vector<std::string> availablePorts() {
  std::vector<std::string> ports;
  for (int i = 1; i <= kComPorts; ++i) ports.push_back("COM" + std::to_string(i));
  for (auto& port : detail::systemSerialPorts()) {
    if (std::find(ports.begin(), ports.end(), port) == ports.end()) ports.push_back(std::move(port));
  }
  return ports;
}

std::string portDevicePath(std::string_view portName) {
  if (const auto number = comPortNumber(portName)) {
    if (auto path = detail::comDevicePath(*number)) return *path;
  }
  return std::string(portName);
}

}  // namespace kq
