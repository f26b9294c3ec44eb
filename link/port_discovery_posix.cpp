#include <algorithm>
#include <filesystem>
#include <system_error>

#include "link/port_discovery_os.h"

namespace kq::detail {

// USB and ACM serial adapters, by device path.
std::vector<std::string> systemSerialPorts() {
  std::vector<std::string> adapters;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("ttyUSB") || name.starts_with("ttyACM")) adapters.push_back(entry.path().string());
  }
  std::sort(adapters.begin(), adapters.end());
  return adapters;
}

// COM1 to COM8 are the PC's own ports, /dev/ttyS0 to /dev/ttyS7.
std::optional<std::string> comDevicePath(int number) {
  if (number > 8) return std::nullopt;
  return "/dev/ttyS" + std::to_string(number - 1);
}

}  // namespace kq::detail
