#include "link/port_discovery.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace kq {
namespace {
constexpr int kComPorts = 8;
}

std::vector<std::string> availablePorts() {
  std::vector<std::string> ports;
  for (int i = 1; i <= kComPorts; ++i) ports.push_back("COM" + std::to_string(i));

  std::vector<std::string> adapters;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("ttyUSB") || name.starts_with("ttyACM")) adapters.push_back(entry.path().string());
  }
  std::sort(adapters.begin(), adapters.end());
  ports.insert(ports.end(), adapters.begin(), adapters.end());
  return ports;
}

std::string portDevicePath(std::string_view portName) {
  if (portName.size() == 4 && portName.starts_with("COM") && portName[3] >= '1' &&
      portName[3] < '1' + kComPorts) {
    return "/dev/ttyS" + std::to_string(portName[3] - '1');
  }
  return std::string(portName);
}

}  // namespace kq
