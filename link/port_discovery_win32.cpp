#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "dump/windows_text.h"
#include "link/port_discovery_os.h"

namespace kq::detail {
namespace {

int comNumber(const std::string& name) { return std::atoi(name.c_str() + 3); }

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

}  // namespace

// Every port the serial drivers have announced: each value of SERIALCOMM
// holds a port name ("COM3").
std::vector<std::string> systemSerialPorts() {
  std::vector<std::string> ports;
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
    std::string name = utf8FromWide(data);
    if (name.size() > 3 && name.starts_with("COM")) ports.push_back(std::move(name));
  }
  std::sort(ports.begin(), ports.end(),
            [](const std::string& a, const std::string& b) { return comNumber(a) < comNumber(b); });
  ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
  return ports;
}

// The device namespace reaches every port, COM10 and above too.
std::optional<std::string> comDevicePath(int number) { return "\\\\.\\COM" + std::to_string(number); }

}  // namespace kq::detail
