#include <windows.h>

#include <algorithm>
#include <charconv>

#include "base/windows_text.h"
#include "serial/port_discovery.h"

namespace kq {
namespace {

constexpr int kComPorts = 8;
constexpr int kHighestComPort = 255;

// n for "COMn" (1 to 255, no leading zero), else 0.
int comNumber(std::string_view name) {
  if (!name.starts_with("COM") || name.size() < 4 || name[3] == '0') return 0;
  int number = 0;
  const auto [end, error] = std::from_chars(name.data() + 3, name.data() + name.size(), number);
  if (error != std::errc() || end != name.data() + name.size() || number > kHighestComPort) return 0;
  return number;
}

// The device namespace reaches every port, COM10 and above too.
std::string comDevicePath(int number) { return "\\\\.\\COM" + std::to_string(number); }

class RegistryKey {
 public:
  explicit RegistryKey(const wchar_t* path) {
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~RegistryKey() {
    if (key_) ::RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Every port the serial drivers have announced: each value of SERIALCOMM
// holds a port name ("COM3").
std::vector<int> announcedPorts() {
  std::vector<int> ports;
  const RegistryKey key(L"HARDWARE\\DEVICEMAP\\SERIALCOMM");
  if (!key.get()) return ports;
  for (DWORD index = 0;; ++index) {
    wchar_t valueName[256];
    DWORD valueNameLength = 256;
    wchar_t data[64];
    DWORD dataBytes = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    const LONG result = ::RegEnumValueW(key.get(), index, valueName, &valueNameLength, nullptr, &type,
                                        reinterpret_cast<BYTE*>(data), &dataBytes);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;
    data[dataBytes / sizeof(wchar_t)] = L'\0';
    if (const int number = comNumber(utf8FromWide(data))) ports.push_back(number);
  }
  return ports;
}

}  // namespace

// On Windows the ports come from the registry; the folder is not used.
std::vector<PortEntry> availablePorts(const std::filesystem::path&) {
  std::vector<int> numbers = announcedPorts();
  for (int i = 1; i <= kComPorts; ++i) numbers.push_back(i);
  // In number order, so COM1 to COM8 come first, as everywhere; then the others.
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  std::vector<PortEntry> ports;
  for (const int n : numbers) ports.push_back({"COM" + std::to_string(n), comDevicePath(n)});
  return ports;
}

std::string portDevicePath(std::string_view portName, const std::filesystem::path&) {
  if (const int number = comNumber(portName)) return comDevicePath(number);
  return std::string(portName);
}

}  // namespace kq
