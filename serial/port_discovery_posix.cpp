#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <system_error>
#include <tuple>

#include "serial/port_discovery.h"

namespace kq {
namespace {

namespace fs = std::filesystem;

constexpr int kComPorts = 8;

int hexDigit(unsigned char c) { return std::isxdigit(c); }
int decimalDigit(unsigned char c) { return std::isdigit(c); }
int letterOrDigit(unsigned char c) { return std::isalnum(c); }

std::string lowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// "ttyUSB10" sorts after "ttyUSB9".
bool deviceNameBefore(const std::string& a, const std::string& b) {
  const auto split = [](const std::string& name) {
    std::size_t digits = name.size();
    while (digits > 0 && decimalDigit(name[digits - 1])) --digits;
    const std::string number = name.substr(digits);
    return std::make_tuple(name.substr(0, digits), number.size(), number);
  };
  return split(a) < split(b);
}

template <typename Test>
bool allOf(std::string_view text, Test test) {
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [test](char c) { return test(static_cast<unsigned char>(c)) != 0; });
}

// Without udev's interface ("-if00") and port ("-port0") suffixes.
std::string_view withoutInterface(std::string_view name) {
  if (const std::size_t at = name.rfind("-port");
      at != std::string_view::npos && allOf(name.substr(at + 5), decimalDigit))
    name = name.substr(0, at);
  if (const std::size_t at = name.rfind("-if");
      at != std::string_view::npos && name.size() - at == 5 && allOf(name.substr(at + 3), hexDigit))
    name = name.substr(0, at);
  return name;
}

std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(separator, start), text.size());
    if (end > start) parts.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// A serial number: letters and digits with at least one digit, 4 or more long.
bool looksLikeSerialNumber(const std::string& token) {
  return token.size() >= 4 && allOf(token, letterOrDigit) &&
         std::any_of(token.begin(), token.end(), [](char c) { return decimalDigit(c) != 0; });
}

// Words nearly every adapter's name carries, and company suffixes.
bool isCommonWord(const std::string& word) {
  static const std::array<std::string_view, 16> kWords = {
      "uart",  "serial", "port", "converter", "adapter", "bridge", "controller", "to",
      "cable", "inc",    "inc.", "ltd",       "ltd.",    "co.",    "corp.",      "technology"};
  const std::string lower = lowerCase(word);
  return lower.starts_with("usb") || std::find(kWords.begin(), kWords.end(), lower) != kWords.end();
}

bool isCommonToken(const std::string& token) {
  const std::vector<std::string> words = split(token, '-');
  return std::all_of(words.begin(), words.end(), isCommonWord);
}

// Makers whose chips name no maker, only their USB vendor number.
std::string knownMaker(const std::string& token) { return lowerCase(token) == "1a86" ? "CH34x" : token; }

bool isAdapterDevice(const std::string& name) {
  return name.starts_with("ttyUSB") || name.starts_with("ttyACM");
}

}  // namespace

std::string adapterLabel(std::string_view byIdName, std::string_view deviceName) {
  std::string_view rest = byIdName;
  std::string bus;
  if (const std::size_t dash = rest.find('-'); dash != std::string_view::npos && dash > 0) {
    for (const char c : rest.substr(0, dash))
      bus.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    rest.remove_prefix(dash + 1);
  }
  rest = withoutInterface(rest);

  std::vector<std::string> tokens = split(rest, '_');
  if (tokens.size() >= 3 && looksLikeSerialNumber(tokens.back())) tokens.pop_back();
  if (!tokens.empty()) tokens.front() = knownMaker(tokens.front());
  std::vector<std::string> telling;
  std::copy_if(tokens.begin(), tokens.end(), std::back_inserter(telling),
               [](const std::string& token) { return !isCommonToken(token); });
  if (telling.empty()) telling = tokens;

  std::string label = bus.empty() ? "" : bus + ":";
  for (const std::string& token : telling) label += (label.empty() ? "" : " ") + token;
  return label + (label.empty() ? "(" : " (") + std::string(deviceName) + ")";
}

std::vector<PortEntry> availablePorts(const fs::path& devRoot) {
  std::vector<PortEntry> ports;
  for (int i = 1; i <= kComPorts; ++i)
    ports.push_back({"COM" + std::to_string(i), (devRoot / ("ttyS" + std::to_string(i - 1))).string()});

  // Keyed by device name; the first stable name in order wins for a device
  // that has several.
  std::map<std::string, PortEntry, decltype(&deviceNameBefore)> adapters(&deviceNameBefore);
  std::error_code error;
  std::vector<fs::path> stableNames;
  for (const auto& entry : fs::directory_iterator(devRoot / "serial" / "by-id", error))
    stableNames.push_back(entry.path());
  std::sort(stableNames.begin(), stableNames.end());
  for (const fs::path& link : stableNames) {
    const fs::path device = fs::canonical(link, error);
    if (error) continue;  // the adapter has just gone
    const std::string deviceName = device.filename().string();
    adapters.try_emplace(deviceName,
                         PortEntry{adapterLabel(link.filename().string(), deviceName), link.string()});
  }
  for (const auto& entry : fs::directory_iterator(devRoot, error)) {
    const std::string name = entry.path().filename().string();
    if (isAdapterDevice(name))
      adapters.try_emplace(name, PortEntry{entry.path().string(), entry.path().string()});
  }
  for (auto& [name, entry] : adapters) ports.push_back(std::move(entry));
  return ports;
}

std::string portDevicePath(std::string_view portName, const fs::path& devRoot) {
  if (portName.size() == 4 && portName.starts_with("COM") && portName[3] >= '1' &&
      portName[3] < '1' + kComPorts) {
    return (devRoot / ("ttyS" + std::to_string(portName[3] - '1'))).string();
  }
  // Only a label needs the adapters looked up; a path is opened as it is.
  if (!portName.starts_with('/')) {
    for (const PortEntry& port : availablePorts(devRoot))
      if (port.label == portName) return port.path;
  }
  return std::string(portName);
}

}  // namespace kq
